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
// What follows "Line N" for a record with fewer values than fields.
inline constexpr const char* FewerValues = " has fewer values than there are fields.";
// "Line N" and what is wrong with it.
std::string atLine(std::int64_t line, const std::string& what);

// The records of [begin, end) cut into parts for the cores (one for a short
// text), each beginning where the rule says the first record at or after a
// point begins: `nextStart(p)`, or `end` where no record begins after p.
std::vector<parallel::TextRange> cutIntoParts(const char* begin, const char* end, std::size_t minPartBytes,
                                              const std::function<const char*(const char*)>& nextStart);

// Ends a read into `table`: a table with no record fails, unless headings
// suffice; otherwise it takes `bytes` (the whole file, `fileSize` bytes,
// mark included) and replaces `out`.
bool finish(CellTable& table, huge::Bytes bytes, std::size_t fileSize, const CsvReadOptions& options,
            CsvReadResult& result, CellTable& out);

} // namespace readframe

// Why a file of too many fields fails, under either rule.
inline std::string tooManyFieldsReason() { return readframe::tooManyFields(); }
