#pragma once

#include <cstdint>

class CSVDBS;

// The quick fixes a column profile offers, each one undoable step on one
// column ("field", 1-based) whose operation data names the column, so that a
// recipe runs it again on next month's file. Each returns how many values it
// changed; a step that changes none is not kept. A field out of range throws
// StoreError.
namespace columnfixes {

// "Trim Spaces", operation TrimSpaces: spaces off both ends.
std::int64_t trimSpaces(CSVDBS& store, int field);
// "Collapse Inner Spaces", CollapseSpaces: each run of spaces inside as one.
std::int64_t collapseSpaces(CSVDBS& store, int field);
// "Remove Characters That Don't Print", RemoveUnprintable.
std::int64_t removeUnprintable(CSVDBS& store, int field);
// "Make Case Consistent", ConsistentCase: values that differ only in case
// take the spelling most of them have; among equals, the first in text
// order (by bytes).
std::int64_t consistentCase(CSVDBS& store, int field);

} // namespace columnfixes
