// The value operations under a facet: each rewrites only the rows whose
// choosing value was picked (the choosing column among those it rewrites),
// and its data replays on the same rows of a file whose columns stand
// elsewhere.
#include <functional>

#include <gtest/gtest.h>

#include "store/ColumnFixes.h"
#include "store/Replay.h"
#include "store/cluster/ClusterMerge.h"
#include "store/cluster/Clustering.h"
#include "tests/store/StoreFixture.h"

class RowScopeTest : public StoreTest {};

TEST_F(RowScopeTest, ValueOperationsRewriteOnlyTheChosenRows)
{
    const char* const sample = "Name,City\r\n\" al \",Oslo\r\n\" bo \",Rome\r\n\" al \",oslo\r\nAL,Oslo\r\n";
    const RowScope oslo(2, {"Oslo", "oslo"});
    const Rows before = {{" al ", "Oslo"}, {" bo ", "Rome"}, {" al ", "oslo"}, {"AL", "Oslo"}};
    const struct {
        const char* step;
        std::function<void(CSVDBS&)> run;
        Rows after;
    } cases[] = {
        {"Trim Spaces", [](CSVDBS& s) { columnfixes::trimSpaces(s, 1); },
         {{"al", "Oslo"}, {" bo ", "Rome"}, {"al", "oslo"}, {"AL", "Oslo"}}},
        {"Make Case Consistent", [](CSVDBS& s) { columnfixes::consistentCase(s, 2); },
         {{" al ", "Oslo"}, {" bo ", "Rome"}, {" al ", "Oslo"}, {"AL", "Oslo"}}},
        {"Find and Replace", [](CSVDBS& s) { s.FindAndReplace(" bo ", "x"); }, // the hidden row's value
         {{" al ", "Oslo"}, {" bo ", "Rome"}, {" al ", "oslo"}, {"AL", "Oslo"}}},
        {"Find and Replace", [](CSVDBS& s) { s.FindAndReplace("oslo", "Oslo"); }, // the choosing column itself
         {{" al ", "Oslo"}, {" bo ", "Rome"}, {" al ", "Oslo"}, {"AL", "Oslo"}}},
        {"Cluster and Edit", [](CSVDBS& s) { cluster::mergeValues(s, 1, {{" al ", "Al"}, {" bo ", "Bo"}}); },
         {{"Al", "Oslo"}, {" bo ", "Rome"}, {"Al", "oslo"}, {"AL", "Oslo"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        CSVDBS live;
        live.FileName(m_dir.file("live.csv", sample));
        ASSERT_TRUE(live.LoadFile());
        {
            const RowScopeGuard shown(live, oslo);
            c.run(live);
        }
        EXPECT_TRUE(live.rowScope().everyRow()) << "the guard gives the scope back";
        EXPECT_EQ(rowsOf(live), c.after);
        if (c.after == before) {
            EXPECT_FALSE(live.CanUndo()) << "nothing changed: no step";
            continue;
        }
        EXPECT_EQ(live.UndoName(), c.step);
        // Next month's file has the columns the other way round.
        CSVDBS again;
        again.FileName(m_dir.file("again.csv", "City,Name\r\nOslo,\" al \"\r\nRome,\" bo \"\r\noslo,\" al \"\r\nOslo,AL\r\n"));
        ASSERT_TRUE(again.LoadFile());
        ASSERT_NO_THROW(replay::run(again, live.StepHistory().lastDone()->operation()));
        for (CSVDBS::RecordNo r = 1; r <= 4; ++r)
            EXPECT_EQ(again.ValueAt(r, 2), c.after[static_cast<std::size_t>(r - 1)][0]) << r;
        ASSERT_TRUE(live.Undo());
        EXPECT_EQ(rowsOf(live), before);
    }
    // Clustering counts the chosen rows only.
    load(sample);
    const RowScopeGuard shown(m_store, RowScope(2, {"Rome"}));
    const std::vector<cluster::Counted> counted = cluster::countValues(m_store, 1);
    ASSERT_EQ(counted.size(), 1u);
    EXPECT_EQ(counted[0].value, " bo ");
}

TEST_F(RowScopeTest, DataThatChoosesNoRowsIsRefused)
{
    load("A,B\r\n1,2\r\n");
    const StepOperation trim = {"TrimSpaces", {{"field", "1"}}};
    for (const auto& bad : std::vector<std::vector<std::pair<std::string, std::string>>>{
             {{"onlyField", "x"}, {"onlyValues", "1:2"}},
             {{"onlyField", "2"}, {"onlyValues", "9:2"}},
             {{"onlyField", "2"}, {"onlyValues", ""}},
             {{"onlyField", "5"}, {"onlyValues", "1:2"}}}) {
        StepOperation operation = trim;
        operation.parameters.insert(operation.parameters.end(), bad.begin(), bad.end());
        EXPECT_THROW(replay::run(m_store, operation, replay::Columns::ByPosition), replay::ReplayError);
    }
    EXPECT_FALSE(m_store.CanUndo());
}
