#pragma once

#include "tools/ColumnPicker.h"

class QLineEdit;
class QRadioButton;

// "Split Columns": cuts the ticked columns' values at a dividing text and
// spreads the pieces over new columns that follow each one.
class Form6 final : public ColumnPicker {
    Q_OBJECT

public:
    Form6(QWidget* parent, CSVDBS& store);

    std::string divider() const;

    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton3 = nullptr;

protected:
    void apply(const std::vector<int>& fields) override;
};
