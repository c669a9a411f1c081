// The column tools' steps run again from their operation data alone.
#include <algorithm>

#include <gtest/gtest.h>

#include "tests/support/ReplayCheck.h"
#include "tools/ColumnEdits.h"
#include "tools/ToolReplay.h"

using namespace ColumnEdits;

TEST(ToolReplay, ToolStepsRunAgainToTheSameBytes)
{
    addToolOperations();
    const char* const sample = "Name,City,Code\r\nann lee,Paris,a-1\r\nBob,paris,b-2-3\r\nann lee,Paris,a-1\r\n,Rome,\r\n";
    expectReplayGivesSameBytes(sample, 40, 12, [](ReplayLive& live) {
        CSVDBS& s = live.store;
        const auto some = [&] {
            std::vector<int> fields;
            for (int f = 1; f <= s.FieldCount(); ++f)
                if (live.pick(2) == 0)
                    fields.push_back(f);
            if (fields.empty())
                fields.push_back(live.field());
            return fields;
        };
        return std::vector<std::function<void()>>{
            [&, some] { live.step([&] { removePartialDuplicates(s, some()); }); },
            [&, some] { live.step([&] { addPrefixSuffix(s, some(), "<", live.pick(2) ? ">" : ""); }); },
            [&, some] { live.step([&] { changeCase(s, some(), static_cast<CaseStyle>(live.pick(4))); }); },
            [&, some] { live.step([&] { splitColumns(s, some(), live.pick(2) ? "-" : " "); }); },
            [&, some] {
                live.step([&] { joinColumns(s, some(), {live.pick(2) ? ", " : "/", live.pick(2) == 0, live.pick(2) == 0, "Joined"}); });
            },
            [&] {
                std::vector<int> order(static_cast<std::size_t>(s.FieldCount()));
                for (std::size_t i = 0; i < order.size(); ++i)
                    order[i] = static_cast<int>(i) + 1;
                std::shuffle(order.begin(), order.end(), live.rng);
                live.step([&] { rearrangeColumns(s, order); });
            },
            [&] { live.step([&] { s.PutValue(live.record(), live.field(), "ann-x y"); }); },
            [&, some] { // on the rows a facet shows, the choosing column among those rewritten
                const RowScopeGuard shown(s, RowScope(live.field(), {"Paris", "ann lee", "Bob"}));
                if (live.pick(2))
                    live.step([&] { changeCase(s, some(), CaseStyle::Upper); });
                else
                    live.step([&] { addPrefixSuffix(s, some(), "[", "]"); });
            },
        };
    });
}

TEST(ToolReplay, ValueToolsUnderAFacetRewriteOnlyItsRows)
{
    CSVDBS s;
    TempDir dir;
    s.FileName(dir.file("in.csv", "Name,City\r\nann,paris\r\nbob,rome\r\ncy,paris\r\n"));
    ASSERT_TRUE(s.LoadFile());
    {
        const RowScopeGuard shown(s, RowScope(2, {"paris"}));
        addPrefixSuffix(s, {1}, "<", ">");
        changeCase(s, {2, 1}, CaseStyle::Upper); // the choosing column first
    }
    EXPECT_EQ(s.ValueAt(1, 1), "<ANN>");
    EXPECT_EQ(s.ValueAt(1, 2), "PARIS");
    EXPECT_EQ(s.ValueAt(2, 1), "bob");
    EXPECT_EQ(s.ValueAt(2, 2), "rome");
    EXPECT_EQ(s.ValueAt(3, 1), "<CY>");
}
