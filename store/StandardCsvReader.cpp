#include "store/StandardCsvReader.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {


bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// Counts the line ends in [p, end): CR LF, CR and LF each count once.
std::int64_t countLineEnds(const char* p, const char* end)
{
    std::int64_t n = 0;
    for (; p < end; ++p) {
        if (*p == '\n')
            ++n;
        else if (*p == '\r' && (p + 1 == end || p[1] != '\n'))
            ++n;
    }
    return n;
}

// Walks the bytes record by record. Quoted values are unescaped in place: the
// unescaped text is never longer than what it came from, so it is written
// over the bytes already read.
class RecordScanner {
public:
    RecordScanner(char* data, std::size_t size, const std::string& separator, std::deque<std::string_view>& spans)
        : m_pos(data), m_end(data + size), m_sep(separator), m_spans(spans) {}

    enum class Status { Record, End, Unclosed };

    // Fills `values` with the next non-blank record.
    Status next(std::vector<Cell>& values)
    {
        values.clear();
        skipBlankLines();
        if (m_pos >= m_end)
            return Status::End;
        m_recordLine = m_line;
        if (readPlainLine(values))
            return Status::Record;
        while (true) {
            Cell cell;
            if (*m_pos == '"') {
                if (!readQuoted(cell))
                    return Status::Unclosed;
            } else {
                char* start = m_pos;
                m_pos = valueEnd(m_pos);
                cell = makeCell(start, m_pos);
            }
            values.push_back(cell);
            if (atSeparator()) {
                m_pos += m_sep.size();
                if (m_pos >= m_end) { // a separator ends the file: one more, empty value
                    values.push_back(Cell{});
                    return Status::Record;
                }
                continue;
            }
            endLine();
            return Status::Record;
        }
    }

    std::int64_t recordLine() const { return m_recordLine; }
    std::int64_t line() const { return m_line; }
    std::size_t offset(const char* base) const { return static_cast<std::size_t>(m_pos - base); }
    bool sawCarriageReturn() const { return m_sawCr; }
    bool sawLineFeed() const { return m_sawLf; }

private:
    // The next `c` at or after the read position, or the end; found once and
    // kept until the reading passes it, so each kind is searched for once per
    // occurrence.
    char* nextOf(char c, char*& cache) const
    {
        if (!cache || cache < m_pos) {
            auto* hit = static_cast<char*>(std::memchr(m_pos, c, static_cast<std::size_t>(m_end - m_pos)));
            cache = hit ? hit : m_end;
        }
        return cache;
    }

    // Most lines hold no quote at all: such a line is split at the separator
    // alone, as fast as the simple rule splits it.
    bool readPlainLine(std::vector<Cell>& values)
    {
        if (m_sep.size() != 1)
            return false;
        char* const lineEnd = std::min(nextOf('\r', m_nextCr), nextOf('\n', m_nextLf));
        if (nextOf('"', m_nextQuote) < lineEnd)
            return false;
        const char sep = m_sep[0];
        char* start = m_pos;
        for (char* p = m_pos; p != lineEnd; ++p) {
            if (*p == sep) {
                values.push_back(makeCell(start, p));
                start = p + 1;
            }
        }
        values.push_back(makeCell(start, lineEnd));
        m_pos = lineEnd;
        endLine();
        return true;
    }

    Cell makeCell(const char* from, const char* to)
    {
        const auto size = static_cast<std::size_t>(to - from);
        return size == 0 ? Cell{} : Cell::of({from, size}, m_spans);
    }

    bool atSeparator() const
    {
        return !m_sep.empty() && static_cast<std::size_t>(m_end - m_pos) >= m_sep.size()
            && std::memcmp(m_pos, m_sep.data(), m_sep.size()) == 0;
    }

    // The end of an unquoted run: the next separator, line end or file end.
    char* valueEnd(char* p) const
    {
        if (m_sep.size() == 1) {
            const char sep = m_sep[0];
            for (; p != m_end; ++p)
                if (*p == sep || isLineEnd(*p))
                    return p;
            return p;
        }
        for (; p != m_end; ++p) {
            if (isLineEnd(*p))
                return p;
            if (!m_sep.empty() && *p == m_sep[0] && static_cast<std::size_t>(m_end - p) >= m_sep.size()
                && std::memcmp(p, m_sep.data(), m_sep.size()) == 0)
                return p;
        }
        return p;
    }

