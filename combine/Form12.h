#pragma once

#include "combine/SecondFileDialog.h"

class QGroupBox;
class QLabel;
class QRadioButton;

// "Merge File (Left and Right)": adds the columns of a second file in front of
// or after the open file's columns, pairing records by position.
class Form12 final : public SecondFileDialog {
    Q_OBJECT

public:
    Form12(QWidget* parent, CSVDBS& store, const QString& separator);

    void PushButton1_Click();

    QLabel* Label1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
};
