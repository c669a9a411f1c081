#include "store/read/CsvReader.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cerrno>
#include <cstring>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <numeric>
#include <string_view>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/read/ByteScan.h"
#include "store/ParallelParse.h"
#include "store/read/ReadFrame.h"
#include "store/table/TextFold.h"

namespace {

// How the lines of a file end: at CR when the file holds any, LF otherwise;
// or, on request, at CR and LF alike. CR LF always ends one line.
struct LineEnds {
    char terminator;
    bool either;
};

LineEnds lineEndsOf(const char* data, std::size_t size, bool loneLineFeedEnds)
{
    const bool carriageReturns = std::memchr(data, '\r', size) != nullptr;
    return {carriageReturns ? '\r' : '\n', carriageReturns && loneLineFeedEnds};
}

class LineReader {
public:
    LineReader(const char* begin, const char* end, LineEnds ends)
        : m_pos(begin), m_end(end), m_ends(ends) {}

    const char* position() const { return m_pos; }

    bool next(std::string_view& line)
    {
        if (m_pos >= m_end)
            return false;
        const auto left = static_cast<std::size_t>(m_end - m_pos);
        const char* stop = find(m_pos);
        if (!stop) {
            line = {m_pos, left};
            m_pos = m_end;
            return true;
        }
        line = {m_pos, static_cast<std::size_t>(stop - m_pos)};
        m_pos = after(stop);
        return true;
    }

    bool endsAtCarriageReturn() const { return m_ends.terminator == '\r'; }

    // Where the first line that starts at or after `p` begins (or the end).
    const char* nextStart(const char* p) const
    {
        const char* stop = find(p);
        return stop ? after(stop) : m_end;
    }

    // The number of lines in [begin, end) is at most this; exactly this
    // less one for a range that ends with a line's terminator.
    std::size_t countLines(const char* begin, const char* end) const
    {
        return (m_ends.either ? bytescan::countLineEnds(begin, end) : bytescan::count(begin, end, m_ends.terminator))
            + 1;
    }

private:
    // The terminator at or after `p`, or null.
    const char* find(const char* p) const
    {
        if (m_ends.either) {
            const char* stop = bytescan::firstLineEnd(p, m_end);
            return stop == m_end ? nullptr : stop;
        }
        return static_cast<const char*>(std::memchr(p, m_ends.terminator, static_cast<std::size_t>(m_end - p)));
    }
    // Where the line after the terminator at `stop` begins.
    const char* after(const char* stop) const
    {
        ++stop;
        if (stop[-1] == '\r' && stop < m_end && *stop == '\n')
            ++stop;
        return stop;
    }

    const char* m_pos;
    const char* m_end;
    LineEnds m_ends;
};

// Numbers the lines of a file whose lines end at CR that end in LF alone, as
// an editor shows them. Run only where the count found some. An LF after an
// odd number of quotes on its line is taken to be inside a quoted value, as
// a spreadsheet writes a line break within a value, and is left out.
void findLoneLineFeeds(const char* p, const char* end, CsvReadResult& result)
{
    std::int64_t line = 1;
    bool quoted = false;
    while ((p = bytescan::firstOf<'\r', '\n', '"'>(p, end)) != end) {
        if (*p == '"') {
            quoted = !quoted;
        } else if (*p == '\r') {
            quoted = false;
            if (p + 1 != end && p[1] == '\n')
                ++p;
            ++line;
        } else {
            if (!quoted && result.loneLineFeeds++ < 3)
                result.firstLoneLineFeeds.push_back(line);
            ++line;
        }
        ++p;
    }
}

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
        if (m_sep.size() == 1)
            return splitAtByte(line, limit, take);
        std::size_t count = 0;
        const char* pos = line.data();
        const char* end = line.data() + line.size();
        while (true) {
            const char* hit = static_cast<const char*>(
                memmem(pos, static_cast<std::size_t>(end - pos), m_sep.data(), m_sep.size()));
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
    // A one-byte separator, found sixteen bytes at a time: values are mostly
    // short, where memchr's set-up costs more than it saves, and a byte at a
    // time leaves the processor waiting on a branch each.
    template <typename Take>
    std::size_t splitAtByte(std::string_view line, std::size_t limit, Take& take) const
    {
        const char sep = m_sep[0];
        const char* pos = line.data(); // where the current piece starts
        const char* scan = pos;
        const char* const end = pos + line.size();
        std::size_t count = 0;
        const auto cutAt = [&](const char* hit) {
            if (count == limit)
                return false;
            take(std::string_view(pos, static_cast<std::size_t>(hit - pos)));
            ++count;
            pos = hit + 1;
            return true;
        };
#ifdef __SSE2__
        const __m128i wanted = _mm_set1_epi8(sep);
        for (; end - scan >= 16; scan += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(scan));
            for (auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted))); hits != 0;
                 hits &= hits - 1)
                if (!cutAt(scan + __builtin_ctz(hits)))
                    return count + 1;
        }
