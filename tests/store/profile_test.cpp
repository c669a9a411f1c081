// A column's profile: the type guess of each value and the counts, on small
// columns that each show one rule, and on a column large enough to be
// counted on both cores, against counts taken the plain way.
#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/CSVDBS.h"
#include "store/profile/ColumnProfile.h"
#include "store/table/TextFold.h"
#include "tests/store/StoreFixture.h"

namespace {

// The facts of a profile a case may check, each as "name=value".
std::map<std::string, std::string> factsOf(const ColumnProfile& p)
{
    static const char* const orders[] = {"none", "iso", "dmy", "mdy", "ambiguous"};
    const auto number = [](const std::optional<double>& x) {
        if (!x)
            return std::string("-");
        std::string text = std::to_string(*x);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
        return text;
    };
    std::map<std::string, std::string> facts = {
        {"values", std::to_string(p.values)}, {"empty", std::to_string(p.empty)},
        {"distinct", std::to_string(p.distinct)}, {"order", orders[int(p.dateOrder)]},
        {"commas", std::to_string(p.decimalCommas)}, {"min", number(p.minimum)}, {"max", number(p.maximum)},
        {"mean", number(p.mean)}, {"median", number(p.median)}, {"earliest", p.earliest.value_or("-")},
        {"latest", p.latest.value_or("-")}, {"shortest", p.shortest}, {"longest", p.longest},
        {"edge", std::to_string(p.edgeSpaces)}, {"doubled", std::to_string(p.doubledSpaces)},
        {"unprintable", std::to_string(p.unprintable)}, {"case", std::to_string(p.caseVariants)},
        {"notUtf8", std::to_string(p.notUtf8)},
    };
    std::string types, top;
    for (int t = 0; t < ColumnProfile::TypeCount; ++t)
        if (p.typeCounts[t] > 0)
            types += std::string(types.empty() ? "" : " ") + typeName(ColumnProfile::Type(t)) + ":" + std::to_string(p.typeCounts[t]);
    for (const auto& [value, n] : p.top)
        top += (top.empty() ? "" : "|") + value + ":" + std::to_string(n);
    facts["types"] = types;
    facts["top"] = top;
    return facts;
}

struct ProfileCase {
    const char* name;
    std::vector<std::string> values;
    std::map<std::string, std::string> expected;
};

const std::vector<ProfileCase> Cases = {
    {"integers and decimals, point or comma",
     {"3", "-4", "2.5", "1,5", "+7", "1e3", "3"},
     {{"types", "integer:4 decimal:3"}, {"commas", "1"}, {"min", "-4"}, {"max", "1000"}, {"median", "3"},
      {"mean", "144.714286"}, {"distinct", "6"}, {"top", "3:2|+7:1|-4:1|1,5:1|1e3:1|2.5:1"}}},
    {"an even count's median is the mean of the middle two", {"1", "2", "10", "20"}, {{"median", "6"}, {"mean", "8.25"}}},
    {"day/month/year when one value reads only so",
     {"03/04/2024", "25/12/2023", "01/01/2024"},
     {{"types", "date:3"}, {"order", "dmy"}, {"earliest", "2023-12-25"}, {"latest", "2024-04-03"}}},
    {"month/day/year when one value reads only so",
     {"03/04/2024", "12/25/2023"},
     {{"order", "mdy"}, {"earliest", "2023-12-25"}, {"latest", "2024-03-04"}}},
    {"ambiguous when every date reads both ways", {"03/04/2024", "05.06.24"}, {{"order", "ambiguous"}, {"types", "date:2"}}},
    {"ambiguous when the readings contradict", {"13/01/2024", "01/13/2024"}, {{"order", "ambiguous"}}},
    {"ISO dates; an impossible day is text",
     {"2024-02-29", "2023-02-29", "1999-12-31"},
     {{"order", "iso"}, {"types", "date:2 text:1"}, {"earliest", "1999-12-31"}, {"latest", "2024-02-29"}}},
    {"times, true/false words and text",
     {"9:05", "23:59:59", "24:00", "TRUE", "no", "Yes", "maybe"},
     {{"types", "time:2 true/false:3 text:2"}, {"min", "-"}}},
    {"empty values are counted apart, not among the distinct",
     {"", "a", "", "a"},
     {{"empty", "2"}, {"distinct", "1"}, {"types", "text:2 empty:2"}, {"top", "a:2"}, {"shortest", "a"}}},
    {"an empty column", {"", ""}, {{"empty", "2"}, {"distinct", "0"}, {"top", ""}, {"shortest", ""}, {"min", "-"}}},
    {"blemishes and case variants, counted per value",
     {" Paris", "paris", "PARIS", "Rome  Italy", "Oslo\t", "Ber\xC2\xA0lin", "Oslo"},
     {{"edge", "1"}, {"doubled", "1"}, {"unprintable", "2"}, {"case", "2"}}},
    {"case by Unicode's rule: straße and STRASSE", {"straße", "STRASSE", "Ärger", "ärger", "x"}, {{"case", "4"}}},
    {"bytes that are not UTF-8 are profiled as they are",
     {"caf\xE9", "caf\xC9", "caf\xE9", "\xFF\xFE"},
     {{"notUtf8", "4"}, {"distinct", "3"}, {"case", "0"}, {"top", "caf\xE9:2|caf\xC9:1|\xFF\xFE:1"},
      {"shortest", "\xFF\xFE"}, {"longest", "caf\xC9"}}},
    {"shortest and longest by characters, ties in text order",
     {"ééé", "abcd", "zz", "yy"},
     {{"shortest", "yy"}, {"longest", "abcd"}}},
};

} // namespace

