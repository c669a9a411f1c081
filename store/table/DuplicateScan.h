#pragma once

#include <cstdint>
#include <vector>

#include "store/table/CellTable.h"
#include "store/Progress.h"

// Which records are the first of their group: flag r is 1 unless record r's
// values in `fields` (0-based) equal, byte for byte, those of an earlier
// record. Each record's values are hashed where they lie; no key text is
// built. With two cores, each takes the records of one half of the hash
// range, so that both scan in record order and "earlier" still holds.
std::vector<std::uint8_t> firstOfEachGroup(const CellTable& table, const std::vector<int>& fields,
                                           const ProgressCallback& progress);
