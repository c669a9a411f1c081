#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/sort/SortKey.h"

// What a sort key reads in one value, each read once before the sort so that
// no comparison parses anything. Spaces round a value are ignored; nothing
// here changes a value's text.
namespace keysort {

// A number: an optional sign, digits that may be grouped in threes by the
// other mark, a space, a no-break space or an apostrophe (one kind in a
// value: 1,234,567.5 or 1.234.567,5 or 1 234 567), the decimal mark with
// more digits, and an exponent (2.5e-3). Not a number: anything else, NaN,
// infinities, and a value beyond what a double holds (1e400); a value too
// small for one (1e-400) reads as zero.
std::optional<double> numberValue(std::string_view value, DecimalMark mark);

// A double as eight bytes that compare, as an unsigned number, in the
// double's order; -0 and 0 are one.
std::uint64_t orderedBits(double value);

// How a value may read as a date: year first (2024-03-31, 2024/3/31), or as
// day/month/year and month/day/year with a four-digit year. The separator
// is '/', '.' or '-', the same twice; the date must exist (not 31/02/2024).
struct DateReadings {
    bool yearFirst = false;
    bool dayMonth = false;
    bool monthDay = false;
    char separator = 0;
    bool any() const { return yearFirst || dayMonth || monthDay; }
};
DateReadings dateReadings(std::string_view value);

// Days since 1970-01-01 of the date `value` is under `order`; a year-first
// date reads the same under both.
std::optional<std::int32_t> dateDays(std::string_view value, DateOrder order);

// Appends `value` upper-cased by the store's case rule.
void appendFolded(std::string_view value, std::string& out);
// Whether appendFolded would append `value` unchanged.
bool foldsToItself(std::string_view value);

// Appends the bytes whose byte order is the natural order of `value`: the
// folded text, with each run of ASCII digits as a mark that sorts below any
// text, its length without leading zeros, and those digits. Values that
// differ only in case or in leading zeros are equal.
void appendNatural(std::string_view value, std::string& out);
// Whether appendNatural would append `value` unchanged (no digit, no NUL,
// nothing to fold).
bool naturalIsItself(std::string_view value);

} // namespace keysort
