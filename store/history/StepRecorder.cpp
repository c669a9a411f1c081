#include "store/history/StepRecorder.h"

#include <algorithm>
#include <cassert>

namespace {

// In place of a field's swap count: nothing more to keep for it.
constexpr std::uint32_t KeptWhole = UINT32_MAX;

template <typename T>
std::unique_ptr<T> boxed(T value)
{
    return std::make_unique<T>(std::move(value));
}

} // namespace

StepRecorder::StepRecorder(TextCodes::Code name, const StepOperation& operation, std::uint32_t slotCount)
    : m_name(name),
      m_operation(TextCodes::code(operation.name)),
      m_parameters(operation.parameters),
      m_firstNewSlot(slotCount)
{
}

bool StepRecorder::keeps(int field) const
{
    const auto f = static_cast<std::size_t>(field);
    if (f < m_inserted.size() && m_inserted[f])
        return false;
    return f >= m_swapsPerField.size() || m_swapsPerField[f] != KeptWhole;
}

void StepRecorder::cellChanging(const CellTable& table, std::uint32_t slot, int field)
{
    assert(!m_finished && field >= 0 && field < table.fieldCount() && slot < table.slotCount());
    const auto f = static_cast<std::size_t>(field);
    ++m_valuesChanged;
    if (!keeps(field) || slot >= m_firstNewSlot)
        return;
    keepSwap(table.columnCells(field)[slot], slot, field);
    if (f >= m_swapsPerField.size())
        m_swapsPerField.resize(f + 1);
    // Once a field's swaps would hold more than its column, the whole column
    // is kept instead, so a step costs at most its column, and the rest of
    // the loop records nothing more for it. (Tools that rewrite whole columns
    // say so with columnChanged; this is for scattered edits.)
    const std::size_t swaps = ++m_swapsPerField[f];
    if (swaps >= 64 && swaps * sizeof(StepChange::CellSwap) >= std::size_t(table.slotCount()) * sizeof(Cell))
        keepWholeColumn(field, CellTable::Column(table.columnCells(field)));
}

void StepRecorder::keepSwap(Cell before, std::uint32_t slot, int field)
{
    if (m_runStart == SIZE_MAX) {
        // The run's cell swaps take this place among the changes once it ends.
        m_runStart = m_changes.size();
        m_changes.emplace_back(StepChange::CellBatch{});
    }
    m_swaps.push_back({before, slot, static_cast<std::int16_t>(field)});
}

void StepRecorder::columnChanged(const CellTable& table, int field, CellTable::Column before, std::int64_t changed)
{
    assert(!m_finished && field >= 0 && field < table.fieldCount());
    m_valuesChanged += changed;
    if (!keeps(field))
        return;
    if (std::size_t(changed) * sizeof(StepChange::CellSwap) < std::size_t(table.slotCount()) * sizeof(Cell)) {
        // Few values changed: keep those alone.
        const CellTable::Column& now = table.columnCells(field);
        const std::size_t kept = std::min<std::size_t>(before.size(), m_firstNewSlot);
        for (std::uint32_t slot = 0; slot < kept; ++slot) {
            if (before[slot] != now[slot])
                keepSwap(before[slot], slot, field);
        }
        return;
    }
    keepWholeColumn(field, std::move(before));
}

// `cells` is the column as it is now, or as it was before a change the caller
// made itself; the swaps this run kept for the field take it back to the
// start of the run.
void StepRecorder::keepWholeColumn(int field, CellTable::Column cells)
{
    for (auto it = m_swaps.rbegin(); it != m_swaps.rend(); ++it)
        if (it->field == field)
            cells[it->slot] = it->cell;
    std::erase_if(m_swaps, [field](const StepChange::CellSwap& s) { return s.field == field; });
    const auto f = static_cast<std::size_t>(field);
    if (f >= m_swapsPerField.size())
        m_swapsPerField.resize(f + 1);
    m_swapsPerField[f] = KeptWhole;
    m_pendingColumns[field] = std::move(cells);
}

