#pragma once

#include <cassert>
#include <cstdint>
#include <map>
#include <vector>

#include "store/table/CellTable.h"
#include "store/history/Step.h"

// Records one step while its operation runs: the table's change operations
// call it before (or, where said, after) each change. It lives only while recording,
// so the bookkeeping it needs costs the finished step nothing.
class StepRecorder {
public:
    // `slotCount` is the table's when the step begins.
    StepRecorder(TextCodes::Code name, const StepOperation& operation, std::uint32_t slotCount);

    std::int64_t valuesChanged() const { return m_valuesChanged; }
    bool empty() const { return m_changes.empty() && m_swaps.empty() && m_pendingColumns.empty(); }

    // Whether changes to the field must still be kept: not once its whole
    // column is, nor for a field this step inserted, which undoing the
    // insert takes away with all its values.
    bool keeps(int field) const;

    void cellChanging(const CellTable& table, std::uint32_t slot, int field);
    // Values put into a field whose old values the step does not keep.
    void valuesPut(std::int64_t count)
    {
        assert(!m_finished);
        m_valuesChanged += count;
    }
    // `before` is the column's cells before a change the caller made itself.
    void columnChanged(const CellTable& table, int field, CellTable::Column before, std::int64_t changed);
    void orderChanged(CellTable::Order before);
    void recordsRemoved(std::vector<std::pair<std::uint32_t, std::uint32_t>> entries);
    void recordAppended(std::uint32_t position, std::uint32_t slot);
    void recordsRotated(std::uint32_t count);
    void fieldInserted(int at);
    // The field at `at` goes, with its name and cells.
    void fieldErased(int at, CellTable::FieldCells kept);
    void fieldsSwapped(int a, int b);
    void fieldRenaming(const CellTable& table, int field);

    // Ends the recording: the step as it will be kept.
    Step finish();

private:
    // Field positions move: what was kept by position for the fields so far
    // must be placed before the move.
    void endRun();
    void keepWholeColumn(int field, CellTable::Column before);
    // One cell's value before the change, in the current run of swaps.
    void keepSwap(Cell before, std::uint32_t slot, int field);

    bool m_finished = false; // nothing may be recorded into a finished step
    TextCodes::Code m_name;
    TextCodes::Code m_operation;
    PackedParameters m_parameters;
    std::vector<Change> m_changes;
    // Within the current run of changes: the cell swaps so far (they join the
    // changes where the run began), how many each field has, and the fields
    // already kept whole.
    std::size_t m_runStart = SIZE_MAX;
    std::vector<StepChange::CellSwap> m_swaps;
    std::vector<std::uint32_t> m_swapsPerField;
    std::map<int, CellTable::Column> m_pendingColumns;
    // By position: the fields this step inserted.
    std::vector<bool> m_inserted;
    std::int64_t m_valuesChanged = 0;
    // Slots from here on belong to records this step appended: undoing the
    // append takes them out of the order, so their values need nothing kept.
    std::uint32_t m_firstNewSlot;
};
