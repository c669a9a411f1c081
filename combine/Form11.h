#pragma once

#include "combine/SecondFileDialog.h"

class QCheckBox;
class QGroupBox;
class QRadioButton;

// "Append File (Up and Down)": adds the records of a second file with the same
// number of columns above or below the open file's records.
class Form11 final : public SecondFileDialog {
    Q_OBJECT

public:
    Form11(QWidget* parent, CSVDBS& store, const QString& separator);

    void PushButton1_Click();

    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QCheckBox* Check12 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
};