void StepRecorder::endRun()
{
    if (m_runStart != SIZE_MAX) {
        const auto at = m_changes.begin() + static_cast<std::ptrdiff_t>(m_runStart);
        if (m_swaps.empty()) {
            m_changes.erase(at);
        } else if (m_swaps.size() == 1) {
            *at = StepChange::OneCell{m_swaps.front()};
        } else {
            auto swaps = std::make_unique_for_overwrite<StepChange::CellSwap[]>(m_swaps.size());
            std::copy(m_swaps.begin(), m_swaps.end(), swaps.get());
            *at = StepChange::CellBatch{std::move(swaps), static_cast<std::uint32_t>(m_swaps.size())};
        }
    }
    for (auto& [field, cells] : m_pendingColumns)
        m_changes.emplace_back(StepChange::ColumnSwap{boxed(std::move(cells)), field});
    m_pendingColumns.clear();
    m_swapsPerField.clear();
    m_swaps.clear();
    m_runStart = SIZE_MAX;
}

Step StepRecorder::finish()
{
    assert(!m_finished);
    m_finished = true;
    endRun();
    return Step(m_name, m_operation, std::move(m_parameters), std::move(m_changes), m_valuesChanged);
}

void StepRecorder::orderChanged(CellTable::Order before)
{
    assert(!m_finished);
    m_changes.emplace_back(StepChange::OrderSwap{boxed(std::move(before))});
}

void StepRecorder::recordsRemoved(std::vector<std::pair<std::uint32_t, std::uint32_t>> entries)
{
    // (position, slot) pairs, positions rising: undoing puts them back in that order.
    assert(!m_finished && std::is_sorted(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; }));
    if (!entries.empty())
        m_changes.emplace_back(StepChange::Records{boxed(std::move(entries)), false});
}

void StepRecorder::recordAppended(std::uint32_t position, std::uint32_t slot)
{
    assert(!m_finished);
    // Appending many records (a second file) makes one change, not one each.
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it) {
        // Cell swaps go by slot, so appends on either side of them still join.
        if (std::holds_alternative<StepChange::CellBatch>(*it) || std::holds_alternative<StepChange::OneCell>(*it))
            continue;
        auto* records = std::get_if<StepChange::Records>(&*it);
        if (records && records->present && records->entries->back().first + 1 == position) {
            records->entries->emplace_back(position, slot);
            return;
        }
        break;
    }
    m_changes.emplace_back(StepChange::Records{boxed(std::vector<std::pair<std::uint32_t, std::uint32_t>>{{position, slot}}), true});
}

void StepRecorder::recordsRotated(std::uint32_t count) { m_changes.emplace_back(StepChange::Rotation{count, true}); }

void StepRecorder::fieldInserted(int at)
{
    assert(!m_finished && at >= 0);
    endRun();
    m_changes.emplace_back(StepChange::Field{nullptr, at, true});
    const auto f = static_cast<std::size_t>(at);
    if (m_inserted.size() < f)
        m_inserted.resize(f);
    m_inserted.insert(m_inserted.begin() + at, true);
}

void StepRecorder::fieldErased(int at, CellTable::FieldCells kept)
{
    assert(!m_finished && at >= 0);
    endRun();
    m_changes.emplace_back(StepChange::Field{boxed(std::move(kept)), at, false});
    if (static_cast<std::size_t>(at) < m_inserted.size())
        m_inserted.erase(m_inserted.begin() + at);
}

void StepRecorder::fieldsSwapped(int a, int b)
{
    assert(!m_finished && a >= 0 && b >= 0);
    endRun();
    m_changes.emplace_back(StepChange::FieldSwap{a, b});
    const auto most = static_cast<std::size_t>(std::max(a, b));
    if (m_inserted.size() <= most)
        m_inserted.resize(most + 1);
    const bool wasA = m_inserted[static_cast<std::size_t>(a)];
    m_inserted[static_cast<std::size_t>(a)] = m_inserted[static_cast<std::size_t>(b)];
    m_inserted[static_cast<std::size_t>(b)] = wasA;
}

void StepRecorder::fieldRenaming(const CellTable& table, int field)
{
    assert(!m_finished && field >= 0 && field < table.fieldCount());
    m_changes.emplace_back(
        StepChange::Rename{boxed(table.names()[static_cast<std::size_t>(field)]), field});
}
