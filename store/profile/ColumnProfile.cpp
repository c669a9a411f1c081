#include "store/profile/ColumnProfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>
#include <unordered_map>

#include "store/CSVDBS.h"
#include "store/profile/ValueBlemish.h"
#include "store/table/TextFold.h"

namespace {

using Counts = std::unordered_map<std::string_view, std::int64_t>;

// The distinct values of the records [first, last] and how often each comes.
bool countValues(const CSVDBS& store, int field, CSVDBS::RecordNo first, CSVDBS::RecordNo last, Counts& counts,
                 const std::atomic<bool>* cancel)
{
    for (CSVDBS::RecordNo r = first; r <= last; ++r) {
        if (cancel && (r & 0xFFF) == 0 && cancel->load(std::memory_order_relaxed))
            return false;
        ++counts[store.ValueAt(r, field)];
    }
    return true;
}

bool digits(std::string_view text, std::size_t from, std::size_t to)
{
    if (from >= to)
        return false;
    for (std::size_t i = from; i < to; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

int number2(std::string_view text, std::size_t at, std::size_t length)
{
    int n = 0;
    for (std::size_t i = at; i < at + length; ++i)
        n = n * 10 + (text[i] - '0');
    return n;
}

bool validDay(int year, int month, int day)
{
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > days[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day < 29 || leap;
}

// A date as the profile reads it: the readings it allows.
struct DateReading {
    bool iso = false, dayMonth = false, monthDay = false;
    int year = 0, a = 0, b = 0; // a/b: the first and second numbers of d/m/y or m/d/y; for ISO month and day
};

DateReading readDate(std::string_view v)
{
    DateReading d;
    if (v.size() == 10 && v[4] == '-' && v[7] == '-' && digits(v, 0, 4) && digits(v, 5, 7) && digits(v, 8, 10)) {
        d.year = number2(v, 0, 4);
        d.a = number2(v, 5, 2);
        d.b = number2(v, 8, 2);
        d.iso = validDay(d.year, d.a, d.b);
        return d;
    }
    // 1/2/2024, 01.02.2024, 1-2-24 style: two short numbers and a year.
    const std::size_t s1 = v.find_first_of("/.-");
    if (s1 == std::string_view::npos || s1 == 0 || s1 > 2)
        return d;
    const char separator = v[s1];
    const std::size_t s2 = v.find(separator, s1 + 1);
    if (s2 == std::string_view::npos || s2 - s1 - 1 == 0 || s2 - s1 - 1 > 2 || !digits(v, 0, s1)
        || !digits(v, s1 + 1, s2) || !digits(v, s2 + 1, v.size()) || (v.size() - s2 - 1 != 4 && v.size() - s2 - 1 != 2))
        return d;
    d.a = number2(v, 0, s1);
    d.b = number2(v, s1 + 1, s2 - s1 - 1);
    d.year = number2(v, s2 + 1, v.size() - s2 - 1);
    if (v.size() - s2 - 1 == 2)
        d.year += 2000;
    d.dayMonth = validDay(d.year, d.b, d.a);
    d.monthDay = validDay(d.year, d.a, d.b);
    return d;
}

bool isTime(std::string_view v)
{
    // 9:05, 09:05, 09:05:30
    const std::size_t c1 = v.find(':');
    if (c1 == std::string_view::npos || c1 == 0 || c1 > 2 || !digits(v, 0, c1))
        return false;
    const std::size_t c2 = v.find(':', c1 + 1);
    const std::size_t minutesEnd = c2 == std::string_view::npos ? v.size() : c2;
    if (minutesEnd - c1 - 1 != 2 || !digits(v, c1 + 1, minutesEnd))
        return false;
    if (c2 != std::string_view::npos && (v.size() - c2 - 1 != 2 || !digits(v, c2 + 1, v.size())))
        return false;
    return number2(v, 0, c1) < 24 && number2(v, c1 + 1, 2) < 60
        && (c2 == std::string_view::npos || number2(v, c2 + 1, 2) < 60);
}

bool isBoolean(std::string_view v)
{
    static const std::string_view words[] = {"TRUE", "FALSE", "YES", "NO"};
    if (v.size() > 5)
        return false;
    std::string upper(v);
    for (char& c : upper)
        c = asciiUpper(c);
    return std::find(std::begin(words), std::end(words), upper) != std::end(words);
}

// An integer or a decimal (a point, or a comma for the decimal mark, and an
// exponent); its value in `out`.
ColumnProfile::Type readNumber(std::string_view v, double& out, bool& comma)
{
    std::size_t i = 0;
    if (i < v.size() && (v[i] == '+' || v[i] == '-'))
        ++i;
    const std::size_t intStart = i;
    while (i < v.size() && v[i] >= '0' && v[i] <= '9')
        ++i;
    const bool hasInt = i > intStart;
    bool fraction = false;
    comma = false;
    if (i < v.size() && (v[i] == '.' || v[i] == ',')) {
        comma = v[i] == ',';
        const std::size_t fracStart = ++i;
        while (i < v.size() && v[i] >= '0' && v[i] <= '9')
            ++i;
        fraction = i > fracStart;
        if (!fraction)
            return ColumnProfile::Type::Text;
    }
    if (!hasInt && !fraction)
        return ColumnProfile::Type::Text;
    bool exponent = false;
    if (i < v.size() && (v[i] == 'e' || v[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < v.size() && (v[j] == '+' || v[j] == '-'))
            ++j;
        const std::size_t expStart = j;
        while (j < v.size() && v[j] >= '0' && v[j] <= '9')
            ++j;
        if (j == expStart)
            return ColumnProfile::Type::Text;
        exponent = true;
        i = j;
    }
    if (i != v.size())
        return ColumnProfile::Type::Text;
    std::string text(v);
    if (comma)
        std::replace(text.begin(), text.end(), ',', '.');
    out = std::strtod(text.c_str(), nullptr);
    return fraction || exponent ? ColumnProfile::Type::Decimal : ColumnProfile::Type::Integer;
}

std::size_t characters(std::string_view v)
{
    return static_cast<std::size_t>(std::count_if(v.begin(), v.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string isoText(int year, int month, int day)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year % 10000, month, day);
    return text;
}

// Days since 1970-01-01, for the histogram of dates.
double dayNumber(int year, int month, int day)
{
    year -= month <= 2;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yoe = year - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return double(era) * 146097 + doe - 719468;
}

void fillHistogram(ColumnProfile& profile, const std::vector<std::pair<double, std::int64_t>>& points, std::size_t bins)
{
    if (points.empty() || bins == 0)
        return;
    const double low = points.front().first, high = points.back().first;
    profile.histogramLow = low;
    profile.histogramHigh = high;
    profile.histogram.assign(high > low ? bins : 1, 0);
    for (const auto& [x, n] : points) {
        const std::size_t bin =
            high > low ? std::min(bins - 1, static_cast<std::size_t>((x - low) / (high - low) * double(bins))) : 0;
        profile.histogram[bin] += n;
    }
}

} // namespace

const char* typeName(ColumnProfile::Type type)
{
    static const char* const names[] = {"integer", "decimal", "date", "time", "true/false", "text", "empty"};
    return names[static_cast<int>(type)];
}

std::optional<ColumnProfile> computeProfile(const CSVDBS& store, int field, const ProfileOptions& options)
{
    if (field < 1 || field > store.FieldCount())
        return std::nullopt;
    ColumnProfile profile;
    profile.field = field;
    const CSVDBS::RecordNo records = store.RecordsHeld();
    profile.values = records;

    // Counting the values is the long part: one half of the records a core.
    Counts counts, second;
    const CSVDBS::RecordNo half = records / 2;
    bool firstDone = true, secondDone = true;
    if (records >= 20'000) {
        std::thread other([&] { secondDone = countValues(store, field, half + 1, records, second, options.cancel); });
        firstDone = countValues(store, field, 1, half, counts, options.cancel);
        other.join();
        for (const auto& [value, n] : second)
            counts[value] += n;
        Counts().swap(second);
    } else {
        firstDone = countValues(store, field, 1, records, counts, options.cancel);
    }
    if (!firstDone || !secondDone)
        return std::nullopt;
    const auto cancelled = [&] { return options.cancel && options.cancel->load(std::memory_order_relaxed); };

    // Everything else looks at each distinct value once, weighed by its count.
    profile.distinct = static_cast<std::int64_t>(counts.size());
    std::vector<std::pair<double, std::int64_t>> numbers;
    struct DateSeen {
        DateReading reading;
        std::int64_t count;
    };
    std::vector<DateSeen> dates;
    std::int64_t dayMonthOnly = 0, monthDayOnly = 0, eitherOrder = 0;
    std::unordered_map<std::string, std::pair<int, std::int64_t>> caseGroups; // key: spellings, values
    std::size_t shortest = SIZE_MAX, longest = 0;
    for (const auto& [value, n] : counts) {
        if (cancelled())
            return std::nullopt;
        if (value.empty()) {
            profile.empty += n;
            profile.typeCounts[int(ColumnProfile::Type::Empty)] += n;
            continue;
        }
        const std::size_t length = characters(value);
        if (length < shortest || (length == shortest && value < profile.shortest)) {
            shortest = length;
            profile.shortest = std::string(value);
        }
        if (length > longest || (length == longest && value < profile.longest)) {
            longest = length;
            profile.longest = std::string(value);
        }
        const Blemishes marks = blemishesOf(value);
        profile.edgeSpaces += marks.edgeSpaces ? n : 0;
        profile.doubledSpaces += marks.doubledSpaces ? n : 0;
        profile.unprintable += marks.unprintable ? n : 0;
        auto& group = caseGroups[upperCased(value)];
        ++group.first;
        group.second += n;

        const std::string_view trimmed = trimSpaces(value);
        double x = 0;
        bool comma = false;
        ColumnProfile::Type type = readNumber(trimmed, x, comma);
        if (type != ColumnProfile::Type::Text) {
            numbers.emplace_back(x, n);
            profile.decimalCommas += comma && type == ColumnProfile::Type::Decimal ? n : 0;
        } else if (const DateReading d = readDate(trimmed); d.iso || d.dayMonth || d.monthDay) {
            type = ColumnProfile::Type::Date;
            dates.push_back({d, n});
            if (!d.iso) {
                if (d.dayMonth && d.monthDay)
                    eitherOrder += n;
                else if (d.dayMonth)
                    dayMonthOnly += n;
                else
                    monthDayOnly += n;
            }
        } else if (isTime(trimmed)) {
            type = ColumnProfile::Type::Time;
        } else if (isBoolean(trimmed)) {
            type = ColumnProfile::Type::Boolean;
        }
        profile.typeCounts[int(type)] += n;
    }
    for (const auto& [key, group] : caseGroups)
        if (group.first > 1)
            profile.caseVariants += group.second;

    // The most frequent values, ties in text order.
    std::vector<std::pair<std::string_view, std::int64_t>> ranked(counts.begin(), counts.end());
    const auto before = [](const auto& x, const auto& y) { return x.second != y.second ? x.second > y.second : x.first < y.first; };
    const std::size_t top = std::min(options.topCount, ranked.size());
    std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(top), ranked.end(), before);
    for (std::size_t i = 0; i < top; ++i)
        profile.top.emplace_back(std::string(ranked[i].first), ranked[i].second);

    if (!numbers.empty()) {
        std::sort(numbers.begin(), numbers.end());
        std::int64_t total = 0;
        double sum = 0;
        for (const auto& [x, n] : numbers) {
            total += n;
            sum += x * double(n);
        }
        profile.minimum = numbers.front().first;
        profile.maximum = numbers.back().first;
        profile.mean = sum / double(total);
        // The median of the values weighed by count: the middle one, or the mean of the two middle ones.
        const auto at = [&](std::int64_t k) {
            std::int64_t seen = 0;
            for (const auto& [x, n] : numbers)
                if ((seen += n) > k)
                    return x;
            return numbers.back().first;
        };
        profile.median = total % 2 ? at(total / 2) : (at(total / 2 - 1) + at(total / 2)) / 2;
        fillHistogram(profile, numbers, options.histogramBins);
    }
    if (!dates.empty()) {
        // Ambiguous only when nothing tells the two orders apart.
        const bool slashDates = dayMonthOnly + monthDayOnly + eitherOrder > 0;
        if (!slashDates)
            profile.dateOrder = ColumnProfile::DateOrder::Iso;
        else if (dayMonthOnly > 0 && monthDayOnly == 0)
            profile.dateOrder = ColumnProfile::DateOrder::DayMonth;
        else if (monthDayOnly > 0 && dayMonthOnly == 0)
            profile.dateOrder = ColumnProfile::DateOrder::MonthDay;
        else
            profile.dateOrder = ColumnProfile::DateOrder::Ambiguous;
        const bool monthFirst = profile.dateOrder == ColumnProfile::DateOrder::MonthDay;
        std::vector<std::pair<double, std::int64_t>> days;
        for (const DateSeen& seen : dates) {
            const DateReading& d = seen.reading;
            int month = d.a, day = d.b;
            if (!d.iso) {
                const bool asMonthDay = monthFirst ? d.monthDay : !d.dayMonth;
                month = asMonthDay ? d.a : d.b;
                day = asMonthDay ? d.b : d.a;
            }
            days.emplace_back(dayNumber(d.year, month, day), seen.count);
            const std::string iso = isoText(d.year, month, day);
            if (!profile.earliest || iso < *profile.earliest)
                profile.earliest = iso;
            if (!profile.latest || iso > *profile.latest)
                profile.latest = iso;
        }
        if (numbers.empty()) {
            std::sort(days.begin(), days.end());
            fillHistogram(profile, days, options.histogramBins);
        }
    }
    return profile;
}

namespace {

std::string jsonText(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string jsonNumber(double x)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", x);
    return text;
}

} // namespace

std::string profileJson(const std::vector<ColumnProfile>& profiles, const std::vector<std::string>& headings)
{
    static const char* const orders[] = {"none", "iso", "day/month/year", "month/day/year", "ambiguous"};
    std::string out = "[";
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        const ColumnProfile& p = profiles[i];
        const std::string heading = p.field >= 1 && static_cast<std::size_t>(p.field) <= headings.size()
                                        ? headings[static_cast<std::size_t>(p.field - 1)] : std::string();
        out += i ? ",\n  {" : "\n  {";
        out += "\"column\": " + jsonText(heading) + ", \"field\": " + std::to_string(p.field);
        out += ", \"values\": " + std::to_string(p.values) + ", \"empty\": " + std::to_string(p.empty)
            + ", \"distinct\": " + std::to_string(p.distinct);
        out += ",\n   \"types\": {";
        bool first = true;
        for (int t = 0; t < ColumnProfile::TypeCount; ++t)
            if (p.typeCounts[t] > 0) {
                out += std::string(first ? "" : ", ") + jsonText(typeName(ColumnProfile::Type(t))) + ": "
                    + std::to_string(p.typeCounts[t]);
                first = false;
            }
        out += "}, \"dateOrder\": " + jsonText(orders[int(p.dateOrder)]) + ", \"decimalCommas\": "
            + std::to_string(p.decimalCommas);
        if (p.minimum)
            out += ",\n   \"minimum\": " + jsonNumber(*p.minimum) + ", \"maximum\": " + jsonNumber(*p.maximum)
                + ", \"mean\": " + jsonNumber(*p.mean) + ", \"median\": " + jsonNumber(*p.median);
        if (p.earliest)
            out += ",\n   \"earliest\": " + jsonText(*p.earliest) + ", \"latest\": " + jsonText(*p.latest);
        out += ",\n   \"shortest\": " + jsonText(p.shortest) + ", \"longest\": " + jsonText(p.longest);
        out += ",\n   \"edgeSpaces\": " + std::to_string(p.edgeSpaces) + ", \"doubledSpaces\": "
            + std::to_string(p.doubledSpaces) + ", \"unprintable\": " + std::to_string(p.unprintable)
            + ", \"caseVariants\": " + std::to_string(p.caseVariants);
        out += ",\n   \"top\": [";
        for (std::size_t j = 0; j < p.top.size(); ++j)
            out += (j ? ", [" : "[") + jsonText(p.top[j].first) + ", " + std::to_string(p.top[j].second) + "]";
        out += "]}";
    }
    return out + (profiles.empty() ? "]\n" : "\n]\n");
}
