#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/ParallelParse.h"
#include "store/Progress.h"
#include "store/table/CellTable.h"
#include "store/table/HugeBuffer.h"

struct CsvReadOptions;
struct CsvReadResult;

// What every reading rule shares, so that each mark, limit and reason is
// handled in one place: the UTF-8 byte-order mark before the text, the first
// record and the field limit, the cut of the records into parts for the
// cores, the slots the parts read into, the record limit, the lines left out,
// the reasons a read fails, and the end of a read, where the table takes the
// file's bytes. A rule says only how its records split into values
// (`RecordRule`).
namespace readframe {

std::string tooManyFields();
std::string tooManyRecords(std::size_t maxRecords);
std::string noDataLine();

// What reading one part of the records found. Lines are counted from the
// part's first line.
struct PartFindings {
    std::size_t records = 0;
    enum class Fault { None, LoneQuote, Unclosed, TooManyRecords } fault = Fault::None;
    std::int64_t faultLine = 0;
    // Lines whose values beyond the field count were left out, and the first.
    std::int64_t ignoredLines = 0;
    std::int64_t firstIgnoredLine = 0;
    // Lines with fewer values than fields, read with the missing values
    // empty, and the first. Whether that is a fault is the frame's choice.
    std::int64_t shortLines = 0;
    std::int64_t firstShortLine = 0;
};

// The file's first record: the field names, or the first data record.
struct FirstRecord {
    enum class Status { Record, NoRecord, Fault } status = Status::NoRecord;
    // Its values, up to the field limit.
    std::vector<std::string> values;
    bool moreThanFieldLimit = false;
    // A value is a lone double quote (under a rule where that is a fault).
    bool loneQuote = false;
    PartFindings fault; // on Status::Fault
    const char* begin = nullptr; // where its line begins
    const char* next = nullptr;  // where the records after it begin
    std::int64_t linesBefore = 0;  // lines before `begin`
    std::int64_t linesThrough = 0; // lines before `next`
};

// Where a part's records go: the slots [first, limit) of the table, each
// record into the next; or, with `append`, onto the table's end.
struct PartSlots {
    CellTable& table;
    const std::vector<Cell*>& columns;
    std::uint32_t first;
    std::uint32_t limit;
    bool append;
};

// Reads the records of one part.
class PartReader {
public:
    virtual ~PartReader() = default;
    // Reads the records that begin before `stop`, a record start, until a
    // fault or `cancel`. Called again with a later stop, it reads on. `tick`
    // gets the lines passed so far.
    virtual void readUntil(const char* stop, const std::atomic<bool>& cancel,
                           const std::function<void(std::int64_t)>& tick) = 0;
    // Where the reading stopped: the start of the first record not read.
    virtual const char* position() const = 0;
    // The line ends passed.
    virtual std::int64_t lines() const = 0;
    // Finds again what the part holds as far as it was read, counting no
    // more than `maxRecords` records (the records before it used the rest).
    virtual void recount(std::size_t maxRecords) = 0;
    // The part is known to have begun at a record's start: what waited on
    // that may now be written.
    virtual void confirm() {}

    PartFindings found;
};

// One rule's way of reading records.
class RecordRule {
public:
    virtual ~RecordRule() = default;

    // Reads the first record of [begin, end) without writing to the bytes
    // (it may be read again as data).
    virtual FirstRecord readFirst(char* begin, char* end, CellTable& table) = 0;
    // The records have `count` fields.
    virtual void fieldsAre(std::size_t count) { (void)count; }

    // Where the first record at or after `p` begins, in records that begin
    // at `begin`, or `end` where none does.
    virtual const char* nextStart(const char* begin, const char* p, const char* end) const = 0;
    // Whether nextStart() is sure, or a guess that the reading of the part
    // before must confirm: the part before then ends exactly there.
    virtual bool startsAreSure() const = 0;

    // For each part, more than the records it holds (the lines it starts
    // and one); may note in `result` what the count shows of the file.
    virtual std::vector<std::size_t> recordBounds(const std::vector<parallel::TextRange>& parts,
                                                  CsvReadResult& result) = 0;
    // For each part, the records it holds, where the rule can count them
    // cheaply (and its starts are sure); false otherwise.
    virtual bool countRecords(const std::vector<parallel::TextRange>& parts, std::vector<std::size_t>& counts)
    {
        (void)parts;
        (void)counts;
        return false;
    }
    // Whether `c` ends a line, as the last byte of the text.
    virtual bool endsLine(char c) const = 0;

    // A reader for the part that begins at `begin`; `guessed` where that is
    // a guess, so that it writes no byte until confirmed. Made one at a time.
    virtual std::unique_ptr<PartReader> reader(char* begin, PartSlots slots, bool guessed,
                                               std::size_t maxRecords) = 0;

    // Ends the read: `taken` are the readers whose records the table holds.
    virtual void finish(const std::vector<const PartReader*>& taken, CellTable& table, CsvReadResult& result) = 0;
};

// Reads `size` bytes (whole file, mark included) into `out` by `rule`; takes
// ownership of `bytes`, into which the cells of `out` point.
CsvReadResult read(huge::Bytes bytes, std::size_t size, const CsvReadOptions& options, RecordRule& rule,
                   CellTable& out, const ProgressCallback& progress);

} // namespace readframe
