#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "store/CellTable.h"
#include "store/Progress.h"

// Appends the lines of `count` records to `out`. Their values stand in
// `values` row after row, `width` to a record; `first` is the 0-based position
// of the first of them.
using FormatLines = std::function<void(std::string& out, const std::string_view* values, std::size_t width,
                                       std::size_t count, std::size_t first)>;

// Formats the table's records, in record order, and hands the text on in
// pieces that each end at a line end. False once `put` has failed.
bool writeRecords(const CellTable& table, const FormatLines& formatLines,
                  const std::function<bool(std::string_view)>& put, const ProgressCallback& progress);
