#include "store/read/StandardCsvReader.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <functional>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
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
        m_recordStart = m_pos;
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
    // Where the record just read began.
    const char* recordStart() const { return m_recordStart; }
    std::int64_t line() const { return m_line; }
    std::size_t offset(const char* base) const { return static_cast<std::size_t>(m_pos - base); }
    bool sawCarriageReturn() const { return m_sawCr; }
    bool sawLineFeed() const { return m_sawLf; }

    // Where the next quote, CR and LF lie, as far as this scanner has looked.
    // Each is found by a search that may run to the end of the text (there
    // may be none), so a scanner that reads on where another stopped takes
    // them over rather than search again.
    struct Searches {
        char* quote;
        char* carriageReturn;
        char* lineFeed;
    };
    Searches searches() const { return {m_nextQuote, m_nextCr, m_nextLf}; }
    // `found` must come from a scanner that has read no further than this
    // one starts.
    void takeOver(const Searches& found)
    {
        m_nextQuote = found.quote;
        m_nextCr = found.carriageReturn;
        m_nextLf = found.lineFeed;
    }

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

    // Inlined: a call per value costs as much as finding it.
    [[gnu::always_inline]] Cell makeCell(const char* from, const char* to)
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
    const char* m_recordStart = nullptr;
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
                 const std::atomic<bool>* cancel, PartFindings& found,
                 const std::function<void(std::int64_t)>& tick, Keep&& keep)
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
            tick(scanner.line() - 1);
        if (values.size() < fieldCount) [[unlikely]] {
            // Read with the missing values empty; the frame decides whether
            // that is allowed.
            values.resize(fieldCount);
            if (found.shortLines++ == 0)
                found.firstShortLine = scanner.recordLine();
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

// A quoted value's text, unescaped in a copy: the file's bytes stay as they
// are.
std::string unescapedCopy(const DeferredValue& v)
{
    std::string text(v.start, v.stop);
    text.resize(static_cast<std::size_t>(unescapeQuoted(text.data(), text.data() + text.size()) - text.data()));
    return text;
}

class RecordPartReader final : public readframe::PartReader {
public:
    RecordPartReader(char* begin, char* end, const std::string& separator, bool keepSpaceLines, bool guessed,
                     readframe::PartSlots slots, std::size_t maxRecords)
        : m_begin(begin), m_end(end), m_separator(separator), m_spans(slots.table.newSpanList()),
          m_scanner(std::in_place, begin, end, separator, m_spans, guessed), m_slots(slots), m_maxRecords(maxRecords), m_guessed(guessed)
    {
        m_scanner->keepSpaceLines(keepSpaceLines);
    }

    void readUntil(const char* stop, const std::atomic<bool>& cancel,
                   const std::function<void(std::int64_t)>& tick) override
    {
        // Read through locals, which the cells written cannot alias: the
        // scanner's position then stays in registers.
        RecordScanner scanner(std::move(*m_scanner));
        PartFindings part = found;
        scanner.stopAt(stop);
        const std::size_t fields = m_slots.columns.size();
        // Only a part that begins at a guess is ever stopped.
        const std::atomic<bool>* stopped = m_guessed ? &cancel : nullptr;
        if (m_slots.append) {
            CellTable& table = m_slots.table;
            readRecords(scanner, fields, m_maxRecords, stopped, part, tick,
                        [&](const std::vector<Cell>& values, std::size_t) { table.appendRecord(values.data()); });
        } else {
            const std::uint32_t first = m_slots.first;
            Cell* const* columns = m_slots.columns.data();
            readRecords(scanner, fields, m_maxRecords, stopped, part, tick,
                        [&](const std::vector<Cell>& values, std::size_t i) {
                            const auto slot = static_cast<std::uint32_t>(first + i);
                            scanner.placeDeferred(slot);
                            for (std::size_t f = 0; f < fields; ++f)
                                columns[f][slot] = values[f];
                        });
        }
        found = part;
        m_scanner.emplace(std::move(scanner));
    }

    // Reads the part again, writing nothing, to find what it holds up to a
    // record limit.
    void recount(std::size_t maxRecords) override
    {
        RecordScanner again(m_begin, m_end, m_separator, m_spans, true);
        again.keepSpaceLines(m_scanner->keepsSpaceLines());
        again.stopAt(m_scanner->position());
        found = {};
        readRecords(again, m_slots.columns.size(), maxRecords, nullptr, found, {},
                    [](const std::vector<Cell>&, std::size_t) {});
    }

    const char* position() const override { return m_scanner->position(); }
    std::int64_t lines() const override { return m_scanner->line() - 1; }

    void confirm() override
    {
        for (const DeferredValue& v : m_scanner->deferred()) {
            const char* stop = unescapeQuoted(v.start, v.stop);
            const auto size = static_cast<std::size_t>(stop - v.start);
            m_slots.columns[v.field][v.slot] = size == 0 ? Cell{} : Cell::of({v.start, size}, m_spans);
        }
    }

    const RecordScanner& scanner() const { return *m_scanner; }
    void takeOver(const RecordScanner::Searches& found) { m_scanner->takeOver(found); }

private:
    char* const m_begin;
    char* const m_end;
    const std::string& m_separator;
    std::deque<std::string_view>& m_spans;
    std::optional<RecordScanner> m_scanner; // a value, so that a read can take it into a local
    readframe::PartSlots m_slots;
    const std::size_t m_maxRecords;
    const bool m_guessed;
};

// A record runs from value to value, a quoted value across line ends too.
class QuotedRule final : public readframe::RecordRule {
public:
    explicit QuotedRule(const CsvReadOptions& options) : m_options(options) {}

    readframe::FirstRecord readFirst(char* begin, char* end, CellTable& table) override
    {
        m_end = end;
        readframe::FirstRecord first;
        RecordScanner scanner(begin, end, m_options.separator, table.newSpanList(), true);
        std::vector<Cell> cells;
        const RecordScanner::Status status = scanner.next(cells, static_cast<std::size_t>(MaxFieldCount));
        if (status == RecordScanner::Status::End)
            return first;
        if (status == RecordScanner::Status::Unclosed) {
            first.status = readframe::FirstRecord::Status::Fault;
            first.fault.fault = PartFindings::Fault::Unclosed;
            first.fault.faultLine = scanner.line();
            return first;
        }
        first.status = readframe::FirstRecord::Status::Record;
        for (const Cell& cell : cells)
            first.values.emplace_back(cell.view());
        for (const DeferredValue& v : scanner.deferred())
            first.values[v.field] = unescapedCopy(v);
        first.moreThanFieldLimit = scanner.hadMore();
        first.begin = scanner.recordStart();
        first.next = scanner.position();
        first.linesBefore = scanner.recordLine() - 1;
        first.linesThrough = scanner.line() - 1;
        m_headCarriageReturn = scanner.sawCarriageReturn();
        m_headLineFeed = scanner.sawLineFeed();
        m_headSearches = scanner.searches();
        return first;
    }

    // In a file of one field a line of spaces is a value.
    void fieldsAre(std::size_t count) override { m_keepSpaceLines = count == 1; }

    const char* nextStart(const char* begin, const char* p, const char* end) const override
    {
        return recordStartAfter(begin, p, end);
    }
    bool startsAreSure() const override { return false; }

    std::vector<std::size_t> recordBounds(const std::vector<parallel::TextRange>& parts, CsvReadResult&) override
    {
        std::vector<std::size_t> bounds(parts.size());
        parallel::run(parts.size(), [&](std::size_t i) {
            bounds[i] = static_cast<std::size_t>(countLineEnds(parts[i].begin, parts[i].end)) + 1;
        });
        return bounds;
    }

    bool endsLine(char c) const override { return isLineEnd(c); }

    std::unique_ptr<readframe::PartReader> reader(char* begin, readframe::PartSlots slots, bool guessed,
                                                  std::size_t maxRecords) override
    {
        auto reader = std::make_unique<RecordPartReader>(begin, m_end, m_options.separator, m_keepSpaceLines, guessed,
                                                         slots, maxRecords);
        // The first part begins where the first record began or ended.
        if (!guessed)
            reader->takeOver(m_headSearches);
        return reader;
    }

    void finish(const std::vector<const readframe::PartReader*>& taken, CellTable&, CsvReadResult& result) override
    {
        bool carriageReturn = m_headCarriageReturn, lineFeed = m_headLineFeed;
        for (const readframe::PartReader* part : taken) {
            const RecordScanner& scanner = static_cast<const RecordPartReader*>(part)->scanner();
            carriageReturn = carriageReturn || scanner.sawCarriageReturn();
            lineFeed = lineFeed || scanner.sawLineFeed();
        }
        result.lfLineEnds = lineFeed && !carriageReturn;
    }

private:
    const CsvReadOptions& m_options;
    char* m_end = nullptr;
    bool m_keepSpaceLines = false;
    bool m_headCarriageReturn = false;
    bool m_headLineFeed = false;
    RecordScanner::Searches m_headSearches{};
};

} // namespace

CsvReadResult readStandardCsv(huge::Bytes bytes, std::size_t size,
                              const CsvReadOptions& options, CellTable& out,
                              const ProgressCallback& progress)
{
    QuotedRule rule(options);
    return readframe::read(std::move(bytes), size, options, rule, out, progress);
}
