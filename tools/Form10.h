#pragma once

#include <optional>

#include "store/replace/TextReplace.h"
#include "tools/GridPlace.h"
#include "window/ToolDialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// "Find and Replace". By default it replaces every value that equals the
// search text as a whole (ignoring case and surrounding spaces) in every
// column. It can also find text anywhere in a value or by a pattern, in
// case or not, in one column or the selected cells; Find Next shows the
// next match in the grid and Count says how many values would change.
class Form10 final : public ToolDialog {
    Q_OBJECT

public:
    // Without a grid there is no current column, selection or Find Next.
    Form10(QWidget* parent, CSVDBS& store, GridPlace* grid = nullptr);

    void Form_Load();
    void PushButton2_Click();
    void PushButton4_Click();
    void FindNext_Click();
    void Count_Click();

    QLabel* Label1[2] = {nullptr, nullptr};
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton4 = nullptr;

    QRadioButton* WholeValue = nullptr;
    QRadioButton* Contains = nullptr;
    QRadioButton* Pattern = nullptr;
    QCheckBox* MatchCase = nullptr;
    QComboBox* LookIn = nullptr;
    QPushButton* FindNextButton = nullptr;
    QPushButton* CountButton = nullptr;
    QLabel* FindError = nullptr;
    QLabel* ReplaceError = nullptr;
    QLabel* Result = nullptr;

private:
    enum Scope { AllColumns, ThisColumn, SelectedCells };

    textreplace::Choice choice() const;
    // The rows and 0-based columns of the grid the choice covers.
    GridPlace::Block scopeBlock() const;
    // Shows why a choice cannot run under the field it concerns.
    void showError(const textreplace::ChoiceError& error);
    void clearMessages();

    GridPlace* m_grid;
    int m_column = -1;                       // the grid's current column when opened
    std::optional<GridPlace::Block> m_block; // the selection when opened
};
