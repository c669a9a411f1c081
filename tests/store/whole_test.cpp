#include <algorithm>
#include <numeric>
#include <random>

#include "store/modCSV.h"
#include "tests/store/StoreFixture.h"

using Strings = std::vector<std::string>;

namespace {

class Whole : public StoreTest {};

std::string randomValue(std::mt19937& rng)
{
    static const char* pool[] = {"", "a", "A", "b", " a", "a ", "10", "9", "é", "É", "z\xff", "ab", "c"};
    return pool[rng() % (sizeof pool / sizeof *pool)];
}

// A file of `rows` records over few distinct values, so that equal keys and
// whole duplicate rows are common. With `sameNames` every field is called
// "same" in some case, so only positions tell them apart.
std::string randomFile(std::mt19937& rng, int fields, int rows, bool sameNames)
{
    std::string text;
    for (int f = 0; f < fields; ++f)
        text += (f ? "," : "") + (sameNames ? std::string(f % 2 ? "Same" : "same") : "F" + std::to_string(f + 1));
    text += "\r\n";
    for (int r = 0; r < rows; ++r) {
        for (int f = 0; f < fields; ++f)
            text += (f ? "," : "") + std::string("\"") + randomValue(rng) + "\"";
        text += "\r\n";
    }
    return text;
}

} // namespace

TEST_F(Whole, SortMatchesAStableSortOfTheSameRecords)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        // The last rounds are long enough to be sorted in several runs, an odd
        // number of them among them, and merged.
        const int rows = round < 17 ? 1 + static_cast<int>(rng() % 300) : 16384 * (2 + round % 3) + 77;
        load(randomFile(rng, 3, rows, false));
        const Rows before = rowsOf(m_store);
        const int field = 1 + static_cast<int>(rng() % 3);
        const int direction = 1 + static_cast<int>(rng() % 2);
        Rows expected = before;
        std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
            const std::string& x = a[static_cast<std::size_t>(field - 1)];
            const std::string& y = b[static_cast<std::size_t>(field - 1)];
            return direction == 1 ? x < y : y < x;
        });
        ASSERT_TRUE(m_store.SortData(direction, "f" + std::to_string(field)));
        EXPECT_EQ(rowsOf(m_store), expected) << "round " << round;
    }
}

TEST_F(Whole, SortRefusesWithoutChanging)
{
    load("A,\r\n2,x\r\n1,y\r\n");
    CSVDBS& s = m_store;
    EXPECT_FALSE(s.SortData(3, "A"));
    EXPECT_FALSE(s.SortData(0, "A"));
    EXPECT_FALSE(s.SortData(1, "nope"));
    EXPECT_EQ(column(1), (Strings{"2", "1"}));
    EXPECT_FALSE(s.ChangesMade());

    // A blank name means the key field; with no key field, the field whose
    // own name is blank.
    s.KeyField("a");
    ASSERT_TRUE(s.SortData(1, "  "));
    EXPECT_EQ(column(1), (Strings{"1", "2"}));
    s.KeyField("");
    ASSERT_TRUE(s.SortData(2, ""));
    EXPECT_EQ(column(2), (Strings{"y", "x"}));

    load("A,B\r\n1,2\r\n");
    EXPECT_FALSE(s.SortData(1, ""));
    ASSERT_TRUE(s.SortData(1, "A"));
    EXPECT_FALSE(s.ChangesMade()) << "an order that did not move is not a change";
    EXPECT_THROW(CSVDBS().SortData(1, "A"), StoreError);
}

TEST_F(Whole, FindAndReplaceMatchesWholeValuesByTheNameRule)
{
    load("A,B,C\r\napple,Apple, APPLE\r\napples,green apple,\"\"\r\n   ,straße,ÉTÉ\r\n");
    CSVDBS& s = m_store;
    ASSERT_TRUE(s.FindAndReplace(" apple", "Pear "));
    EXPECT_EQ(rowsOf(s), (Rows{{"Pear ", "Pear ", "Pear "},
                               {"apples", "green apple", ""},
                               {"", "straße", "ÉTÉ"}}));
    EXPECT_TRUE(s.ChangesMade());
    EXPECT_TRUE(s.FindAndReplace("STRASSE", "road"));
    EXPECT_TRUE(s.FindAndReplace("été", ""));
    EXPECT_EQ(rowsOf(s)[2], (Strings{"", "road", ""}));
    // An empty search value finds the empty and the blank values.
    EXPECT_TRUE(s.FindAndReplace("", "-"));
    EXPECT_EQ(rowsOf(s), (Rows{{"Pear ", "Pear ", "Pear "},
                               {"apples", "green apple", "-"},
                               {"-", "road", "-"}}));

    load("A\r\nx\r\n");
    EXPECT_FALSE(s.FindAndReplace("y", "z"));
    EXPECT_FALSE(s.ChangesMade());
    EXPECT_FALSE(CSVDBS().FindAndReplace("", "z"));
}

