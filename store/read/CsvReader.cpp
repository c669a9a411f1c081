#include "store/read/CsvReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <functional>
#include <limits>
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

constexpr int MaxFields = MaxFieldCount;

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
inline std::string_view cleanPiece(std::string_view piece)
{
    std::string_view v = trimSpaces(piece);
    if (!v.empty() && v.front() == '"' && v.back() == '"') {
        if (v.size() == 1)
            return {};
        v = v.substr(1, v.size() - 2);
    }
    return v;
}

// What one part of the records found: how many, and the first fault.
using PartResult = readframe::PartFindings;

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

// Parses the data lines of one part into the table's slots from `firstSlot` on.
// A record whose values are all its line's pieces as they stand (nothing
// trimmed, no quotes dropped), the first and last not empty, is marked as
// kept as read, so that a save can copy its line whole.
PartResult parsePart(parallel::TextRange range, LineEnds ends, const PieceSplitter& splitter,
                     CellTable& table, const std::vector<Cell*>& columns, std::uint32_t firstSlot,
                     std::uint32_t slotLimit, std::deque<std::string_view>& spans,
                     const std::function<void(std::int64_t)>& tick)
{
    // The first and last words of marks may hold the slots of the parts
    // beside this one too.
    const std::uint32_t firstWord = firstSlot >> 6;
    const std::uint32_t lastWord = slotLimit > firstSlot ? (slotLimit - 1) >> 6 : firstWord;
    PartResult part;
    LineReader lines(range.begin, range.end, ends);
    const std::size_t fieldCount = columns.size();
    std::uint32_t slot = firstSlot;
    std::int64_t lineNo = 0;
    std::string_view rawLine;
    while (lines.next(rawLine)) {
        ++lineNo;
        if (tick)
            tick(lineNo);
        const std::string_view line = trimSpaces(rawLine);
        if (line.empty())
            continue;
        std::size_t filled = 0;
        bool clean = true;
        bool asRead = true;
        const std::size_t pieces = splitter.split(line, fieldCount, [&](std::string_view p) {
            const std::string_view v = cleanPiece(p);
            clean = clean && v.data() != nullptr;
            asRead = asRead && v.size() == p.size() && (!v.empty() || (filled != 0 && filled + 1 != fieldCount));
            columns[filled++][slot] = v.empty() ? Cell{} : Cell::of(v, spans);
        });
        if (!clean || filled < fieldCount) {
            part.faultLine = lineNo;
            part.fault = clean ? PartResult::Fault::FewerValues : PartResult::Fault::LoneQuote;
            break;
        }
        if (pieces > fieldCount && part.ignoredLines++ == 0)
            part.firstIgnoredLine = lineNo;
        if (asRead)
            table.markReadLine(slot, (slot >> 6) == firstWord || (slot >> 6) == lastWord);
        ++slot;
    }
    part.records = slot - firstSlot;
    return part;
}

} // namespace

