#pragma once

#include <string_view>

#include "store/CellTable.h"
#include "store/LineBlock.h"
#include "store/Progress.h"

// Formats the table's records, in record order, as lines: values joined by
// `separator`, each in double quotes when `quoted`, every line ending in CR LF.
// False once the block's sink has failed.
bool writeRecords(const CellTable& table, LineBlock& out, std::string_view separator, bool quoted,
                  const ProgressCallback& progress);

// One line of `values`, formatted the same way.
bool writeLine(LineBlock& out, const std::string_view* values, int count, std::string_view separator,
               bool quoted);
