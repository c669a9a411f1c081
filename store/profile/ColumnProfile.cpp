#include "store/profile/ColumnProfile.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <queue>

#include "store/CSVDBS.h"
#include "store/ParallelParse.h"
#include "store/profile/ProfileCounts.h"
#include "store/profile/ValueBlemish.h"
#include "store/profile/ValueType.h"
#include "store/table/TextFold.h"

namespace {

using profilecounts::CountTable;
using Record = CSVDBS::RecordNo;
using Type = ColumnProfile::Type;

// What the table keeps of a value, in its byte of facts: the low four bits
// say its kind, the next three its blemishes; the table sets the top one.
enum Kind : std::uint8_t {
    SmallWhole, // an integer that fits 32 bits
    LargeWhole,
    PointDecimal,
    CommaDecimal,
    IsoDate,
    DayMonthDate, // reads only as day/month/year
    MonthDayDate,
    EitherDate, // reads both ways
    TimeOfDay,
    TrueFalse,
    PlainText,
    NotUtf8Text, // is not valid UTF-8, so can be nothing but text
};
constexpr std::uint8_t KindBits = 0x0F, EdgeSpaces = 0x10, DoubledSpaces = 0x20, Unprintable = 0x40;
static_assert(CountTable::CaseVariant == 0x80);

Type typeOf(std::uint8_t kind)
{
    static const Type types[] = {Type::Integer, Type::Integer, Type::Decimal, Type::Decimal, Type::Date, Type::Date,
                                 Type::Date,    Type::Date,    Type::Time,    Type::Boolean, Type::Text, Type::Text};
    return types[kind];
}

std::uint8_t kindOf(std::string_view value, bool validUtf8)
{
    if (!validUtf8)
        return NotUtf8Text;
    const std::string_view trimmed = trimSpaces(value);
    if (const valuetype::Number n = valuetype::readNumber(trimmed); n.is) {
        if (n.decimal)
            return n.comma ? CommaDecimal : PointDecimal;
        return n.value >= INT32_MIN && n.value <= INT32_MAX ? SmallWhole : LargeWhole;
    }
    if (const valuetype::Date d = valuetype::readDate(trimmed); d.any())
        return d.iso ? IsoDate : d.dayMonth && d.monthDay ? EitherDate : d.dayMonth ? DayMonthDate : MonthDayDate;
    if (valuetype::isTime(trimmed))
        return TimeOfDay;
    return valuetype::isBoolean(trimmed) ? TrueFalse : PlainText;
}

// A value's length in characters, and whether it is valid UTF-8; an invalid
// byte is a character of its own.
std::size_t characters(std::string_view v, bool& valid)
{
    std::size_t n = 0;
    valid = true;
    for (std::size_t i = 0; i < v.size(); ++n) {
        if (static_cast<unsigned char>(v[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = utf8SequenceLength(v, i);
        valid = valid && length > 0;
        i += length > 0 ? length : 1;
    }
    return n;
}

struct Ranked {
    std::string_view value;
    std::int64_t count;
};
// Most frequent first, ties in text order.
bool ranksBefore(const Ranked& a, const Ranked& b) { return a.count != b.count ? a.count > b.count : a.value < b.value; }

bool stopped(const std::atomic<bool>* cancel) { return cancel && cancel->load(std::memory_order_relaxed); }

// One part's distinct values (those whose hash falls to it) and what they add up to.
struct Part {
    CountTable table;
    std::int64_t empty = 0, distinct = 0;
    std::int64_t kinds[16] = {};
    std::int64_t edgeSpaces = 0, doubledSpaces = 0, unprintable = 0, caseVariants = 0;
    std::vector<Ranked> top;
    std::string_view shortest, longest;
    std::size_t shortestLength = SIZE_MAX, longestLength = 0;
};

// Counts the values of part `p` of `parts`, working out each value's facts
// the first time it is met, while its bytes are at hand.
bool countPart(const CSVDBS& store, int field, std::size_t p, std::size_t parts, std::size_t expected,
               const std::vector<std::uint64_t>& secondPart, const ProfileOptions& options, Part& part)
{
    const auto valueOf = [&](std::uint32_t record) { return store.ValueAt(static_cast<Record>(record), field); };
    const auto factsOf = [&](std::string_view v) {
        bool valid = true;
        const std::size_t length = characters(v, valid);
        if (length < part.shortestLength || (length == part.shortestLength && v < part.shortest)) {
            part.shortestLength = length;
            part.shortest = v;
        }
        if (length > part.longestLength || (length == part.longestLength && v < part.longest)) {
            part.longestLength = length;
            part.longest = v;
        }
        const Blemishes marks = blemishesOf(v);
        return static_cast<std::uint8_t>(kindOf(v, valid) | (marks.edgeSpaces ? EdgeSpaces : 0)
                                         | (marks.doubledSpaces ? DoubledSpaces : 0) | (marks.unprintable ? Unprintable : 0));
    };
    part.table.reserve(expected);
    const Record records = store.RecordsHeld();
    for (Record r = 1; r <= records; ++r) {
        if ((r & 0x3FFF) == 0 && stopped(options.cancel))
            return false;
        if (parts > 1 && (secondPart[std::size_t(r - 1) >> 6] >> ((r - 1) & 63) & 1) != p)
            continue;
        const std::string_view v = store.ValueAt(r, field);
        if (v.empty()) {
            ++part.empty;
            continue;
        }
        part.table.add(static_cast<std::uint32_t>(r), v, profilecounts::foldHash(v), valueOf, factsOf);
    }

    // The sums, and the count the top list starts at: the values above it
    // are in; of those at it, the first in text order.
    std::priority_queue<std::int64_t, std::vector<std::int64_t>, std::greater<>> largest;
    part.table.forEach(valueOf, [&](std::string_view, std::int64_t n, std::uint8_t facts) {
        ++part.distinct;
        part.kinds[facts & KindBits] += n;
        part.edgeSpaces += facts & EdgeSpaces ? n : 0;
        part.doubledSpaces += facts & DoubledSpaces ? n : 0;
        part.unprintable += facts & Unprintable ? n : 0;
        part.caseVariants += facts & CountTable::CaseVariant ? n : 0;
        if (largest.size() < options.topCount)
            largest.push(n);
        else if (options.topCount > 0 && n > largest.top()) {
            largest.pop();
            largest.push(n);
        }
        return true;
    });
    if (largest.empty())
        return !stopped(options.cancel);
    const std::int64_t threshold = largest.size() < options.topCount ? 0 : largest.top();
    std::vector<Ranked> ties; // a heap: the last in text order at its front
    const auto textBefore = [](const Ranked& a, const Ranked& b) { return a.value < b.value; };
    std::size_t seen = 0;
    part.table.forEach(valueOf, [&](std::string_view v, std::int64_t n, std::uint8_t) {
        if ((++seen & 0x3FFF) == 0 && stopped(options.cancel))
            return false;
        if (n > threshold) {
            part.top.push_back({v, n});
        } else if (n == threshold) {
            const Ranked candidate{v, n};
            if (ties.size() < options.topCount) {
                ties.push_back(candidate);
                std::push_heap(ties.begin(), ties.end(), textBefore);
            } else if (candidate.value < ties.front().value) {
                std::pop_heap(ties.begin(), ties.end(), textBefore);
                ties.back() = candidate;
                std::push_heap(ties.begin(), ties.end(), textBefore);
            }
        }
        return true;
    });
    part.top.insert(part.top.end(), ties.begin(), ties.end());
    return !stopped(options.cancel);
}

// The numbers and dates of a column, read again from its records once the
// counts are gone, so that the two never take memory at the same time.
struct Readings {
    std::int64_t numbers = 0, dates = 0;
    bool smallWholes = true;
    bool monthFirst = false;
    bool dateHistogram = false;
};

void fillHistogram(ColumnProfile& profile, double low, double high, std::size_t bins, const auto& values)
{
    if (bins == 0)
        return;
    profile.histogramLow = low;
    profile.histogramHigh = high;
    profile.histogram.assign(high > low ? bins : 1, 0);
    for (const auto x : values) {
        const std::size_t bin =
            high > low ? std::min(bins - 1, static_cast<std::size_t>((static_cast<double>(x) - low) / (high - low) * double(bins))) : 0;
        ++profile.histogram[bin];
    }
}

std::string isoDate(int days)
{
    int year = 0, month = 0, day = 0;
    valuetype::dateOfDay(days, year, month, day);
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

template <typename Number>
bool readAgain(const CSVDBS& store, int field, const Readings& wanted, const ProfileOptions& options, ColumnProfile& profile)
{
    std::vector<Number> numbers(static_cast<std::size_t>(wanted.numbers));
    std::vector<std::int32_t> days(wanted.dateHistogram ? static_cast<std::size_t>(wanted.dates) : 0);
    const Record records = store.RecordsHeld();
    const std::size_t parts = parallel::partsFor(static_cast<std::size_t>(records), 50'000);
    assert(parts <= 2);
    struct Sums {
        long double sum = 0;
        double low = HUGE_VAL, high = -HUGE_VAL;
        int earliest = INT_MAX, latest = INT_MIN;
        std::size_t numbers = 0, days = 0; // where the part has got to
        bool complete = true;
    };
    Sums sums[2];
    // The first part fills from the front and the second from the back: no
    // part needs to know how many the other finds.
    parallel::run(parts, [&](std::size_t p) {
        Sums& s = sums[p];
        const Record half = parts == 1 ? records : records / 2;
        const Record first = p == 0 ? 1 : half + 1, last = p == 0 ? half : records;
        s.numbers = p == 0 ? 0 : numbers.size();
        s.days = p == 0 ? 0 : days.size();
        for (Record r = first; r <= last; ++r) {
            if ((r & 0x3FFF) == 0 && stopped(options.cancel)) {
                s.complete = false;
                return;
            }
            const std::string_view v = trimSpaces(store.ValueAt(r, field));
            if (v.empty())
                continue;
            if (const valuetype::Number n = valuetype::readNumber(v); n.is) {
                if (wanted.numbers == 0)
                    continue;
                s.sum += n.value;
                s.low = std::min(s.low, n.value);
                s.high = std::max(s.high, n.value);
                (p == 0 ? numbers[s.numbers++] : numbers[--s.numbers]) = static_cast<Number>(n.value);
            } else if (wanted.dates > 0) {
                const valuetype::Date d = valuetype::readDate(v);
                if (!d.any())
                    continue;
                // A date that reads only the other way keeps that reading.
                const int day = d.iso ? d.isoDay
                    : wanted.monthFirst ? (d.monthDay ? d.monthDayDay : d.dayMonthDay)
                                        : (d.dayMonth ? d.dayMonthDay : d.monthDayDay);
                s.earliest = std::min(s.earliest, day);
                s.latest = std::max(s.latest, day);
                if (wanted.dateHistogram)
                    (p == 0 ? days[s.days++] : days[--s.days]) = day;
            }
        }
    });
    if (!sums[0].complete || (parts == 2 && !sums[1].complete))
        return false;
    if (parts == 1)
        sums[1] = Sums{0, HUGE_VAL, -HUGE_VAL, INT_MAX, INT_MIN, numbers.size(), days.size(), true};
    assert(sums[0].numbers == sums[1].numbers && sums[0].days == sums[1].days);
    if (!numbers.empty()) {
        profile.minimum = std::min(sums[0].low, sums[1].low);
        profile.maximum = std::max(sums[0].high, sums[1].high);
        profile.mean = static_cast<double>((sums[0].sum + sums[1].sum) / static_cast<long double>(numbers.size()));
        const auto middle = numbers.begin() + static_cast<std::ptrdiff_t>(numbers.size() / 2);
        std::nth_element(numbers.begin(), middle, numbers.end());
        double median = static_cast<double>(*middle);
        if (numbers.size() % 2 == 0)
            median = (median + static_cast<double>(*std::max_element(numbers.begin(), middle))) / 2;
        profile.median = median;
        fillHistogram(profile, *profile.minimum, *profile.maximum, options.histogramBins, numbers);
    }
    if (wanted.dates > 0) {
        const int earliest = std::min(sums[0].earliest, sums[1].earliest), latest = std::max(sums[0].latest, sums[1].latest);
        profile.earliest = isoDate(earliest);
        profile.latest = isoDate(latest);
        if (wanted.dateHistogram)
            fillHistogram(profile, earliest, latest, options.histogramBins, days);
    }
    return true;
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
    profile.values = store.RecordsHeld();
    const Record records = store.RecordsHeld();

    // Each part takes the values whose case-blind hash falls to it, so the
    // parts' distinct values never overlap and the spellings of one value
    // in other cases meet in one part. The parts' tables are made the size
    // the estimate says, a little over.
    const std::size_t parts = parallel::partsFor(static_cast<std::size_t>(records), 20'000);
    assert(parts <= 2);
    // A first pass hashes every value once: for the estimate, and to note
    // which part each record's value falls to (a bit a record; empty values
    // go to the first), so that the count hashes each value only once more.
    std::vector<profilecounts::DistinctEstimate> estimates(parts);
    std::vector<std::uint64_t> secondPart(parts > 1 ? (static_cast<std::size_t>(records) + 63) / 64 : 0);
    // The halves meet at a whole word of bits, so that no word is written by two.
    const Record half = parts > 1 ? (records / 2) & ~Record{63} : records;
    parallel::run(parts, [&](std::size_t p) {
        const Record first = p == 0 ? 1 : half + 1, last = p == 0 ? half : records;
        for (Record r = first; r <= last; ++r) {
            const std::string_view v = store.ValueAt(r, field);
            if (v.empty())
                continue;
            const std::uint64_t hash = profilecounts::foldHash(v);
            estimates[p].add(hash);
            if (parts > 1 && profilecounts::partOf(hash, parts) == 1)
                secondPart[std::size_t(r - 1) >> 6] |= std::uint64_t{1} << ((r - 1) & 63);
        }
    });
    if (stopped(options.cancel))
        return std::nullopt;
    for (std::size_t p = 1; p < parts; ++p)
        estimates[0].merge(estimates[p]);
    const auto expected = static_cast<std::size_t>(estimates[0].estimate() * 1.06 / double(parts)) + 64;

    std::vector<Part> partial(parts);
    std::vector<char> done(parts, 0);
    parallel::run(parts, [&](std::size_t p) {
        done[p] = countPart(store, field, p, parts, expected, secondPart, options, partial[p]);
    });
    if (std::count(done.begin(), done.end(), 0) > 0)
        return std::nullopt;

    std::vector<Ranked> top;
    std::int64_t kinds[16] = {};
    std::size_t shortestLength = SIZE_MAX, longestLength = 0;
    std::string_view shortest, longest;
    for (Part& part : partial) {
        profile.empty += part.empty;
        profile.distinct += part.distinct;
        for (int k = 0; k < 16; ++k)
            kinds[k] += part.kinds[k];
        profile.edgeSpaces += part.edgeSpaces;
        profile.doubledSpaces += part.doubledSpaces;
        profile.unprintable += part.unprintable;
        profile.caseVariants += part.caseVariants;
        top.insert(top.end(), part.top.begin(), part.top.end());
        if (part.shortestLength < shortestLength || (part.shortestLength == shortestLength && part.shortest < shortest)) {
            shortestLength = part.shortestLength;
            shortest = part.shortest;
        }
        if (part.longestLength > longestLength || (part.longestLength == longestLength && part.longest < longest)) {
            longestLength = part.longestLength;
            longest = part.longest;
        }
        part.table = CountTable(); // before the numbers are read again
    }
    std::sort(top.begin(), top.end(), ranksBefore);
    top.resize(std::min(top.size(), options.topCount));
    for (const Ranked& r : top)
        profile.top.emplace_back(std::string(r.value), r.count);
    profile.shortest = std::string(shortest);
    profile.longest = std::string(longest);
    profile.typeCounts[int(Type::Empty)] = profile.empty;
    for (std::uint8_t k = 0; k <= NotUtf8Text; ++k)
        profile.typeCounts[int(typeOf(k))] += kinds[k];
    profile.decimalCommas = kinds[CommaDecimal];
    profile.notUtf8 = kinds[NotUtf8Text];

    Readings wanted;
    wanted.numbers = profile.typeCounts[int(Type::Integer)] + profile.typeCounts[int(Type::Decimal)];
    wanted.smallWholes = kinds[LargeWhole] + kinds[PointDecimal] + kinds[CommaDecimal] == 0;
    wanted.dates = profile.typeCounts[int(Type::Date)];
    wanted.dateHistogram = wanted.numbers == 0;
    if (wanted.dates > 0) {
        using Order = ColumnProfile::DateOrder;
        const std::int64_t dayMonth = kinds[DayMonthDate], monthDay = kinds[MonthDayDate];
        profile.dateOrder = dayMonth + monthDay + kinds[EitherDate] == 0 ? Order::Iso
            : monthDay == 0 && dayMonth > 0                                 ? Order::DayMonth
            : dayMonth == 0 && monthDay > 0                                 ? Order::MonthDay
                                                                            : Order::Ambiguous;
        wanted.monthFirst = profile.dateOrder == Order::MonthDay;
    }
    if (wanted.numbers > 0 || wanted.dates > 0) {
        const bool complete = wanted.smallWholes ? readAgain<std::int32_t>(store, field, wanted, options, profile)
                                                 : readAgain<double>(store, field, wanted, options, profile);
        if (!complete)
            return std::nullopt;
    }
    return profile;
}
