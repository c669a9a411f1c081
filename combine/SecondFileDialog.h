#pragma once

#include <string>

#include "window/ToolDialog.h"

class QGroupBox;
class QLineEdit;
class QRadioButton;

// What the append and merge dialogs share: a path box with a browse button,
// OK and Cancel, and the checks that read the second file into a store of
// its own before anything in the open file changes.
class SecondFileDialog : public ToolDialog {
    Q_OBJECT

public:
    SecondFileDialog(QWidget* parent, CSVDBS& store, QString formName, const QString& caption,
                     QString separator);

    void Form_Load();
    void PushButton2_Click();
    void PushButton4_Click();

    QLineEdit* Text1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton4 = nullptr;

protected:
    // Steps 1 to 3 of every OK: the path box, the file, the load. Tells the
    // user and returns false when any of them fails.
    bool readSecondFile(Procedure& p, CSVDBS& second, bool headerLine);
    struct Option {
        QString caption;
        QRadioButton** button;
    };
    // A frame of two option buttons, the first one selected.
    QGroupBox* makeOptionFrame(const QString& caption, Option first, Option second);
    // Browse and Cancel, and the hover rules of the three buttons.
    void connectButtons();

private:
    static QString shortLinesQuestion(const CSVDBS& second);

    QString m_separator;
};
