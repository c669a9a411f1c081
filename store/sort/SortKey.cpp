#include "store/sort/SortKey.h"

#include <array>
#include <utility>

namespace keysort {

namespace {

template <typename Enum, std::size_t N>
std::optional<Enum> named(const std::array<std::pair<Enum, std::string_view>, N>& names, std::string_view name)
{
    for (const auto& [value, text] : names)
        if (text == name)
            return value;
    return std::nullopt;
}

template <typename Enum, std::size_t N>
std::string_view nameIn(const std::array<std::pair<Enum, std::string_view>, N>& names, Enum value)
{
    for (const auto& [v, text] : names)
        if (v == value)
            return text;
    return {};
}

constexpr std::array<std::pair<Comparison, std::string_view>, 5> Comparisons = {{
    {Comparison::TextIgnoringCase, "text"},
    {Comparison::TextExact, "exact"},
    {Comparison::Natural, "natural"},
    {Comparison::Number, "number"},
    {Comparison::Date, "date"},
}};
constexpr std::array<std::pair<DecimalMark, std::string_view>, 2> Marks = {{
    {DecimalMark::Point, "point"},
    {DecimalMark::Comma, "comma"},
}};
constexpr std::array<std::pair<DateOrder, std::string_view>, 2> Orders = {{
    {DateOrder::DayMonth, "dmy"},
    {DateOrder::MonthDay, "mdy"},
}};

} // namespace

std::string_view nameOf(Comparison comparison) { return nameIn(Comparisons, comparison); }
std::string_view nameOf(DecimalMark mark) { return nameIn(Marks, mark); }
std::string_view nameOf(DateOrder order) { return nameIn(Orders, order); }
std::optional<Comparison> comparisonNamed(std::string_view name) { return named(Comparisons, name); }
std::optional<DecimalMark> decimalMarkNamed(std::string_view name) { return named(Marks, name); }
std::optional<DateOrder> dateOrderNamed(std::string_view name) { return named(Orders, name); }

} // namespace keysort
