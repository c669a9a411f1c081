// The crash journal: what a store's steps write comes back, after a save,
// undo and redo among them, as the same bytes; a record cut short costs only
// itself; a journal that cannot be used says why; the file's state decides
// whether the steps still fit it.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/CSVDBS.h"
#include "store/journal/FileCheck.h"
#include "store/journal/JournalFolder.h"
#include "store/journal/JournalFormat.h"
#include "store/journal/JournalReplay.h"
#include "store/journal/JournalWriter.h"
#include "store/journal/StoreJournal.h"
#include "store/modCSV.h"
#include "tests/support/TempDir.h"

namespace {

const char* const Sample = "Id;Name;City\r\n1;Ann;Paris\r\n2;Bob;paris\r\n3;Ann;Paris\r\n1;Ann;Paris\r\n4;Cy;Rome\r\n";

journal::Base baseFor(const std::string& path)
{
    return {*journal::factsAt(path), {";", true, false, true, false, FileEncoding::Utf8}};
}

// A journal of three steps as its writer leaves it, as bytes.
std::string threeSteps(const TempDir& dir)
{
    const std::string file = dir.file("three.csv", Sample);
    std::string path;
    {
        JournalWriter writer(dir.path(), "three.journal", baseFor(file));
        writer.sync(); // the hash first, so that the steps come last
        for (const char* value : {"a", "b", "c"})
            writer.append(journal::stepRecord({"PutValue", {{"record", "1"}, {"field", "2"}, {"value", value}}}), false);
        writer.sync();
        path = writer.path();
    }
    return readFile(path);
}

} // namespace

// Random steps, saves and undos on a store the journal follows: the journal
// then replays on the file as last saved to the live store's bytes, and a
// cell edit's entry stays small.
TEST(Journal, StepsUndosAndSavesReplayToTheLiveBytes)
{
    for (unsigned seed = 1; seed <= 30; ++seed) {
        TempDir dir;
        std::mt19937 rng(seed);
        const auto pick = [&](int n) { return n < 1 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(n)); };
        CSVDBS live;
        live.FileName(dir.file("live.csv", Sample));
        live.Seperator(";");
        live.StandardQuoting(true);
        ASSERT_TRUE(live.LoadFile());
        StoreJournal journaled(live, dir.path() + "/journals", "w1");
        std::uint64_t saved = 0;
        const auto record = [&] { return 1 + pick(live.RecordCount()); };
        const auto field = [&] { return 1 + pick(live.FieldCount()); };
        const std::vector<std::function<void()>> ops = {
            [&] { if (live.RecordCount() > 0) live.PutValue(record(), field(), pick(2) ? "x\"y" : "a;b\nc"); },
            [&] { if (live.RecordCount() > 1) live.DeleteRecord(record()); },
            [&] { live.SortDataAt(1 + pick(2), field()); },
            [&] { live.FindAndReplace("Ann", "Eve"); },
            [&] { live.InsertFieldAt(pick(live.FieldCount() + 1), "N" + std::to_string(pick(9)), "v"); },
            [&] { RemoveDuplicateRows(live); },
            [&] { live.NewRecord(); },
            [&] { if (live.StepHistory().position() > saved) live.Undo(); },
            [&] { live.Redo(); },
            [&] { if (pick(4) == 0) { ASSERT_TRUE(live.WriteFile()); saved = live.StepHistory().position(); } },
        };
        for (int n = 0; n < 30; ++n)
            ops[static_cast<std::size_t>(pick(static_cast<int>(ops.size())))]();
        live.PutValue(1, 1, "last");
        journaled.sync();

        const journal::Contents contents = journal::readFile(journaled.path());
        ASSERT_EQ(contents.problem, journal::Contents::Problem::None) << contents.error;
        EXPECT_FALSE(contents.torn);
        EXPECT_EQ(contents.base.choices, journal::ReadChoices::of(live));
        EXPECT_EQ(journal::stateNow(contents), journal::FileState::Same) << "seed " << seed;
        EXPECT_LT(journal::stepRecord(live.StepHistory().lastDone()->operation()).size(), 200u);

        CSVDBS again;
        ASSERT_TRUE(journal::loadBase(again, contents));
        const journal::Replayed replayed = journal::replay(again, contents);
        ASSERT_EQ(replayed.failedAt, 0u) << "seed " << seed << ": " << replayed.error;
        EXPECT_EQ(replayed.steps, contents.steps());
        live.FileName(dir.path() + "/live-now.csv");
        again.FileName(dir.path() + "/again.csv");
        ASSERT_TRUE(live.WriteFile() && again.WriteFile());
        ASSERT_EQ(readFile(dir.path() + "/again.csv"), readFile(dir.path() + "/live-now.csv")) << "seed " << seed;
    }
}

