// Undo and redo in the store: random operation sequences walked back and
// forth, the saved position, the memory budget.
#include <functional>
#include <random>

#include "store/StepScope.h"
#include "store/replace/TextReplace.h"
#include "tests/store/StoreFixture.h"
#include "tests/support/CaseName.h"

namespace {

struct State {
    std::vector<std::string> names;
    Rows rows;
    bool changed;
    bool operator==(const State&) const = default;
};

State stateOf(const CSVDBS& s) { return {s.GetFieldList(), rowsOf(s), s.ChangesMade()}; }

std::ostream& operator<<(std::ostream& out, const State& s)
{
    out << (s.changed ? "changed " : "unchanged ") << "[";
    for (const auto& n : s.names)
        out << n << ";";
    out << "] " << s.rows.size() << " rows:";
    for (const auto& r : s.rows) {
        out << " (";
        for (const auto& v : r)
            out << v << ",";
        out << ")";
    }
    return out;
}

// Runs one random operation that changes data, as a window or tool would.
class RandomEditor {
public:
    RandomEditor(CSVDBS& store, std::uint32_t seed) : m_s(store), m_rng(seed) {}

    void any()
    {
        switch (pick(15)) {
        case 0: case 1: put(); break;
        case 2: m_s.NewRecord(); break;
        case 3: if (records() > 0) m_s.DeleteRecord(1 + pick(records())); break;
        case 4: m_s.InsertFieldAt(pick(fields() + 1), "F" + std::to_string(++m_names), value()); break;
        case 5: if (fields() > 1) m_s.DeleteFieldAt(1 + pick(fields())); break;
        case 6: m_s.SwapFields(1 + pick(fields()), 1 + pick(fields())); break;
        case 7: m_s.ChangeFieldName(m_s.GetFieldList()[pick(fields())], "R" + std::to_string(++m_names)); break;
        case 8: m_s.SortDataAt(1 + static_cast<int>(pick(2)), 1 + pick(fields())); break;
        case 9: m_s.FindAndReplace(value(), value()); break;
        case 10: m_s.RemoveDuplicates(someFields()); break;
        case 11: if (records() > 0) m_s.MoveRecordsToTop(static_cast<CSVDBS::RecordNo>(pick(records() + 1))); break;
        case 12: if (records() > 0) m_s.SetField(m_s.GetFieldList()[pick(fields())], value(), 1 + pick(records())); break;
        case 13: if (records() > 0) m_s.DeleteRecords({1 + pick(records()), 1 + pick(records()), records()}); break;
        default: group(); break;
        }
    }

private:
    // A tool's OK: many calls, one step, sometimes most of one column.
    void group()
    {
        const StepScope step(m_s, "Tool", {"Tool", {{"seed", "1"}}});
        const int field = 1 + pick(fields());
        if (pick(2) == 0)
            for (int r = 1; r <= records(); ++r)
                m_s.PutValue(r, field, value());
        for (int n = static_cast<int>(pick(4)); n > 0; --n)
            any();
        if (records() > 0)
            m_s.PutValue(1 + pick(records()), std::min(field, fields()), value());
    }
    void put()
    {
        if (records() > 0)
            m_s.PutValue(1 + pick(records()), 1 + pick(fields()), value());
    }
    std::vector<int> someFields()
    {
        std::vector<int> out;
        for (int f = 1; f <= fields(); ++f)
            if (pick(2) == 0)
                out.push_back(f);
        if (out.empty())
            out.push_back(1);
        return out;
    }
    std::string value()
    {
        static const char* values[] = {"", "a", "b", "A", "ab", " x y ", "zz"};
        return values[pick(7)];
    }
    int pick(int n) { return static_cast<int>(m_rng() % static_cast<std::uint32_t>(n)); }
    int records() const { return m_s.RecordCount(); }
    int fields() const { return m_s.FieldCount(); }

