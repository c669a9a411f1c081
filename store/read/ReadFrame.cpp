#include "store/read/ReadFrame.h"

#include <cstring>

#include "store/read/CsvReader.h"

namespace readframe {

Text withoutMark(char* bytes, std::size_t size)
{
    if (size >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0)
        return {bytes + 3, size - 3, true};
    return {bytes, size, false};
}

std::string tooManyFields() { return "The file has more than " + std::to_string(MaxFieldCount) + " fields."; }

std::string tooManyRecords(std::size_t maxRecords)
{
    return "The file has more than " + std::to_string(maxRecords) + " records.";
}

std::string noDataLine() { return "The file holds no data line."; }

std::string atLine(std::int64_t line, const std::string& what) { return "Line " + std::to_string(line) + what; }

std::vector<parallel::TextRange> cutIntoParts(const char* begin, const char* end, std::size_t minPartBytes,
                                              const std::function<const char*(const char*)>& nextStart)
{
    return parallel::cutAt(begin, end, parallel::partsFor(static_cast<std::size_t>(end - begin), minPartBytes),
                           nextStart);
}

bool finish(CellTable& table, huge::Bytes bytes, std::size_t fileSize, const CsvReadOptions& options,
            CsvReadResult& result, CellTable& out)
{
    if (table.recordCount() == 0 && !(options.headingsSuffice && table.fieldCount() > 0)) {
        result.error = noDataLine();
        return false;
    }
    table.adoptBuffer(std::move(bytes), fileSize);
    out.swap(table);
    result.ok = true;
    return true;
}

} // namespace readframe