// A journal cut anywhere in its last record, or whose last record is
// damaged, gives back the steps before it and says it was torn.
TEST(Journal, ATornLastRecordCostsOnlyThatStep)
{
    TempDir dir;
    const std::string whole = threeSteps(dir);
    const std::size_t last = journal::stepRecord({"PutValue", {{"record", "1"}, {"field", "2"}, {"value", "c"}}}).size();
    std::string damaged = whole;
    damaged.back() ^= 0x20;
    const struct {
        std::string bytes;
        std::size_t steps;
        bool torn;
    } cases[] = {
        {whole, 3, false},
        {whole.substr(0, whole.size() - 1), 2, true},
        {whole.substr(0, whole.size() - last + 3), 2, true},
        {whole.substr(0, whole.size() - last), 2, false},
        {damaged, 2, true},
        {whole + std::string(16, '\0'), 3, true},
    };
    for (const auto& c : cases) {
        const journal::Contents contents = journal::read(c.bytes);
        ASSERT_EQ(contents.problem, journal::Contents::Problem::None) << contents.error;
        EXPECT_EQ(contents.steps(), c.steps) << c.bytes.size();
        EXPECT_EQ(contents.torn, c.torn) << c.bytes.size();
    }
}

// A journal that cannot be used says why: not one, from a newer version, or
// cut before it named its file.
TEST(Journal, AJournalThatCannotBeUsedSaysWhy)
{
    TempDir dir;
    const std::string whole = threeSteps(dir);
    std::string newer = whole;
    newer[journal::Mark.size()] = 2;
    using Problem = journal::Contents::Problem;
    const struct {
        std::string bytes;
        Problem problem;
    } cases[] = {
        {"Id,Name\r\n1,Ann\r\n", Problem::Unreadable},
        {newer, Problem::NewerVersion},
        {whole.substr(0, journal::FileHeaderSize + 20), Problem::Unreadable},
        {journal::fileHeader() + journal::markRecord(journal::Kind::Undo), Problem::Unreadable},
    };
    for (const auto& c : cases) {
        const journal::Contents contents = journal::read(c.bytes);
        EXPECT_EQ(contents.problem, c.problem) << contents.error;
        EXPECT_FALSE(contents.error.empty());
    }
    EXPECT_EQ(journal::readFile(dir.path() + "/none.journal").problem, Problem::Unreadable);
}

// The file the steps were done on: the same bytes are the same file, even
// touched; other bytes, or no hash and another identity, are a change; no
// file is gone.
TEST(Journal, TheFileStateDecidesWhetherTheStepsFit)
{
    TempDir dir;
    const struct {
        const char* name;
        std::function<void(const std::string& path)> meanwhile;
        bool hashed;
        journal::FileState state;
    } cases[] = {
        {"untouched", [](const std::string&) {}, true, journal::FileState::Same},
        {"touched", [](const std::string& p) {
             std::filesystem::last_write_time(p, std::filesystem::last_write_time(p) + std::chrono::seconds(5));
         }, true, journal::FileState::Same},
        {"touched, no hash", [](const std::string& p) {
             std::filesystem::last_write_time(p, std::filesystem::last_write_time(p) + std::chrono::seconds(5));
         }, false, journal::FileState::Changed},
        {"rewritten", [&](const std::string& p) { std::filesystem::remove(p); std::ofstream(p) << "Id;Name;Cyty\r\n"; },
         true, journal::FileState::Changed},
        {"deleted", [](const std::string& p) { std::filesystem::remove(p); }, true, journal::FileState::Gone},
    };
    for (const auto& c : cases) {
        const std::string file = dir.file("facts.csv", Sample);
        journal::Contents contents;
        contents.base = baseFor(file);
        if (c.hashed)
            contents.hash = journal::hashNow(file);
        c.meanwhile(file);
        EXPECT_EQ(journal::stateNow(contents), c.state) << c.name;
    }
}

// Two journals of one file, one per window; a live journal is locked, so
// that it is never offered as left behind; a writer that ends keeps its
// file, as a crash would, and a clean end of the store's journal removes it.
TEST(Journal, EachWindowKeepsItsOwnLockedJournal)
{
    TempDir dir;
    const std::string folder = dir.path() + "/journals";
    CSVDBS one, two;
    for (CSVDBS* s : {&one, &two}) {
        s->FileName(dir.file("same.csv", Sample));
        s->Seperator(";");
        ASSERT_TRUE(s->LoadFile());
    }
    auto first = std::make_unique<StoreJournal>(one, folder, "w1");
    StoreJournal second(two, folder, "w2");
    EXPECT_TRUE(first->path().empty()) << "no step yet, no journal";
    one.PutValue(1, 1, "9");
    two.PutValue(2, 1, "8");
    first->sync();
    second.sync();
    EXPECT_NE(first->path(), second.path());
    EXPECT_TRUE(journal::leftBehind(folder).empty());
    const std::string firstPath = first->path();
    first.reset();
    EXPECT_FALSE(std::filesystem::exists(firstPath));

    {
        JournalWriter ended(folder, "ended.journal", baseFor(dir.path() + "/same.csv"));
        ended.sync();
    }
    const std::vector<journal::LeftJournal> left = journal::leftBehind(folder);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].path(), folder + "/ended.journal");
    two.WriteFile();
    EXPECT_TRUE(second.path().empty()) << "a save removes the journal";
}