    CSVDBS& m_s;
    std::mt19937 m_rng;
    int m_names = 0;
};

using Parameters = std::vector<std::pair<std::string, std::string>>;

class HistoryTest : public StoreTest {
protected:
    void loadSample() { load("A,B,C\r\na,b,c\r\nb,a,c\r\na,b,c\r\nzz,,a\r\nab,b,A\r\n b ,a,\r\n"); }
};

struct ReplacedCase {
    const char* label;
    std::function<void(CSVDBS&)> run;
};

const ReplacedCase replacedCases[] = {
    {"swapped away", [](CSVDBS& s) {
         s.InsertFieldAt(0, "NEW");
         s.SwapFields(1, 3);
         s.PutValue(1, 1, "old field");
         s.PutValue(2, 3, "new field");
     }},
    {"shifted by another insert", [](CSVDBS& s) {
         s.InsertFieldAt(1, "NEW");
         s.InsertFieldAt(0, "NEWER");
         s.PutValue(1, 2, "old field");
         s.PutValue(1, 3, "new field");
     }},
    {"shifted by a delete", [](CSVDBS& s) {
         s.InsertFieldAt(2, "NEW");
         s.DeleteFieldAt(1);
         s.PutValue(1, 2, "new field");
         s.PutValue(1, 3, "old field");
     }},
    {"appended record", [](CSVDBS& s) {
         s.NewRecord();
         s.PutValue(s.RecordCount(), 1, "new record");
         s.PutValue(1, 1, "old record");
     }},
};

class AStepKeepsWhatItReplaced : public HistoryTest, public testing::WithParamInterface<ReplacedCase> {};

} // namespace

TEST_F(HistoryTest, RandomSequencesUndoToTheLoadedFileAndRedoToTheEnd)
{
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        loadSample();
        RandomEditor edit(m_store, seed);
        std::mt19937 rng(seed);
        std::vector<State> states{stateOf(m_store)};
        std::size_t saved = 0;
        for (int op = 0; op < 40; ++op) {
            const std::size_t before = m_store.StepHistory().stepCount();
            edit.any();
            if (m_store.StepHistory().stepCount() > before)
                states.push_back(stateOf(m_store));
            else
                ASSERT_EQ(std::make_pair(m_store.GetFieldList(), rowsOf(m_store)), std::make_pair(states.back().names, states.back().rows)) << "a change that is no step";
            if (rng() % 13 == 0) {
                ASSERT_TRUE(m_store.WriteFile());
                states.back().changed = false;
                for (std::size_t i = 0; i + 1 < states.size(); ++i)
                    states[i].changed = true;
                saved = states.size() - 1;
            }
        }
        ASSERT_EQ(m_store.StepHistory().stepCount(), states.size() - 1);
        for (std::size_t i = states.size() - 1; i > 0; --i) {
            ASSERT_TRUE(m_store.Undo());
            ASSERT_EQ(stateOf(m_store), states[i - 1]) << "after undoing step " << i;
        }
        EXPECT_FALSE(m_store.CanUndo());
        EXPECT_EQ(m_store.ChangesMade(), saved != 0);
        for (std::size_t i = 1; i < states.size(); ++i) {
            ASSERT_TRUE(m_store.Redo());
            ASSERT_EQ(stateOf(m_store), states[i]) << "after redoing step " << i;
        }
        EXPECT_FALSE(m_store.CanRedo());
        // A new step after undoing ends the way forward.
        if (states.size() > 2) {
            m_store.Undo();
            m_store.Undo();
            const std::size_t kept = m_store.StepHistory().stepCount();
            if (m_store.RecordCount() > 0) {
                m_store.PutValue(m_store.RecordCount(), 1, "new");
                EXPECT_FALSE(m_store.CanRedo());
                EXPECT_EQ(m_store.StepHistory().stepCount(), kept - 1);
            }
        }
    }
}

