#pragma once

#include <vector>

#include "store/history/StepOperation.h"
#include "store/sort/SortKey.h"

class CSVDBS;
namespace replay {
class Parameters;
}

// Sorts the records of a store by several keys at once, each with its own
// direction and comparison (SortKey): records equal under the first key go
// by the second, and so on; records equal under all keep their order. One
// undoable step, "Sort", whose operation (SortByKeys) names every key, so
// that it replays on another file with its columns found by heading.
class KeySort {
public:
    // Returns whether any record moved. A key's field out of range throws
    // StoreError before anything changes; no keys sort nothing.
    static bool sortByKeys(CSVDBS& store, const std::vector<keysort::SortKey>& keys);

    // The operation data of a sort by `keys`: "fields" by position, and per
    // key "directions" (1 ascending, 2 descending), "comparisons",
    // "decimalMarks" and "dateOrders", each a comma-separated list.
    static StepOperation operationOf(const std::vector<keysort::SortKey>& keys);
    // The keys that data names, on `store`; throws replay::ReplayError.
    static std::vector<keysort::SortKey> keysOf(const CSVDBS& store, const replay::Parameters& parameters);
};
