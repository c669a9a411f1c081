#include "store/profile/ColumnProfile.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstring>

#include "store/CSVDBS.h"
#include "store/ParallelParse.h"
#include "store/profile/ProfileCounts.h"
#include "store/profile/ValueBlemish.h"
#include "store/profile/ValueType.h"
#include "store/table/TextFold.h"

namespace {

using profilecounts::CountTable;
using Record = CSVDBS::RecordNo;

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

// The top list as a heap whose front is the weakest, so that a stronger
// value takes its place.
void offer(std::vector<Ranked>& heap, std::size_t size, Ranked candidate)
{
    if (size == 0)
        return;
    if (heap.size() < size) {
        heap.push_back(candidate);
        std::push_heap(heap.begin(), heap.end(), ranksBefore);
    } else if (ranksBefore(candidate, heap.front())) {
        std::pop_heap(heap.begin(), heap.end(), ranksBefore);
        heap.back() = candidate;
        std::push_heap(heap.begin(), heap.end(), ranksBefore);
    }
}

struct DateSeen {
    valuetype::Date date;
    std::int64_t count;
};

// What one part of the distinct values holds; the parts add up.
struct Part {
    CountTable table;
    std::int64_t empty = 0, distinct = 0;
    std::int64_t types[ColumnProfile::TypeCount] = {};
    std::int64_t decimalCommas = 0, edgeSpaces = 0, doubledSpaces = 0, unprintable = 0, caseVariants = 0, notUtf8 = 0;
    std::vector<Ranked> top;
    std::string_view shortest, longest;
    std::size_t shortestLength = SIZE_MAX, longestLength = 0;
    // Numbers: how many values, their sum and range, and whether every one
    // is a whole number that fits 32 bits (then they are kept in 4 bytes).
    std::int64_t numbers = 0;
    long double sum = 0;
    double minimum = 0, maximum = 0;
    bool smallWholes = true;
    std::vector<DateSeen> dates; // a distinct date each: a column holds few
    std::int64_t dayMonthOnly = 0, monthDayOnly = 0, eitherOrder = 0;
};

bool stopped(const std::atomic<bool>* cancel) { return cancel && cancel->load(std::memory_order_relaxed); }

// Counts the values of part `p` of `parts` (by hash), then looks at each of
// its distinct values once, weighed by its count.
bool profilePart(const CSVDBS& store, int field, std::size_t p, std::size_t parts, const ProfileOptions& options,
                 Part& part)
{
    const Record records = store.RecordsHeld();
    const auto valueOf = [&](std::uint32_t record) { return store.ValueAt(static_cast<Record>(record), field); };
    for (Record r = 1; r <= records; ++r) {
        if ((r & 0x3FFF) == 0 && stopped(options.cancel))
            return false;
        const std::string_view v = store.ValueAt(r, field);
        if (v.empty()) {
            part.empty += p == 0;
            continue;
        }
        const std::uint64_t hash = profilecounts::foldHash(v);
        if (profilecounts::partOf(hash, parts) == p)
            part.table.add(static_cast<std::uint32_t>(r), v, hash, static_cast<std::size_t>(records - r), parts, valueOf);
    }
    part.types[int(ColumnProfile::Type::Empty)] = part.empty;

    std::size_t seen = 0;
    part.table.forEach([&](std::size_t at, std::uint32_t record, std::int64_t n) {
        if ((++seen & 0x3FFF) == 0 && stopped(options.cancel))
            return false;
        const std::string_view v = valueOf(record);
        ++part.distinct;
        offer(part.top, options.topCount, {v, n});
        bool valid = true;
        const std::size_t length = characters(v, valid);
        part.notUtf8 += valid ? 0 : n;
        if (length < part.shortestLength || (length == part.shortestLength && v < part.shortest)) {
            part.shortestLength = length;
            part.shortest = v;
        }
        if (length > part.longestLength || (length == part.longestLength && v < part.longest)) {
            part.longestLength = length;
            part.longest = v;
        }
        const Blemishes marks = blemishesOf(v);
        part.edgeSpaces += marks.edgeSpaces ? n : 0;
        part.doubledSpaces += marks.doubledSpaces ? n : 0;
        part.unprintable += marks.unprintable ? n : 0;
        if (part.table.anyAlike(at, v, valueOf, profilecounts::sameButCase))
            part.caseVariants += n;

        const std::string_view trimmed = trimSpaces(v);
        ColumnProfile::Type type = ColumnProfile::Type::Text;
        if (const valuetype::Number number = valuetype::readNumber(trimmed); number.is) {
            type = number.decimal ? ColumnProfile::Type::Decimal : ColumnProfile::Type::Integer;
            part.decimalCommas += number.comma ? n : 0;
            part.minimum = part.numbers == 0 ? number.value : std::min(part.minimum, number.value);
            part.maximum = part.numbers == 0 ? number.value : std::max(part.maximum, number.value);
            part.numbers += n;
            part.sum += static_cast<long double>(number.value) * static_cast<long double>(n);
            part.smallWholes = part.smallWholes && !number.decimal && number.value >= INT32_MIN && number.value <= INT32_MAX;
        } else if (const valuetype::Date date = valuetype::readDate(trimmed); date.any()) {
            type = ColumnProfile::Type::Date;
            part.dates.push_back({date, n});
            if (!date.iso)
                (date.dayMonth && date.monthDay ? part.eitherOrder : date.dayMonth ? part.dayMonthOnly : part.monthDayOnly) += n;
        } else if (valuetype::isTime(trimmed)) {
            type = ColumnProfile::Type::Time;
        } else if (valuetype::isBoolean(trimmed)) {
            type = ColumnProfile::Type::Boolean;
        }
        part.types[int(type)] += n;
        return true;
    });
    return !stopped(options.cancel);
}

void fillHistogram(ColumnProfile& profile, double low, double high, std::size_t bins,
                   const std::function<void(const std::function<void(double)>&)>& each)
{
    if (bins == 0)
        return;
    profile.histogramLow = low;
    profile.histogramHigh = high;
    profile.histogram.assign(high > low ? bins : 1, 0);
    each([&](double x) {
        const std::size_t bin = high > low ? std::min(bins - 1, static_cast<std::size_t>((x - low) / (high - low) * double(bins))) : 0;
        ++profile.histogram[bin];
    });
}

// Every number of the column, read again from the records once the counts
// are gone, so that the two never take memory at the same time; the median
// is then a selection in place.
template <typename Number>
bool numberStatistics(const CSVDBS& store, int field, std::int64_t total, const ProfileOptions& options,
                      ColumnProfile& profile)
{
    std::vector<Number> numbers(static_cast<std::size_t>(total));
    const Record records = store.RecordsHeld();
    const std::size_t parts = parallel::partsFor(static_cast<std::size_t>(records), 50'000);
    // The first part fills from the front and the second from the back: no
    // part needs to know how many the other finds.
    std::size_t front = 0, back = numbers.size();
    bool complete = true;
    parallel::run(parts, [&](std::size_t p) {
        const Record half = records / 2;
        const Record first = parts == 1 || p == 0 ? 1 : half + 1, last = parts == 1 || p == 1 ? records : half;
        std::size_t at = p == 0 ? 0 : numbers.size();
        for (Record r = first; r <= last; ++r) {
            if ((r & 0x3FFF) == 0 && stopped(options.cancel)) {
                complete = false;
                return;
            }
            const valuetype::Number number = valuetype::readNumber(trimSpaces(store.ValueAt(r, field)));
            if (!number.is)
                continue;
            assert(p == 0 ? at < numbers.size() : at > 0);
            if (p == 0)
                numbers[at++] = static_cast<Number>(number.value);
            else
                numbers[--at] = static_cast<Number>(number.value);
        }
        (p == 0 ? front : back) = at;
    });
    if (!complete || stopped(options.cancel))
        return false;
    assert(front == back);
    const auto middle = numbers.begin() + static_cast<std::ptrdiff_t>(numbers.size() / 2);
    std::nth_element(numbers.begin(), middle, numbers.end());
    double median = static_cast<double>(*middle);
    if (numbers.size() % 2 == 0)
        median = (median + static_cast<double>(*std::max_element(numbers.begin(), middle))) / 2;
    profile.median = median;
    fillHistogram(profile, *profile.minimum, *profile.maximum, options.histogramBins, [&](const auto& add) {
        for (const Number x : numbers)
            add(static_cast<double>(x));
    });
    return true;
}

void dateStatistics(const std::vector<DateSeen>& dates, std::int64_t dayMonthOnly, std::int64_t monthDayOnly,
                    std::int64_t eitherOrder, bool histogram, const ProfileOptions& options, ColumnProfile& profile)
{
    using Order = ColumnProfile::DateOrder;
    if (dayMonthOnly + monthDayOnly + eitherOrder == 0)
        profile.dateOrder = Order::Iso;
    else if (monthDayOnly == 0 && dayMonthOnly > 0)
        profile.dateOrder = Order::DayMonth;
    else if (dayMonthOnly == 0 && monthDayOnly > 0)
        profile.dateOrder = Order::MonthDay;
    else
        profile.dateOrder = Order::Ambiguous;
    const bool monthFirst = profile.dateOrder == Order::MonthDay;
    // Each date's day in the column's reading; one that reads only the
    // other way keeps that reading.
    const auto dayOf = [&](const valuetype::Date& d) {
        if (d.iso)
            return d.isoDay;
        if (monthFirst)
            return d.monthDay ? d.monthDayDay : d.dayMonthDay;
        return d.dayMonth ? d.dayMonthDay : d.monthDayDay;
    };
    int earliest = INT_MAX, latest = INT_MIN;
    for (const DateSeen& seen : dates) {
        earliest = std::min(earliest, dayOf(seen.date));
        latest = std::max(latest, dayOf(seen.date));
    }
    const auto iso = [](int days) {
        int year = 0, month = 0, day = 0;
        valuetype::dateOfDay(days, year, month, day);
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
        return std::string(text);
    };
    profile.earliest = iso(earliest);
    profile.latest = iso(latest);
    if (histogram)
        fillHistogram(profile, earliest, latest, options.histogramBins, [&](const auto& add) {
            for (const DateSeen& seen : dates)
                for (std::int64_t k = 0; k < seen.count; ++k)
                    add(dayOf(seen.date));
        });
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

    // Each part takes the values whose case-blind hash falls to it, so the
    // parts' distinct values never overlap and the spellings of one value
    // in other cases meet in the same part.
    const std::size_t parts = parallel::partsFor(static_cast<std::size_t>(profile.values), 20'000);
    std::vector<Part> partial(parts);
    std::vector<char> done(parts, 0);
    parallel::run(parts, [&](std::size_t p) { done[p] = profilePart(store, field, p, parts, options, partial[p]); });
    if (std::count(done.begin(), done.end(), 0) > 0)
        return std::nullopt;

    std::vector<Ranked> top;
    std::vector<DateSeen> dates;
    std::int64_t numbers = 0, dayMonthOnly = 0, monthDayOnly = 0, eitherOrder = 0;
    long double sum = 0;
    bool smallWholes = true;
    std::size_t shortestLength = SIZE_MAX, longestLength = 0;
    std::string_view shortest, longest;
    for (Part& part : partial) {
        profile.empty += part.empty;
        profile.distinct += part.distinct;
        for (int t = 0; t < ColumnProfile::TypeCount; ++t)
            profile.typeCounts[t] += part.types[t];
        profile.decimalCommas += part.decimalCommas;
        profile.edgeSpaces += part.edgeSpaces;
        profile.doubledSpaces += part.doubledSpaces;
        profile.unprintable += part.unprintable;
        profile.caseVariants += part.caseVariants;
        profile.notUtf8 += part.notUtf8;
        top.insert(top.end(), part.top.begin(), part.top.end());
        if (part.shortestLength < shortestLength || (part.shortestLength == shortestLength && part.shortest < shortest)) {
            shortestLength = part.shortestLength;
            shortest = part.shortest;
        }
        if (part.longestLength > longestLength || (part.longestLength == longestLength && part.longest < longest)) {
            longestLength = part.longestLength;
            longest = part.longest;
        }
        if (part.numbers > 0) {
            profile.minimum = numbers == 0 ? part.minimum : std::min(*profile.minimum, part.minimum);
            profile.maximum = numbers == 0 ? part.maximum : std::max(*profile.maximum, part.maximum);
            numbers += part.numbers;
            sum += part.sum;
            smallWholes = smallWholes && part.smallWholes;
        }
        dates.insert(dates.end(), part.dates.begin(), part.dates.end());
        dayMonthOnly += part.dayMonthOnly;
        monthDayOnly += part.monthDayOnly;
        eitherOrder += part.eitherOrder;
        part.table = CountTable(); // before the numbers are read again
        std::vector<DateSeen>().swap(part.dates);
    }
    std::sort(top.begin(), top.end(), ranksBefore);
    top.resize(std::min(top.size(), options.topCount));
    for (const Ranked& r : top)
        profile.top.emplace_back(std::string(r.value), r.count);
    profile.shortest = std::string(shortest);
    profile.longest = std::string(longest);

    if (numbers > 0) {
        profile.mean = static_cast<double>(sum / static_cast<long double>(numbers));
        const bool complete = smallWholes ? numberStatistics<std::int32_t>(store, field, numbers, options, profile)
                                          : numberStatistics<double>(store, field, numbers, options, profile);
        if (!complete)
            return std::nullopt;
    }
    if (!dates.empty())
        dateStatistics(dates, dayMonthOnly, monthDayOnly, eitherOrder, numbers == 0, options, profile);
    return profile;
}
