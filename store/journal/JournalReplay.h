#pragma once

#include <cstddef>
#include <string>

#include "store/journal/JournalFormat.h"

class CSVDBS;

namespace journal {

// How far a journal's steps ran again.
struct Replayed {
    std::size_t steps = 0; // entries run, undos among them
    std::size_t failedAt = 0; // 1-based entry that could not run, or 0
    std::string error;
};

// Loads the file `contents` names into `store`, read as it was then; false
// with the store's reason when it does not load.
bool loadBase(CSVDBS& store, const Contents& contents);
// Runs the entries again, in order, on a store that holds the file as loaded;
// stops at the first that cannot run.
Replayed replay(CSVDBS& store, const Contents& contents);

} // namespace journal
