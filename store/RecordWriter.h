#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/CellTable.h"
#include "store/Progress.h"

// Formats the table's records, in record order, and hands the text on in
// pieces that each end at a line end. `formatLine` appends the line of the
// record at the given 0-based position.
// False once `put` has failed.
using FormatLine =
    std::function<void(std::string& out, const std::vector<std::string_view>& values, std::size_t record)>;
bool writeRecords(const CellTable& table, const FormatLine& formatLine,
                  const std::function<bool(std::string_view)>& put, const ProgressCallback& progress);
