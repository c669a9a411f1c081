#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/ParallelParse.h"
#include "store/table/CellTable.h"
#include "store/table/HugeBuffer.h"

struct CsvReadOptions;
struct CsvReadResult;

// What both reading rules share, so that each mark, limit and reason is
// handled in one place: the UTF-8 byte-order mark before the text, the cut
// of the records into parts for the cores (each rule says where a record
// begins), the reasons a read fails, and the end of a read, where the table
// takes the file's bytes.
namespace readframe {

// The text after a UTF-8 byte-order mark, if the file begins with one.
struct Text {
    char* data;
    std::size_t size;
    bool byteOrderMark;
};
Text withoutMark(char* bytes, std::size_t size);

std::string tooManyFields();
std::string tooManyRecords(std::size_t maxRecords);
std::string noDataLine();
// "Line N" and what is wrong with it.
std::string atLine(std::int64_t line, const std::string& what);

// The records of [begin, end) cut into parts for the cores (one for a short
// text), each beginning where the rule says the first record at or after a
// point begins: `nextStart(p)`, or `end` where no record begins after p.
std::vector<parallel::TextRange> cutIntoParts(const char* begin, const char* end, std::size_t minPartBytes,
                                              const std::function<const char*(const char*)>& nextStart);

// What reading one part of the records found. Lines are counted from the
// part's first line.
struct PartFindings {
    std::size_t records = 0;
    enum class Fault { None, FewerValues, LoneQuote, Unclosed, TooManyRecords } fault = Fault::None;
    std::int64_t faultLine = 0;
    // Lines whose values beyond the field count were left out, and the first.
    std::int64_t ignoredLines = 0;
    std::int64_t firstIgnoredLine = 0;
};

// Adds a part's findings to `result`, its lines numbered after `linesBefore`:
// the lines left out are counted, and a fault becomes the reason the read
// fails (false). Parts are taken in the file's order.
bool takePart(const PartFindings& found, std::int64_t linesBefore, std::size_t maxRecords, CsvReadResult& result);

// Ends a read into `table`: a table with no record fails, unless headings
// suffice; otherwise it takes `bytes` (the whole file, `fileSize` bytes,
// mark included) and replaces `out`.
bool finish(CellTable& table, huge::Bytes bytes, std::size_t fileSize, const CsvReadOptions& options,
            CsvReadResult& result, CellTable& out);

} // namespace readframe
