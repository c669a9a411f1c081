#include "store/sort/DateGuess.h"

#include <algorithm>

#include "store/CSVDBS.h"
#include "store/sort/SortValues.h"

namespace keysort {

DateGuess guessDateFormat(const CSVDBS& store, int field)
{
    if (field < 1 || field > store.FieldCount())
        throw StoreError();
    std::int64_t valued = 0, yearFirst = 0, dayMonth = 0, monthDay = 0;
    char separator = 0, yearSeparator = 0;
    for (CSVDBS::RecordNo r = 1, n = store.RecordsHeld(); r <= n; ++r) {
        const std::string_view v = store.ValueAt(r, field);
        if (v.empty())
            continue;
        ++valued;
        const DateReadings readings = dateReadings(v);
        if (readings.yearFirst) {
            ++yearFirst;
            yearSeparator = yearSeparator ? yearSeparator : readings.separator;
        } else if (readings.dayMonth || readings.monthDay) {
            dayMonth += readings.dayMonth;
            monthDay += readings.monthDay;
            separator = separator ? separator : readings.separator;
        }
    }
    // An order that fits every date fits more of them than the other, unless
    // both fit all; so the counts alone decide.
    DateGuess guess;
    if (dayMonth == 0 && monthDay == 0)
        guess.format = yearFirst > 0 ? DateGuess::Format::YearFirst : DateGuess::Format::None;
    else if (dayMonth == monthDay)
        guess.format = DateGuess::Format::Ambiguous;
    else
        guess.format = dayMonth > monthDay ? DateGuess::Format::DayMonth : DateGuess::Format::MonthDay;
    guess.separator = separator ? separator : yearSeparator ? yearSeparator : '-';
    guess.dates = yearFirst + std::max(dayMonth, monthDay);
    guess.others = valued - guess.dates;
    return guess;
}

} // namespace keysort
