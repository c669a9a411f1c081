// The sort by several typed keys: each comparison on the values that trip
// it, ties and empties, the step it makes, the date guess, and that exact
// text gives the order of the one-column sort.
#include <algorithm>
#include <numeric>
#include <random>

#include <gtest/gtest.h>

#include "store/Replay.h"
#include "store/sort/DateGuess.h"
#include "store/sort/KeySort.h"
#include "store/sort/SortValues.h"
#include "tests/store/StoreFixture.h"

using keysort::Comparison;
using keysort::DateGuess;
using keysort::DateOrder;
using keysort::DecimalMark;
using keysort::SortKey;
using Values = std::vector<std::string>;

namespace {

// "V|Id" lines for `values`, Id their place; '|' so that commas stay in values.
std::string tableOf(const Values& values)
{
    std::string text = "V|Id\r\n";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += values[i] + "|" + std::to_string(i) + "\r\n";
    return text;
}

} // namespace

class KeySortTest : public StoreTest {
protected:
    void loadValues(CSVDBS& s, const Values& values, const char* name = "in.csv")
    {
        s.Seperator("|");
        s.FileName(m_dir.file(name, tableOf(values)));
        ASSERT_TRUE(s.LoadFile());
    }
};

TEST_F(KeySortTest, EachComparisonOrdersItsTrickyValues)
{
    const std::string overflow(400, '9');
    const auto key = [](Comparison c, bool descending = false, DecimalMark mark = DecimalMark::Point,
                        DateOrder order = DateOrder::DayMonth) { return SortKey{1, descending, c, mark, order}; };
    const struct {
        const char* what;
        SortKey key;
        Values values, sorted;
    } cases[] = {
        {"number: signs, groups, exponents; what does not read goes after in text order, empties last",
         key(Comparison::Number),
         {"10", "-1,234.5", "1e3", "", "+7", "NaN", "1e400", overflow, "abc", "2.5", "-0", "0", "1 000", "1e-400", "inf"},
         {"-1,234.5", "-0", "0", "1e-400", "2.5", "+7", "10", "1e3", "1 000", "1e400", overflow, "abc", "inf", "NaN", ""}},
        {"number with a decimal comma", key(Comparison::Number, false, DecimalMark::Comma),
         {"1.234,5", "1,234.5", "1234,4", "-2,5", "1.23,4"},
         {"-2,5", "1234,4", "1.234,5", "1,234.5", "1.23,4"}},
        {"number, descending: only the numbers turn", key(Comparison::Number, true), {"2", "x", "", "10", "1", "B"},
         {"10", "2", "1", "B", "x", ""}},
        {"natural: digit runs by value, case and leading zeros aside", key(Comparison::Natural),
         {"file10", "File02", "file2", "file1", "a", "file", "file2b"},
         {"a", "file", "file1", "File02", "file2", "file2b", "file10"}},
        {"text ignoring case, beyond ASCII", key(Comparison::TextIgnoringCase),
         {"b", "B", "stra\xC3\x9F" "e", "a", "\xC3\xA9", "A", "E", "STRASSE"},
         {"a", "A", "b", "B", "E", "stra\xC3\x9F" "e", "STRASSE", "\xC3\xA9"}},
        {"exact text: by the bytes", key(Comparison::TextExact), {"b", "B", "a", "\xC3\xA9", "A", "E", ""},
         {"A", "B", "E", "a", "b", "\xC3\xA9", ""}},
        {"text descending, empties still last", key(Comparison::TextIgnoringCase, true), {"b", "", "a", "B"},
         {"b", "B", "a", ""}},
        {"date, day first: a date that does not exist is text", key(Comparison::Date),
         {"2024-03-31", "31/01/2024", "01/02/2024", "31/02/2024", "", "2024-01-31", "2024-1-5"},
         {"2024-1-5", "31/01/2024", "2024-01-31", "01/02/2024", "2024-03-31", "31/02/2024", ""}},
        {"date, month first", key(Comparison::Date, false, DecimalMark::Point, DateOrder::MonthDay),
         {"01/02/2024", "31/01/2024", "12/31/2023", "1.2.2024"},
         {"12/31/2023", "01/02/2024", "1.2.2024", "31/01/2024"}},
        {"date, descending", key(Comparison::Date, true), {"01.02.2024", "junk", "31.12.2023", "2024-06-01"},
         {"2024-06-01", "01.02.2024", "31.12.2023", "junk"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CSVDBS s;
        loadValues(s, c.values);
        KeySort::sortByKeys(s, {c.key});
        std::vector<std::string> got;
        for (int r = 1; r <= s.RecordCount(); ++r)
            got.emplace_back(s.ValueAt(r, 1));
        EXPECT_EQ(got, c.sorted);
    }
}

// Ties under the first key go by the second, ties under both keep their
// order; the step is one, named Sort, and its data replays the same order.
TEST_F(KeySortTest, LaterKeysBreakTiesStablyInOneUndoableStep)
{
    const char* const sample = "City,Amount,Id\r\nrome,5,1\r\nOslo,7,2\r\nRome,12,3\r\noslo,7,4\r\nRome,5,5\r\nBern,x,6\r\n";
    load(sample);
    const Rows before = rowsOf(m_store);
    const std::vector<SortKey> keys = {{1, false, Comparison::TextIgnoringCase, DecimalMark::Point, DateOrder::DayMonth},
                                       {2, true, Comparison::Number, DecimalMark::Comma, DateOrder::MonthDay}};
    EXPECT_TRUE(KeySort::sortByKeys(m_store, keys));
    EXPECT_EQ(column(3), (Values{"6", "2", "4", "3", "1", "5"}));
    EXPECT_EQ(m_store.UndoName(), "Sort");

    CSVDBS again;
    again.FileName(m_dir.file("again.csv", sample));
    ASSERT_TRUE(again.LoadFile());
    replay::run(again, m_store.StepHistory().lastDone()->operation());
    EXPECT_EQ(rowsOf(again), rowsOf(m_store)) << "replayed from its data, every key in it";

    ASSERT_TRUE(m_store.Undo());
    EXPECT_EQ(rowsOf(m_store), before);
    EXPECT_THROW(KeySort::sortByKeys(m_store, {{4}}), StoreError);
    EXPECT_FALSE(KeySort::sortByKeys(m_store, {}));
    EXPECT_TRUE(m_store.CanRedo()) << "no keys, no step";

    // A first key with one tie and nothing empty still leaves that tie to
    // the second key.
    CSVDBS small;
    small.FileName(m_dir.file("small.csv", "K,N\r\na,2\r\na,1\r\nb,0\r\n"));
    ASSERT_TRUE(small.LoadFile());
    KeySort::sortByKeys(small, {{1, false, Comparison::TextExact}, {2, false, Comparison::Number}});
    EXPECT_EQ(rowsOf(small), (Rows{{"a", "1"}, {"a", "2"}, {"b", "0"}}));
}

// Exact text is the order of Sort By Column, bytes not valid UTF-8 included,
// save that the one-column sort puts empty values first when ascending.
TEST_F(KeySortTest, ExactTextIsTheOrderOfTheOneColumnSort)
{
    const Values values = {"B", "a", "10", "9", "", "\xC3\xA9", "e", "caf\xE9", "Z", "a b", "ab", "A", "", "9", "_"};
    for (const bool descending : {false, true}) {
        SCOPED_TRACE(descending ? "descending" : "ascending");
        CSVDBS byKeys, byColumn;
        loadValues(byKeys, values, "a.csv");
        loadValues(byColumn, values, "b.csv");
        KeySort::sortByKeys(byKeys, {{1, descending, Comparison::TextExact}});
        byColumn.SortDataAt(descending ? 2 : 1, 1);
        Rows expected = rowsOf(byColumn);
        std::stable_partition(expected.begin(), expected.end(), [](const auto& row) { return !row[0].empty(); });
        EXPECT_EQ(rowsOf(byKeys), expected);
    }
    CSVDBS ignoring;
    loadValues(ignoring, {"a", "B"});
    EXPECT_FALSE(KeySort::sortByKeys(ignoring, {{1, false, Comparison::TextIgnoringCase}}))
        << "ignoring case keeps a before B, where Sort By Column puts B first";
}

// Many records, so that the ranks are made on more than one core: the order
// is that of a plain stable sort by the same readings.
TEST_F(KeySortTest, ManyRecordsSortAsAPlainStableSortWould)
{
    const Values pool = {"1,5", "-3", "x", "", "2", "1,50", "1e2", "Apple", "apple", "file9", "file10", "0,0", "-0"};
    std::mt19937 rng(7);
    Values a(70'000), b(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        a[i] = pool[rng() % pool.size()];
        b[i] = pool[rng() % pool.size()];
    }
    std::string text = "A|B|Id\r\n";
    for (std::size_t i = 0; i < a.size(); ++i)
        text += a[i] + "|" + b[i] + "|" + std::to_string(i) + "\r\n";
    m_store.Seperator("|");
    load(text);
    ASSERT_TRUE(KeySort::sortByKeys(m_store, {{1, true, Comparison::Number, DecimalMark::Comma},
                                              {2, false, Comparison::Natural}}));

    // A number ranks before text, text before an empty value.
    const auto numberKey = [](const std::string& v) {
        const auto n = keysort::numberValue(v, DecimalMark::Comma);
        std::string folded;
        keysort::appendFolded(v, folded);
        return std::tuple(v.empty() ? 2 : n ? 0 : 1, n ? -*n : 0.0, n ? std::string() : folded);
    };
    const auto naturalKey = [](const std::string& v) {
        std::string natural;
        keysort::appendNatural(v, natural);
        return std::pair(v.empty(), natural);
    };
    std::vector<std::size_t> expected(a.size());
    std::iota(expected.begin(), expected.end(), 0u);
    std::stable_sort(expected.begin(), expected.end(), [&](std::size_t x, std::size_t y) {
        const auto kx = numberKey(a[x]), ky = numberKey(a[y]);
        return kx != ky ? kx < ky : naturalKey(b[x]) < naturalKey(b[y]);
    });
    for (std::size_t r = 0; r < expected.size(); ++r)
        ASSERT_EQ(m_store.ValueAt(static_cast<CSVDBS::RecordNo>(r + 1), 3), std::to_string(expected[r])) << "row " << r + 1;
}

TEST_F(KeySortTest, DateGuessReadsTheWholeColumn)
{
    using F = DateGuess::Format;
    const struct {
        Values values;
        F format;
        char separator;
        std::int64_t dates, others;
    } cases[] = {
        {{"2024-03-31", "2023-12-01", ""}, F::YearFirst, '-', 2, 0},
        {{"31/01/2024", "01/02/2024", "31/02/2024", "x", ""}, F::DayMonth, '/', 2, 2},
        {{"12.31.2023", "01.02.2024"}, F::MonthDay, '.', 2, 0},
        {{"03/04/2024", "01/02/2023", "2024-05-06"}, F::Ambiguous, '/', 3, 0},
        {{"31/01/2024", "12/31/2023", "01/02/2024"}, F::Ambiguous, '/', 2, 1},
        {{"x", "12", ""}, F::None, '-', 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.values[0]);
        CSVDBS s;
        loadValues(s, c.values);
        const DateGuess guess = keysort::guessDateFormat(s, 1);
        EXPECT_EQ(guess.format, c.format);
        EXPECT_EQ(guess.separator, c.separator);
        EXPECT_EQ(guess.dates, c.dates);
        EXPECT_EQ(guess.others, c.others);
    }
    EXPECT_THROW(keysort::guessDateFormat(m_store, 1), StoreError) << "nothing loaded";
}
