#pragma once

#include "store/table/CellTable.h"
#include "store/Progress.h"

// Sorts the record order by the values of one column, stably: values compare
// by their bytes (for UTF-8, by code point), an empty value first, and records
// with equal values keep their order in both directions. Returns whether any
// record moved.
//
// Most comparisons look at a key of eight bytes only: the seven bytes after
// the prefix that every value of the column shares, and how many bytes follow
// it. The values themselves are read only when two keys are equal and both
// values are longer than the key shows. Equal values are ordered by their
// position, so the key is a total order and the two halves of the work can be
// sorted on two cores without a merge.
bool prefixSort(CellTable::Order& order, const Cell* column, bool descending, const ProgressCallback& progress);