// A save copies the lines it can from the file as read; after any mix of
// operations, undo and redo it must still write exactly the values.
TEST_F(HistoryTest, SavesWriteTheValuesAfterAnyOperations)
{
    const std::string path = m_dir.path() + "/out.csv";
    for (std::uint32_t seed = 1; seed <= 80; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        load("A,B,C\r\na,b,c\r\n b ,\"q\",c\r\nab,b,c,extra\r\n,x,y\r\nx,y,\r\nzz,a b,A\r\nb,,a\r\n");
        m_store.FileName(path);
        RandomEditor edit(m_store, seed);
        std::mt19937 rng(seed);
        for (int op = 0; op < 30; ++op) {
            const std::uint32_t choice = rng() % 10;
            if (choice == 0 && m_store.CanUndo())
                m_store.Undo();
            else if (choice == 1 && m_store.CanRedo())
                m_store.Redo();
            else
                edit.any();
            if (rng() % 4 == 0) {
                ASSERT_TRUE(m_store.WriteFile()) << m_store.LastFileError();
                ASSERT_EQ(readFile(path), joinedText(m_store, ",")) << "after operation " << op;
            }
        }
    }
}

TEST_F(HistoryTest, StepsAreNamedRecordedExactlyAndLoadForgetsThem)
{
    loadSample();
    EXPECT_FALSE(m_store.CanUndo());
    EXPECT_EQ(m_store.UndoName(), "");
    m_store.SortDataAt(1, 1);
    {
        const StepScope step(m_store, "Split Columns", {"Split Columns", {{"fields", "1"}, {"divider", " "}}});
        m_store.InsertFieldAt(1, "1COLUMN");
        m_store.PutValue(1, 2, "x");
    }
    EXPECT_EQ(m_store.UndoName(), "Split Columns");
    EXPECT_EQ(m_store.StepHistory().lastDone()->operation().parameters[1].second, " ");
    ASSERT_TRUE(m_store.Undo());
    EXPECT_EQ(m_store.UndoName(), "Sort");
    EXPECT_EQ(m_store.RedoName(), "Split Columns");
    EXPECT_EQ(m_store.StepHistory().lastDone()->operation().name, "SortDataAt");
    ASSERT_TRUE(m_store.LoadFile());
    EXPECT_FALSE(m_store.CanUndo());
    EXPECT_FALSE(m_store.CanRedo());
    EXPECT_FALSE(m_store.Undo());

    // Every operation comes back exactly as recorded.
    EXPECT_EQ(m_store.DeleteRecords({6, 2, 3, 2}), 3);
    EXPECT_EQ(m_store.StepHistory().lastDone()->operation().parameters, (Parameters{{"records", "2-3,6"}}));
    ASSERT_TRUE(m_store.Undo());
    const Parameters cases[] = {
        {},
        {{"value", ""}},
        {{"find", std::string(300, 'x') + "\xff end"}, {"replace", "Troms\xc3\xb8"}, {"find", "again"}},
    };
    for (const Parameters& parameters : cases) {
        {
            const StepScope step(m_store, "Tool", {"Tool Operation", parameters});
            m_store.PutValue(1, 1, "changed");
        }
        const StepOperation kept = m_store.StepHistory().lastDone()->operation();
        EXPECT_EQ(kept.name, "Tool Operation");
        EXPECT_EQ(kept.parameters, parameters);
        ASSERT_TRUE(m_store.Undo());
    }
}

// Values written into a field or record the same step added need nothing
// kept; every other value must be kept however the fields moved meanwhile.
TEST_P(AStepKeepsWhatItReplaced, AcrossFieldsItAddedAndMoved)
{
    loadSample();
    const State loaded = stateOf(m_store);
    {
        const StepScope step(m_store, "Tool");
        GetParam().run(m_store);
    }
    const State done = stateOf(m_store);
    ASSERT_TRUE(m_store.Undo());
    EXPECT_EQ(stateOf(m_store), loaded);
    ASSERT_TRUE(m_store.Redo());
    EXPECT_EQ(stateOf(m_store), done);
}

