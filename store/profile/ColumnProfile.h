#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CSVDBS;

// What one column of the store holds: counts, the most frequent values, a
// type guess per value, the range of its numbers and dates, and the
// blemishes a cleanup fixes. Computed without copying values (views into the
// store), on every core, and stoppable. Values that are not UTF-8 are
// profiled by their bytes as they are.
struct ColumnProfile {
    enum class Type { Integer, Decimal, Date, Time, Boolean, Text, Empty };
    static constexpr int TypeCount = 7;
    // How a date of the column reads: an ISO date, or day/month/year, or
    // month/day/year; ambiguous when both of the last two readings work for
    // every such value, or when some read only one way and some only the
    // other. An ambiguous column's range is read day first.
    enum class DateOrder { None, Iso, DayMonth, MonthDay, Ambiguous };

    int field = 0;          // 1-based
    std::int64_t values = 0;
    std::int64_t empty = 0;
    // Distinct values other than the empty one.
    std::int64_t distinct = 0;
    // The most frequent values but the empty one, most frequent first (ties
    // in text order, by bytes).
    std::vector<std::pair<std::string, std::int64_t>> top;
    std::int64_t typeCounts[TypeCount] = {};
    DateOrder dateOrder = DateOrder::None;
    // Decimals written with a comma ("3,5") rather than a point.
    std::int64_t decimalCommas = 0;

    // Numbers (integers and decimals).
    std::optional<double> minimum, maximum, mean, median;
    // Dates, as "YYYY-MM-DD", in the column's reading.
    std::optional<std::string> earliest, latest;
    // A histogram of the numbers (or, with no numbers, of the dates as days),
    // in equal bins from the minimum to the maximum.
    std::vector<std::int64_t> histogram;
    double histogramLow = 0, histogramHigh = 0;

    // By characters (an invalid byte counts as one), ties in text order;
    // empty values aside.
    std::string shortest, longest;
    // Values that are not valid UTF-8.
    std::int64_t notUtf8 = 0;

    // Blemishes: spaces at either end; doubled spaces inside; characters that
    // do not print (controls, zero-width, no-break space); values that
    // differ only in case from another value (counted per value).
    std::int64_t edgeSpaces = 0;
    std::int64_t doubledSpaces = 0;
    std::int64_t unprintable = 0;
    std::int64_t caseVariants = 0;
};

struct ProfileOptions {
    std::size_t topCount = 20;
    std::size_t histogramBins = 20;
    // Set from another thread to stop early; the result is then incomplete
    // and computeProfile returns nullopt.
    const std::atomic<bool>* cancel = nullptr;
};

// The profile of field `field` (1-based) of `store`. The store must not
// change meanwhile.
std::optional<ColumnProfile> computeProfile(const CSVDBS& store, int field, const ProfileOptions& options = {});

// "integer", "decimal", ... as the JSON and the panel name them.
const char* typeName(ColumnProfile::Type type);
// The profiles as a JSON array, as `tabvane --profile` prints it: an object a
// column, named by its heading. JSON holds only Unicode, so a byte that is
// not valid UTF-8 shows as U+FFFD; a top value with such bytes gives them in
// hexadecimal beside it ("bytes").
std::string profileJson(const std::vector<ColumnProfile>& profiles, const std::vector<std::string>& headings);