    bool readQuoted(Cell& cell)
    {
        char* const start = m_pos; // the unescaped text goes here
        char* write = start;
        char* read = m_pos + 1;
        while (true) {
            auto* quote = static_cast<char*>(std::memchr(read, '"', static_cast<std::size_t>(m_end - read)));
            if (!quote) // found at once, with no second pass over the file
                return false;
            m_line += countLineEnds(read, quote);
            const auto run = static_cast<std::size_t>(quote - read);
            std::memmove(write, read, run);
            write += run;
            if (quote + 1 < m_end && quote[1] == '"') {
                *write++ = '"';
                read = quote + 2;
                continue;
            }
            m_pos = quote + 1;
            break;
        }
        // Text after the closing quote (`"a"b`) is kept as written.
        char* tail = valueEnd(m_pos);
        const auto rest = static_cast<std::size_t>(tail - m_pos);
        std::memmove(write, m_pos, rest);
        write += rest;
        m_pos = tail;
        cell = makeCell(start, write);
        return true;
    }

    void endLine()
    {
        if (m_pos >= m_end)
            return;
        if (*m_pos == '\r') {
            m_sawCr = true;
            ++m_pos;
            if (m_pos < m_end && *m_pos == '\n')
                ++m_pos;
        } else {
            m_sawLf = true;
            ++m_pos;
        }
        ++m_line;
    }

    void skipBlankLines()
    {
        while (m_pos < m_end) {
            char* p = m_pos;
            while (p < m_end && *p == ' ')
                ++p;
            if (p < m_end && !isLineEnd(*p))
                return;
            m_pos = p;
            if (m_pos >= m_end)
                return;
            endLine();
        }
    }

    char* m_pos;
    char* const m_end;
    char* m_nextQuote = nullptr;
    char* m_nextCr = nullptr;
    char* m_nextLf = nullptr;
    const std::string& m_sep;
    std::deque<std::string_view>& m_spans;
    std::int64_t m_line = 1;
    std::int64_t m_recordLine = 1;
    bool m_sawCr = false;
    bool m_sawLf = false;
};

std::string lineText(std::int64_t line) { return "Line " + std::to_string(line); }

} // namespace

CsvReadResult readStandardCsv(huge::Bytes bytes, std::size_t size,
                              const CsvReadOptions& options, CellTable& out,
                              const ProgressCallback& progress)
{
    CsvReadResult result;
    char* data = bytes.get();
    if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        result.byteOrderMark = true;
        data += 3;
        size -= 3;
    }
    CellTable table;
    RecordScanner scanner(data, size, options.separator, table.newSpanList());
    ProgressTicker ticker(progress, static_cast<std::int64_t>(size));
    bool expectHeader = options.headerLine;
    bool haveFields = false;
    std::size_t fieldCount = 0;
    std::vector<Cell> values;

    while (true) {
        const RecordScanner::Status status = scanner.next(values);
        if (status == RecordScanner::Status::End)
            break;
        if (status == RecordScanner::Status::Unclosed) {
            result.error = lineText(scanner.line()) + " opens a quoted value that is never closed.";
            return result;
        }
        ticker.step(static_cast<std::int64_t>(scanner.offset(data)));
        if (!haveFields) {
            if (values.size() > static_cast<std::size_t>(MaxFieldCount)) {
                result.error = "The file has more than 32767 fields.";
                return result;
            }
            std::vector<std::string> names;
            for (std::size_t i = 0; i < values.size(); ++i)
                names.push_back(expectHeader ? std::string(values[i].view()) : "Field " + std::to_string(i + 1));
            fieldCount = names.size();
            table.setNames(std::move(names));
            haveFields = true;
            if (expectHeader) {
                expectHeader = false;
                continue;
            }
        }
        if (values.size() < fieldCount) {
            result.error = lineText(scanner.recordLine()) + " has fewer values than there are fields.";
            result.tooFewValues = true;
            return result;
        }
        if (table.recordCount() >= options.maxRecords) {
            result.error = "The file has more than " + std::to_string(options.maxRecords) + " records.";
            return result;
        }
        if (values.size() > fieldCount && result.ignoredLines++ == 0)
            result.firstIgnoredLine = scanner.recordLine();
        table.appendRecord(values.data());
    }

    if (table.recordCount() == 0 && !(options.headingsSuffice && table.fieldCount() > 0)) {
        result.error = "The file holds no data line.";
        return result;
    }
    result.lfLineEnds = scanner.sawLineFeed() && !scanner.sawCarriageReturn();
    table.adoptBuffer(std::move(bytes), size + (result.byteOrderMark ? 3 : 0));
    out.swap(table);
    result.ok = true;
    return result;
}
