#include "store/Step.h"

#include <algorithm>

namespace {

constexpr std::uint32_t KeptWhole = UINT32_MAX;

template <typename T, typename A>
std::size_t heapBytes(const std::vector<T, A>& v)
{
    return v.capacity() * sizeof(T);
}

std::size_t heapBytes(const std::string& s) { return s.capacity() > 15 ? s.capacity() + 1 : 0; }

// Takes the entries' positions out of `order`, keeping their slots.
void removeAt(CellTable::Order& order, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& entries)
{
    std::size_t out = entries.front().first;
    std::size_t next = 0;
    for (std::size_t in = out; in < order.size(); ++in) {
        if (next < entries.size() && entries[next].first == in) {
            ++next;
            continue;
        }
        order[out++] = order[in];
    }
    order.resize(out);
}

// Puts each entry's slot back at its position; positions are those of the
// order once every entry is back.
void insertAt(CellTable::Order& order, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& entries)
{
    const std::size_t oldSize = order.size();
    order.resize(oldSize + entries.size());
    // From the back, so that every record moves once.
    std::size_t from = oldSize;
    std::size_t next = entries.size();
    for (std::size_t out = order.size(); out-- > entries.front().first;) {
        if (next > 0 && entries[next - 1].first == out)
            order[out] = entries[--next].second;
        else
            order[out] = order[--from];
    }
}

} // namespace

std::size_t Step::bytes() const
{
    std::size_t total = sizeof(Step) + heapBytes(m_name) + heapBytes(m_operation.name) + heapBytes(m_changes) +
                        heapBytes(m_operation.parameters);
    for (const auto& [key, value] : m_operation.parameters)
        total += heapBytes(key) + heapBytes(value);
    for (const auto& change : m_changes) {
        std::visit(
            [&](const auto& c) {
                using T = std::decay_t<decltype(c)>;
                if constexpr (std::is_same_v<T, StepChange::CellBatch>)
                    total += heapBytes(c.swaps);
                else if constexpr (std::is_same_v<T, StepChange::ColumnSwap>)
                    total += heapBytes(c.cells);
                else if constexpr (std::is_same_v<T, StepChange::OrderSwap>)
                    total += heapBytes(c.order);
                else if constexpr (std::is_same_v<T, StepChange::Records>)
                    total += heapBytes(c.entries);
                else if constexpr (std::is_same_v<T, StepChange::Field>)
                    total += heapBytes(c.cells) + heapBytes(c.name);
                else if constexpr (std::is_same_v<T, StepChange::Rename>)
                    total += heapBytes(c.name);
            },
            change);
    }
    for (const auto& [field, cells] : m_pendingColumns)
        total += heapBytes(cells);
    return total;
}

StepChange::CellBatch& Step::batch()
{
    if (m_batch == SIZE_MAX) {
        m_batch = m_changes.size();
        m_changes.emplace_back(StepChange::CellBatch{});
    }
    return std::get<StepChange::CellBatch>(m_changes[m_batch]);
}

void Step::cellChanging(const CellTable& table, std::uint32_t slot, int field)
{
    const auto f = static_cast<std::size_t>(field);
    if (f < m_swapsPerField.size() && m_swapsPerField[f] == KeptWhole)
        return;
    batch().swaps.push_back({table.m_columns[f][slot], slot, static_cast<std::int16_t>(field)});
    ++m_valuesChanged;
    if (f >= m_swapsPerField.size())
        m_swapsPerField.resize(f + 1);
    // A field changed in more than one value in sixteen is most likely
    // changed all through (a column tool): its whole column is kept instead,
    // so such a step costs at most its column, and the rest of the loop
    // records nothing more for it.
    if (++m_swapsPerField[f] >= std::max<std::size_t>(64, table.m_slotCount / 16))
        keepWholeColumn(field, table.m_columns[f]);
}

void Step::columnChanged(const CellTable& table, int field, CellTable::Column before, std::int64_t changed)
{
    const auto f = static_cast<std::size_t>(field);
    m_valuesChanged += changed;
    if (f < m_swapsPerField.size() && m_swapsPerField[f] == KeptWhole)
        return;
    if (std::size_t(changed) * sizeof(StepChange::CellSwap) < std::size_t(table.m_slotCount) * sizeof(Cell)) {
        // Few values changed: keep those alone.
        for (std::uint32_t slot = 0; slot < before.size(); ++slot)
            if (before[slot] != table.m_columns[f][slot])
                batch().swaps.push_back({before[slot], slot, static_cast<std::int16_t>(field)});
        return;
    }
    keepWholeColumn(field, std::move(before));
}

// `cells` is the column as it is now, or as it was before a change the caller
// made itself; the swaps this run kept for the field take it back to the
// start of the run.
void Step::keepWholeColumn(int field, CellTable::Column cells)
{
    if (m_batch != SIZE_MAX) {
        auto& swaps = std::get<StepChange::CellBatch>(m_changes[m_batch]).swaps;
        for (auto it = swaps.rbegin(); it != swaps.rend(); ++it)
            if (it->field == field)
                cells[it->slot] = it->cell;
        std::erase_if(swaps, [field](const StepChange::CellSwap& s) { return s.field == field; });
    }
    const auto f = static_cast<std::size_t>(field);
    if (f >= m_swapsPerField.size())
        m_swapsPerField.resize(f + 1);
    m_swapsPerField[f] = KeptWhole;
    m_pendingColumns[field] = std::move(cells);
}

