#include <gtest/gtest.h>

#include "tests/store/StoreFixture.h"
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

TEST_F(ColumnEditsTest, SplitNumberingGoesOnAcrossColumnsAndSkipsTakenNames)
{
    load("A,1column,B\r\nx y,keep,u v\r\n");
    splitColumns(m_store, {1, 3}, " ");
    EXPECT_EQ(m_store.GetFieldList(), (Names{"A", "2COLUMN", "1column", "B", "3COLUMN"}));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"x", "y", "keep", "u", "v"}}));
}

TEST_F(ColumnEditsTest, SplitActsOnTheTickedFieldEvenWhenANameRepeats)
{
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

TEST_F(ColumnEditsTest, JoinInFirstColumnDeletesTheOthersByPosition)
{
    load("Name,Mid,NAME,City\r\nAnn,B,Cole,Oslo\r\n,,,Rome\r\n");
    JoinOptions inFirst;
    inFirst.separator = " ";
    inFirst.newColumn = false;
    joinColumns(m_store, {2, 3}, inFirst);
    EXPECT_EQ(m_store.GetFieldList(), (Names{"Name", "Mid", "City"}));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"Ann", "B Cole", "Oslo"}, {"", "", "Rome"}}));
}

TEST_F(ColumnEditsTest, JoinInFirstColumnOverwritesWithAnEmptyResult)
{
    load("A,B\r\n  ,\r\n");
    JoinOptions inFirst;
    inFirst.separator = " ";
    inFirst.newColumn = false;
    joinColumns(m_store, {1, 2}, inFirst);
    EXPECT_EQ(rowsOf(m_store), (Rows{{""}})) << "the spaces do not survive the join";
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
