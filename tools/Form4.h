#pragma once

#include "tools/ColumnPicker.h"
#include "tools/TextCase.h"

class QRadioButton;

// "Change Case Of Text": rewrites the ticked columns in one letter-case style.
class Form4 final : public ColumnPicker {
    Q_OBJECT

public:
    Form4(QWidget* parent, CSVDBS& store);

    CaseStyle chosenStyle() const;

    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option4 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton3 = nullptr;

protected:
    void apply(const std::vector<int>& fields) override;
};
