#pragma once

#include <memory>

#include "combine/SecondFileDialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QTreeWidget;

// "Merge File (Left and Right)": adds the columns of a second file in front of
// or after the open file's columns, pairing records by position or, when
// asked, by a key column each file holds.
class Form12 final : public SecondFileDialog {
    Q_OBJECT

public:
    Form12(QWidget* parent, CSVDBS& store, const QString& separator);
    ~Form12() override;

    void PushButton1_Click();

    QLabel* Label1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;

    QCheckBox* ByKey = nullptr;
    QGroupBox* KeyFrame = nullptr;
    QComboBox* OpenKey = nullptr;
    QComboBox* SecondKey = nullptr;
    QComboBox* JoinKind = nullptr;
    QCheckBox* LooseKeys = nullptr;
    QTreeWidget* Columns = nullptr;

private:
    // Reads the file the path box names, once for each path, and offers its
    // columns; false (the user told why) when it cannot be read.
    bool secondFileRead(Procedure& p);
    void showKeyChoices(bool shown);
    void mergeByKey(Procedure& p);

    std::unique_ptr<CSVDBS> m_second;
    QString m_secondPath;
};
