#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/table/CellTable.h"
#include "store/table/HugeBuffer.h"
#include "store/Progress.h"

// Reads the CSV text format into a fresh table.
//
// A line ends at CR LF or a lone CR; a lone LF stays in the line, except in a
// file that holds no CR at all, or on request, where LF ends a line. Lines are trimmed of
// spaces and blank ones skipped anywhere. A line splits at every occurrence of
// the separator (not aware of quotes); each piece is trimmed of spaces and
// loses one pair of enclosing double quotes. The first line names the fields
// when `headerLine` is set, otherwise the fields are "Field 1", "Field 2", ...
struct CsvReadOptions {
    std::string separator = ",";
    bool headerLine = true;
    // A heading line with no data line under it reads as zero records instead
    // of failing.
    bool headingsSuffice = false;
    // More data lines than this fail the load (the caller numbers records
    // with a narrower type).
    std::size_t maxRecords = static_cast<std::size_t>(-1);
    // A lone LF ends a line in a file that holds CRs too (as a line added by
    // a tool that writes LF alone needs).
    bool loneLineFeedEnds = false;
    // A record with fewer values than fields reads with the missing values
    // empty, rather than failing the read.
    bool fillShortLines = false;
    // The fewest bytes of records worth a core of their own.
    std::size_t minPartBytes = std::size_t{4} << 20;
    // How often the progress callback may be called.
    std::chrono::milliseconds progressInterval{50};
};

struct CsvReadResult {
    bool ok = false;
    bool byteOrderMark = false;
    std::string error;
    // The load failed because a record had fewer values than there are fields.
    bool tooFewValues = false;
    // Lines whose values beyond the field count were left out, and the first.
    std::int64_t ignoredLines = 0;
    std::int64_t firstIgnoredLine = 0;
    // Lines with fewer values than fields, and the first: filled out with
    // empty values, or, without fillShortLines, the reason the read failed
    // (then counted as far as the records could be read).
    std::int64_t shortLines = 0;
    std::int64_t firstShortLine = 0;
    // Every line of the file ended in LF alone.
    bool lfLineEnds = false;
    // In a file whose lines end at CR, the lines that end in LF alone, which
    // the rule reads into a value; an LF inside a quoted value is not
    // counted. Lines are numbered as an editor shows them, every CR LF, CR
    // and LF ending one. Filled in before any fault in the records.
    std::int64_t loneLineFeeds = 0;
    std::vector<std::int64_t> firstLoneLineFeeds; // the first three at most
};

// Takes ownership of `bytes`; cells of `out` point into it.
CsvReadResult readCsv(huge::Bytes bytes, std::size_t size,
                      const CsvReadOptions& options, CellTable& out,
                      const ProgressCallback& progress);

// Reads a whole regular file into memory.
bool readWholeFile(const std::string& path, huge::Bytes& bytes, std::size_t& size,
                   std::string& error);
