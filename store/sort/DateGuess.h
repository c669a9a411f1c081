#pragma once

#include <cstdint>

#include "store/sort/SortKey.h"

class CSVDBS;

namespace keysort {

// How the dates of a column are written, as far as its values tell.
struct DateGuess {
    enum class Format {
        None,      // no value reads as a date
        YearFirst, // every date starts with its year (2024-03-31)
        DayMonth,  // 31/03/2024: only day/month/year fits them all
        MonthDay,  // 03/31/2024
        Ambiguous, // both fit every date (03/04/2024, 01/02/2023)
    };
    Format format = Format::None;
    // The separator of the dates that do not start with their year ('/',
    // '.' or '-'), or of the year-first ones when there are no others.
    char separator = '-';
    // Values that read as a date under the guess, and values that do not
    // (empty ones aside).
    std::int64_t dates = 0;
    std::int64_t others = 0;
    // The order to sort by: the one guessed, else day/month.
    DateOrder order() const { return format == Format::MonthDay ? DateOrder::MonthDay : DateOrder::DayMonth; }
};

// Reads every value of field `field` (1-based). When neither day/month nor
// month/day fits all the dates that are not year-first, the one that fits
// more wins, and a tie is ambiguous. Throws StoreError for a field out of
// range.
DateGuess guessDateFormat(const CSVDBS& store, int field);

} // namespace keysort
