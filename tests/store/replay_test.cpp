// A step's operation data runs again on the file as loaded and gives the
// same bytes as the live store: random sequences of every store operation,
// undo and redo among them, with generated keys or without.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/CSVDBS.h"
#include "store/CellBlocks.h"
#include "store/ColumnFixes.h"
#include "store/Replay.h"
#include "store/cluster/ClusterMerge.h"
#include "store/modCSV.h"
#include "store/replace/TextReplace.h"
#include "store/sort/KeySort.h"
#include "tests/support/ReplayCheck.h"

namespace {

const char* const Sample = "Id,Name,City\r\n1,Ann,Paris\r\n2,Bob,paris\r\n3,Ann,Paris\r\n1,Ann,Paris\r\n"
                           "4,Cy,Rome\r\n5,,Oslo\r\n2,Bob,paris\r\n";

} // namespace

TEST(Replay, RecordedOperationsRunAgainToTheSameBytes)
{
    const std::vector<std::string> values = {"", "Ann", "Paris", "x", "7", " a  b\t", "ANN", "paRis", "-1,5", "03/04/2024"};
    expectReplayGivesSameBytes(Sample, 40, 25, [&](ReplayLive& live) {
        CSVDBS& s = live.store;
        // Keys drawn at random must come back as drawn.
        s.KeyField("Id");
        s.AutoGenerateKey(live.pick(2) == 0);
        const auto value = [&] { return values[static_cast<std::size_t>(live.pick(static_cast<int>(values.size())))]; };
        const auto name = [&] { return s.GetFieldList()[static_cast<std::size_t>(live.field() - 1)]; };
        const auto fresh = [&] { return "F" + std::to_string(live.rng()); };
        return std::vector<std::function<void()>>{
            [&, value] { if (s.RecordCount() > 0) live.step([&] { s.PutValue(live.record(), live.field(), value()); }); },
            [&, value, name] { if (s.RecordCount() > 0) live.step([&] { s.SetField(name(), value(), live.record()); }); },
            [&, value, fresh] { live.step([&] { s.AddField(fresh(), value()); }); },
            [&, value, fresh] { live.step([&] { s.InsertField(fresh(), value(), live.pick(s.FieldCount() + 2)); }); },
            [&, value, fresh] { live.step([&] { s.InsertFieldAt(live.pick(s.FieldCount() + 1), fresh(), value()); }); },
            [&, name] { if (s.FieldCount() > 1) live.step([&] { s.DeleteField(name()); }); },
            [&] { if (s.FieldCount() > 1) live.step([&] { s.DeleteFieldAt(live.field()); }); },
            [&, name, fresh] { live.step([&] { s.ChangeFieldName(name(), fresh()); }); },
            [&] { live.step([&] { s.SwapFields(live.field(), live.field()); }); },
            [&, fresh] { live.step([&] { s.RenameFieldAt(live.field(), live.pick(2) ? fresh() : " a b "); }); },
            [&] { if (s.FieldCount() > 2) live.step([&] { s.DeleteFieldsAt({live.field(), live.field()}); }); },
            [&] { live.step([&] { s.InsertRecordAt(1 + live.pick(static_cast<int>(std::max<CSVDBS::RecordNo>(s.RecordCount(), 0)) + 1)); }); },
            [&] { live.step([&] { s.NewRecord(); }); },
            [&, value] {
                std::vector<std::string> values;
                for (int f = 1; f <= s.FieldCount(); ++f)
                    values.push_back(live.pick(2) ? value() : "");
                live.step([&] { InsertRowOf(s, values); });
            },
            [&] { if (s.RecordCount() > 1) live.step([&] { s.DeleteRecord(live.record()); }); },
            [&] { if (s.RecordCount() > 1) live.step([&] { s.DeleteRecords({live.record(), live.record()}); }); },
            [&] { live.step([&] { s.MoveRecordsToTop(live.pick(static_cast<int>(s.RecordCount()) + 1)); }); },
            [&] { live.step([&] { s.SortDataAt(1 + live.pick(2), live.field()); }); },
            [&] {
                std::vector<keysort::SortKey> keys(static_cast<std::size_t>(1 + live.pick(3)));
                for (keysort::SortKey& k : keys)
                    k = {live.field(), live.pick(2) == 0, static_cast<keysort::Comparison>(live.pick(5)),
                         static_cast<keysort::DecimalMark>(live.pick(2)), static_cast<keysort::DateOrder>(live.pick(2))};
                live.step([&] { KeySort::sortByKeys(s, keys); });
            },
            [&, value] { live.step([&] { s.FindAndReplace(value(), value()); }); },
            [&] { live.step([&] { s.RemoveDuplicates({live.field()}); }); },
            [&] { live.step([&] { RemoveDuplicateRows(s); }); },
            [&] {
                const CSVDBS::RecordNo r = live.record();
                live.step([&] { cellblocks::paste(s, r, live.field(), live.pick(2) ? "a\tb\r\nc\n" : "\n\tz\td"); });
            },
            [&] { // into the rows a filtered grid shows
                std::vector<CSVDBS::RecordNo> rows = {live.record(), live.record(), live.record()};
                std::sort(rows.begin(), rows.end());
                rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
                live.step([&] { cellblocks::paste(s, rows, live.field(), "p\tq\nr\ns\tt\tu"); });
            },
            [&] {
                if (s.RecordCount() > 0)
                    live.step([&] { cellblocks::clear(s, cellblocks::rectangle(1, live.record(), 1, live.field()), "Clear Cells"); });
            },
            [&] { live.step([&] { columnfixes::trimSpaces(s, live.field()); }); },
            [&] { live.step([&] { columnfixes::collapseSpaces(s, live.field()); }); },
            [&] { live.step([&] { columnfixes::removeUnprintable(s, live.field()); }); },
            [&] { live.step([&] { columnfixes::consistentCase(s, live.field()); }); },
            [&, value] { // a cluster merged, into a value the column may hold already
                live.step([&] { cluster::mergeValues(s, live.field(), {{value(), value()}, {value(), value()}}); });
            },
            [&, value] {
                const textreplace::Choice choice{static_cast<textreplace::Mode>(live.pick(3)), live.pick(2) ? "a" : "(a+)|x*",
                                                 live.pick(2) ? "<\\1>" : value(), live.pick(2) == 0,
                                                 live.pick(2) ? std::vector<int>{} : std::vector<int>{live.field()},
                                                 live.pick(3) ? std::vector<CSVDBS::RecordNo>{} : std::vector<CSVDBS::RecordNo>{live.record()}};
                try {
                    live.step([&] { textreplace::replaceAll(s, choice); });
                } catch (const textreplace::ChoiceError&) { // \1 of a pattern without it
                }
            },
            [&, value] { // on the rows a facet shows
                const RowScopeGuard shown(s, RowScope(live.field(), {value(), value()}));
                switch (live.pick(4)) {
                case 0: live.step([&] { s.FindAndReplace(value(), value()); }); break;
                case 1: live.step([&] { columnfixes::trimSpaces(s, live.field()); }); break;
                case 2: live.step([&] { columnfixes::consistentCase(s, live.field()); }); break;
                default: live.step([&] { cluster::mergeValues(s, live.field(), {{value(), value()}}); });
                }
            },
        };
    });
}