class ProfileTest : public StoreTest {
protected:
    std::optional<ColumnProfile> profileOf(const std::vector<std::string>& values, const ProfileOptions& options = {})
    {
        // In quotes, which keep the spaces at a value's ends.
        std::string text = "N;V\r\n";
        for (std::size_t i = 0; i < values.size(); ++i)
            text += std::to_string(i + 1) + ";\"" + values[i] + "\"\r\n";
        m_store.Seperator(";");
        load(text);
        return computeProfile(m_store, 2, options);
    }
};

TEST_F(ProfileTest, TypesCountsAndRangesByCase)
{
    for (const ProfileCase& c : Cases) {
        SCOPED_TRACE(c.name);
        const std::optional<ColumnProfile> profile = profileOf(c.values);
        ASSERT_TRUE(profile);
        const auto facts = factsOf(*profile);
        EXPECT_EQ(facts.at("values"), std::to_string(c.values.size()));
        for (const auto& [fact, value] : c.expected)
            EXPECT_EQ(facts.at(fact), value) << fact;
    }
}

// 60,000 values, counted in two parts by hash: the same distinct values, top
// list, case variants and median as counted one by one. All-distinct values
// give a top list in text order.
TEST_F(ProfileTest, LargeColumnsAgreeWithPlainCounts)
{
    std::vector<std::string> values;
    std::map<std::string, std::int64_t> counts;
    for (int i = 0; i < 60'000; ++i) {
        const int n = (i * 7919) % 9001;
        values.push_back(i % 3 == 0 ? "Name" + std::to_string(n % 500) : i % 3 == 1 ? "NAME" + std::to_string(n % 400) : std::to_string(n));
        ++counts[values.back()];
    }
    std::optional<ColumnProfile> profile = profileOf(values);
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->distinct, static_cast<long long>(counts.size()));
    std::map<std::string, std::vector<long long>> byCase;
    for (const auto& [value, n] : counts)
        byCase[upperCased(value)].push_back(n);
    long long variants = 0;
    for (const auto& [key, ns] : byCase)
        if (ns.size() > 1)
            for (long long n : ns)
                variants += n;
    EXPECT_EQ(profile->caseVariants, variants);
    std::vector<std::pair<std::string, std::int64_t>> ranked(counts.begin(), counts.end());
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    ranked.resize(20);
    EXPECT_EQ(profile->top, ranked);
    std::vector<long long> numbers;
    for (const std::string& v : values)
        if (v[0] >= '0' && v[0] <= '9')
            numbers.push_back(std::stoll(v));
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(*profile->median, double(numbers[numbers.size() / 2 - 1] + numbers[numbers.size() / 2]) / 2);

    std::vector<std::string> distinct;
    for (int i = 0; i < 30'000; ++i)
        distinct.push_back("v" + std::to_string(100'000 + i));
    profile = profileOf(distinct, {3, 20, nullptr});
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->distinct, 30'000);
    EXPECT_EQ(profile->top, (std::vector<std::pair<std::string, std::int64_t>>{{"v100000", 1}, {"v100001", 1}, {"v100002", 1}}));

    const std::atomic<bool> stop{true};
    EXPECT_FALSE(profileOf(distinct, {20, 20, &stop}));
}
