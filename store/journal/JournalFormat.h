#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/history/StepOperation.h"
#include "store/read/TextEncoding.h"

class CSVDBS;

// The bytes of a crash journal. The file begins with a mark and a version;
// then come records, each its payload's length, a checksum of the payload
// and the payload, so that a record the kill cut short is told from a whole
// one. The first record describes the file the steps apply to; the others
// are the steps, in the order they were done.
namespace journal {

constexpr std::string_view Mark = "TABVANEJ";
constexpr std::uint32_t Version = 1;
// Mark, version.
constexpr std::size_t FileHeaderSize = 12;
// Length, checksum.
constexpr std::size_t RecordHeaderSize = 8;

std::uint32_t crc32(std::string_view bytes);

// Every choice LoadFile reads a file by, so that recovery reads it the same way.
struct ReadChoices {
    std::string separator = ",";
    bool headerLine = true;
    bool headingsSuffice = false;
    bool standardQuoting = false;
    bool loneLineFeedsEndLines = false;
    FileEncoding encoding = FileEncoding::Utf8;

    static ReadChoices of(const CSVDBS& store);
    void applyTo(CSVDBS& store) const;
    bool operator==(const ReadChoices&) const = default;
};

// Which file, in which state, the steps were done on.
struct FileFacts {
    std::string path;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;
    bool operator==(const FileFacts&) const = default;
};

struct Base {
    FileFacts file;
    ReadChoices choices;
};

enum class Kind : char {
    Base = 'B',
    // The file's hash, taken after the first step so that no step waits for it.
    FileHash = 'F',
    Step = 'S',
    Undo = 'U',
    // An undo went back past the state the journal starts from (a save then
    // an undo): what follows cannot be rebuilt from the file, so nothing does.
    LostTrack = 'X',
};

// A whole record: header and payload.
std::string baseRecord(const Base& base);
std::string hashRecord(std::string_view hash);
std::string stepRecord(const StepOperation& operation);
std::string markRecord(Kind kind);
std::string fileHeader();

struct Entry {
    Kind kind;
    StepOperation operation; // for a step
};

// What a journal file holds, as far as it could be read.
struct Contents {
    enum class Problem { None, Unreadable, NewerVersion };
    Problem problem = Problem::None;
    std::string error; // why, for a problem
    std::uint32_t version = 0;
    Base base;
    std::string hash; // empty when the writer never got so far
    std::vector<Entry> entries;
    // The last record was cut short: the entries stop at the last whole one.
    bool torn = false;
    bool lostTrack = false;
    // Steps and undos the entries hold.
    std::size_t steps() const { return entries.size(); }
};

Contents read(std::string_view bytes);
Contents readFile(const std::string& path);

} // namespace journal
