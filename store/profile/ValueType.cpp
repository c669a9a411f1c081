#include "store/profile/ValueType.h"

#include <charconv>
#include <cstring>

namespace valuetype {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Whether [from, to) is a run of one digit or more.
bool digits(std::string_view text, std::size_t from, std::size_t to)
{
    if (from >= to || to > text.size())
        return false;
    for (std::size_t i = from; i < to; ++i)
        if (!isDigit(text[i]))
            return false;
    return true;
}

int numberAt(std::string_view text, std::size_t at, std::size_t length)
{
    int n = 0;
    for (std::size_t i = at; i < at + length; ++i)
        n = n * 10 + (text[i] - '0');
    return n;
}

bool validDate(int year, int month, int day)
{
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > days[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day < 29 || leap;
}

} // namespace

Number readNumber(std::string_view v)
{
    Number n;
    std::size_t i = 0;
    if (i < v.size() && (v[i] == '+' || v[i] == '-'))
        ++i;
    const std::size_t whole = i;
    while (i < v.size() && isDigit(v[i]))
        ++i;
    const bool hasWhole = i > whole;
    bool fraction = false;
    std::size_t mark = std::string_view::npos;
    if (i < v.size() && (v[i] == '.' || v[i] == ',')) {
        mark = i++;
        const std::size_t start = i;
        while (i < v.size() && isDigit(v[i]))
            ++i;
        fraction = i > start;
        if (!fraction)
            return n; // "3." and "3," are text
    }
    if (!hasWhole && !fraction)
        return n;
    bool exponent = false;
    if (i < v.size() && (v[i] == 'e' || v[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < v.size() && (v[j] == '+' || v[j] == '-'))
            ++j;
        const std::size_t start = j;
        while (j < v.size() && isDigit(v[j]))
            ++j;
        if (j == start)
            return n;
        exponent = true;
        i = j;
    }
    if (i != v.size())
        return n;
    n.decimal = fraction || exponent;
    n.comma = mark != std::string_view::npos && v[mark] == ',';
    // from_chars takes no '+' and no comma for the mark.
    std::string_view text = v.front() == '+' ? v.substr(1) : v;
    if (!n.decimal) {
        long long whole64 = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), whole64);
        if (error == std::errc() && end == text.data() + text.size()) {
            n.is = true;
            n.value = static_cast<double>(whole64);
            return n;
        }
    }
    char copy[64];
    if (n.comma) {
        if (text.size() > sizeof copy)
            return n;
        std::memcpy(copy, text.data(), text.size());
        copy[mark - (v.size() - text.size())] = '.';
        text = std::string_view(copy, text.size());
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n.value);
    // Beyond the range of a double ("1e999") a number is still a number.
    n.is = end == text.data() + text.size() && (error == std::errc() || error == std::errc::result_out_of_range);
    return n;
}

Date readDate(std::string_view v)
{
    Date d;
    if (v.size() == 10 && v[4] == '-' && v[7] == '-' && digits(v, 0, 4) && digits(v, 5, 7) && digits(v, 8, 10)) {
        const int year = numberAt(v, 0, 4), month = numberAt(v, 5, 2), day = numberAt(v, 8, 2);
        d.iso = validDate(year, month, day);
        if (d.iso)
            d.isoDay = dayNumber(year, month, day);
        return d;
    }
    // 1/2/2024, 01.02.2024, 1-2-24: two numbers of one or two digits and a year.
    const std::size_t s1 = v.find_first_of("/.-");
    if (s1 == std::string_view::npos || s1 == 0 || s1 > 2)
        return d;
    const std::size_t s2 = v.find(v[s1], s1 + 1);
    if (s2 == std::string_view::npos || s2 - s1 - 1 == 0 || s2 - s1 - 1 > 2)
        return d;
    const std::size_t yearDigits = v.size() - s2 - 1;
    if ((yearDigits != 4 && yearDigits != 2) || !digits(v, 0, s1) || !digits(v, s1 + 1, s2) || !digits(v, s2 + 1, v.size()))
        return d;
    const int first = numberAt(v, 0, s1), second = numberAt(v, s1 + 1, s2 - s1 - 1);
    // A two-digit year is of this century, as spreadsheets read "24".
    const int year = numberAt(v, s2 + 1, yearDigits) + (yearDigits == 2 ? 2000 : 0);
    d.dayMonth = validDate(year, second, first);
    d.monthDay = validDate(year, first, second);
    if (d.dayMonth)
        d.dayMonthDay = dayNumber(year, second, first);
    if (d.monthDay)
        d.monthDayDay = dayNumber(year, first, second);
    return d;
}

bool isTime(std::string_view v)
{
    const std::size_t c1 = v.find(':');
    if (c1 == std::string_view::npos || c1 == 0 || c1 > 2 || !digits(v, 0, c1))
        return false;
    const std::size_t c2 = v.find(':', c1 + 1);
    const std::size_t minutesEnd = c2 == std::string_view::npos ? v.size() : c2;
    if (minutesEnd - c1 - 1 != 2 || !digits(v, c1 + 1, minutesEnd))
        return false;
    if (c2 != std::string_view::npos && (v.size() - c2 - 1 != 2 || !digits(v, c2 + 1, v.size())))
        return false;
    return numberAt(v, 0, c1) < 24 && numberAt(v, c1 + 1, 2) < 60
        && (c2 == std::string_view::npos || numberAt(v, c2 + 1, 2) < 60);
}

bool isBoolean(std::string_view v)
{
    static const std::string_view words[] = {"true", "false", "yes", "no"};
    for (const std::string_view word : words) {
        if (word.size() != v.size())
            continue;
        std::size_t i = 0;
        while (i < v.size() && (v[i] | 0x20) == word[i])
            ++i;
        if (i == v.size())
            return true;
    }
    return false;
}

// The civil-calendar conversions of Howard Hinnant's date algorithms.
int dayNumber(int year, int month, int day)
{
    year -= month <= 2;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yoe = year - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void dateOfDay(int days, int& year, int& month, int& day)
{
    days += 719468;
    const int era = (days >= 0 ? days : days - 146096) / 146097;
    const int doe = days - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = yoe + era * 400 + (month <= 2);
}

} // namespace valuetype