// Steps find their columns by heading: done on one file, they run on
// another whose columns stand in another order and give the same values.
TEST(Replay, StepsFindTheirColumnsByHeading)
{
    TempDir dir;
    CSVDBS done, other;
    done.FileName(dir.file("a.csv", "Id,Name,City\r\n3,Bo,Rome\r\n1,Al,Oslo\r\n2,Cy,Rome\r\n"));
    other.FileName(dir.file("b.csv", "City,Id,Zip,Name\r\nRome,3,9,Bo\r\nOslo,1,8,Al\r\nRome,2,7,Cy\r\n"));
    ASSERT_TRUE(done.LoadFile());
    ASSERT_TRUE(other.LoadFile());
    std::vector<StepOperation> steps;
    const auto record = [&] { steps.push_back(done.StepHistory().lastDone()->operation()); };
    done.SortDataAt(2, 2); // Name, descending
    record();
    done.RemoveDuplicates({3}); // City
    record();
    done.SwapFields(1, 3);
    record();
    done.DeleteFieldAt(3); // Id, now last
    record();
    for (const StepOperation& op : steps)
        ASSERT_NO_THROW(replay::run(other, op)) << op.name;
    EXPECT_EQ(other.GetFieldList(), (std::vector<std::string>{"City", "Zip", "Name"})) << "Id and City swapped, Id gone";
    ASSERT_EQ(other.RecordCount(), done.RecordCount());
    for (CSVDBS::RecordNo r = 1; r <= done.RecordCount(); ++r)
        for (const std::string& name : done.GetFieldList())
            EXPECT_EQ(other.ValueAt(r, other.FieldIndex(name)), done.ValueAt(r, done.FieldIndex(name))) << name << r;

    CSVDBS noCity;
    noCity.FileName(dir.file("c.csv", "Id,Name\r\n1,Al\r\n"));
    ASSERT_TRUE(noCity.LoadFile());
    EXPECT_THROW(
        try { replay::run(noCity, steps[1]); } catch (const replay::ReplayError& e) {
            EXPECT_STREQ(e.what(), "The file has no column \"City\".");
            throw;
        },
        replay::ReplayError);
    ASSERT_NO_THROW(replay::run(noCity, steps[0], replay::Columns::ByPosition)) << "by position, the second column";
    EXPECT_EQ(noCity.ValueAt(1, 2), "Al");
}

TEST(Replay, DataThatCannotRunSaysWhy)
{
    TempDir dir;
    CSVDBS s;
    s.FileName(dir.file("a.csv", Sample));
    ASSERT_TRUE(s.LoadFile());
    const struct {
        StepOperation operation;
        const char* why;
    } cases[] = {
        {{"Shuffle", {}}, "\"Shuffle\" is not an operation this program knows."},
        {{"SortDataAt", {{"direction", "1"}}}, "SortDataAt has no \"field\"."},
        {{"SortDataAt", {{"direction", "1"}, {"field", "two"}}}, "\"field\" is not a number: \"two\"."},
        {{"DeleteFieldAt", {{"field", "9"}}}, "The file has no column 9."},
        {{"DeleteField", {{"name", "Zip"}}}, "The file has no column \"Zip\"."},
        {{"DeleteRecords", {{"records", "3-1"}}}, "\"records\" has a run that is not one: \"3-1\"."},
        {{"PutValue", {{"record", "99"}, {"field", "1"}, {"value", "x"}}}, "The file has no row 99."},
    };
    for (const auto& c : cases) {
        try {
            replay::run(s, c.operation);
            ADD_FAILURE() << c.operation.name << " ran";
        } catch (const replay::ReplayError& e) {
            EXPECT_EQ(std::string(e.what()), c.why);
        }
    }
    EXPECT_FALSE(s.CanUndo()) << "nothing ran";
}
