#include "store/Step.h"

#include <algorithm>

// A cell edit's step is mostly its one change: the cell swap held in place
// and which kind of change it is.
static_assert(sizeof(Change) <= sizeof(StepChange::CellSwap) + 14);

namespace {

template <typename T, typename A>
std::size_t heapBytes(const std::vector<T, A>& v)
{
    return v.capacity() * sizeof(T);
}

std::size_t heapBytes(const std::string& s) { return s.capacity() > 15 ? s.capacity() + 1 : 0; }

// What one change owns beyond its place in the step's list.
struct OwnedBytes {
    std::size_t operator()(const StepChange::OneCell&) const { return 0; }
    std::size_t operator()(const StepChange::CellBatch& c) const { return c.count * sizeof(StepChange::CellSwap); }
    std::size_t operator()(const StepChange::ColumnSwap& c) const
    {
        return sizeof(CellTable::Column) + heapBytes(*c.cells);
    }
    std::size_t operator()(const StepChange::OrderSwap& c) const
    {
        return sizeof(CellTable::Order) + heapBytes(*c.order);
    }
    std::size_t operator()(const StepChange::Records& c) const
    {
        return sizeof(*c.entries) + heapBytes(*c.entries);
    }
    std::size_t operator()(const StepChange::Rotation&) const { return 0; }
    std::size_t operator()(const StepChange::Field& c) const
    {
        return c.kept ? sizeof(StepChange::Field::Kept) + heapBytes(c.kept->name) + heapBytes(c.kept->cells) : 0;
    }
    std::size_t operator()(const StepChange::FieldSwap&) const { return 0; }
    std::size_t operator()(const StepChange::Rename& c) const { return sizeof(std::string) + heapBytes(*c.name); }
};

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

void swapCell(StepChange::CellSwap& s, std::vector<CellTable::Column>& columns)
{
    Cell& live = columns[static_cast<std::size_t>(s.field)][s.slot];
    const Cell kept = s.cell;
    s.cell = live;
    live = kept;
}

struct Toggle {
    CellTable& table;
    std::vector<CellTable::Column>& columns;
    std::vector<std::string>& names;
    CellTable::Order& rows;
    std::uint32_t slotCount;
    bool forward;

    void operator()(StepChange::OneCell& c) const { swapCell(c.swap, columns); }
    void operator()(StepChange::CellBatch& c) const
    {
        // Undone last first, so that a cell changed twice gets its first value back.
        if (forward)
            std::for_each(c.swaps.get(), c.swaps.get() + c.count, [&](auto& s) { swapCell(s, columns); });
        else
            for (std::uint32_t i = c.count; i-- > 0;)
                swapCell(c.swaps[i], columns);
    }
    void operator()(StepChange::ColumnSwap& c) const
    {
        // Slots made after the column was kept are in no record of this state.
        c.cells->resize(slotCount, Cell{});
        columns[static_cast<std::size_t>(c.field)].swap(*c.cells);
    }
    void operator()(StepChange::OrderSwap& c) const { rows.swap(*c.order); }
    void operator()(StepChange::Records& c) const
    {
        if (c.present)
            removeAt(rows, *c.entries);
        else
            insertAt(rows, *c.entries);
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
            c.kept = std::make_unique<StepChange::Field::Kept>(
                StepChange::Field::Kept{std::move(names[static_cast<std::size_t>(c.at)]),
                                        std::move(columns[static_cast<std::size_t>(c.at)])});
            names.erase(names.begin() + at);
            columns.erase(columns.begin() + at);
        } else {
            c.kept->cells.resize(slotCount, Cell{});
            names.insert(names.begin() + at, std::move(c.kept->name));
            columns.insert(columns.begin() + at, std::move(c.kept->cells));
            c.kept.reset();
        }
        c.present = !c.present;
    }
    void operator()(StepChange::FieldSwap& c) const { table.swapFields(c.a, c.b); }
    void operator()(StepChange::Rename& c) const { names[static_cast<std::size_t>(c.field)].swap(*c.name); }
};

} // namespace

Step::Step(TextCodes::Code name, TextCodes::Code operation, PackedParameters parameters, std::vector<Change> changes,
           std::int64_t valuesChanged)
    : m_name(name),
      m_operation(operation),
      m_changeCount(static_cast<std::uint32_t>(changes.size())),
      m_valuesChanged(valuesChanged),
      m_parameters(std::move(parameters)),
      m_changes(changes.empty() ? nullptr : std::make_unique<Change[]>(changes.size()))
{
    std::move(changes.begin(), changes.end(), m_changes.get());
}

std::size_t Step::bytes() const
{
    std::size_t total = sizeof(Step) + m_parameters.bytes() + m_changeCount * sizeof(Change);
    for (std::uint32_t i = 0; i < m_changeCount; ++i)
        total += std::visit(OwnedBytes{}, m_changes[i]);
    return total;
}

// Undo and redo write cells and fields directly, past the table's setters
// that clear the marks of lines kept as read. Every cell they write was
// changed through those setters once, so its mark is clear already; the
// marks are still dropped here rather than vouched for.
void Step::undo(CellTable& table)
{
    table.forgetReadLines();
    const Toggle toggle{table, table.m_columns, table.m_names, table.m_rows, table.m_slotCount, false};
    for (std::uint32_t i = m_changeCount; i-- > 0;)
        std::visit(toggle, m_changes[i]);
}

void Step::redo(CellTable& table)
{
    table.forgetReadLines();
    const Toggle toggle{table, table.m_columns, table.m_names, table.m_rows, table.m_slotCount, true};
    for (std::uint32_t i = 0; i < m_changeCount; ++i)
        std::visit(toggle, m_changes[i]);
}
