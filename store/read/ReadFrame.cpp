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

bool takePart(const PartFindings& found, std::int64_t linesBefore, std::size_t maxRecords, CsvReadResult& result)
{
    if (found.ignoredLines > 0 && result.ignoredLines == 0)
        result.firstIgnoredLine = linesBefore + found.firstIgnoredLine;
    result.ignoredLines += found.ignoredLines;
    const std::int64_t line = linesBefore + found.faultLine;
    switch (found.fault) {
    case PartFindings::Fault::None:
        return true;
    case PartFindings::Fault::FewerValues:
        result.error = atLine(line, " has fewer values than there are fields.");
        result.tooFewValues = true;
        return false;
    case PartFindings::Fault::LoneQuote:
        result.error = atLine(line, " holds a lone double quote.");
        return false;
    case PartFindings::Fault::Unclosed:
        result.error = atLine(line, " opens a quoted value that is never closed.");
        return false;
    case PartFindings::Fault::TooManyRecords:
        break;
    }
    result.error = tooManyRecords(maxRecords);
    return false;
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