#endif
        for (; scan != end; ++scan)
            if (*scan == sep && !cutAt(scan))
                return count + 1;
        if (count == limit)
            return count + 1;
        take(std::string_view(pos, static_cast<std::size_t>(end - pos)));
        return count + 1;
    }

    const std::string& m_sep;
};

// Trims a piece and drops one pair of enclosing quotes. A lone quote cannot
// be a value and fails the load: it gives a view of no bytes at all, where
// every other piece, empty or not, points into the line. Returned by value,
// so that the view stays in registers on the way to its cell.
[[gnu::always_inline]] inline std::string_view cleanPiece(std::string_view piece)
{
    std::string_view v = trimSpaces(piece);
    if (!v.empty() && v.front() == '"' && v.back() == '"') {
        if (v.size() == 1)
            return {};
        v = v.substr(1, v.size() - 2);
    }
    return v;
}

using readframe::PartFindings;

// The lines of a part that hold more than spaces: the records it can hold.
std::size_t countNonBlankLines(parallel::TextRange range, LineEnds ends)
{
    LineReader lines(range.begin, range.end, ends);
    std::size_t count = 0;
    std::string_view line;
    while (lines.next(line))
        count += trimSpaces(line).empty() ? 0 : 1;
    return count;
}

// Reads the data lines of one part into the table's slots from the part's
// first on. A record whose values are all its line's pieces as they stand
// (nothing trimmed, no quotes dropped), the first and last not empty, is
// marked as kept as read, so that a save can copy its line whole.
class LinePartReader final : public readframe::PartReader {
public:
    LinePartReader(const char* begin, readframe::PartSlots slots, LineEnds ends, const PieceSplitter& splitter,
                   std::size_t maxRecords)
        : m_begin(begin), m_position(begin), m_slots(slots), m_ends(ends), m_splitter(splitter),
          m_spans(slots.table.newSpanList()), m_maxRecords(maxRecords)
    {
        assert(!slots.append); // the records are always counted first
    }

    void readUntil(const char* stop, const std::atomic<bool>&, const std::function<void(std::int64_t)>& tick) override
    {
        assert(m_position == m_begin); // lines start where they seem to: a part never reads on
        m_position = readLines(stop, tick);
    }

    void recount(std::size_t maxRecords) override
    {
        found = {};
        m_lines = 0;
        m_maxRecords = maxRecords;
        // The read fails on its limit: writing its cells again costs nothing worth keeping apart.
        readLines(m_position, {});
    }

