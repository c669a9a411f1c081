#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class CSVDBS;

// What changed between two versions of a file: the union of their rows, each
// saying whether it was added, removed, changed or is the same, and the union
// of their columns. Rows and columns refer to the two stores by number; no
// value is copied, so the stores must outlive the result and stay unchanged.
namespace FileCompare {

enum class Change : std::uint8_t { Same, Added, Removed, Changed };

struct Row {
    std::int32_t oldRecord = 0; // 1-based in the older store; 0 when added
    std::int32_t newRecord = 0; // 1-based in the newer store; 0 when removed
    Change change = Change::Same;
};

// Columns are matched by heading, exactly; a heading that repeats pairs its
// n-th column in one file with its n-th in the other.
struct Column {
    int oldField = 0; // 1-based; 0 when only the newer file has it
    int newField = 0; // 1-based; 0 when only the older file has it
    std::string heading;
};

struct Counts {
    std::int64_t added = 0, removed = 0, changed = 0, same = 0;
    int addedColumns = 0, removedColumns = 0;
};

struct Result {
    // The newer file's columns in its order, each column only the older file
    // has after the one it followed there.
    std::vector<Column> columns;
    // By key: the newer file's rows in its order, each removed row after the
    // one it followed in the older file. By position: row i of both.
    std::vector<Row> rows;
    Counts counts;
    bool differs() const
    {
        return counts.added || counts.removed || counts.changed || counts.addedColumns || counts.removedColumns;
    }
};

// A key that cannot pair the rows (missing, repeated or empty), said for the
// user, before anything is compared.
struct CompareError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// `key` empty: record i of one file pairs with record i of the other.
// Otherwise the column of that heading (the store's name rule) in both files,
// whose values must be there and unique. `oldName` and `newName` name the
// files in messages. Throws CompareError.
Result compare(const CSVDBS& older, const CSVDBS& newer, const std::string& key, const std::string& oldName,
               const std::string& newName);

// Whether the cell of `column` differs in `row` (false unless both files
// have the row and the column).
bool cellChanged(const CSVDBS& older, const CSVDBS& newer, const Row& row, const Column& column);

// "12 added · 8 removed · 30 changed · 999,950 the same", and the columns
// when some were added or removed; "No differences" when there are none.
std::string describe(const Counts& counts);

// The differing rows as CSV (standard quoting, comma): a heading line
// "change" and the columns' headings, then one line per differing row, its
// first value "added", "removed" or "changed" and then the row's values, the
// newer ones; a changed row is followed by a line "was" with its older ones.
// The text goes to `write` a piece at a time, so that a million differing
// rows need not sit in memory twice.
void writeDifferences(const CSVDBS& older, const CSVDBS& newer, const Result& result, const std::string& lineEnd,
                      const std::function<void(std::string_view)>& write);

} // namespace FileCompare
