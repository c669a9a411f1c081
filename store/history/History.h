#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "store/history/Step.h"
#include "store/history/StepRecorder.h"

class CellTable;

// The undo history of one table: the steps done and undone, bounded by a
// memory budget (the oldest steps go first), and the position the file on
// disk matches, so that undoing back to it means nothing is unsaved.
class History {
public:
    explicit History(CellTable& table) : m_table(table) {}

    // A quarter of physical memory, at most 1 GiB.
    static std::size_t defaultBudget();
    // Zero records nothing at all.
    void setBudget(std::size_t bytes);
    std::size_t budget() const { return m_budget; }
    // Bytes the kept steps hold.
    std::size_t bytes() const { return m_bytes; }

    // --- recording ------------------------------------------------------------
    // Opens a step unless one is open; true when this call opened it.
    bool open(std::string_view name, StepOperation operation);
    bool isOpen() const { return m_open != nullptr; }
    // Joins the open step, or records nothing; close() ends it as after open().
    void join()
    {
        if (m_depth == 0)
            beforeChange();
        ++m_depth;
    }
    // Whether the next open() would start a step (none open, budget above zero).
    bool wouldOpen() const { return m_depth == 0 && m_budget > 0; }
    // Closes the step the matching open() opened; a step that changed nothing
    // is dropped, any other becomes the one to undo next. True when the call
    // closed a step and dropped it.
    bool close();
    // Ends the open step as close() would, but takes back every change it
    // made and keeps nothing of it, so it can be neither undone nor redone.
    // Only for the call that opened the step; false when nothing was recorded
    // (no budget), so the changes could not be taken back.
    bool abandon();
    // Values the open step has changed so far.
    std::int64_t openValuesChanged() const;

    // --- moving through the history -------------------------------------------
    bool canUndo() const { return !m_open && m_done > 0; }
    bool canRedo() const { return !m_open && m_done < m_steps.size(); }
    std::string undoName() const { return canUndo() ? m_steps[m_done - 1].name() : std::string(); }
    std::string redoName() const { return canRedo() ? m_steps[m_done].name() : std::string(); }
    bool undo();
    bool redo();
    // The last step done, or nullptr.
    const Step* lastDone() const { return m_done > 0 ? &m_steps[m_done - 1] : nullptr; }
    std::size_t stepCount() const { return m_steps.size(); }
    // The steps done, oldest first, up to the present point of undo.
    std::size_t doneCount() const { return m_done; }
    const Step& doneStep(std::size_t index) const { return m_steps[index]; }
    // Steps done before the oldest one kept (the budget let them go).
    std::uint64_t forgottenCount() const { return m_first; }

    // Forgets every step: the table now matches its file.
    void clear();
    // The table now matches its file.
    void markSaved()
    {
        m_saved = position();
        tell(Event::Saved, nullptr);
    }
    bool atSaved() const { return m_saved == position(); }

    // Counts every step ever done, so a caller can tell that a new one was.
    std::uint64_t position() const { return m_first + m_done; }

    // Told of each step as it is kept, undone or redone (the step), and when
    // the table comes to match its file (no step): what a crash journal
    // follows. One observer at most; it runs inside the call, so it must be
    // quick.
    enum class Event { Done, Undone, Redone, Cleared, Saved };
    using Observer = std::function<void(Event, const Step*)>;
    void setObserver(Observer observer) { m_observer = std::move(observer); }
    // Called before the table changes: a step opens, an undo or a redo
    // begins. A reader on another thread (a column profile) stops here.
    void setBeforeChange(std::function<void()> call) { m_beforeChange = std::move(call); }
    void beforeChange() const
    {
        if (m_beforeChange)
            m_beforeChange();
    }

private:
    void tell(Event event, const Step* step)
    {
        if (m_observer)
            m_observer(event, step);
    }
    void trimToBudget();
    void holdSlots();

    CellTable& m_table;
    std::deque<Step> m_steps;
    std::size_t m_done = 0;
    // The absolute number of the first kept step, and of the saved position;
    // a saved position that was trimmed or undone away is never reached again.
    std::uint64_t m_first = 0;
    std::uint64_t m_saved = 0;
    std::size_t m_bytes = 0;
    std::size_t m_budget = defaultBudget();
    std::unique_ptr<StepRecorder> m_open;
    int m_depth = 0;
    Observer m_observer;
    std::function<void()> m_beforeChange;
};
