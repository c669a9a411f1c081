#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/CSVDBS.h"

// Blocks of cells written or emptied at once, as a paste or the Delete key
// does them, each one step of the store.
namespace cellblocks {

struct Pasted {
    int cells = 0;
    int rows = 0;
    int columns = 0;
    bool clipped = false; // some of the text fell beyond the last record or field
};

// Writes tab-separated text, a line a record, into the cells from (record,
// field) on; a line break that ends the text starts no further record, and a
// CR before a line break is dropped.
Pasted paste(CSVDBS& store, CSVDBS::RecordNo record, int field, std::string_view text);
// The same into the records `records` (rising), a line each, as a filtered
// grid shows them: records it does not list are left alone.
Pasted paste(CSVDBS& store, const std::vector<CSVDBS::RecordNo>& records, int field, std::string_view text);

// Rectangles of cells as "3-7:2-4", records and then fields, a ";" between
// rectangles.
std::string rectangle(CSVDBS::RecordNo top, CSVDBS::RecordNo bottom, int left, int right);

// Empties the cells of `rectangles`, as one step named `stepName`. Returns
// how many held a value. Throws StoreError on a rectangle the file does not
// hold.
std::int64_t clear(CSVDBS& store, std::string_view rectangles, const char* stepName);

} // namespace cellblocks
