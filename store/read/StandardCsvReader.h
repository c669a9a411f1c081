#pragma once

#include <cstddef>
#include <memory>

#include "store/table/CellTable.h"
#include "store/read/CsvReader.h"
#include "store/Progress.h"

// Reads CSV as spreadsheet programs write it. A value that begins with a
// double quote runs to its closing quote: inside it the separator, CR, LF and
// CR LF are data, and two double quotes stand for one. Outside quotes CR LF,
// CR and LF all end a record. Nothing is trimmed; a quote inside an unquoted
// value is kept as it stands. Empty lines are skipped, and so are lines of
// spaces, except below the first record of a file of one field, where such
// a line is a value.
// A record with fewer values than fields fails, as does a quoted value that
// never closes; values beyond the field count are left out and counted.
//
// Takes ownership of `bytes`; quoted values are unescaped in place and the
// cells of `out` point into the buffer.
CsvReadResult readStandardCsv(huge::Bytes bytes, std::size_t size,
                              const CsvReadOptions& options, CellTable& out,
                              const ProgressCallback& progress);
