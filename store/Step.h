#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "store/CellTable.h"

// What a step did, as data: the operation's name and its parameters, enough
// to run the same operation again on another file.
struct StepOperation {
    std::string name;
    std::vector<std::pair<std::string, std::string>> parameters;
};

// One change to the data, kept as what it replaced. Every change is its own
// inverse: applying it swaps what it keeps with what the table holds, so the
// same change undoes and then redoes.
namespace StepChange {

// One value of one field, by slot, so that sorting and deleting records
// never invalidate it. Sixteen bytes: the cell first, so that nothing pads.
struct CellSwap {
    Cell cell;
    std::uint32_t slot;
    std::int16_t field;
};

// The cell swaps of a run of changes that leave the fields where they are.
struct CellBatch {
    std::vector<CellSwap> swaps;
};

// A whole column of cells, kept instead of many cell swaps of that column.
struct ColumnSwap {
    int field;
    CellTable::Column cells;
};

// The whole record order (a sort): four bytes a record.
struct OrderSwap {
    CellTable::Order order;
};

// Records taken out of or put into the order, each as its position and slot;
// the values stay in the table's columns, so nothing else is kept.
struct Records {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries; // (position, slot), ascending positions
    bool present;
};

// The last `count` records moved in front of the others.
struct Rotation {
    std::uint32_t count;
    bool applied;
};

// A field that was inserted (present) or erased (its column kept here).
struct Field {
    int at;
    std::string name;
    CellTable::Column cells;
    bool present;
};

struct FieldSwap {
    int a;
    int b;
};

struct Rename {
    int field;
    std::string name;
};

} // namespace StepChange

// One undoable step: a name for the Edit menu, the operation as data, and
// the changes it made in the order it made them. Undo applies them last
// first; redo first to last.
class Step {
public:
    Step(std::string name, StepOperation operation)
        : m_name(std::move(name)), m_operation(std::move(operation)) {}

    const std::string& name() const { return m_name; }
    const StepOperation& operation() const { return m_operation; }
    void setOperation(StepOperation operation) { m_operation = std::move(operation); }
    bool empty() const { return m_changes.empty() && m_pendingColumns.empty(); }
    // How many values the step replaced, for a report to the user.
    std::int64_t valuesChanged() const { return m_valuesChanged; }
    // Memory the step holds, in bytes.
    std::size_t bytes() const;

    // --- recording, before the table changes --------------------------------
    void cellChanging(const CellTable& table, std::uint32_t slot, int field);
    // `before` is the column's cells before a change the caller made itself.
    void columnChanged(const CellTable& table, int field, CellTable::Column before, std::int64_t changed);
    void orderChanged(CellTable::Order before);
    void recordsRemoved(std::vector<std::pair<std::uint32_t, std::uint32_t>> entries);
    void recordAppended(std::uint32_t position, std::uint32_t slot);
    void recordsRotated(std::uint32_t count);
    void fieldInserted(int at);
    // Takes the field's cells out of the table; the caller then erases the field.
    void fieldErasing(CellTable& table, int at);
    void fieldsSwapped(int a, int b);
    void fieldRenaming(const CellTable& table, int field);
    // Ends the recording: whole columns kept for this step join its changes.
    void finish();

    void undo(CellTable& table);
    void redo(CellTable& table);

private:
    // Field positions move: what was kept by position for the fields so far
    // must be placed before the move.
    void endRun();
    void apply(StepChange::CellBatch& c, CellTable& table, bool forward);
    void keepWholeColumn(int field, CellTable::Column before);
    StepChange::CellBatch& batch();

    std::string m_name;
    StepOperation m_operation;
    std::vector<std::variant<StepChange::CellBatch, StepChange::ColumnSwap, StepChange::OrderSwap,
                             StepChange::Records, StepChange::Rotation, StepChange::Field,
                             StepChange::FieldSwap, StepChange::Rename>>
        m_changes;
    // Within the current run of changes: where the cell swaps go, how many
    // each field has, and the fields already kept whole.
    std::size_t m_batch = SIZE_MAX;
    std::vector<std::uint32_t> m_swapsPerField;
    std::map<int, CellTable::Column> m_pendingColumns;
    std::int64_t m_valuesChanged = 0;
};