    const char* position() const override { return m_position; }
    std::int64_t lines() const override { return m_lines; }

private:
    // Reads the lines up to `stop` into the slots, and returns where it
    // stopped.
    const char* readLines(const char* stop, const std::function<void(std::int64_t)>& tick)
    {
        // The first and last words of marks may hold the slots of the parts
        // beside this one too.
        const std::uint32_t firstWord = m_slots.first >> 6;
        const std::uint32_t lastWord = m_slots.limit > m_slots.first ? (m_slots.limit - 1) >> 6 : firstWord;
        LineReader lines(m_begin, stop, m_ends);
        // Counted in locals, which the cell writes cannot alias.
        const std::vector<Cell*>& columns = m_slots.columns;
        const std::size_t fieldCount = columns.size();
        const std::size_t maxRecords = m_maxRecords;
        const std::uint32_t firstSlot = m_slots.first;
        const PieceSplitter& splitter = m_splitter;
        std::deque<std::string_view>& spans = m_spans;
        CellTable& table = m_slots.table;
        PartFindings part;
        std::int64_t lineNo = 0;
        std::uint32_t slot = m_slots.first;
        std::string_view rawLine;
        while (lines.next(rawLine)) {
            ++lineNo;
            if (tick)
                tick(lineNo);
            const std::string_view line = trimSpaces(rawLine);
            if (line.empty())
                continue;
            assert(slot < m_slots.limit);
            std::size_t filled = 0;
            bool clean = true;
            bool asRead = true;
            // Inlined, with what it calls: a call per value costs as much as the split.
            const std::size_t pieces = splitter.split(line, fieldCount, [&](std::string_view p) __attribute__((always_inline)) {
                const std::string_view v = cleanPiece(p);
                clean = clean && v.data() != nullptr;
                asRead = asRead && v.size() == p.size() && (!v.empty() || (filled != 0 && filled + 1 != fieldCount));
                columns[filled++][slot] = v.empty() ? Cell{} : Cell::of(v, spans);
            });
            if (!clean) {
                part.faultLine = lineNo;
                part.fault = PartFindings::Fault::LoneQuote;
                break;
            }
            if (filled < fieldCount) [[unlikely]] {
                // The missing values read as empty; the frame decides
                // whether that is allowed. Such a line is never copied whole.
                for (std::size_t f = filled; f < fieldCount; ++f)
                    columns[f][slot] = Cell{};
                if (part.shortLines++ == 0)
                    part.firstShortLine = lineNo;
                asRead = false;
            }
            if (slot - firstSlot == maxRecords) {
                part.fault = PartFindings::Fault::TooManyRecords;
                break;
            }
            if (pieces > fieldCount && part.ignoredLines++ == 0)
                part.firstIgnoredLine = lineNo;
            if (asRead)
                table.markReadLine(slot, (slot >> 6) == firstWord || (slot >> 6) == lastWord);
            ++slot;
        }
        part.records = slot - firstSlot;
        found = part;
        m_lines = lineNo;
        return lines.position();
    }

    const char* const m_begin;
    const char* m_position;
    readframe::PartSlots m_slots;
    const LineEnds m_ends;
    const PieceSplitter& m_splitter;
    std::deque<std::string_view>& m_spans;
    std::size_t m_maxRecords;
    std::int64_t m_lines = 0;
};

// Lines end where the file's line ends say, and split at every separator.
class LineRule final : public readframe::RecordRule {
public:
    explicit LineRule(const CsvReadOptions& options) : m_options(options), m_splitter(options.separator) {}

    readframe::FirstRecord readFirst(char* begin, char* end, CellTable&) override
    {
        m_text = begin;
        m_size = static_cast<std::size_t>(end - begin);
        m_ends = lineEndsOf(begin, m_size, m_options.loneLineFeedEnds);
        readframe::FirstRecord first;
        LineReader lines(begin, end, m_ends);
        std::string_view rawLine, line;
        while (line.empty() && lines.next(rawLine)) {
            ++first.linesThrough;
            line = trimSpaces(rawLine);
        }
        if (line.empty())
            return first;
        first.status = readframe::FirstRecord::Status::Record;
        const std::size_t pieces = m_splitter.split(line, MaxFieldCount, [&](std::string_view p) {
            const std::string_view v = cleanPiece(p);
            first.loneQuote = first.loneQuote || v.data() == nullptr;
            first.values.emplace_back(v);
        });
        first.moreThanFieldLimit = pieces > static_cast<std::size_t>(MaxFieldCount);
        first.begin = rawLine.data();
        first.next = lines.position();
        first.linesBefore = first.linesThrough - 1;
        return first;
    }

    const char* nextStart(const char* begin, const char* p, const char* end) const override
    {
        return LineReader(begin, end, m_ends).nextStart(p);
    }
    bool startsAreSure() const override { return true; }

