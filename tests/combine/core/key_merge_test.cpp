// Merging a second file's columns by a key column.
#include "combine/KeyMerge.h"

#include "tests/store/StoreFixture.h"

using namespace CombineFiles;

class KeyMergeTest : public StoreTest {
protected:
    void readSecond(std::string_view text) { ASSERT_TRUE(readSecondFile(m_second, m_dir.file("second.csv", text), ",", true)); }
    CSVDBS m_second;
};

TEST_F(KeyMergeTest, EachJoinKindKeyRuleAndRepeatChoiceGivesItsRows)
{
    const char* open = "id,name\r\n1,Ann\r\n2,Bo\r\n3,Cy\r\nb,Di\r\n";
    const char* second = "code,price,name\r\n2,20,two\r\n1,10,one\r\n2,21,again\r\n9,90,nine\r\nB,30,bee\r\n,0,none\r\n";
    const struct {
        JoinKind kind;
        bool loose, every;
        MergePlace where;
        Rows rows;
        std::int64_t matched, unmatchedOpen, unmatchedSecond;
    } cases[] = {
        {JoinKind::KeepThisFile, false, false, MergePlace::Right,
         {{"1", "Ann", "10", "one"}, {"2", "Bo", "20", "two"}, {"3", "Cy", "", ""}, {"b", "Di", "", ""}}, 2, 2, 3},
        {JoinKind::OnlyBoth, true, false, MergePlace::Right,
         {{"1", "Ann", "10", "one"}, {"2", "Bo", "20", "two"}, {"b", "Di", "30", "bee"}}, 3, 1, 2},
        {JoinKind::KeepThisFile, false, true, MergePlace::Left,
         {{"10", "one", "1", "Ann"}, {"20", "two", "2", "Bo"}, {"21", "again", "2", "Bo"}, {"", "", "3", "Cy"}, {"", "", "b", "Di"}},
         2, 2, 3},
        {JoinKind::EveryRow, false, false, MergePlace::Right,
         {{"1", "Ann", "10", "one"}, {"2", "Bo", "20", "two"}, {"3", "Cy", "", ""}, {"b", "Di", "", ""},
          {"", "", "90", "nine"}, {"", "", "30", "bee"}, {"", "", "0", "none"}},
         2, 2, 3},
    };
    for (const auto& c : cases) {
        load(open);
        readSecond(second);
        KeyChoice choice{1, "code", {"price", "name"}, c.kind, c.loose, c.every, c.where};
        const KeyPlan plan = planKeyMerge(m_store, m_second, choice);
        EXPECT_EQ(plan.rows, static_cast<std::int64_t>(c.rows.size()));
        EXPECT_EQ(rowsOf(m_store).size(), 4u) << "planning changes nothing";
        const KeyPlan done = mergeByKey(m_store, m_second, choice);
        EXPECT_EQ(rowsOf(m_store), c.rows);
        EXPECT_EQ(std::tuple(done.matched, done.unmatchedOpen, done.unmatchedSecond),
                  std::tuple(c.matched, c.unmatchedOpen, c.unmatchedSecond));
        // The repeated key, reported before the choice is made; a clash of
        // names takes the numbered name; Undo gives the file back.
        EXPECT_EQ(std::tuple(plan.repeatedKeys, plan.firstRepeat, plan.firstRepeatRows),
                  std::tuple(std::int64_t{1}, std::string("2"), std::int64_t{2}));
        EXPECT_EQ(m_store.GetFieldList()[c.where == MergePlace::Left ? 1 : 3], "1NAME");
        EXPECT_EQ(m_store.UndoName(), "Merge File");
        m_store.Undo();
        EXPECT_EQ(rowsOf(m_store), (Rows{{"1", "Ann"}, {"2", "Bo"}, {"3", "Cy"}, {"b", "Di"}}));
    }
    KeyPlan counted;
    counted.matched = 3, counted.unmatchedOpen = 1, counted.unmatchedSecond = 2;
    EXPECT_EQ(describe(counted), "Matched 3 rows. Rows of this file without a match: 1. Rows of the other file without a match: 2.");
}

TEST_F(KeyMergeTest, AMissingColumnIsSaidBeforeAnythingChanges)
{
    load("id,name\r\n1,Ann\r\n");
    readSecond("code,price\r\n1,10\r\n");
    const struct {
        int openKey;
        const char *secondKey, *column, *why;
    } cases[] = {
        {1, "sku", "price", "The other file has no column \"sku\"."},
        {1, "code", "cost", "The other file has no column \"cost\"."},
        {3, "code", "price", "This file has no key column 3."},
    };
    for (const auto& c : cases) {
        try {
            KeyChoice choice;
            choice.openKey = c.openKey, choice.secondKey = c.secondKey, choice.columns = {c.column};
            mergeByKey(m_store, m_second, choice);
            ADD_FAILURE() << c.why;
        } catch (const KeyMergeError& bad) {
            EXPECT_STREQ(bad.what(), c.why);
        }
        EXPECT_EQ(rowsOf(m_store), (Rows{{"1", "Ann"}}));
        EXPECT_FALSE(m_store.CanUndo());
    }
}
