#include "store/CsvReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/TextFold.h"

namespace {

constexpr int MaxFields = MaxFieldCount;

class LineReader {
public:
    LineReader(const char* data, std::size_t size)
        : m_pos(data), m_end(data + size),
          m_terminator(std::memchr(data, '\r', size) ? '\r' : '\n') {}

    bool next(std::string_view& line)
    {
        if (m_pos >= m_end)
            return false;
        const auto left = static_cast<std::size_t>(m_end - m_pos);
        const char* stop = static_cast<const char*>(std::memchr(m_pos, m_terminator, left));
        if (!stop) {
            line = {m_pos, left};
            m_pos = m_end;
            return true;
        }
        line = {m_pos, static_cast<std::size_t>(stop - m_pos)};
        m_pos = stop + 1;
        if (m_terminator == '\r' && m_pos < m_end && *m_pos == '\n')
            ++m_pos;
        return true;
    }

    bool endsAtCarriageReturn() const { return m_terminator == '\r'; }

    std::size_t countLines(const char* data, std::size_t size) const
    {
        // A terminator at the very end ends the last line; it starts none.
        const bool openLastLine = size > 0 && data[size - 1] != m_terminator;
        return static_cast<std::size_t>(std::count(data, data + size, m_terminator)) + (openLastLine ? 1 : 0);
    }

    // Lines holding more than spaces: what the records are reserved from, so
    // that blank lines cost no room times the field count.
    static std::size_t countNonBlankLines(const char* data, std::size_t size)
    {
        LineReader lines(data, size);
        std::size_t count = 0;
        std::string_view line;
        while (lines.next(line))
            count += line.find_first_not_of(' ') != std::string_view::npos ? 1 : 0;
        return count;
    }

private:
    const char* m_pos;
    const char* m_end;
    char m_terminator;
};

class PieceSplitter {
public:
    explicit PieceSplitter(const std::string& separator) : m_sep(separator) {}

    // Calls `take` for each piece, up to `limit` pieces; returns how many
    // pieces the line has, counting no further than `limit` + 1.
    template <typename Take>
    std::size_t split(std::string_view line, std::size_t limit, Take&& take) const
    {
        if (m_sep.empty()) {
            take(line);
            return 1;
        }
        std::size_t count = 0;
        const char* pos = line.data();
        const char* end = line.data() + line.size();
        while (true) {
            const char* hit = find(pos, end);
            if (count == limit)
                return count + 1;
            take(std::string_view(pos, static_cast<std::size_t>((hit ? hit : end) - pos)));
            ++count;
            if (!hit)
                return count;
            pos = hit + m_sep.size();
        }
    }

private:
    const char* find(const char* pos, const char* end) const
    {
        const auto left = static_cast<std::size_t>(end - pos);
        if (m_sep.size() == 1) {
            // Values are mostly short, where a plain loop beats memchr's set-up.
            const char sep = m_sep[0];
            for (const char* p = pos; p != end; ++p)
                if (*p == sep)
                    return p;
            return nullptr;
        }
        return static_cast<const char*>(memmem(pos, left, m_sep.data(), m_sep.size()));
    }

    const std::string& m_sep;
};

// Trims a piece and drops one pair of enclosing quotes. A lone quote cannot
// be a value and fails the load.
bool cleanPiece(std::string_view piece, std::string_view& out)
{
    std::string_view v = trimSpaces(piece);
    if (!v.empty() && v.front() == '"' && v.back() == '"') {
        if (v.size() == 1)
            return false;
        v = v.substr(1, v.size() - 2);
    }
    out = v;
    return true;
}

Cell toCell(std::string_view v)
{
    return Cell{v.empty() ? nullptr : v.data(), static_cast<std::uint32_t>(v.size())};
}

} // namespace

