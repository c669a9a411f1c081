#include "store/read/SeparatorGuess.h"

#include <fstream>
#include <memory>
#include <vector>

#include "store/read/TextEncoding.h"

namespace {

constexpr int SampleLines = 200;

// The records of the sample: lines, joined where a quoted value runs on.
std::vector<std::string_view> sampleRecords(std::string_view text, bool standardQuoting)
{
    std::vector<std::string_view> records;
    std::size_t start = 0;
    bool inQuotes = false;
    for (std::size_t i = 0; i <= text.size() && records.size() < SampleLines; ++i) {
        const bool atEnd = i == text.size();
        const char c = atEnd ? '\n' : text[i];
        if (standardQuoting && c == '"') {
            inQuotes = !inQuotes;
            continue;
        }
        if ((c != '\r' && c != '\n') || (inQuotes && !atEnd))
            continue;
        const std::string_view line = text.substr(start, i - start);
        if (line.find_first_not_of(' ') != std::string_view::npos)
            records.push_back(line);
        start = i + 1;
    }
    return records;
}

std::size_t valuesIn(std::string_view record, char separator, bool standardQuoting)
{
    std::size_t count = 1;
    bool inQuotes = false;
    for (char c : record) {
        if (standardQuoting && c == '"')
            inQuotes = !inQuotes;
        else if (c == separator && !inQuotes)
            ++count;
    }
    return count;
}

} // namespace

SeparatorGuess guessSeparator(std::string_view text, bool standardQuoting)
{
    const std::vector<std::string_view> records = sampleRecords(text, standardQuoting);
    if (records.empty())
        return {};
    for (char separator : {',', ';', '\t', '|'}) {
        const std::size_t first = valuesIn(records.front(), separator, standardQuoting);
        if (first < 2)
            continue;
        bool same = true;
        for (std::string_view r : records)
            same = same && valuesIn(r, separator, standardQuoting) == first;
        if (same)
            return {std::string(1, separator), first};
    }
    return {};
}

std::string fileHead(const std::string& path, std::size_t limit)
{
    std::ifstream in(path, std::ios::binary);
    std::string head(limit, '\0');
    in.read(head.data(), static_cast<std::streamsize>(limit));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const bool whole = head.size() < limit;
    const FileEncoding marked = utf16MarkOf(head.data(), head.size());
    if (marked != FileEncoding::Utf8) {
        head.resize(head.size() & ~std::size_t{1});
        std::unique_ptr<char[]> decoded;
        std::size_t size = 0;
        std::string error;
        // The cut may split a surrogate pair; one unit less mends that.
        if (!decodeToUtf8(marked, head.data(), head.size(), decoded, size, error)
            && (head.size() < 4 || !decodeToUtf8(marked, head.data(), head.size() - 2, decoded, size, error)))
            return {};
        head.assign(decoded.get(), size);
    }
    if (!whole) {
        // A line cut off by the limit would count wrong.
        const std::size_t lastEnd = head.find_last_of("\r\n");
        head.resize(lastEnd == std::string::npos ? 0 : lastEnd);
    }
    return head;
}
