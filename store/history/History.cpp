#include "store/history/History.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include <unistd.h>

#include "store/table/CellTable.h"

std::size_t History::defaultBudget()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    constexpr std::size_t OneGiB = std::size_t(1) << 30;
    if (pages <= 0 || pageSize <= 0)
        return OneGiB;
    return std::min(OneGiB, static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize) / 4);
}

void History::setBudget(std::size_t bytes)
{
    m_budget = bytes;
    trimToBudget();
}

bool History::open(std::string_view name, StepOperation operation)
{
    if (m_depth == 0)
        beforeChange();
    ++m_depth;
    if (m_depth > 1 || m_budget == 0)
        return false;
    nameFieldsOf(operation, m_table.names());
    m_open = std::make_unique<StepRecorder>(TextCodes::code(name), operation, m_table.slotCount());
    m_table.recordInto(m_open.get());
    // Values and slots the step refers to must stay where they are.
    m_table.holdSlots(true);
    return true;
}

bool History::close()
{
    if (m_depth == 0 || --m_depth > 0 || !m_open)
        return false;
    m_table.recordInto(nullptr);
    const std::unique_ptr<StepRecorder> recorder = std::move(m_open);
    const bool dropped = recorder->empty();
    if (!dropped) {
        // A new step ends every way forward that was undone; if the saved
        // state lay that way, it cannot be reached any more.
        while (m_steps.size() > m_done) {
            m_bytes -= m_steps.back().bytes();
            m_steps.pop_back();
        }
        if (m_saved > position())
            m_saved = std::numeric_limits<std::uint64_t>::max();
        m_steps.push_back(recorder->finish());
        m_bytes += m_steps.back().bytes();
        ++m_done;
        // Told before the budget may let the step go: the table has it even then.
        tell(Event::Done, &m_steps.back());
        trimToBudget();
    }
    holdSlots();
    return dropped;
}

bool History::abandon()
{
    assert(m_depth == 1);
    m_depth = 0;
    if (!m_open)
        return false;
    m_table.recordInto(nullptr);
    const std::unique_ptr<StepRecorder> recorder = std::move(m_open);
    if (!recorder->empty())
        recorder->finish().undo(m_table);
    holdSlots();
    return true;
}

std::int64_t History::openValuesChanged() const { return m_open ? m_open->valuesChanged() : 0; }

void History::trimToBudget()
{
    // The way forward goes first, from its far end: a redo must never skip
    // the step before it, and the way back is what a user counts on.
    while (m_steps.size() > m_done && m_bytes > m_budget) {
        m_bytes -= m_steps.back().bytes();
        m_steps.pop_back();
    }
    if (m_saved != std::numeric_limits<std::uint64_t>::max() && m_saved > m_first + m_steps.size())
        m_saved = std::numeric_limits<std::uint64_t>::max();
    // Older steps cannot be undone without the newer ones, so a step too
    // big for the whole budget takes every step with it.
    while (!m_steps.empty() && m_bytes > m_budget) {
        assert(m_done > 0);
        m_bytes -= m_steps.front().bytes();
        m_steps.pop_front();
        ++m_first;
        --m_done;
    }
    holdSlots();
}

void History::holdSlots() { m_table.holdSlots(!m_steps.empty() || m_open); }

bool History::undo()
{
    if (!canUndo())
        return false;
    beforeChange();
    assert(!m_open);
    Step& step = m_steps[m_done - 1];
    const std::size_t before = step.bytes();
    step.undo(m_table);
    m_bytes = m_bytes - before + step.bytes();
    --m_done;
    tell(Event::Undone, &step);
    // Undoing may make a step hold more (what it removed comes back to the
    // table, what it added is kept for the redo).
    trimToBudget();
    return true;
}

bool History::redo()
{
    if (!canRedo())
        return false;
    beforeChange();
    Step& step = m_steps[m_done];
    const std::size_t before = step.bytes();
    step.redo(m_table);
    m_bytes = m_bytes - before + step.bytes();
    ++m_done;
    tell(Event::Redone, &step);
    trimToBudget();
    return true;
}

void History::clear()
{
    m_steps.clear();
    m_first = m_saved = 0;
    m_done = 0;
    m_bytes = 0;
    holdSlots();
    tell(Event::Cleared, nullptr);
}