TEST_F(Whole, RemoveDuplicateRowsComparesEveryFieldExactly)
{
    load("Name,NAME,\r\nx,1,a\r\nx,2,a\r\nX,1,a\r\n\"x \",1,a\r\nx,1,a\r\nx,1,a\r\nx,2,a\r\n"
         "\"a|Varnhold_1|b\",c,d\r\na,\"b|Varnhold_1|c\",d\r\n");
    CSVDBS& s = m_store;
    RemoveDuplicateRows(s);
    EXPECT_EQ(rowsOf(s), (Rows{{"x", "1", "a"},
                               {"x", "2", "a"},
                               {"X", "1", "a"},
                               {"x ", "1", "a"},
                               {"a|Varnhold_1|b", "c", "d"},
                               {"a", "b|Varnhold_1|c", "d"}}));
    EXPECT_TRUE(s.ChangesMade());

    load("A\r\nsolo\r\n");
    RemoveDuplicateRows(s);
    EXPECT_EQ(s.RecordCount(), 1);
    EXPECT_FALSE(s.ChangesMade());
    CSVDBS empty;
    RemoveDuplicateRows(empty);
    EXPECT_EQ(empty.RecordCount(), -1);
}

TEST_F(Whole, OnePassDedupeEqualsKeepFirstByComparison)
{
    std::mt19937 rng(5);
    for (int round = 0; round < 20; ++round) {
        load(randomFile(rng, 1 + static_cast<int>(rng() % 3), static_cast<int>(rng() % 400) + 1, true));
        const Rows before = rowsOf(m_store);
        std::vector<int> fields(static_cast<std::size_t>(m_store.FieldCount()));
        std::iota(fields.begin(), fields.end(), 1);
        std::shuffle(fields.begin(), fields.end(), rng);
        fields.resize(1 + rng() % fields.size());

        // Keep a record unless an earlier kept one has the same values.
        Rows expected;
        const auto sameKey = [&](const auto& a, const auto& b) {
            return std::all_of(fields.begin(), fields.end(), [&](int f) {
                return a[static_cast<std::size_t>(f - 1)] == b[static_cast<std::size_t>(f - 1)];
            });
        };
        for (const auto& row : before)
            if (std::none_of(expected.begin(), expected.end(), [&](const auto& k) { return sameKey(k, row); }))
                expected.push_back(row);

        EXPECT_EQ(m_store.RemoveDuplicates(fields), static_cast<std::int64_t>(before.size() - expected.size()));
        EXPECT_EQ(rowsOf(m_store), expected) << "round " << round;
        EXPECT_EQ(m_store.RecordCount(), static_cast<int>(expected.size()));
    }
    EXPECT_THROW(m_store.RemoveDuplicates({0}), StoreError);
}

TEST_F(Whole, EditsAfterManyDeletionsStayCorrect)
{
    // Enough deletions and edits to make the store rewrite its storage.
    std::string text = "K,V\r\n";
    for (int i = 0; i < 20000; ++i)
        text += std::to_string(i % 50) + ",v" + std::to_string(i) + "\r\n";
    load(text);
    CSVDBS& s = m_store;
    EXPECT_EQ(s.RemoveDuplicates({1}), 19950);
    for (int r = 1; r <= s.RecordCount(); ++r)
        s.PutValue(r, 2, std::string(1000, static_cast<char>('a' + r % 26)));
    ASSERT_TRUE(s.SortData(2, "K"));
    EXPECT_EQ(s.ValueAt(1, 1), "9");
    EXPECT_EQ(s.ValueAt(1, 2), std::string(1000, static_cast<char>('a' + 10 % 26)));
    ASSERT_TRUE(s.WriteFile());
    CSVDBS back;
    back.FileName(s.FileName());
    ASSERT_TRUE(back.LoadFile());
    EXPECT_EQ(rowsOf(back), rowsOf(s));
}
