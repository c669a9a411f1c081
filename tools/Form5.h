#pragma once

#include "tools/ColumnPicker.h"

class QLabel;
class QLineEdit;

// "Add Prefix-Suffix": puts a text before and/or after every value of the
// ticked columns.
class Form5 final : public ColumnPicker {
    Q_OBJECT

public:
    Form5(QWidget* parent, CSVDBS& store);

    QGroupBox* Frame2 = nullptr;
    QLabel* Label1[2] = {nullptr, nullptr};
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton3 = nullptr;

protected:
    bool optionsAreValid() override;
    void apply(const std::vector<int>& fields) override;
};
