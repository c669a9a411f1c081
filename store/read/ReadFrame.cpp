#include "store/read/ReadFrame.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <numeric>
#include <thread>

#include "store/read/CsvReader.h"

namespace readframe {

std::string tooManyFields() { return "The file has more than " + std::to_string(MaxFieldCount) + " fields."; }

std::string tooManyRecords(std::size_t maxRecords)
{
    return "The file has more than " + std::to_string(maxRecords) + " records.";
}

std::string noDataLine() { return "The file holds no data line."; }

namespace {

// The text after a UTF-8 byte-order mark, if the file begins with one.
struct Text {
    char* data;
    std::size_t size;
    bool byteOrderMark;
};

Text withoutMark(char* bytes, std::size_t size)
{
    if (size >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0)
        return {bytes + 3, size - 3, true};
    return {bytes, size, false};
}

std::string atLine(std::int64_t line, const std::string& what) { return "Line " + std::to_string(line) + what; }

void countShortLines(const PartFindings& found, std::int64_t linesBefore, CsvReadResult& result)
{
    if (found.shortLines > 0 && result.shortLines == 0)
        result.firstShortLine = linesBefore + found.firstShortLine;
    result.shortLines += found.shortLines;
}

// Adds a part's findings to `result`, its lines numbered after `linesBefore`:
// the lines left out and the short lines are counted, and a fault becomes
// the reason the read fails (false). A short line is a fault unless short
// lines are filled out; it comes before any other fault of its part, where
// the part's reading stopped. Parts are taken in the file's order.
bool takePart(const PartFindings& found, std::int64_t linesBefore, const CsvReadOptions& options,
              CsvReadResult& result)
{
    if (found.ignoredLines > 0 && result.ignoredLines == 0)
        result.firstIgnoredLine = linesBefore + found.firstIgnoredLine;
    result.ignoredLines += found.ignoredLines;
    countShortLines(found, linesBefore, result);
    if (result.shortLines > 0 && !options.fillShortLines) {
        result.error = atLine(result.firstShortLine, " has fewer values than there are fields.");
        result.tooFewValues = true;
        return false;
    }
    const std::size_t maxRecords = options.maxRecords;
    const std::int64_t line = linesBefore + found.faultLine;
    switch (found.fault) {
    case PartFindings::Fault::None:
        return true;
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

// Names the fields from the first record; false, with the reason, where it
// cannot name them.
bool nameFields(FirstRecord& first, const CsvReadOptions& options, CellTable& table, CsvReadResult& result)
{
    switch (first.status) {
    case FirstRecord::Status::NoRecord:
        result.error = noDataLine();
        return false;
    case FirstRecord::Status::Fault:
        return takePart(first.fault, 0, options, result);
    case FirstRecord::Status::Record:
        break;
    }
    if (first.moreThanFieldLimit) {
        result.error = tooManyFields();
        return false;
    }
    if (options.headerLine && first.loneQuote) {
        result.error = "A field name is a lone double quote.";
        return false;
    }
    // A value may be most of the file: it is moved, not copied.
    std::vector<std::string> names = std::move(first.values);
    if (!options.headerLine)
        for (std::size_t i = 0; i < names.size(); ++i)
            names[i] = "Field " + std::to_string(i + 1);
    table.setNames(std::move(names));
    return true;
}

// The parts of the records, each with its slots. A slot per line costs a
// cell per field; where that would outweigh the file itself (many blank
// lines under a wide header), the rule counts the records exactly, or the
// records are read in one part onto the table's end, so that blank lines
// cost no room.
struct Layout {
    std::vector<parallel::TextRange> ranges;
    std::vector<std::size_t> slots;      // per part
    std::vector<std::uint32_t> firstSlot; // per part
    std::size_t totalSlots = 0;
    bool append = false;
    std::int64_t lines = 0; // in the records, as an editor shows them
};

Layout layOut(const char* begin, const char* end, const CsvReadOptions& options, RecordRule& rule,
              CellTable& table, CsvReadResult& result)
{
    Layout layout;
    layout.ranges = parallel::cutAt(begin, end,
                                    parallel::partsFor(static_cast<std::size_t>(end - begin), options.minPartBytes),
                                    [&](const char* p) { return rule.nextStart(begin, p, end); });
    layout.slots = rule.recordBounds(layout.ranges, result);
    const std::size_t bound = std::accumulate(layout.slots.begin(), layout.slots.end(), std::size_t{0});
    // Each bound counts one line more than its part holds, except a last
    // part whose final line has no line end.
    const bool openLastLine = end > begin && !rule.endsLine(end[-1]);
    layout.lines = static_cast<std::int64_t>(bound - layout.ranges.size()) + (openLastLine ? 1 : 0);
    const auto fields = static_cast<std::size_t>(std::max(table.fieldCount(), 1));
    const std::size_t text = std::max(static_cast<std::size_t>(end - begin), std::size_t{1} << 20);
    if (bound * fields * sizeof(Cell) > text && !rule.countRecords(layout.ranges, layout.slots)) {
        layout.ranges = {{begin, end}};
        layout.slots = {0};
        layout.append = true;
    }
    std::size_t slots = 0;
    for (const std::size_t n : layout.slots) {
        layout.firstSlot.push_back(static_cast<std::uint32_t>(std::min<std::size_t>(slots, UINT32_MAX)));
        slots += n;
    }
    layout.totalSlots = slots;
    if (!layout.append)
        table.allocateSlots(slots);
    return layout;
}

// Reads the parts, one per core. A part that begins at a guess reads on the
// guess; where the part before it runs on past that point, the guess was
// wrong: the later parts stop, and the part before reads on to the end into
// their slots. They wrote no bytes, so nothing they read is lost.
void readParts(const Layout& layout, const char* end, const std::vector<std::unique_ptr<PartReader>>& readers,
               const std::function<void(std::int64_t)>& tick)
{
    const std::size_t parts = readers.size();
    std::vector<std::atomic<bool>> cancel(parts), done(parts);
    parallel::run(parts, [&](std::size_t i) {
        PartReader& reader = *readers[i];
        const std::function<void(std::int64_t)> noTick;
        const auto& ticks = i == 0 ? tick : noTick;
        reader.readUntil(layout.ranges[i].end, cancel[i], ticks);
        if (i + 1 < parts && reader.found.fault == PartFindings::Fault::None
            && reader.position() != layout.ranges[i].end && !cancel[i]) {
            for (std::size_t later = i + 1; later < parts; ++later)
                cancel[later] = true;
            for (std::size_t later = i + 1; later < parts; ++later)
                while (!done[later])
                    std::this_thread::yield();
            reader.readUntil(end, cancel[i], ticks);
        }
        done[i] = true;
    });
}

// Counts the short lines (and the lines left out) of the parts after
// `failed`, as far as the parts read on from each other without a fault, so
// that the reason a read failed can say how many lines are short, and the
// counts are those of one core reading on to its first other fault.
void countLaterShortLines(const Layout& layout, const std::vector<std::unique_ptr<PartReader>>& readers,
                          std::size_t failed, std::int64_t linesBefore, std::size_t records, std::size_t maxRecords,
                          CsvReadResult& result)
{
    for (std::size_t i = failed; i + 1 < readers.size(); ++i) {
        const PartReader& before = *readers[i];
        if (before.found.fault != PartFindings::Fault::None || before.position() != layout.ranges[i].end)
            return;
        // One core would have stopped at the record limit.
        if (records + readers[i + 1]->found.records > maxRecords)
            readers[i + 1]->recount(maxRecords - records);
        const PartFindings& next = readers[i + 1]->found;
        records += next.records;
        countShortLines(next, linesBefore, result);
        if (next.ignoredLines > 0 && result.ignoredLines == 0)
            result.firstIgnoredLine = linesBefore + next.firstIgnoredLine;
        result.ignoredLines += next.ignoredLines;
        linesBefore += readers[i + 1]->lines();
    }
}

// Takes the parts' records into the table, in order, until a fault, and
// empties the slots that hold none. Returns the readers taken, or nothing on
// a fault.
bool takeParts(const Layout& layout, const std::vector<std::unique_ptr<PartReader>>& readers,
               std::int64_t linesBefore, const CsvReadOptions& options, CellTable& table, CsvReadResult& result,
               std::vector<const PartReader*>& taken)
{
    const std::size_t maxRecords = options.maxRecords;
    std::size_t records = 0;
    const std::size_t parts = readers.size();
    for (std::size_t i = 0; i < parts; ++i) {
        PartReader& reader = *readers[i];
        // Too many records is said before a fault further on, and the
        // lines left out are counted only as far as the limit.
        if (records + reader.found.records > maxRecords)
            reader.recount(maxRecords - records);
        const PartFindings& found = reader.found;
        if (!takePart(found, linesBefore, options, result)) {
            if (result.tooFewValues)
                countLaterShortLines(layout, readers, i, linesBefore + reader.lines(), records + found.records,
                                     maxRecords, result);
            return false;
        }
        if (i > 0)
            reader.confirm();
        records += found.records;
        taken.push_back(&reader);
        linesBefore += reader.lines();
        const bool last = i + 1 == parts || reader.position() != layout.ranges[i].end;
        if (!layout.append) {
            const auto count = static_cast<std::uint32_t>(found.records);
            table.appendSlotRange(layout.firstSlot[i], count);
            const auto unused = last ? static_cast<std::uint32_t>(layout.totalSlots) : layout.firstSlot[i + 1];
            table.clearSlots(layout.firstSlot[i] + count, unused - layout.firstSlot[i] - count);
        }
        if (last)
            break;
    }
    return true;
}

// Ends a read into `table`: a table with no record fails, unless headings
// suffice; otherwise it takes `bytes` (the whole file, `fileSize` bytes,
// mark included) and replaces `out`.
void finish(CellTable& table, huge::Bytes bytes, std::size_t fileSize, const CsvReadOptions& options,
            CsvReadResult& result, CellTable& out)
{
    if (table.recordCount() == 0 && !(options.headingsSuffice && table.fieldCount() > 0)) {
        result.error = noDataLine();
        return;
    }
    table.adoptBuffer(std::move(bytes), fileSize);
    out.swap(table);
    result.ok = true;
}

} // namespace

CsvReadResult read(huge::Bytes bytes, std::size_t size, const CsvReadOptions& options, RecordRule& rule,
                   CellTable& out, const ProgressCallback& progress)
{
    CsvReadResult result;
    const Text text = withoutMark(bytes.get(), size);
    result.byteOrderMark = text.byteOrderMark;
    char* const end = text.data + text.size;
    CellTable table;

    FirstRecord first = rule.readFirst(text.data, end, table);
    if (!nameFields(first, options, table, result))
        return result;
    rule.fieldsAre(static_cast<std::size_t>(table.fieldCount()));
    // Without a header line the first record is read again, as data.
    char* const begin = text.data + ((options.headerLine ? first.next : first.begin) - text.data);
    const std::int64_t linesBefore = options.headerLine ? first.linesThrough : first.linesBefore;

    const Layout layout = layOut(begin, end, options, rule, table, result);
    const std::size_t parts = layout.ranges.size();
    std::vector<Cell*> columns;
    for (int f = 0; f < table.fieldCount(); ++f)
        columns.push_back(table.column(f));
    std::vector<std::unique_ptr<PartReader>> readers;
    for (std::size_t i = 0; i < parts; ++i) {
        const std::uint32_t firstSlot = layout.firstSlot[i];
        const PartSlots slots{table, columns, firstSlot, firstSlot + static_cast<std::uint32_t>(layout.slots[i]),
                              layout.append};
        readers.push_back(rule.reader(begin + (layout.ranges[i].begin - begin), slots, i > 0 && !rule.startsAreSure(),
                                      options.maxRecords));
    }

    // The first part reports for all: the parts are about the same size.
    ProgressTicker ticker(progress, linesBefore + layout.lines, options.progressInterval);
    const auto tick = [&](std::int64_t lines) {
        ticker.step(linesBefore + lines * static_cast<std::int64_t>(parts));
    };
    readParts(layout, end, readers, progress ? std::function<void(std::int64_t)>(tick) : nullptr);

    std::vector<const PartReader*> taken;
    if (!takeParts(layout, readers, linesBefore, options, table, result, taken))
        return result;
    rule.finish(taken, table, result);
    finish(table, std::move(bytes), size, options, result, out);
    return result;
}

} // namespace readframe
