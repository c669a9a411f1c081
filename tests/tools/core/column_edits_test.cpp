#include <functional>

#include "tests/store/StoreFixture.h"
#include "tests/support/CaseName.h"
#include "tools/ColumnEdits.h"

using Names = std::vector<std::string>;
using namespace ColumnEdits;

class ColumnEditsTest : public StoreTest {};

TEST(CutValue, PiecesAtEveryDivider)
{
    using Pieces = std::vector<std::string_view>;
    EXPECT_EQ(cutValue("p q r", " "), (Pieces{"p", "q", "r"}));
    EXPECT_EQ(cutValue(",a,b", ","), (Pieces{"", "a", "b"}));
    EXPECT_EQ(cutValue("a,,", ","), (Pieces{"a", "", ""}));
    EXPECT_EQ(cutValue("a--b", "--"), (Pieces{"a", "b"}));
    EXPECT_EQ(cutValue("abc", ""), (Pieces{"abc"}));
    EXPECT_EQ(cutValue("abc", ";"), (Pieces{"abc"}));
    EXPECT_TRUE(cutValue("", " ").empty());
}

TEST_F(ColumnEditsTest, SplitNumberingGoesOnAcrossColumnsAndSkipsTakenNamesAndPositionsCount)
{
    load("A,1column,B\r\nx y,keep,u v\r\n");
    splitColumns(m_store, {1, 3}, " ");
    EXPECT_EQ(m_store.GetFieldList(), (Names{"A", "2COLUMN", "1column", "B", "3COLUMN"}));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"x", "y", "keep", "u", "v"}}));
    // The ticked field is split even when its name repeats.
    load("Name,NAME\r\nkeep me,a b\r\n");
    splitColumns(m_store, {2}, " ");
    EXPECT_EQ(rowsOf(m_store), (Rows{{"keep me", "a", "b"}}));
}

TEST_F(ColumnEditsTest, JoinedTextTrimsAndCutsOnlyATypedSeparator)
{
    load("X,Y\r\nv,\r\n,\r\n");
    m_store.PutValue(1, 1, " a ");
    JoinOptions typed;
    typed.separator = "+";
    typed.cutLastSeparator = true;
    EXPECT_EQ(joinedText(m_store, 1, {1, 2}, typed), "a +") << "one separator cut, then trimmed";
    JoinOptions space;
    space.separator = " ";
    EXPECT_EQ(joinedText(m_store, 1, {1, 2}, space), "a");
    EXPECT_EQ(joinedText(m_store, 2, {1, 2}, space), "");
}

// Joined into the first column, the others are deleted by position.
TEST_F(ColumnEditsTest, JoinInFirstColumnDeletesTheOthersByPosition)
{
    const struct {
        const char* text;
        std::vector<int> fields;
        Names names;
        Rows rows;
    } cases[] = {
        {"Name,Mid,NAME,City\r\nAnn,B,Cole,Oslo\r\n,,,Rome\r\n", {2, 3}, {"Name", "Mid", "City"},
         {{"Ann", "B Cole", "Oslo"}, {"", "", "Rome"}}},
        // The spaces do not survive the join: an empty result overwrites.
        {"A,B\r\n  ,\r\n", {1, 2}, {"A"}, {{""}}},
    };
    JoinOptions inFirst;
    inFirst.separator = " ";
    inFirst.newColumn = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        load(c.text);
        joinColumns(m_store, c.fields, inFirst);
        EXPECT_EQ(m_store.GetFieldList(), c.names);
        EXPECT_EQ(rowsOf(m_store), c.rows);
    }
}

TEST_F(ColumnEditsTest, PartialDuplicatesCompareTheTickedFieldsByPosition)
{
    load("Name,NAME,City\r\nAnn,x,Oslo\r\nAnn,y,Rome\r\nAnn,x,Bern\r\nBob,x,Oslo\r\n");
    removePartialDuplicates(m_store, {1, 2});
    EXPECT_EQ(rowsOf(m_store), (Rows{{"Ann", "x", "Oslo"}, {"Ann", "y", "Rome"}, {"Bob", "x", "Oslo"}}))
        << "rows differing in the second Name column stay";
    removePartialDuplicates(m_store, {1});
    EXPECT_EQ(rowsOf(m_store), (Rows{{"Ann", "x", "Oslo"}, {"Bob", "x", "Oslo"}}));
}

