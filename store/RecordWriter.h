#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/CellTable.h"
#include "store/Progress.h"

// Formats the table's records, in record order, and hands the text on in
// pieces that each end at a line end. `formatLine` appends one record's line.
// False once `put` has failed.
using FormatLine = std::function<void(std::string& out, const std::vector<std::string_view>& values)>;
bool writeRecords(const CellTable& table, const FormatLine& formatLine,
                  const std::function<bool(std::string_view)>& put, const ProgressCallback& progress);