INSTANTIATE_TEST_SUITE_P(History, AStepKeepsWhatItReplaced, testing::ValuesIn(replacedCases), ByLabel());

TEST_F(HistoryTest, OperationsThatChangeNothingAreNoSteps)
{
    loadSample();
    m_store.SortDataAt(1, 3);                  // already in order by C? no: look at the result
    const std::size_t afterSort = m_store.StepHistory().stepCount();
    m_store.SortDataAt(1, 3);                  // sorted again: nothing moves
    m_store.FindAndReplace("nothing", "x");    // no match
    m_store.SetField("A", "", 1);              // an empty value is never stored
    m_store.ChangeFieldName("A", "A");
    m_store.RemoveDuplicates({1, 2, 3});
    m_store.RemoveDuplicates({1, 2, 3});       // none left
    EXPECT_EQ(m_store.StepHistory().stepCount(), afterSort + 1);
}

TEST_F(HistoryTest, TheBudgetDropsTheOldestStepsAndHoldsAfterUndoAndRedo)
{
    loadSample();
    m_store.PutValue(1, 1, "one");
    m_store.PutValue(1, 1, "two");
    m_store.PutValue(1, 1, "three");
    const std::size_t oneStep = m_store.StepHistory().lastDone()->bytes();
    m_store.HistoryBudget(2 * oneStep);
    EXPECT_EQ(m_store.StepHistory().stepCount(), 2u);
    EXPECT_TRUE(m_store.Undo());
    EXPECT_TRUE(m_store.Undo());
    EXPECT_FALSE(m_store.Undo());
    EXPECT_EQ(m_store.ValueAt(1, 1), "one");
    EXPECT_TRUE(m_store.ChangesMade()) << "the loaded state is out of reach";
    // A step larger than the whole budget takes every step with it.
    m_store.HistoryBudget(1);
    m_store.PutValue(2, 1, "four");
    EXPECT_FALSE(m_store.CanUndo());
    // No budget, no recording: the store works as before.
    m_store.HistoryBudget(0);
    m_store.DeleteRecord(1);
    EXPECT_FALSE(m_store.CanUndo());
    EXPECT_EQ(m_store.RecordCount(), 5);

    // The budget holds after undo and redo, and redo never skips a step.
    m_store.HistoryBudget(History::defaultBudget());
    std::string text = "A\r\n";
    for (int r = 0; r < 2000; ++r)
        text += std::to_string(r) + "\r\n";
    load(text);
    // An undone inserted column is kept whole for the redo.
    for (int i = 0; i < 10; ++i)
        m_store.InsertFieldAt(0, "N" + std::to_string(i), "v");
    ASSERT_TRUE(m_store.Undo());
    const std::size_t budget = 3 * m_store.StepHistory().bytes();
    m_store.HistoryBudget(budget);
    while (m_store.Undo())
        EXPECT_LE(m_store.StepHistory().bytes(), budget);
    while (m_store.Redo())
        EXPECT_LE(m_store.StepHistory().bytes(), budget);

    // A budget lowered while steps are undone leaves a way forward through
    // states that were, or none.
    loadSample();
    std::vector<State> states{stateOf(m_store)};
    for (const char* value : {"one", "two", "three"}) {
        m_store.PutValue(1, 1, value);
        states.push_back(stateOf(m_store));
    }
    const std::size_t lastStep = m_store.StepHistory().lastDone()->bytes();
    while (m_store.Undo()) {
    }
    m_store.HistoryBudget(lastStep);
    for (std::size_t at = 1; m_store.Redo(); ++at) {
        ASSERT_LT(at, states.size());
        EXPECT_EQ(stateOf(m_store), states[at]);
    }
}