CsvReadResult readCsv(std::unique_ptr<char[]> bytes, std::size_t size,
                      const CsvReadOptions& options, CellTable& out,
                      const ProgressCallback& progress)
{
    CsvReadResult result;
    const char* data = bytes.get();
    if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        result.byteOrderMark = true;
        data += 3;
        size -= 3;
    }
    CellTable table;
    LineReader lines(data, size);
    const std::size_t lineCount = lines.countLines(data, size);
    PieceSplitter splitter(options.separator);

    bool expectHeader = options.headerLine;
    bool haveFields = false;
    std::size_t fieldCount = 0;
    std::vector<Cell> row;
    ProgressTicker ticker(progress, static_cast<std::int64_t>(lineCount));
    std::int64_t lineNo = 0;

    std::string_view rawLine;
    while (lines.next(rawLine)) {
        ticker.step(++lineNo);
        const std::string_view line = trimSpaces(rawLine);
        if (line.empty())
            continue;

        if (expectHeader || !haveFields) {
            std::vector<std::string> names;
            bool clean = true;
            const std::size_t pieces = splitter.split(line, MaxFields, [&](std::string_view p) {
                std::string_view v;
                clean = cleanPiece(p, v) && clean;
                names.emplace_back(v);
            });
            if (pieces > static_cast<std::size_t>(MaxFields)) {
                result.error = "The file has more than 32767 fields.";
                return result;
            }
            if (!expectHeader) {
                for (std::size_t i = 0; i < names.size(); ++i)
                    names[i] = "Field " + std::to_string(i + 1);
            } else if (!clean) {
                result.error = "A field name is a lone double quote.";
                return result;
            }
            fieldCount = names.size();
            table.setNames(std::move(names));
            table.reserveRecords(LineReader::countNonBlankLines(data, size));
            row.assign(fieldCount, Cell{});
            haveFields = true;
            if (expectHeader) {
                expectHeader = false;
                continue;
            }
        }

        std::size_t filled = 0;
        bool clean = true;
        bool tooLong = false;
        const std::size_t pieces = splitter.split(line, fieldCount, [&](std::string_view p) {
            std::string_view v;
            clean = cleanPiece(p, v) && clean;
            tooLong = tooLong || v.size() > std::numeric_limits<std::uint32_t>::max();
            row[filled++] = toCell(v);
        });
        if (tooLong) {
            result.error = "Line " + std::to_string(lineNo) + " holds a value longer than 4 GiB, more than a value can hold.";
            return result;
        }
        if (!clean) {
            result.error = "Line " + std::to_string(lineNo) + " holds a lone double quote.";
            return result;
        }
        if (filled < fieldCount) {
            result.error = "Line " + std::to_string(lineNo) + " has fewer values than there are fields.";
            result.tooFewValues = true;
            return result;
        }
        if (table.recordCount() >= options.maxRecords) {
            result.error = "The file has more than " + std::to_string(options.maxRecords) + " records.";
            return result;
        }
        if (pieces > fieldCount && result.ignoredLines++ == 0)
            result.firstIgnoredLine = lineNo;
        table.appendRecord(row.data());
    }

    if (table.recordCount() == 0 && !(options.headingsSuffice && table.fieldCount() > 0)) {
        result.error = "The file holds no data line.";
        return result;
    }
    result.lfLineEnds = !lines.endsAtCarriageReturn() && std::memchr(data, '\n', size) != nullptr;
    table.adoptBuffer(std::move(bytes), size);
    out.swap(table);
    result.ok = true;
    return result;
}

bool readWholeFile(const std::string& path, std::unique_ptr<char[]>& bytes, std::size_t& size,
                   std::string& error)
{
    // Non-blocking, so that naming a pipe cannot hang the program before the
    // type check below refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? "It is a folder, not a file."
                                    : "It is not a regular file (a device, pipe or socket).";
        ::close(fd);
        return false;
    }
    // st_size is only a hint: the file may grow while we read, and special
    // files report 0.
    std::size_t capacity = static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) + 1;
    auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
    std::size_t used = 0;
    while (true) {
        if (used == capacity) {
            auto bigger = std::make_unique_for_overwrite<char[]>(capacity * 2);
            std::memcpy(bigger.get(), buffer.get(), used);
            buffer = std::move(bigger);
            capacity *= 2;
        }
        const ssize_t n = ::read(fd, buffer.get() + used, capacity - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes = std::move(buffer);
    size = used;
    return true;
}
