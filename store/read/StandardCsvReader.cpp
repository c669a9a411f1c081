#include "store/read/StandardCsvReader.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <functional>
#include <thread>
#include <cstring>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "store/read/ByteScan.h"
#include "store/ParallelParse.h"
#include "store/read/ReadFrame.h"

namespace {

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

std::int64_t countLineEnds(const char* p, const char* end)
{
    return static_cast<std::int64_t>(bytescan::countLineEnds(p, end));
}

// Where the first record at or after `p` begins, in records that begin at
// `begin`: the next line start with an even number of quotes before it, so
// that it is not inside a quoted value; `end` where none is found. A quote
// inside an unquoted value is data and can mislead the count: the reading of
// the first part then finds that no record ends there.
const char* recordStartAfter(const char* begin, const char* p, const char* end)
{
    std::size_t quotes = bytescan::count(begin, p, '"');
    while (p < end) {
        const char* lineEnd = std::find_if(p, end, isLineEnd);
        if (lineEnd == end)
            return end;
        quotes += bytescan::count(p, lineEnd, '"');
        p = lineEnd + 1;
        if (*lineEnd == '\r' && p < end && *p == '\n')
            ++p;
        if (quotes % 2 == 0)
            return p;
    }
    return end;
}

// Turns a quoted value's raw text, from its opening quote to the end of any
// text after the closing one, into the value, in place: two quotes stand for
// one, and the text after the closing quote (`"a"b`) is kept as written. The
// value is never longer than its raw text. Returns the value's end.
char* unescapeQuoted(char* start, char* stop)
{
    char* write = start;
    char* read = start + 1;
    while (true) {
        auto* quote = static_cast<char*>(std::memchr(read, '"', static_cast<std::size_t>(stop - read)));
        const auto run = static_cast<std::size_t>((quote ? quote : stop) - read);
        std::memmove(write, read, run);
        write += run;
        if (!quote)
            return write;
        if (quote + 1 < stop && quote[1] == '"') {
            *write++ = '"';
            read = quote + 2;
            continue;
        }
        // The closing quote: what follows it is kept as it stands.
        const auto rest = static_cast<std::size_t>(stop - quote - 1);
        std::memmove(write, quote + 1, rest);
        return write + rest;
    }
}

// A quoted value whose unescaping waits until the reading of its part is
// known to have started at a record's start.
struct DeferredValue {
    std::uint32_t slot;
    std::uint32_t field;
    char* start;
    char* stop;
};

// Walks the bytes record by record. Quoted values are unescaped in place: the
// unescaped text is never longer than what it came from, so it is written
// over the bytes already read. A scanner that reads ahead on a guess at where
// a record starts writes nothing: it notes such values, to be unescaped once
// the guess is confirmed.
class RecordScanner {
public:
    RecordScanner(char* begin, char* end, const std::string& separator, std::deque<std::string_view>& spans,
                  bool deferRewrites = false)
        : m_pos(begin), m_end(end), m_stopAt(end), m_sep(separator), m_spans(spans), m_defer(deferRewrites) {}

    enum class Status { Record, End, Unclosed };

    // Fills `values` with the next non-blank record, its first `limit`
    // values only: a line of a billion separators costs no more than its
    // bytes. A record that would start at or past the stopping point is not
    // read.
    Status next(std::vector<Cell>& values, std::size_t limit)
    {
        values.clear();
        m_more = false;
        skipBlankLines();
        if (m_pos >= m_stopAt)
            return Status::End;
        m_recordLine = m_line;
        if (readPlainLine(values, limit))
            return Status::Record;
        while (true) {
            const bool kept = values.size() < limit;
            Cell cell;
            if (*m_pos == '"') {
                if (!readQuoted(cell, values.size(), kept))
                    return Status::Unclosed;
            } else {
                char* start = m_pos;
                m_pos = valueEnd(m_pos);
                if (kept)
                    cell = makeCell(start, m_pos);
            }
            keep(values, cell, limit);
            if (atSeparator()) {
                m_pos += m_sep.size();
                if (m_pos >= m_end) { // a separator ends the file: one more, empty value
                    keep(values, Cell{}, limit);
                    return Status::Record;
                }
                continue;
            }
            endLine();
            return Status::Record;
        }
    }

    // The record just read had values beyond its limit.
    bool hadMore() const { return m_more; }

    // In a file of one field a line of spaces is a value, as nothing is
    // trimmed; elsewhere it could only be a record too short, and is skipped.
    // Empty lines are skipped either way.
    void keepSpaceLines(bool keep) { m_keepSpaceLines = keep; }
    bool keepsSpaceLines() const { return m_keepSpaceLines; }

