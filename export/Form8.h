#pragma once

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <QDialog>

class FilterResults;
class GridText;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

// The Filter window: lists, live while the user types, the rows of the main
// grid that contain the search text, and saves them. It reads the grid and
// never changes it or the store. The search runs on a thread of its own a
// moment after the last key, so typing never waits for it; a newer text
// stops the older search.
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
    // Whether a search is waiting for its pause or running.
    bool searching() const { return m_pending; }

    // How long the window waits after a change before it searches.
    static constexpr int SearchPause = 150;

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
    // How many rows the last search found.
    QLabel* lblMatches = nullptr;

signals:
    // A search has shown its results.
    void searchFinished(int matches);

private:
    void createControls();
    void showResultColumns();
    void startSearch();
    void stopSearch();
    void showFound(std::uint64_t search, std::vector<int> rows);

    FilterResults* m_results;
    std::vector<int> m_columnWidths;
    QTimer* m_pause = nullptr;
    std::thread m_search;
    std::shared_ptr<std::atomic<bool>> m_stop;
    // The number of the latest search; an older one's results are not shown.
    std::uint64_t m_searchNumber = 0;
    bool m_pending = false;
};
