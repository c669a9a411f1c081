#pragma once

#include <vector>

#include <QDialog>

class FilterResults;
class GridText;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The Filter window: lists, live while the user types, the rows of the main
// grid that contain the search text, and saves them. It reads the grid and
// never changes it or the store.
class Form8 final : public QDialog {
    Q_OBJECT

public:
    // `columnWidths` are the main grid's, so the results look the same.
    Form8(QWidget* parent, const GridText& grid, std::vector<int> columnWidths);
    ~Form8() override;

    void Form_Load();
    void Text1_Change();
    void PushButton7_Click();
    void PushButton19_Click();
    void PushButton21_Click();
    void PushButton1_Click();
    bool SaveResultsAsExcelFileIsExcelInstalled();

    const FilterResults& results() const { return *m_results; }

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QTableView* ListView2 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QPushButton* PushButton19 = nullptr;
    QPushButton* PushButton21 = nullptr;
    QPushButton* PushButton1 = nullptr;
    // Where a long save says how far it got.
    QLabel* lblProgress = nullptr;

private:
    void createControls();
    void showResultColumns();

    FilterResults* m_results;
    std::vector<int> m_columnWidths;
};
