#include "store/history/Step.h"

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
        return c.kept ? sizeof(CellTable::FieldCells) + heapBytes(c.kept->name) + heapBytes(c.kept->cells) : 0;
    }
    std::size_t operator()(const StepChange::FieldSwap&) const { return 0; }
    std::size_t operator()(const StepChange::Rename& c) const { return sizeof(std::string) + heapBytes(*c.name); }
};

// Undo and redo are the same exchanges, run last to first or first to last.
struct Toggle {
    CellTable& table;
    bool forward;

    void operator()(StepChange::OneCell& c) const { table.exchangeCell(c.swap.slot, c.swap.field, c.swap.cell); }
    void operator()(StepChange::CellBatch& c) const
    {
        // Undone last first, so that a cell changed twice gets its first value back.
        if (forward)
            std::for_each(c.swaps.get(), c.swaps.get() + c.count,
                          [&](auto& s) { table.exchangeCell(s.slot, s.field, s.cell); });
        else
            for (std::uint32_t i = c.count; i-- > 0;)
                table.exchangeCell(c.swaps[i].slot, c.swaps[i].field, c.swaps[i].cell);
    }
    void operator()(StepChange::ColumnSwap& c) const { table.exchangeColumn(c.field, *c.cells); }
    void operator()(StepChange::OrderSwap& c) const { table.exchangeOrder(*c.order); }
    void operator()(StepChange::Records& c) const
    {
        if (c.present)
            table.takeOutOfOrder(*c.entries);
        else
            table.putBackInOrder(*c.entries);
        c.present = !c.present;
    }
    void operator()(StepChange::Rotation& c) const
    {
        if (c.applied)
            table.rotateBack(c.count);
        else
            table.rotateToFront(c.count);
        c.applied = !c.applied;
    }
    void operator()(StepChange::Field& c) const
    {
        if (c.present) {
            c.kept = std::make_unique<CellTable::FieldCells>(table.takeField(c.at));
        } else {
            table.putField(c.at, std::move(*c.kept));
            c.kept.reset();
        }
        c.present = !c.present;
    }
    void operator()(StepChange::FieldSwap& c) const { table.swapFields(c.a, c.b); }
    void operator()(StepChange::Rename& c) const { table.exchangeName(c.field, *c.name); }
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

// The exchanges of undo and redo pass by the marks of lines kept as read.
// Every cell they write was changed through the table's change operations
// once, so its mark is clear already; the marks are still dropped here rather
// than vouched for.
void Step::undo(CellTable& table)
{
    table.forgetReadLines();
    const Toggle toggle{table, false};
    for (std::uint32_t i = m_changeCount; i-- > 0;)
        std::visit(toggle, m_changes[i]);
}

void Step::redo(CellTable& table)
{
    table.forgetReadLines();
    const Toggle toggle{table, true};
    for (std::uint32_t i = 0; i < m_changeCount; ++i)
        std::visit(toggle, m_changes[i]);
}