    std::vector<std::size_t> recordBounds(const std::vector<parallel::TextRange>& parts,
                                          CsvReadResult& result) override
    {
        std::vector<std::size_t> bounds(parts.size());
        if (m_ends.terminator == '\r' && !m_ends.either) {
            // The same pass finds whether any line ends in LF alone.
            std::vector<std::size_t> loneLineFeeds(parts.size());
            parallel::run(parts.size(), [&](std::size_t i) {
                const bytescan::CarriageReturnCounts n = bytescan::countCarriageReturns(parts[i].begin, parts[i].end);
                bounds[i] = n.carriageReturns + 1;
                loneLineFeeds[i] = n.loneLineFeeds;
            });
            if (bytescan::countCarriageReturns(m_text, parts.front().begin).loneLineFeeds > 0
                || std::any_of(loneLineFeeds.begin(), loneLineFeeds.end(), [](std::size_t n) { return n > 0; }))
                findLoneLineFeeds(m_text, m_text + m_size, result);
        } else {
            const LineReader lines(m_text, m_text + m_size, m_ends);
            parallel::run(parts.size(), [&](std::size_t i) { bounds[i] = lines.countLines(parts[i].begin, parts[i].end); });
        }
        return bounds;
    }

    bool countRecords(const std::vector<parallel::TextRange>& parts, std::vector<std::size_t>& counts) override
    {
        parallel::run(parts.size(), [&](std::size_t i) { counts[i] = countNonBlankLines(parts[i], m_ends); });
        return true;
    }

    bool endsLine(char c) const override { return c == m_ends.terminator || (m_ends.either && c == '\n'); }

    std::unique_ptr<readframe::PartReader> reader(char* begin, readframe::PartSlots slots, bool,
                                                  std::size_t maxRecords) override
    {
        return std::make_unique<LinePartReader>(begin, slots, m_ends, m_splitter, maxRecords);
    }

    void finish(const std::vector<const readframe::PartReader*>&, CellTable& table, CsvReadResult& result) override
    {
        result.lfLineEnds = m_ends.terminator != '\r' && std::memchr(m_text, '\n', m_size) != nullptr;
        table.keepReadLines(m_options.separator);
    }

private:
    const CsvReadOptions& m_options;
    const PieceSplitter m_splitter;
    const char* m_text = nullptr;
    std::size_t m_size = 0;
    LineEnds m_ends{'\n', false};
};

} // namespace

CsvReadResult readCsv(huge::Bytes bytes, std::size_t size, const CsvReadOptions& options, CellTable& out,
                      const ProgressCallback& progress)
{
    LineRule rule(options);
    return readframe::read(std::move(bytes), size, options, rule, out, progress);
}

namespace {

// Reads [0, size) of the file with one thread a part: the kernel's copy into
// fresh pages costs as much as the parsing, and both cores can share it.
// Returns how much of the front was read whole; the caller reads on from
// there, so a file that shrank or failed to read is read again in order.
std::size_t readInParts(int fd, char* into, std::size_t size)
{
    const std::size_t parts = parallel::partsFor(size, std::size_t{16} << 20);
    if (parts < 2)
        return 0;
    std::vector<std::uint8_t> whole(parts, 0);
    parallel::run(parts, [&](std::size_t i) {
        const std::size_t begin = size / parts * i, end = i + 1 == parts ? size : size / parts * (i + 1);
        std::size_t at = begin;
        while (at < end) {
            const ssize_t n = ::pread(fd, into + at, end - at, static_cast<off_t>(at));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return;
            at += static_cast<std::size_t>(n);
        }
        whole[i] = 1;
    });
    return std::find(whole.begin(), whole.end(), 0) == whole.end() ? size : 0;
}

} // namespace

bool readWholeFile(const std::string& path, huge::Bytes& bytes, std::size_t& size,
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
    // Read straight into the buffer the cells will point into: the bytes are
    // never copied again.
    auto buffer = huge::allocateBytes(capacity);
    std::size_t used = readInParts(fd, buffer.get(), capacity - 1);
    if (::lseek(fd, static_cast<off_t>(used), SEEK_SET) < 0) {
        error = std::strerror(errno);
        ::close(fd);
        return false;
    }
    while (true) {
        if (used == capacity) {
            auto bigger = huge::allocateBytes(capacity * 2);
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
