#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

// The manual installed with the program, shown as it is on disk, so that
// help works with no network. One window, raised again when asked twice.
class ManualWindow : public QDialog {
public:
    explicit ManualWindow(QWidget* parent, const QString& page);
    QTextBrowser* browser() const { return m_browser; }

    // The manual's page: beside the program where it was built, in the
    // documentation folder once installed; empty when neither has it.
    static QString page();

private:
    QTextBrowser* m_browser;
};
