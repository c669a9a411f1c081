#pragma once

#include <exception>
#include <string>
#include <type_traits>
#include <utility>

#include "store/CSVDBS.h"
#include "store/Progress.h"

// Everything a store does while the outermost scope is alive becomes one
// undoable step, named for the Edit menu ("Split Columns"), with the
// operation as data. One OK of a tool is one step however many store calls
// it makes; a scope inside another joins the outer step.
class StepScope {
public:
    StepScope(CSVDBS& store, std::string name, StepOperation operation = {})
        : m_store(store)
    {
        store.rowScope().describeIn(operation);
        m_opened = store.m_history.open(std::move(name), std::move(operation));
    }
    // For the store's own operations: `describe()` gives the operation, and
    // runs only when this scope opens the step, so a call inside a tool's
    // loop costs no text.
    template <typename Describe>
        requires std::is_invocable_r_v<StepOperation, Describe>
    StepScope(CSVDBS& store, const char* name, Describe describe)
        : m_store(store)
    {
        if (store.m_history.wouldOpen()) {
            StepOperation operation = describe();
            store.rowScope().describeIn(operation);
            m_opened = store.m_history.open(name, std::move(operation));
        }
        else
            store.m_history.join();
    }
    ~StepScope()
    {
        if (m_abandoned)
            return;
        // Work the user cancelled leaves nothing behind: the step this scope
        // opened is taken back, not kept half done.
        if (m_opened && std::uncaught_exceptions() > m_uncaught && WorkCancelled::inFlight() > 0)
            abandon();
        else
            m_store.m_history.close();
    }
    // Takes back everything the step did, leaving nothing to undo or redo;
    // only for the outermost scope. False when the history keeps nothing, so
    // the changes stay.
    bool abandon()
    {
        m_abandoned = true;
        const bool undone = m_store.m_history.abandon();
        m_store.afterHistoryMove();
        return undone;
    }
    // Whether this scope's step is the one open (not joined to an outer one).
    bool opened() const { return m_opened; }
    StepScope(const StepScope&) = delete;
    StepScope& operator=(const StepScope&) = delete;

private:
    CSVDBS& m_store;
    bool m_opened = false;
    bool m_abandoned = false;
    int m_uncaught = std::uncaught_exceptions();
};