TEST_F(ColumnEditsTest, RearrangeKeepsTwoMatchingNamesApart)
{
    load("Name,NAME\r\nfirst,second\r\n");
    rearrangeColumns(m_store, {2, 1});
    EXPECT_EQ(m_store.GetFieldList(), (Names{"NAME", "Name"}));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"second", "first"}}));
    rearrangeColumns(m_store, {1, 2});
    EXPECT_EQ(rowsOf(m_store), (Rows{{"second", "first"}})) << "the same order changes nothing";
}

namespace {

struct Contents {
    Names names;
    Rows rows;
    bool operator==(const Contents&) const = default;
};

Contents contentsOf(const CSVDBS& s) { return {s.GetFieldList(), rowsOf(s)}; }

// Deleted records, records in another order than their slots and a slot no
// record uses any more, as a rewrite of a whole column meets them after a
// while of editing.
void editAWhile(CSVDBS& s)
{
    s.DeleteRecord(3);
    s.DeleteRecord(100);
    s.SortDataAt(2, 2);
    s.NewRecord();
    s.PutValue(s.RecordCount(), 1, "new one");
    s.Undo();
    s.Undo();
}

struct RewriteCase {
    const char* label;
    std::function<void(CSVDBS&)> run;
    std::int64_t valuesChanged;
};

class ColumnRewrites : public StoreTest, public testing::WithParamInterface<RewriteCase> {};

const RewriteCase rewriteCases[] = {
    {"upper case", [](CSVDBS& s) { changeCase(s, {2, 3}, CaseStyle::Upper); }, 2 * 298},
    {"prefix twice on one field", [](CSVDBS& s) { addPrefixSuffix(s, {1, 1}, "<", ">"); }, 2 * 298},
    {"split two fields", [](CSVDBS& s) { splitColumns(s, {2, 3}, " "); }, -1},
    {"join in the first", [](CSVDBS& s) { joinColumns(s, {2, 3}, JoinOptions{"-", false, false, ""}); }, 298},
    {"join into a new field", [](CSVDBS& s) { joinColumns(s, {3, 1}, JoinOptions{" ", false, true, "Both"}); }, 298},
};

} // namespace

// A tool that rewrites columns is undone to exactly what was there and redone
// to exactly what it made, and makes the same with recording as without.
TEST_P(ColumnRewrites, UndoAndRedoExactly)
{
    const RewriteCase& c = GetParam();
    std::string text = "Id,Name,Mail\r\n";
    for (int i = 0; i < 300; ++i)
        text += std::to_string(i) + ",name " + std::to_string(i % 7) + (i % 3 ? " x" : "") + ",u" +
                std::to_string(i) + "@host\r\n";
    load(text);
    const Contents loaded = contentsOf(m_store);
    editAWhile(m_store);
    const Contents before = contentsOf(m_store);
    c.run(m_store);
    const Contents after = contentsOf(m_store);
    ASSERT_NE(after, before);
    if (c.valuesChanged >= 0) {
        EXPECT_EQ(m_store.StepHistory().lastDone()->valuesChanged(), c.valuesChanged);
    }

    ASSERT_TRUE(m_store.Undo());
    EXPECT_EQ(contentsOf(m_store), before);
    ASSERT_TRUE(m_store.Redo());
    EXPECT_EQ(contentsOf(m_store), after);
    while (m_store.Undo()) {
    }
    EXPECT_EQ(contentsOf(m_store), loaded) << "deleted records come back as they were";
    EXPECT_FALSE(m_store.ChangesMade());
    while (m_store.Redo()) {
    }
    EXPECT_EQ(contentsOf(m_store), after);

    CSVDBS plain;
    plain.FileName(m_store.FileName());
    ASSERT_TRUE(plain.LoadFile());
    plain.HistoryBudget(0);
    editAWhile(plain);
    plain.DeleteRecord(plain.RecordCount()); // the record the undo took back above
    c.run(plain);
    EXPECT_EQ(contentsOf(plain), after) << "the same without recording";
}

INSTANTIATE_TEST_SUITE_P(ColumnEdits, ColumnRewrites, testing::ValuesIn(rewriteCases), ByLabel());
