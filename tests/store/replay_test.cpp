// A step's operation data runs again on the file as loaded and gives the
// same bytes as the live store: random sequences of every store operation,
// undo and redo among them, with generated keys or without.
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/CSVDBS.h"
#include "store/Replay.h"
#include "store/modCSV.h"
#include "tests/support/TempDir.h"

namespace {

const char* const Sample = "Id,Name,City\r\n1,Ann,Paris\r\n2,Bob,paris\r\n3,Ann,Paris\r\n1,Ann,Paris\r\n"
                           "4,Cy,Rome\r\n5,,Oslo\r\n2,Bob,paris\r\n";

struct Live {
    CSVDBS store;
    std::vector<StepOperation> done, undone;

    // Runs `change`; a step it made joins the steps done, and redo is gone.
    void step(const std::function<void()>& change)
    {
        const std::uint64_t before = store.StepHistory().position();
        change();
        if (store.StepHistory().position() != before) {
            done.push_back(store.StepHistory().lastDone()->operation());
            undone.clear();
        }
    }
};

} // namespace

TEST(Replay, RecordedOperationsRunAgainToTheSameBytes)
{
    const std::vector<std::string> values = {"", "Ann", "Paris", "x", "7"};
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        const auto pick = [&](int n) { return n < 1 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(n)); };
        TempDir dir;
        Live live;
        live.store.FileName(dir.file("live.csv", Sample));
        ASSERT_TRUE(live.store.LoadFile());
        CSVDBS& s = live.store;
        // Keys drawn at random must come back as drawn.
        s.KeyField("Id");
        s.AutoGenerateKey(seed % 2 == 0);
        int made = 0;
        const auto field = [&] { return 1 + pick(s.FieldCount()); };
        const auto record = [&] { return static_cast<CSVDBS::RecordNo>(1 + pick(static_cast<int>(s.RecordCount()))); };
        const auto value = [&] { return values[static_cast<std::size_t>(pick(static_cast<int>(values.size())))]; };
        const std::vector<std::function<void()>> operations = {
            [&] { if (s.RecordCount() > 0) live.step([&] { s.PutValue(record(), field(), value()); }); },
            [&] { if (s.RecordCount() > 0) live.step([&] { s.SetField(s.GetFieldList()[static_cast<std::size_t>(field() - 1)], value(), record()); }); },
            [&] { live.step([&] { s.AddField("New" + std::to_string(++made), value()); }); },
            [&] { live.step([&] { s.InsertField("Ins" + std::to_string(++made), value(), pick(s.FieldCount() + 2)); }); },
            [&] { live.step([&] { s.InsertFieldAt(pick(s.FieldCount() + 1), "At" + std::to_string(++made), value()); }); },
            [&] { if (s.FieldCount() > 1) live.step([&] { s.DeleteField(s.GetFieldList()[static_cast<std::size_t>(field() - 1)]); }); },
            [&] { if (s.FieldCount() > 1) live.step([&] { s.DeleteFieldAt(field()); }); },
            [&] { live.step([&] { s.ChangeFieldName(s.GetFieldList()[static_cast<std::size_t>(field() - 1)], "Re" + std::to_string(++made)); }); },
            [&] { live.step([&] { s.SwapFields(field(), field()); }); },
            [&] { live.step([&] { s.NewRecord(); }); },
            [&] { if (s.RecordCount() > 1) live.step([&] { s.DeleteRecord(record()); }); },
            [&] { if (s.RecordCount() > 1) live.step([&] { s.DeleteRecords({record(), record()}); }); },
            [&] { live.step([&] { s.MoveRecordsToTop(pick(static_cast<int>(s.RecordCount()) + 1)); }); },
            [&] { live.step([&] { s.SortDataAt(1 + pick(2), field()); }); },
            [&] { live.step([&] { s.FindAndReplace(value(), value()); }); },
            [&] { live.step([&] { s.RemoveDuplicates({field()}); }); },
            [&] { live.step([&] { RemoveDuplicateRows(s); }); },
            [&] {
                if (s.Undo()) {
                    live.undone.push_back(live.done.back());
                    live.done.pop_back();
                }
            },
            [&] {
                if (s.Redo()) {
                    live.done.push_back(live.undone.back());
                    live.undone.pop_back();
                }
            },
        };
        for (int n = 0; n < 25; ++n)
            operations[static_cast<std::size_t>(pick(static_cast<int>(operations.size())))]();
        ASSERT_TRUE(s.WriteFile());

        CSVDBS again;
        again.FileName(dir.file("again.csv", Sample));
        ASSERT_TRUE(again.LoadFile());
        for (const StepOperation& op : live.done)
            ASSERT_NO_THROW(replay::run(again, op)) << "seed " << seed << ": " << op.name;
        ASSERT_TRUE(again.WriteFile());
        ASSERT_EQ(readFile(dir.path() + "/again.csv"), readFile(dir.path() + "/live.csv")) << "seed " << seed;
    }
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
