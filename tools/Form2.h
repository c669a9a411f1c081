#pragma once

#include "tools/ColumnPicker.h"

// "Remove Partial Duplicates": deletes every record that repeats, in the
// ticked columns, the values of an earlier record.
class Form2 final : public ColumnPicker {
    Q_OBJECT

public:
    Form2(QWidget* parent, CSVDBS& store);

    QGroupBox* Frame1 = nullptr;
    QPushButton* PushButton11 = nullptr;
    QPushButton* PushButton33 = nullptr;

protected:
    void apply(const std::vector<int>& fields) override;
};
