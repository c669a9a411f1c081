#pragma once

#include "window/ToolDialog.h"

class QTreeWidget;

// "Rearrange Column Order ": the columns as a list whose order the user
// changes one step at a time; OK puts the store's fields in that order. Each
// item remembers which field it stands for, so two fields of matching names
// keep their own values.
class Form9 final : public ToolDialog {
    Q_OBJECT

public:
    Form9(QWidget* parent, CSVDBS& store);

    void Form_Load();
    void loadColumns();
    void PushButton2_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton6_Click();

    // The field each list item stands for, as positions when the dialog opened.
    std::vector<int> listedOrder() const;

    QTreeWidget* ListView1 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton4 = nullptr;

private:
    // Moves the selected item by `step` places (-1 up, +1 down).
    void moveSelected(int step);
};
