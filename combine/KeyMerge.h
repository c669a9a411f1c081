#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "combine/CombineFiles.h"
#include "store/history/StepOperation.h"

class CSVDBS;

// Merging a second file's columns by a key column rather than by position:
// each row of the open file takes the values of the second file's row whose
// key is the same, the way a database joins two tables.
namespace CombineFiles {

enum class JoinKind {
    KeepThisFile, // every row of the open file, matched or not
    OnlyBoth,     // only the rows of the open file that have a match
    EveryRow,     // also the second file's unmatched rows, at the end
};

struct KeyChoice {
    int openKey = 1;                  // 1-based field of the open file
    std::string secondKey;            // the second file's key column, by heading
    std::vector<std::string> columns; // the second file's columns to bring in, by heading
    JoinKind kind = JoinKind::KeepThisFile;
    bool looseKeys = false;  // keys compare ignoring case and the spaces round them
    bool everyMatch = false; // one row per match; else the first match only
    MergePlace where = MergePlace::Right;
};

// What a join would do, counted before anything changes.
struct KeyPlan {
    std::int64_t matched = 0;         // rows of the open file with a match
    std::int64_t unmatchedOpen = 0;   // rows of the open file without one
    std::int64_t unmatchedSecond = 0; // rows of the second file no row matches
    std::int64_t repeatedKeys = 0;    // keys that more than one row of the second file holds
    std::string firstRepeat;          // the first of them, in the second file's order
    std::int64_t firstRepeatRows = 0; // how many rows hold it
    std::int64_t rows = 0;            // the rows the open file would have after
};

// A choice that cannot run (a column that is not there), said for the user.
struct KeyMergeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An empty key matches nothing. Both throw KeyMergeError before anything
// changes. The merge is one step, "Merge File"; the new columns are named
// as merging by position names them.
KeyPlan planKeyMerge(const CSVDBS& open, const CSVDBS& second, const KeyChoice& choice);
KeyPlan mergeByKey(CSVDBS& open, const CSVDBS& second, const KeyChoice& choice);

StepOperation keyMergeOperation(const CSVDBS& second, const KeyChoice& choice);
// The kind a step's data names ("left", "inner", "full"); throws KeyMergeError.
JoinKind joinKindNamed(std::string_view name);

// "Matched 3 rows. Rows of this file without a match: 1. Rows of the other
// file without a match: 2."
std::string describe(const KeyPlan& plan);

} // namespace CombineFiles
