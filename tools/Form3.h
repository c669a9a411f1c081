#pragma once

#include "window/ToolDialog.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;

// "Sort By Column": sorts every record by one chosen column. Entry i of the
// combo box is field i + 1 of the store, and the sort is by that position.
class Form3 final : public ToolDialog {
    Q_OBJECT

public:
    Form3(QWidget* parent, CSVDBS& store);

    void Form_Load();
    void PushButton2_Click();
    void PushButton4_Click();

    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton4 = nullptr;

private:
    void fillColumns();
};
