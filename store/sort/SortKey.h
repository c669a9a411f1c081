#pragma once

#include <optional>
#include <string_view>

namespace keysort {

// How the values of one sort key compare.
enum class Comparison {
    // Upper-cased by the store's one case rule, then by bytes.
    TextIgnoringCase,
    // By the bytes of the UTF-8 text: the order of Sort By Column.
    TextExact,
    // Runs of ASCII digits by their value ("file2" before "file10"), the rest
    // as text ignoring case.
    Natural,
    Number,
    Date,
};

// The decimal mark of a number key; the other mark may group thousands.
enum class DecimalMark { Point, Comma };

// How a date that does not start with its year is read: 03/04/2024 is
// 3 April under DayMonth and 4 March under MonthDay.
enum class DateOrder { DayMonth, MonthDay };

struct SortKey {
    int field = 1; // 1-based
    bool descending = false;
    Comparison comparison = Comparison::TextIgnoringCase;
    DecimalMark decimalMark = DecimalMark::Point;
    DateOrder dateOrder = DateOrder::DayMonth;
};

// The words the operation data spells them with ("text", "exact",
// "natural", "number", "date"; "point", "comma"; "dmy", "mdy").
std::string_view nameOf(Comparison comparison);
std::string_view nameOf(DecimalMark mark);
std::string_view nameOf(DateOrder order);
std::optional<Comparison> comparisonNamed(std::string_view name);
std::optional<DecimalMark> decimalMarkNamed(std::string_view name);
std::optional<DateOrder> dateOrderNamed(std::string_view name);

} // namespace keysort