void Step::endRun()
{
    for (auto& [field, cells] : m_pendingColumns)
        m_changes.emplace_back(StepChange::ColumnSwap{field, std::move(cells)});
    m_pendingColumns.clear();
    m_swapsPerField.clear();
    m_batch = SIZE_MAX;
}

void Step::finish()
{
    endRun();
    std::erase_if(m_changes, [](const auto& c) {
        const auto* cells = std::get_if<StepChange::CellBatch>(&c);
        return cells && cells->swaps.empty();
    });
    for (auto& c : m_changes)
        if (auto* cells = std::get_if<StepChange::CellBatch>(&c))
            cells->swaps.shrink_to_fit();
    m_changes.shrink_to_fit();
    m_swapsPerField.shrink_to_fit();
}

void Step::orderChanged(CellTable::Order before)
{
    m_changes.emplace_back(StepChange::OrderSwap{std::move(before)});
}

void Step::recordsRemoved(std::vector<std::pair<std::uint32_t, std::uint32_t>> entries)
{
    if (!entries.empty())
        m_changes.emplace_back(StepChange::Records{std::move(entries), false});
}

void Step::recordAppended(std::uint32_t position, std::uint32_t slot)
{
    // Appending many records (a second file) makes one change, not one each.
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it) {
        if (std::holds_alternative<StepChange::CellBatch>(*it))
            continue;
        auto* records = std::get_if<StepChange::Records>(&*it);
        if (records && records->present && records->entries.back().first + 1 == position) {
            records->entries.emplace_back(position, slot);
            return;
        }
        break;
    }
    m_changes.emplace_back(StepChange::Records{{{position, slot}}, true});
}

void Step::recordsRotated(std::uint32_t count) { m_changes.emplace_back(StepChange::Rotation{count, true}); }

void Step::fieldInserted(int at)
{
    endRun();
    m_changes.emplace_back(StepChange::Field{at, {}, {}, true});
}

void Step::fieldErasing(CellTable& table, int at)
{
    endRun();
    const auto f = static_cast<std::size_t>(at);
    m_changes.emplace_back(StepChange::Field{at, table.m_names[f], std::move(table.m_columns[f]), false});
}

void Step::fieldsSwapped(int a, int b)
{
    endRun();
    m_changes.emplace_back(StepChange::FieldSwap{a, b});
}

void Step::fieldRenaming(const CellTable& table, int field)
{
    m_changes.emplace_back(StepChange::Rename{field, table.m_names[static_cast<std::size_t>(field)]});
}

void Step::apply(StepChange::CellBatch& c, CellTable& table, bool forward)
{
    const auto swapOne = [&](StepChange::CellSwap& s) {
        Cell& live = table.m_columns[static_cast<std::size_t>(s.field)][s.slot];
        const Cell kept = s.cell;
        s.cell = live;
        live = kept;
    };
    if (forward)
        std::for_each(c.swaps.begin(), c.swaps.end(), swapOne);
    else
        std::for_each(c.swaps.rbegin(), c.swaps.rend(), swapOne);
}

namespace {

struct Toggle {
    CellTable& table;
    std::vector<CellTable::Column>& columns;
    std::vector<std::string>& names;
    CellTable::Order& rows;
    std::uint32_t slotCount;

    void operator()(StepChange::CellBatch&) const {}
    void operator()(StepChange::ColumnSwap& c) const
    {
        // Slots made after the column was kept are in no record of this state.
        c.cells.resize(slotCount, Cell{});
        columns[static_cast<std::size_t>(c.field)].swap(c.cells);
    }
    void operator()(StepChange::OrderSwap& c) const { rows.swap(c.order); }
    void operator()(StepChange::Records& c) const
    {
        if (c.present)
            removeAt(rows, c.entries);
        else
            insertAt(rows, c.entries);
        c.present = !c.present;
    }
    void operator()(StepChange::Rotation& c) const
    {
        if (c.applied)
            std::rotate(rows.begin(), rows.begin() + c.count, rows.end());
        else
            std::rotate(rows.begin(), rows.end() - c.count, rows.end());
        c.applied = !c.applied;
    }
    void operator()(StepChange::Field& c) const
    {
        const auto at = static_cast<std::ptrdiff_t>(c.at);
        if (c.present) {
            c.name = std::move(names[static_cast<std::size_t>(c.at)]);
            c.cells = std::move(columns[static_cast<std::size_t>(c.at)]);
            names.erase(names.begin() + at);
            columns.erase(columns.begin() + at);
        } else {
            c.cells.resize(slotCount, Cell{});
            names.insert(names.begin() + at, std::move(c.name));
            columns.insert(columns.begin() + at, std::move(c.cells));
            c.name.clear();
            c.cells = {};
        }
        c.present = !c.present;
    }
    void operator()(StepChange::FieldSwap& c) const { table.swapFields(c.a, c.b); }
    void operator()(StepChange::Rename& c) const { names[static_cast<std::size_t>(c.field)].swap(c.name); }
};

} // namespace

void Step::undo(CellTable& table)
{
    const Toggle toggle{table, table.m_columns, table.m_names, table.m_rows, table.m_slotCount};
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it) {
        if (auto* cells = std::get_if<StepChange::CellBatch>(&*it))
            apply(*cells, table, false);
        else
            std::visit(toggle, *it);
    }
}

void Step::redo(CellTable& table)
{
    const Toggle toggle{table, table.m_columns, table.m_names, table.m_rows, table.m_slotCount};
    for (auto& change : m_changes) {
        if (auto* cells = std::get_if<StepChange::CellBatch>(&change))
            apply(*cells, table, true);
        else
            std::visit(toggle, change);
    }
}
