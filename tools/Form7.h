#pragma once

#include "tools/ColumnEdits.h"
#include "tools/ColumnPicker.h"

class QLineEdit;
class QRadioButton;

// "Join Columns": joins the ticked columns' values, record by record, into a
// new column or into the first ticked column.
class Form7 final : public ColumnPicker {
    Q_OBJECT

public:
    Form7(QWidget* parent, CSVDBS& store);

    ColumnEdits::JoinOptions chosenOptions() const;

    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QLineEdit* Text1 = nullptr;
    QRadioButton* Option4 = nullptr;
    QLineEdit* Text2 = nullptr;
    QRadioButton* Option5 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton3 = nullptr;

protected:
    void apply(const std::vector<int>& fields) override;
};
