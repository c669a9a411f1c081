#pragma once

#include <map>
#include <vector>

#include "store/sort/DateGuess.h"
#include "store/sort/SortKey.h"
#include "window/ToolDialog.h"

class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QListWidget;
class QRadioButton;

// "Sort": sorts every record by a list of keys, each a column with its own
// direction and comparison; the first key decides and the next ones break
// its ties. The list shows the keys; the frame under it edits the one
// selected. A date key starts from the order its column's dates are
// written in, and says when they read either way.
class SortDialog final : public ToolDialog {
    Q_OBJECT

public:
    // `field` (1-based) is the column of the first key.
    SortDialog(QWidget* parent, CSVDBS& store, int field = 1);

    void Form_Load();
    void Add_Click();
    void Remove_Click();
    void MoveUp_Click();
    void MoveDown_Click();
    void OK_Click();
    void Cancel_Click();

    const std::vector<keysort::SortKey>& keys() const { return m_keys; }
    // The headings of the keys, for the status line: "City, Amount".
    QString sortedBy() const;

    QListWidget* lstKeys = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdMoveUp = nullptr;
    QPushButton* cmdMoveDown = nullptr;
    QGroupBox* fraKey = nullptr;
    QComboBox* cboColumn = nullptr;
    QRadioButton* optAscending = nullptr;
    QRadioButton* optDescending = nullptr;
    QComboBox* cboComparison = nullptr;
    QComboBox* cboDecimalMark = nullptr;
    QComboBox* cboDateOrder = nullptr;
    QLabel* lblDates = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    QString heading(int field) const;
    QString describe(std::size_t key) const;
    // The list from the keys, `current` selected.
    void fillKeys(int current);
    // The frame from the selected key; the buttons as far as they apply.
    void showKey();
    // The selected key from the frame.
    void keyEdited();
    // A key that becomes a date key starts from its column's guess.
    void startDateKey(keysort::SortKey& key);
    const keysort::DateGuess& dateGuess(int field);
    QString datesText(const keysort::SortKey& key);

    std::vector<keysort::SortKey> m_keys;
    std::map<int, keysort::DateGuess> m_guesses;
    QFormLayout* m_form = nullptr;
    int m_firstField;
    bool m_showing = false;
};
