#include "store/sort/SortValues.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <limits>

#include "store/table/TextFold.h"

namespace keysort {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The separator that groups thousands at `at`, or an empty view.
std::string_view groupSeparatorAt(std::string_view v, std::size_t at, char otherMark)
{
    static constexpr std::string_view spaces[] = {" ", "'", "\xC2\xA0", "\xE2\x80\xAF"};
    if (at < v.size() && v[at] == otherMark)
        return v.substr(at, 1);
    for (const std::string_view s : spaces)
        if (v.substr(at).starts_with(s))
            return s;
    return {};
}

// For a number too large or too small for a double: whether it is too large.
// `clean` is digits with an optional '.', then an optional exponent.
bool beyondLargest(std::string_view clean)
{
    long long exponent = 0;
    const std::size_t e = clean.find('e');
    if (e != std::string_view::npos) {
        std::string_view digits = clean.substr(e + 1);
        const bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
            digits.remove_prefix(1);
        // An exponent past any double's is as good as infinite.
        for (const char c : digits)
            exponent = std::min<long long>(exponent * 10 + (c - '0'), 1'000'000);
        if (negative)
            exponent = -exponent;
        clean = clean.substr(0, e);
    }
    // Where the first digit that is not zero stands, against the point.
    const std::size_t point = std::min(clean.find('.'), clean.size());
    const std::size_t first = clean.find_first_not_of("0.");
    if (first == std::string_view::npos)
        return false;
    const long long magnitude = first < point ? static_cast<long long>(point - first)
                                              : -static_cast<long long>(first - point - 1);
    return magnitude + exponent > 0;
}

struct DateParts {
    int numbers[3] = {};
    std::size_t lengths[3] = {};
    char separator = 0;
};

std::optional<DateParts> datePartsOf(std::string_view value)
{
    const std::string_view v = trimSpaces(value);
    DateParts parts;
    std::size_t i = 0;
    for (int part = 0; part < 3; ++part) {
        const std::size_t start = i;
        int number = 0;
        while (i < v.size() && isDigit(v[i]) && i - start < 5)
            number = number * 10 + (v[i++] - '0');
        const std::size_t length = i - start;
        if (length == 0 || length > 4)
            return std::nullopt;
        parts.numbers[part] = number;
        parts.lengths[part] = length;
        if (part == 2)
            break;
        if (i == v.size() || (v[i] != '/' && v[i] != '.' && v[i] != '-'))
            return std::nullopt;
        if (part == 1 && v[i] != parts.separator)
            return std::nullopt;
        parts.separator = v[i++];
    }
    if (i != v.size())
        return std::nullopt;
    return parts;
}

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool dateExists(int year, int month, int day)
{
    static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1)
        return false;
    return day <= lengths[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
}

std::int32_t daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const int era = y / 400; // years are positive here
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool isAscii(std::string_view v)
{
    return std::all_of(v.begin(), v.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::optional<double> numberValue(std::string_view value, DecimalMark mark)
{
    const std::string_view v = trimSpaces(value);
    const char decimal = mark == DecimalMark::Point ? '.' : ',';
    const char other = mark == DecimalMark::Point ? ',' : '.';
    const std::size_t n = v.size();
    const auto digitAt = [&](std::size_t k) { return k < n && isDigit(v[k]); };
    // Short numbers fit the string's own room: no allocation for most values.
    std::string clean;
    std::size_t i = 0;
    if (i < n && (v[i] == '+' || v[i] == '-')) {
        if (v[i] == '-')
            clean += '-';
        ++i;
    }
    const std::size_t start = i;
    while (digitAt(i))
        clean += v[i++];
    std::size_t digits = i - start;
    if (digits >= 1 && digits <= 3) {
        const std::string_view group = groupSeparatorAt(v, i, other);
        while (!group.empty() && v.substr(i).starts_with(group)) {
            const std::size_t k = i + group.size();
            if (!digitAt(k) || !digitAt(k + 1) || !digitAt(k + 2) || digitAt(k + 3))
                return std::nullopt;
            clean.append(v.data() + k, 3);
            i = k + 3;
            digits += 3;
        }
    }
    if (i < n && v[i] == decimal) {
        clean += '.';
        for (++i; digitAt(i); ++i, ++digits)
            clean += v[i];
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (v[i] == 'e' || v[i] == 'E')) {
        clean += 'e';
        ++i;
        if (i < n && (v[i] == '+' || v[i] == '-'))
            clean += v[i++];
        const std::size_t exponentStart = i;
        while (digitAt(i))
            clean += v[i++];
        if (i == exponentStart)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    double number = 0;
    const char* end = clean.data() + clean.size();
    const auto [stop, error] = std::from_chars(clean.data(), end, number);
    if (error == std::errc::result_out_of_range && stop == end) {
        const std::string_view size = clean.front() == '-' ? std::string_view(clean).substr(1) : clean;
        if (beyondLargest(size))
            return std::nullopt;
        return 0.0;
    }
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return number == 0 ? 0.0 : number;
}

std::uint64_t orderedBits(double value)
{
    if (value == 0)
        value = 0.0;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    constexpr std::uint64_t sign = std::uint64_t{1} << 63;
    return (bits & sign) ? ~bits : bits | sign;
}

DateReadings dateReadings(std::string_view value)
{
    DateReadings readings;
    const std::optional<DateParts> parts = datePartsOf(value);
    if (!parts)
        return readings;
    const auto& numbers = parts->numbers;
    const auto& lengths = parts->lengths;
    readings.separator = parts->separator;
    if (lengths[0] == 4 && lengths[1] <= 2 && lengths[2] <= 2)
        readings.yearFirst = dateExists(numbers[0], numbers[1], numbers[2]);
    if (lengths[2] == 4 && lengths[0] <= 2 && lengths[1] <= 2) {
        readings.dayMonth = dateExists(numbers[2], numbers[1], numbers[0]);
        readings.monthDay = dateExists(numbers[2], numbers[0], numbers[1]);
    }
    return readings;
}

std::optional<std::int32_t> dateDays(std::string_view value, DateOrder order)
{
    const std::optional<DateParts> parts = datePartsOf(value);
    if (!parts)
        return std::nullopt;
    const auto& numbers = parts->numbers;
    const auto& lengths = parts->lengths;
    if (lengths[0] == 4 && lengths[1] <= 2 && lengths[2] <= 2) {
        if (dateExists(numbers[0], numbers[1], numbers[2]))
            return daysFromCivil(numbers[0], numbers[1], numbers[2]);
        return std::nullopt;
    }
    if (lengths[2] != 4 || lengths[0] > 2 || lengths[1] > 2)
        return std::nullopt;
    const int month = order == DateOrder::DayMonth ? numbers[1] : numbers[0];
    const int day = order == DateOrder::DayMonth ? numbers[0] : numbers[1];
    if (!dateExists(numbers[2], month, day))
        return std::nullopt;
    return daysFromCivil(numbers[2], month, day);
}

bool foldsToItself(std::string_view value)
{
    return std::all_of(value.begin(), value.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x80 && !(c >= 'a' && c <= 'z');
    });
}

void appendFolded(std::string_view value, std::string& out)
{
    if (isAscii(value)) {
        for (const char c : value)
            out += asciiUpper(c);
        return;
    }
    out += upperCased(value);
}

bool naturalIsItself(std::string_view value)
{
    return foldsToItself(value) && std::none_of(value.begin(), value.end(), [](char c) { return isDigit(c) || c == '\0'; });
}

void appendNatural(std::string_view value, std::string& out)
{
    std::string folded;
    if (!foldsToItself(value)) {
        appendFolded(value, folded);
        value = folded;
    }
    for (std::size_t i = 0; i < value.size();) {
        const char c = value[i];
        if (isDigit(c)) {
            std::size_t end = i;
            while (end < value.size() && isDigit(value[end]))
                ++end;
            while (i + 1 < end && value[i] == '0')
                ++i;
            if (value[i] == '0')
                ++i; // a run of zeros alone is the number of no digits
            const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(end - i, std::numeric_limits<std::uint32_t>::max()));
            // Below every text byte but a NUL: a number sorts before text
            // at the same place.
            out += '\0';
            out += '\2';
            for (int shift = 24; shift >= 0; shift -= 8)
                out += static_cast<char>(length >> shift & 0xFF);
            out.append(value.data() + i, end - i);
            i = end;
        } else if (c == '\0') {
            out += '\0';
            out += '\1';
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
}

} // namespace keysort
