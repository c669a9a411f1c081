#pragma once

#include <cstdint>

class CSVDBS;

// The quick fixes a column profile offers, each one undoable step on one
// column whose operation data is the column: run again, they fix next
// month's file the same way. Each returns how many values it changed.
namespace columnfixes {

std::int64_t trimSpaces(CSVDBS& store, int field);
std::int64_t collapseSpaces(CSVDBS& store, int field);
std::int64_t removeUnprintable(CSVDBS& store, int field);
// Values that differ only in case take the spelling most of them have
// (the first in text order among equals).
std::int64_t consistentCase(CSVDBS& store, int field);

// Makes the fixes known to the replay of steps.
void addFixOperations();

} // namespace columnfixes
