#pragma once

#include <cstdint>
#include <vector>

#include "store/sort/SortKey.h"
#include "store/table/CellTable.h"

namespace keysort {

using Ranks = std::vector<std::uint32_t, huge::Allocator<std::uint32_t>>;

// Where one key puts each record, by the record's place in `order`: records
// of equal rank are equal under the key, and a lower rank sorts first. Each
// value is read once, into a form whose bytes or bits sort as the key says;
// the comparisons read nothing else.
//
// Empty values rank last in either direction. Under Number and Date, values
// that are not one rank after those that are, among themselves in text
// order ignoring case; descending reverses only the values that are. Under
// the text comparisons descending reverses every value that is not empty.
//
// `column` is the key's field, indexed by slot. Returns the number of ranks
// used (one past the highest).
std::uint32_t keyRanks(const Cell* column, const CellTable::Order& order, const SortKey& key, Ranks& ranks);

} // namespace keysort
