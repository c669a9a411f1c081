// Appending and merging run again from their operation data: the second file
// is read again as it was read.
#include <gtest/gtest.h>

#include "combine/CombineFiles.h"
#include "combine/CombineReplay.h"
#include "combine/KeyMerge.h"
#include "tests/support/ReplayCheck.h"

using namespace CombineFiles;

TEST(CombineReplay, AppendAndMergeRunAgainToTheSameBytes)
{
    addCombineOperations();
    expectReplayGivesSameBytes("A,B\r\n1,2\r\n3,4\r\n", 20, 8, [](ReplayLive& live) {
        const std::string semicolons = live.dir.file("second.csv", "X;Y\r\n5;6\r\n7;8\r\n9;0\r\n");
        const std::string commas = live.dir.file("third.csv", "P,Q\r\nr,s\r\n");
        CSVDBS& s = live.store;
        return std::vector<std::function<void()>>{
            [&, semicolons, commas] {
                CSVDBS second;
                const bool header = live.pick(2) == 0;
                const bool third = live.pick(2) == 0;
                ASSERT_TRUE(readSecondFile(second, third ? commas : semicolons, third ? "," : ";", header));
                if (sameFieldCount(s, second))
                    live.step([&] { appendRecords(s, second, live.pick(2) ? AppendPlace::Above : AppendPlace::Below); });
            },
            [&, semicolons] {
                // Or a file with a short line, read with it filled out.
                const std::string ragged = live.dir.file("ragged.csv", "X;Y\r\n5\r\n7;8\r\n");
                const bool filled = live.pick(2) == 0;
                CSVDBS second;
                ASSERT_TRUE(readSecondFile(second, filled ? ragged : semicolons, ";", live.pick(2) == 0, filled));
                live.step([&] { mergeFields(s, second, live.pick(2) ? MergePlace::Left : MergePlace::Right); });
            },
            [&, commas] {
                // Keyed on the open file's first column, P holding "r" or "5".
                CSVDBS second;
                ASSERT_TRUE(readSecondFile(second, live.dir.file("keys.csv", "P,Q\r\nr,s\r\n5,t\r\n5,u\r\n"), ",", true));
                KeyChoice choice{live.field(), "P", {"Q"}, static_cast<JoinKind>(live.pick(3)), live.pick(2) == 0,
                                 live.pick(2) == 0, live.pick(2) ? MergePlace::Left : MergePlace::Right};
                live.step([&] { mergeByKey(s, second, choice); });
            },
            [&] { live.step([&] { s.SortDataAt(1 + live.pick(2), live.field()); }); },
        };
    });
}
