#include "store/journal/JournalReplay.h"

#include <exception>
#include <limits>

#include "store/CSVDBS.h"
#include "store/Replay.h"

namespace journal {

bool loadBase(CSVDBS& store, const Contents& contents)
{
    store.FileName(contents.base.file.path);
    contents.base.choices.applyTo(store);
    return store.LoadFile();
}

Replayed replay(CSVDBS& store, const Contents& contents)
{
    Replayed out;
    // Every step is kept while the journal runs, so that each undo finds the
    // step the live store undid, whatever its budget let go since.
    const std::size_t budget = store.StepHistory().budget();
    store.HistoryBudget(std::numeric_limits<std::size_t>::max());
    for (const Entry& entry : contents.entries) {
        try {
            if (entry.kind == Kind::Undo) {
                if (!store.Undo())
                    throw replay::ReplayError("There was no step to undo.");
            } else {
                replay::run(store, entry.operation, replay::Columns::ByPosition);
            }
        } catch (const std::exception& e) {
            out.failedAt = out.steps + 1;
            out.error = e.what();
            break;
        }
        ++out.steps;
    }
    store.HistoryBudget(budget);
    return out;
}

} // namespace journal
