#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "store/table/CellTable.h"
#include "store/Progress.h"

// Appends the lines of `count` records to `out`. Their values stand in
// `values` row after row, `width` to a record; `first` is the 0-based position
// of the first of them. A record marked in `whole` (when given) is a line kept
// as read: its first value holds the line's whole text, separators included,
// and the others are not set.
using FormatLines = std::function<void(std::string& out, const std::string_view* values, std::size_t width,
                                       std::size_t count, std::size_t first, const std::uint8_t* whole)>;

// Formats the table's records, in record order, and hands the text on in
// pieces that each end at a line end. With `wholeLines`, lines kept as read
// are handed to `formatLines` whole; only for a formatter that writes values
// as they stand, joined by the separator they were read with. False once
// `put` has failed.
bool writeRecords(const CellTable& table, const FormatLines& formatLines, bool wholeLines,
                  const std::function<bool(std::string_view)>& put, const ProgressCallback& progress);
