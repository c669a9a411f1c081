#pragma once

#include "window/ToolDialog.h"

class QLabel;
class QLineEdit;

// "Find and Replace": replaces every value that equals the search text as a
// whole (ignoring case and surrounding spaces) in every column.
class Form10 final : public ToolDialog {
    Q_OBJECT

public:
    Form10(QWidget* parent, CSVDBS& store);

    void Form_Load();
    void PushButton2_Click();
    void PushButton4_Click();

    QLabel* Label1[2] = {nullptr, nullptr};
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton4 = nullptr;
};