CsvReadResult readCsv(huge::Bytes bytes, std::size_t size, const CsvReadOptions& options, CellTable& out,
                      const ProgressCallback& progress)
{
    CsvReadResult result;
    const std::size_t fileSize = size;
    const readframe::Text text = readframe::withoutMark(bytes.get(), size);
    result.byteOrderMark = text.byteOrderMark;
    const char* data = text.data;
    size = text.size;
    const char* const end = data + size;
    const LineEnds ends = lineEndsOf(data, size, options.loneLineFeedEnds);
    LineReader lines(data, end, ends);
    PieceSplitter splitter(options.separator);

    // The first non-blank line names the fields, or without a header line
    // says how many there are and is the first record.
    std::int64_t lineNo = 0;
    std::string_view rawLine, line;
    while (line.empty() && lines.next(rawLine)) {
        ++lineNo;
        line = trimSpaces(rawLine);
    }
    if (line.empty()) {
        result.error = readframe::noDataLine();
        return result;
    }
    std::vector<std::string> names;
    bool clean = true;
    const std::size_t pieces = splitter.split(line, MaxFields, [&](std::string_view p) {
        const std::string_view v = cleanPiece(p);
        clean = clean && v.data() != nullptr;
        names.emplace_back(v);
    });
    if (pieces > static_cast<std::size_t>(MaxFields)) {
        result.error = readframe::tooManyFields();
        return result;
    }
    const char* dataBegin = lines.position();
    if (!options.headerLine) {
        for (std::size_t i = 0; i < names.size(); ++i)
            names[i] = "Field " + std::to_string(i + 1);
        dataBegin = rawLine.data();
        --lineNo;
    } else if (!clean) {
        result.error = "A field name is a lone double quote.";
        return result;
    }
    CellTable table;
    table.setNames(std::move(names));

    // The records are parsed in parts, one per core, cut at line starts. Each
    // part first counts its lines, so that every part knows the slots its
    // records go to before any is parsed.
    const std::vector<parallel::TextRange> ranges = readframe::cutIntoParts(
        dataBegin, end, options.minPartBytes, [&](const char* p) { return lines.nextStart(p); });
    const std::size_t parts = ranges.size();
    std::vector<std::size_t> bounds(parts);
    if (ends.terminator == '\r' && !ends.either) {
        // The same pass finds whether any line ends in LF alone.
        std::vector<std::size_t> loneLineFeeds(parts);
        parallel::run(parts, [&](std::size_t i) {
            const bytescan::CarriageReturnCounts n = bytescan::countCarriageReturns(ranges[i].begin, ranges[i].end);
            bounds[i] = n.carriageReturns + 1;
            loneLineFeeds[i] = n.loneLineFeeds;
        });
        if (bytescan::countCarriageReturns(data, dataBegin).loneLineFeeds > 0
            || std::any_of(loneLineFeeds.begin(), loneLineFeeds.end(), [](std::size_t n) { return n > 0; }))
            findLoneLineFeeds(data, end, result);
    } else {
        parallel::run(parts, [&](std::size_t i) { bounds[i] = lines.countLines(ranges[i].begin, ranges[i].end); });
    }
    // A slot per line costs a cell per field. Where that would outweigh the
    // file itself (many blank lines under a wide header), the records are
    // counted exactly first, so blank lines cost no room.
    std::vector<std::size_t> slotBounds = bounds;
    const std::size_t lineBound = std::accumulate(bounds.begin(), bounds.end(), std::size_t{0});
    if (lineBound * static_cast<std::size_t>(table.fieldCount()) * sizeof(Cell) > size)
        parallel::run(parts, [&](std::size_t i) {
            slotBounds[i] = countNonBlankLines(ranges[i], ends);
        });
    std::vector<std::uint32_t> firstSlots(parts);
    std::size_t slots = 0;
    for (std::size_t i = 0; i < parts; ++i) {
        firstSlots[i] = static_cast<std::uint32_t>(std::min<std::size_t>(slots, UINT32_MAX));
        slots += slotBounds[i];
    }
    table.allocateSlots(slots);
    std::vector<Cell*> columns;
    for (int f = 0; f < table.fieldCount(); ++f)
        columns.push_back(table.column(f));
    std::vector<std::deque<std::string_view>*> spans;
    for (std::size_t i = 0; i < parts; ++i)
        spans.push_back(&table.newSpanList());

    // Each part's bound counts one line more than it holds, except a last part
    // whose final line has no terminator: the loading text shows the true total.
    const bool openLastLine = end > dataBegin && end[-1] != ends.terminator;
    const std::int64_t totalLines =
        lineNo + static_cast<std::int64_t>(lineBound - parts) + (openLastLine ? 1 : 0);
    ProgressTicker ticker(progress, totalLines);
    const std::function<void(std::int64_t)> tick = [&](std::int64_t done) {
        ticker.step(lineNo + done * static_cast<std::int64_t>(parts));
    };
    std::vector<PartResult> found(parts);
    parallel::run(parts, [&](std::size_t i) {
        found[i] = parsePart(ranges[i], ends, splitter, table, columns, firstSlots[i],
                             firstSlots[i] + static_cast<std::uint32_t>(slotBounds[i]), *spans[i],
                             i == 0 && progress ? tick : std::function<void(std::int64_t)>());
    });

    std::int64_t linesBefore = lineNo;
    for (std::size_t i = 0; i < parts; ++i) {
        // Too many records is said before a fault further on.
        if (table.recordCount() + found[i].records > options.maxRecords)
            found[i].fault = PartResult::Fault::TooManyRecords;
        if (!readframe::takePart(found[i], linesBefore, options.maxRecords, result))
            return result;
        // A part other than the last ends with a line's terminator.
        linesBefore += static_cast<std::int64_t>(bounds[i]) - 1;
        table.appendSlotRange(firstSlots[i], found[i].records);
        table.clearSlots(firstSlots[i] + found[i].records,
                         static_cast<std::uint32_t>(slotBounds[i] - found[i].records));
    }

    result.lfLineEnds = !lines.endsAtCarriageReturn() && std::memchr(data, '\n', size) != nullptr;
    table.keepReadLines(options.separator);
    readframe::finish(table, std::move(bytes), fileSize, options, result, out);
    return result;
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