    // Records are read up to `p` only: p must be a line start.
    void stopAt(const char* p) { m_stopAt = p; }
    const char* position() const { return m_pos; }
    std::int64_t recordLine() const { return m_recordLine; }
    std::int64_t line() const { return m_line; }
    std::size_t offset(const char* base) const { return static_cast<std::size_t>(m_pos - base); }
    bool sawCarriageReturn() const { return m_sawCr; }
    bool sawLineFeed() const { return m_sawLf; }

    // The values of the record just read that wait to be unescaped now know
    // their slot.
    void placeDeferred(std::uint32_t slot)
    {
        for (; m_placed < m_deferred.size(); ++m_placed)
            m_deferred[m_placed].slot = slot;
    }
    const std::vector<DeferredValue>& deferred() const { return m_deferred; }

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

    void keep(std::vector<Cell>& values, Cell cell, std::size_t limit)
    {
        if (values.size() < limit)
            values.push_back(cell);
        else
            m_more = true;
    }

    // Most lines hold no quote at all: such a line is split at the separator
    // alone, as fast as the simple rule splits it.
    bool readPlainLine(std::vector<Cell>& values, std::size_t limit)
    {
        if (m_sep.size() != 1)
            return false;
        char* const lineEnd = std::min(nextOf('\r', m_nextCr), nextOf('\n', m_nextLf));
        if (nextOf('"', m_nextQuote) < lineEnd)
            return false;
        const char sep = m_sep[0];
        char* start = m_pos;
        const auto add = [&](char* stop) {
            if (values.size() == limit) {
                m_more = true;
                return false;
            }
            values.push_back(makeCell(start, stop));
            return true;
        };
        for (char* p = m_pos; p != lineEnd; ++p) {
            if (*p == sep) {
                if (!add(p))
                    break;
                start = p + 1;
            }
        }
        if (!m_more)
            add(lineEnd);
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

    // Finds the quoted value's end first; only a value with doubled quotes or
    // text after its closing quote needs its bytes rewritten.
    // A value beyond the record's limit (`kept` false) is only passed over.
    bool readQuoted(Cell& cell, std::size_t field, bool kept)
    {
        char* const start = m_pos;
        char* read = m_pos + 1;
        bool doubled = false;
        char* closing = nullptr;
        while (!closing) {
            auto* quote = static_cast<char*>(std::memchr(read, '"', static_cast<std::size_t>(m_end - read)));
            if (!quote) // found at once, with no second pass over the file
                return false;
            m_line += countLineEnds(read, quote);
            if (quote + 1 < m_end && quote[1] == '"') {
                doubled = true;
                read = quote + 2;
            } else {
                closing = quote;
            }
        }
        m_pos = valueEnd(closing + 1);
        if (!kept)
            return true;
        if (!doubled && m_pos == closing + 1) {
            cell = makeCell(start + 1, closing);
        } else if (m_defer) {
            m_deferred.push_back({0, static_cast<std::uint32_t>(field), start, m_pos});
            cell = Cell{};
        } else {
            cell = makeCell(start, unescapeQuoted(start, m_pos));
        }
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
        while (m_pos < m_end && m_pos != m_stopAt) {
            char* p = m_pos;
            while (!m_keepSpaceLines && p < m_end && *p == ' ')
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
    const char* m_stopAt;
    char* m_nextQuote = nullptr;
    char* m_nextCr = nullptr;
    char* m_nextLf = nullptr;
    const std::string& m_sep;
    std::deque<std::string_view>& m_spans;
    const bool m_defer;
    std::vector<DeferredValue> m_deferred;
    std::size_t m_placed = 0;
    std::int64_t m_line = 1;
    std::int64_t m_recordLine = 1;
    bool m_more = false;
    bool m_keepSpaceLines = false;
    bool m_sawCr = false;
    bool m_sawLf = false;
};


// What the reading of a run of records found; lines are the scanner's own.
using readframe::PartFindings;

// Reads records until the scanner's stopping point, a fault or `cancel`,
// handing each to `keep` with its index among the records read here.
template <typename Keep>
void readRecords(RecordScanner& scanner, std::size_t fieldCount, std::size_t maxRecords,
                 const std::atomic<bool>* cancel, PartFindings& found, const std::function<void()>& tick, Keep&& keep)
{
    std::vector<Cell> values;
    while (!(cancel && cancel->load(std::memory_order_relaxed))) {
        const RecordScanner::Status status = scanner.next(values, fieldCount);
        if (status == RecordScanner::Status::End)
            return;
        if (status == RecordScanner::Status::Unclosed) {
            found.fault = PartFindings::Fault::Unclosed;
            found.faultLine = scanner.line();
            return;
        }
        if (tick)
            tick();
        if (values.size() < fieldCount) {
            found.fault = PartFindings::Fault::FewerValues;
            found.faultLine = scanner.recordLine();
            return;
        }
        if (found.records >= maxRecords) {
            found.fault = PartFindings::Fault::TooManyRecords;
            return;
        }
        if (scanner.hadMore() && found.ignoredLines++ == 0)
            found.firstIgnoredLine = scanner.recordLine();
        keep(values, found.records++);
    }
}

// Turns a part's findings into the result; `lineBefore` is the file's line
// number of the part's first line, less one. False on a fault.

// Reading on two cores: the first reads from the start up to a line start
// near the middle, the second from there, each into slots of its own. The
// second's start is a guess; it holds when the first's last record ends
// exactly there. Otherwise the first reads on to the end alone and the
// second's work is dropped: it wrote no bytes, so nothing it read is lost.
class TwoPartRead {
public:
    TwoPartRead(CellTable& table, RecordScanner& first, char* middle, char* end, const CsvReadOptions& options)
        : m_table(table), m_first(first), m_middle(middle), m_end(end),
          m_second(middle, end, options.separator, table.newSpanList(), true), m_spans(table.newSpanList()),
          m_options(options)
    {
        m_second.keepSpaceLines(first.keepsSpaceLines());
    }

    // Room for the records: a slot for each line. False where that would
    // cost more than the file itself (many blank lines under a wide header),
    // unless it is little anyway.
    bool allocate(const char* begin, std::size_t fileSize)
    {
        std::int64_t lines[2];
        parallel::run(2, [&](std::size_t i) {
            lines[i] = (i == 0 ? countLineEnds(begin, m_middle) : countLineEnds(m_middle, m_end)) + 1;
        });
        m_secondSlot = static_cast<std::size_t>(lines[0]);
        const std::size_t slots = m_secondSlot + static_cast<std::size_t>(lines[1]);
        const auto fields = static_cast<std::size_t>(std::max(m_table.fieldCount(), 1));
        if (slots * fields * sizeof(Cell) > std::max(fileSize, std::size_t{1} << 20))
            return false;
        m_table.allocateSlots(slots);
        for (int f = 0; f < m_table.fieldCount(); ++f)
            m_columns.push_back(m_table.column(f));
        return true;
    }

    // Reads both parts after `firstFound` records already kept in the first
    // slots; fills in the result's counts and faults. False on a fault.
    bool read(PartFindings& firstFound, const std::function<void()>& tick, CsvReadResult& result)
    {
        const std::size_t fields = m_columns.size();
        PartFindings secondFound;
        std::atomic<bool> cancelSecond{false}, secondDone{false};
        m_first.stopAt(m_middle);
        parallel::run(2, [&](std::size_t part) {
            if (part == 1) {
                readRecords(m_second, fields, m_options.maxRecords, &cancelSecond, secondFound, {},
                            [&](const std::vector<Cell>& values, std::size_t i) {
                                const auto slot = static_cast<std::uint32_t>(m_secondSlot + i);
                                m_second.placeDeferred(slot);
                                store(values, slot);
                            });
                secondDone = true;
                return;
            }
            const auto keep = [&](const std::vector<Cell>& values, std::size_t i) {
                store(values, static_cast<std::uint32_t>(i));
            };
            readRecords(m_first, fields, m_options.maxRecords, nullptr, firstFound, tick, keep);
            m_guessHeld = firstFound.fault == PartFindings::Fault::None && m_first.position() == m_middle;
            if (m_guessHeld || firstFound.fault != PartFindings::Fault::None)
                return;
            // A record runs on past the guess: the second part's slots are
            // about to be written here, so it must have stopped first.
            cancelSecond = true;
            while (!secondDone)
                std::this_thread::yield();
            m_first.stopAt(m_end);
            readRecords(m_first, fields, m_options.maxRecords, nullptr, firstFound, tick, keep);
        });
        if (!readframe::takePart(firstFound, 0, m_options.maxRecords, result))
            return false;
        m_table.appendSlotRange(0, static_cast<std::uint32_t>(firstFound.records));
        if (!m_guessHeld)
            return true;
        // The record limit counts the first part's records too. Where it falls
        // inside the second part, only what came before it counts: the
        // second part's bytes are as they were, so they are read again.
        if (firstFound.records + secondFound.records > m_options.maxRecords) {
            RecordScanner again(m_middle, m_end, m_options.separator, m_spans, true);
            again.keepSpaceLines(m_first.keepsSpaceLines());
            secondFound = {};
            readRecords(again, fields, m_options.maxRecords - firstFound.records, nullptr, secondFound, {},
                        [](const std::vector<Cell>&, std::size_t) {});
        }
        if (!readframe::takePart(secondFound, m_first.line() - 1, m_options.maxRecords, result))
            return false;
        for (const DeferredValue& v : m_second.deferred())
            if (v.field < fields) {
                const char* stop = unescapeQuoted(v.start, v.stop);
                const auto size = static_cast<std::size_t>(stop - v.start);
                m_columns[v.field][v.slot] = size == 0 ? Cell{} : Cell::of({v.start, size}, m_spans);
            }
        m_table.appendSlotRange(static_cast<std::uint32_t>(m_secondSlot),
                                static_cast<std::uint32_t>(secondFound.records));
        return true;
    }

    bool sawCarriageReturn() const { return m_first.sawCarriageReturn() || (m_guessHeld && m_second.sawCarriageReturn()); }
    bool sawLineFeed() const { return m_first.sawLineFeed() || (m_guessHeld && m_second.sawLineFeed()); }

    void store(const std::vector<Cell>& values, std::uint32_t slot)
    {
        for (std::size_t f = 0; f < m_columns.size(); ++f)
            m_columns[f][slot] = values[f];
    }

private:
    CellTable& m_table;
    RecordScanner& m_first;
    char* const m_middle;
    char* const m_end;
    RecordScanner m_second;
    std::deque<std::string_view>& m_spans;
    const CsvReadOptions& m_options;
    std::vector<Cell*> m_columns;
    std::size_t m_secondSlot = 0;
    bool m_guessHeld = false;
};

// Whether the records after the first are worth two cores, and where the
// second would start.
char* secondPartStart(char* begin, char* end, std::size_t minPartBytes)
{
    const std::vector<parallel::TextRange> parts = readframe::cutIntoParts(
        begin, end, minPartBytes, [&](const char* p) { return recordStartAfter(begin, p, end); });
    assert(parts.size() <= 2); // the reading in parts takes two at most
    return parts.size() == 2 ? begin + (parts[1].begin - begin) : nullptr;
}

} // namespace

CsvReadResult readStandardCsv(huge::Bytes bytes, std::size_t size,
                              const CsvReadOptions& options, CellTable& out,
                              const ProgressCallback& progress)
{
    CsvReadResult result;
    const std::size_t fileSize = size;
    const readframe::Text text = readframe::withoutMark(bytes.get(), size);
    result.byteOrderMark = text.byteOrderMark;
    char* data = text.data;
    size = text.size;
    char* const end = data + size;
    CellTable table;
    RecordScanner scanner(data, end, options.separator, table.newSpanList());
    ProgressTicker ticker(progress, static_cast<std::int64_t>(size));

    // The first record names the fields, or is the first data record.
    std::vector<Cell> first;
    const RecordScanner::Status status = scanner.next(first, static_cast<std::size_t>(MaxFieldCount));
    if (status == RecordScanner::Status::Unclosed) {
        PartFindings unclosed;
        unclosed.fault = PartFindings::Fault::Unclosed;
        unclosed.faultLine = scanner.line();
        readframe::takePart(unclosed, 0, options.maxRecords, result);
        return result;
    }
    if (status == RecordScanner::Status::Record) {
        if (scanner.hadMore()) {
            result.error = readframe::tooManyFields();
            return result;
        }
        std::vector<std::string> names;
        for (std::size_t i = 0; i < first.size(); ++i)
            names.push_back(options.headerLine ? std::string(first[i].view()) : "Field " + std::to_string(i + 1));
        table.setNames(std::move(names));
        const auto fieldCount = static_cast<std::size_t>(table.fieldCount());
        scanner.keepSpaceLines(fieldCount == 1);
        PartFindings found;
        const bool firstIsData = !options.headerLine;
        if (firstIsData && options.maxRecords == 0) {
            found.fault = PartFindings::Fault::TooManyRecords;
            readframe::takePart(found, 0, options.maxRecords, result);
            return result;
        }
        std::optional<TwoPartRead> two;
        if (char* middle = secondPartStart(data + scanner.offset(data), end, options.minPartBytes)) {
            two.emplace(table, scanner, middle, end, options);
            if (!two->allocate(data, size))
                two.reset();
        }
        if (two) {
            if (firstIsData)
                two->store(first, static_cast<std::uint32_t>(found.records++));
            // The first part reads about half of the bytes.
            const auto tick = [&] { ticker.step(static_cast<std::int64_t>(std::min(size, 2 * scanner.offset(data)))); };
            if (!two->read(found, tick, result))
                return result;
            result.lfLineEnds = two->sawLineFeed() && !two->sawCarriageReturn();
        } else {
            if (firstIsData) {
                table.appendRecord(first.data());
                ++found.records;
            }
            readRecords(scanner, fieldCount, options.maxRecords, nullptr, found,
                        [&] { ticker.step(static_cast<std::int64_t>(scanner.offset(data))); },
                        [&](const std::vector<Cell>& values, std::size_t) { table.appendRecord(values.data()); });
            if (!readframe::takePart(found, 0, options.maxRecords, result))
                return result;
            result.lfLineEnds = scanner.sawLineFeed() && !scanner.sawCarriageReturn();
        }
    }

    readframe::finish(table, std::move(bytes), fileSize, options, result, out);
    return result;
}
