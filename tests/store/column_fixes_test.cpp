// The quick fixes of a column: what each changes, that it is one step that
// undoes and redoes, and that its operation data, run on the file as loaded,
// gives the same column.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/CSVDBS.h"
#include "store/ColumnFixes.h"
#include "store/Replay.h"
#include "tests/store/StoreFixture.h"

namespace {

struct FixCase {
    const char* step;
    std::function<std::int64_t(CSVDBS&, int)> fix;
    std::vector<std::string> before, after;
};

const std::vector<FixCase> Cases = {
    {"Trim Spaces", columnfixes::trimSpaces, {"  a b ", "c", "   ", " d"}, {"a b", "c", "", "d"}},
    {"Collapse Inner Spaces", columnfixes::collapseSpaces, {" a   b  c ", "a b", "x  "}, {" a b c ", "a b", "x  "}},
    {"Remove Characters That Don't Print", columnfixes::removeUnprintable,
     {"a\tb", "Ber\xC2\xA0lin", "zero\xE2\x80\x8Bwidth", "caf\xE9\x01", "ok"},
     {"ab", "Berlin", "zerowidth", "caf\xE9", "ok"}},
    // Paris twice beats PARIS once; rome and Rome tie, and "Rome" comes first
    // in text order; Straße and STRASSE are one value in two cases.
    {"Make Case Consistent", columnfixes::consistentCase,
     {"PARIS", "Paris", "rome", "Paris", "Rome", "Oslo", "STRASSE", "Straße", "Straße", ""},
     {"Paris", "Paris", "Rome", "Paris", "Rome", "Oslo", "Straße", "Straße", "Straße", ""}},
};

} // namespace

class ColumnFixesTest : public StoreTest {
protected:
    void loadColumn(CSVDBS& store, const std::string& name, const std::vector<std::string>& values)
    {
        std::string text = "N;V\r\n";
        for (std::size_t i = 0; i < values.size(); ++i)
            text += std::to_string(i + 1) + ";\"" + values[i] + "\"\r\n";
        store.Seperator(";");
        store.FileName(m_dir.file(name, text));
        ASSERT_TRUE(store.LoadFile());
    }
    static std::vector<std::string> columnOf(const CSVDBS& store)
    {
        std::vector<std::string> out;
        for (CSVDBS::RecordNo r = 1; r <= store.RecordCount(); ++r)
            out.emplace_back(store.ValueAt(r, 2));
        return out;
    }
};

TEST_F(ColumnFixesTest, EachFixIsOneStepThatUndoesAndReplays)
{
    for (const FixCase& c : Cases) {
        SCOPED_TRACE(c.step);
        CSVDBS live;
        loadColumn(live, "live.csv", c.before);
        std::int64_t differ = 0;
        for (std::size_t i = 0; i < c.before.size(); ++i)
            differ += c.before[i] != c.after[i];
        EXPECT_EQ(c.fix(live, 2), differ);
        EXPECT_EQ(columnOf(live), c.after);
        EXPECT_EQ(live.UndoName(), c.step);
        EXPECT_EQ(c.fix(live, 2), 0) << "a second run finds nothing to fix";
        EXPECT_EQ(live.UndoName(), c.step) << "and keeps no step";

        CSVDBS again;
        loadColumn(again, "again.csv", c.before);
        ASSERT_NO_THROW(replay::run(again, live.StepHistory().lastDone()->operation()));
        EXPECT_EQ(columnOf(again), c.after) << "replayed from its operation data";

        ASSERT_TRUE(live.Undo());
        EXPECT_EQ(columnOf(live), c.before);
        EXPECT_FALSE(live.CanUndo());
        ASSERT_TRUE(live.Redo());
        EXPECT_EQ(columnOf(live), c.after);
    }
}