TEST_F(HistoryTest, StepsKeepOnlyWhatTheyReplaced)
{
    std::string text = "Id,Name\r\n";
    for (int i = 0; i < 1000; ++i)
        text += std::to_string(1000 - i) + ",name" + std::to_string(i % 10) + "\r\n";
    load(text);
    const auto lastBytes = [&] { return m_store.StepHistory().lastDone()->bytes(); };
    m_store.SortDataAt(1, 1);
    EXPECT_LE(lastBytes(), 1000 * 4 + 512) << "a sort keeps the record order";
    {
        const StepScope step(m_store, "Change Case Of Text");
        for (int r = 1; r <= 1000; ++r)
            m_store.PutValue(r, 2, "NAME");
    }
    EXPECT_LE(lastBytes(), 1000 * sizeof(Cell) + 512) << "a column tool keeps at most the column";
    EXPECT_EQ(m_store.StepHistory().lastDone()->valuesChanged(), 1000) << "every value counts, kept whole or not";
    m_store.RemoveDuplicates({2});
    EXPECT_EQ(m_store.RecordCount(), 1);
    EXPECT_LE(lastBytes(), 999 * 8 + 512) << "a duplicate removal keeps the removed records' slots";
    m_store.PutValue(1, 1, "x");
    // One cell, the step itself, and the operation with its parameters.
    EXPECT_LT(lastBytes(), 100u) << "a cell edit keeps one cell";
    EXPECT_EQ(m_store.StepHistory().lastDone()->operation().parameters,
              (std::vector<std::pair<std::string, std::string>>{
                  {"record", "1"}, {"field", "1"}, {"value", "x"}, {"fieldName", "Id"}}));
    while (m_store.Undo()) {
    }
    EXPECT_EQ(m_store.RecordCount(), 1000);
    EXPECT_EQ(m_store.ValueAt(1, 1), "1000");
    EXPECT_EQ(m_store.ValueAt(1000, 2), "name9");
    EXPECT_FALSE(m_store.ChangesMade());
}

// Cancel pressed during long work: the progress callback throws, and the
// store is left as it was, its history too (the redo kept).
TEST_F(HistoryTest, WorkCancelledFromItsProgressLeavesTheStoreAndHistoryAsTheyWere)
{
    std::string text = "A,B,C\r\n";
    for (int r = 0; r < 20000; ++r)
        text += "a" + std::to_string(r) + ",xa,ya\r\n";
    load(text);
    m_store.PutValue(1, 1, "first step");
    m_store.PutValue(2, 1, "second step");
    ASSERT_TRUE(m_store.Undo());
    const std::string before = joinedText(m_store, ",");
    const auto history = [&] {
        const History& h = m_store.StepHistory();
        return std::tuple(h.stepCount(), h.doneCount(), m_store.UndoName(), m_store.RedoName(), m_store.ChangesMade());
    };
    const auto historyBefore = history();
    const int interval = ProgressTicker::intervalMs().exchange(0);
    const textreplace::Choice replace{textreplace::Mode::Contains, "a", "b", false, {}, {}};
    for (int cancelAt : {1, 3, 8}) {
        int calls = 0;
        const ProgressScope reporting(m_store, [&](std::int64_t, std::int64_t) {
            if (++calls == cancelAt)
                throw WorkCancelled();
        });
        EXPECT_THROW(textreplace::replaceAll(m_store, replace), WorkCancelled) << cancelAt;
        EXPECT_EQ(joinedText(m_store, ","), before) << "cancelled at report " << cancelAt;
        EXPECT_EQ(history(), historyBefore) << cancelAt;
        EXPECT_EQ(WorkCancelled::inFlight(), 0);
    }
    ProgressTicker::intervalMs() = interval;
    // Not cancelled, the same work is one step as ever.
    EXPECT_EQ(textreplace::replaceAll(m_store, replace), 59999) << "all but the edited value";
    EXPECT_EQ(m_store.UndoName(), "Find and Replace");
    ASSERT_TRUE(m_store.Undo());
    EXPECT_EQ(joinedText(m_store, ","), before);
}
