#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CSVDBS;

// "Cluster and Edit": the values of one column that a user merged, old to
// new, as one undoable step whose data is that list, so that the same merge
// runs again on next month's file.
namespace cluster {

struct Edit {
    std::string from, to;
};

// The list as one parameter: each value as its length in bytes, a colon and
// its bytes, old and new in turn ("3:Ann4:Anna"), so that any bytes at all,
// separators and line breaks included, come back as they were.
std::string encodeEdits(const std::vector<Edit>& edits);
// Throws std::invalid_argument for a text encodeEdits did not write.
std::vector<Edit> decodeEdits(std::string_view text);

// Gives every record whose value in `field` (1-based) is an edit's `from`
// that edit's `to`, in one step; a `to` the column already holds merges the
// two. Each value is looked up once, as it stood before the step: "a" to "b"
// and "b" to "c" leave no "a" as "c". The first edit of an old value counts.
// Returns how many values changed.
std::int64_t mergeValues(CSVDBS& store, int field, const std::vector<Edit>& edits);

} // namespace cluster
