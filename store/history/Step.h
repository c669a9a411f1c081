#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "store/table/CellTable.h"
#include "store/history/StepOperation.h"

// One change to the data, kept as what it replaced. Every change is its own
// inverse: applying it swaps what it keeps with what the table holds, so the
// same change undoes and then redoes. Each kind is small, with anything large
// behind a pointer, because a step of one cell edit is mostly this record.
namespace StepChange {

// One value of one field, by slot, so that sorting and deleting records
// never invalidate it. Sixteen bytes: the cell first, so that nothing pads.
struct CellSwap {
    Cell cell;
    std::uint32_t slot;
    std::int16_t field;
};

// A single cell swap, held in place.
struct OneCell {
    CellSwap swap;
};

// The cell swaps of a run of changes that leave the fields where they are.
struct CellBatch {
    std::unique_ptr<CellSwap[]> swaps;
    std::uint32_t count = 0;
};

// A whole column of cells, kept instead of many cell swaps of that column.
struct ColumnSwap {
    std::unique_ptr<CellTable::Column> cells;
    int field;
};

// The whole record order (a sort): four bytes a record.
struct OrderSwap {
    std::unique_ptr<CellTable::Order> order;
};

// Records taken out of or put into the order, each as its position and slot;
// the values stay in the table's columns, so nothing else is kept.
struct Records {
    std::unique_ptr<std::vector<std::pair<std::uint32_t, std::uint32_t>>> entries; // ascending positions
    bool present;
};

// The last `count` records moved in front of the others.
struct Rotation {
    std::uint32_t count;
    bool applied;
};

// A field that was inserted (present) or erased (its name and column kept).
struct Field {
    std::unique_ptr<CellTable::FieldCells> kept;
    int at;
    bool present;
};

struct FieldSwap {
    int a;
    int b;
};

struct Rename {
    std::unique_ptr<std::string> name;
    int field;
};

} // namespace StepChange

using Change = std::variant<StepChange::OneCell, StepChange::CellBatch, StepChange::ColumnSwap, StepChange::OrderSwap,
                            StepChange::Records, StepChange::Rotation, StepChange::Field, StepChange::FieldSwap,
                            StepChange::Rename>;

// One undoable step: a name for the Edit menu, the operation as data, and
// the changes it made in the order it made them. Undo applies them last
// first; redo first to last. A step is made by a StepRecorder; it holds no
// more than it must, since a history holds thousands of cell edits.
class Step {
public:
    Step(TextCodes::Code name, TextCodes::Code operation, PackedParameters parameters, std::vector<Change> changes,
         std::int64_t valuesChanged);

    const std::string& name() const { return TextCodes::text(m_name); }
    StepOperation operation() const { return {TextCodes::text(m_operation), m_parameters.unpack()}; }
    // How many values the step replaced, for a report to the user.
    std::int64_t valuesChanged() const { return m_valuesChanged; }
    // Memory the step holds, in bytes: the object and everything it owns.
    std::size_t bytes() const;

    void undo(CellTable& table);
    void redo(CellTable& table);

private:
    TextCodes::Code m_name;
    TextCodes::Code m_operation;
    std::uint32_t m_changeCount;
    std::int64_t m_valuesChanged;
    PackedParameters m_parameters;
    std::unique_ptr<Change[]> m_changes;
};
