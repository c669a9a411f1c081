#pragma once

#include <functional>
#include <initializer_list>

#include <QDialog>
#include <QString>

#include "store/Progress.h"
#include "window/Procedure.h"

class CSVDBS;
class QAbstractButton;
class QLabel;
class QPushButton;
class QTreeWidget;

// What every tool dialog shares: it works on the main window's store, loads
// in the program's usual way (colours, icon, hand pointer), names its error
// reports after itself, and runs its work with the busy pointer and a line of
// progress while no other command is taken.
class ToolDialog : public QDialog {
    Q_OBJECT

public:
    // Each item of a column list holds the position of the field it stands for.
    static constexpr int FieldRole = Qt::UserRole;

    ToolDialog(QWidget* parent, CSVDBS& store, QString formName, const QString& caption);

    CSVDBS& store() { return m_store; }
    QLabel* progressLabel() const { return m_progress; }

protected:
    Procedure procedure(const QString& name) const { return Procedure(m_formName, name); }
    // Colours, icon and hand pointer; then Arial bold on every control.
    void applyLoadPattern();
    // Runs `work` through the long-work runner; the store's progress shows in
    // the dialog's progress line. False when the user cancelled it: the work
    // was taken back, and the dialog stays open to be changed or closed.
    bool runWork(const std::function<void()>& work);
    // The last step of an OK: `work` through runWork, then the dialog closes
    // accepted, unless the user cancelled the work.
    void runWorkThenAccept(Procedure& p, const std::function<void()>& work);

    // The store's columns as a one-column list; item i is field i. With
    // `tickable` each item has a check box, unticked.
    QTreeWidget* makeColumnList(QWidget* parent);
    void fillColumnList(QTreeWidget* list, bool tickable);

    QPushButton* makeButton(const QString& caption);
    // The hover rules: the hand pointer over these buttons, the arrow over these surfaces.
    void handOver(std::initializer_list<QAbstractButton*> buttons);
    void arrowOver(std::initializer_list<QWidget*> surfaces);

private:
    CSVDBS& m_store;
    QString m_formName;
    QLabel* m_progress;
};
