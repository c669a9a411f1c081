// Files large enough that loading, sorting and duplicate removal split their
// work between threads: the results must be those of the one-pass rules.
#include <algorithm>
#include <cstdio>
#include <random>
#include <set>

#include "store/modCSV.h"
#include "tests/store/StoreFixture.h"

namespace {

class Large : public StoreTest {};

// Values that share long prefixes, tie often, differ past the eighth byte,
// are prefixes of each other, hold non-ASCII and NUL bytes, or are empty.
std::string sortValue(std::mt19937& rng)
{
    static const std::string tails[] = {"", "1", "12", "123", "1234567", "12345678", "123456789",
                                        "1234567890abc", "1234567890abd", "é", "É", "\xff", std::string("x\0y", 3),
                                        std::string("x\0", 2), "a", "A", "10", "9"};
    switch (rng() % 6) {
    case 0:
        return "";
    case 1:
        return tails[rng() % std::size(tails)];
    default:
        return "Surname" + tails[rng() % std::size(tails)] + tails[rng() % std::size(tails)];
    }
}

// A CSV line of the given values; values never hold the separator, quotes or
// line breaks here, and keep their ends through the surrounding quotes.
std::string lineOf(const std::vector<std::string>& values)
{
    std::string line;
    for (std::size_t i = 0; i < values.size(); ++i)
        line += (i ? ",\"" : "\"") + values[i] + "\"";
    return line;
}

} // namespace

TEST_F(Large, SortEqualsAStableByteSortInBothDirections)
{
    std::mt19937 rng(3);
    // Small files take one thread; the last is long enough for two.
    for (const int rows : {2, 50, 3000, 150000}) {
        std::string text = "K,N\r\n";
        for (int r = 0; r < rows; ++r)
            text += lineOf({sortValue(rng), std::to_string(r)}) + "\r\n";
        for (const int direction : {1, 2}) {
            load(text);
            Rows expected = rowsOf(m_store);
            std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
                return direction == 1 ? a[0] < b[0] : b[0] < a[0];
            });
            ASSERT_TRUE(m_store.SortData(direction, "k"));
            EXPECT_TRUE(rowsOf(m_store) == expected) << rows << " rows, direction " << direction;
        }
    }
    // A column whose values all share a prefix, one of them nothing more.
    load("K\r\nSurname\r\nSurnameB\r\nSurnamea\r\nSurname\r\n");
    ASSERT_TRUE(m_store.SortData(1, "K"));
    EXPECT_EQ(column(1), (std::vector<std::string>{"Surname", "Surname", "SurnameB", "Surnamea"}));
}

TEST_F(Large, DedupeOnTwoCoresKeepsTheFirstOfEachGroupInPlace)
{
    std::mt19937 rng(9);
    std::string text = "A,B,C\r\n";
    Rows kept; // the first of each group, in file order
    std::set<std::vector<std::string>> seen;
    for (int r = 0; r < 160000; ++r) {
        // Few distinct rows, and pairs whose values only differ in where one
        // value ends and the next begins.
        const unsigned n = rng() % 40000;
        std::vector<std::string> row = n % 2 ? std::vector<std::string>{"ab", "c", std::to_string(n)}
                                             : std::vector<std::string>{"a", "bc", std::to_string(n - n % 4)};
        text += lineOf(row) + "\r\n";
        if (seen.insert(row).second)
            kept.push_back(row);
    }
    load(text);
    RemoveDuplicateRows(m_store);
    EXPECT_EQ(m_store.RecordCount(), static_cast<int>(kept.size()));
    EXPECT_TRUE(rowsOf(m_store) == kept);
    EXPECT_TRUE(m_store.ChangesMade());
}

TEST_F(Large, LoadSplitBetweenThreadsReadsEveryLineOnce)
{
    for (const std::string terminator : {"\r\n", "\r", "\n"}) {
        SCOPED_TRACE(terminator == "\n" ? "LF" : terminator == "\r" ? "CR" : "CR LF");
        // Big enough for two parts; blank lines and lines of spaces fall anywhere,
        // including where the parts are cut.
        std::mt19937 rng(21);
        std::string text = "Id,Name,Note" + terminator;
        Rows expected;
        for (int r = 0; text.size() < (12u << 20); ++r) {
            if (rng() % 50 == 0)
                text += (rng() % 2 ? "   " : "") + terminator;
            std::vector<std::string> row{std::to_string(r), "name" + std::to_string(rng() % 1000),
                                         std::string(rng() % 40, 'n')};
            text += lineOf(row) + terminator;
            expected.push_back(row);
        }
        load(text);
        EXPECT_EQ(m_store.RecordCount(), static_cast<int>(expected.size()));
        EXPECT_TRUE(rowsOf(m_store) == expected);

        // A short line far into the file fails the load and names its line,
        // blank lines counted.
        const std::size_t cut = text.rfind(terminator, text.size() - 2 * terminator.size() - 1000);
        const std::string broken = text.substr(0, cut + terminator.size()) + "1,2" + terminator +
                                   text.substr(cut + terminator.size());
        const auto lineNo = std::count(broken.begin(), broken.begin() + static_cast<std::ptrdiff_t>(cut) + 1,
                                       terminator[0]) + 1;
        CSVDBS s;
        s.FileName(m_dir.file("broken.csv", broken));
        EXPECT_FALSE(s.LoadFile());
        EXPECT_EQ(s.LastFileError(), "Line " + std::to_string(lineNo) + " has fewer values than there are fields.");

        // With a short line in the first part too, the failure names that
        // one and counts both; filled out, the load keeps every other value.
        const std::string twice = "Id,Name,Note" + terminator + "x" + terminator + broken.substr(broken.find(terminator) + terminator.size());
        s.FileName(m_dir.file("twice.csv", twice));
        EXPECT_FALSE(s.LoadFile());
        EXPECT_EQ(s.LastFileError(), "Line 2 has fewer values than there are fields.");
        EXPECT_EQ(s.LastLoad().shortLines, 2);
        s.FillShortLines(true);
        ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
        EXPECT_EQ(s.FilledLines(), 2);
        EXPECT_EQ(s.FirstFilledLine(), 2);
        EXPECT_EQ(s.RecordCount(), static_cast<int>(expected.size()) + 2);
        EXPECT_EQ(s.ValueAt(1, 1), "x");
        EXPECT_EQ(s.ValueAt(1, 3), "");
    }
}

TEST_F(Large, ValuesPastSixtyFourKilobytesSurviveLoadEditSortAndSave)
{
    const std::string big(70000, 'v');
    const std::string bigger(200000, 'w');
    load("A,B\r\n" + big + ",1\r\nx,2\r\n" + big + ",\r\n");
    ASSERT_EQ(m_store.RecordCount(), 3);
    EXPECT_EQ(m_store.ValueAt(1, 1), big);
    m_store.PutValue(2, 1, bigger);
    ASSERT_TRUE(m_store.SortData(2, "A"));
    EXPECT_EQ(column(1), (std::vector<std::string>{bigger, big, big}));
    EXPECT_EQ(column(2), (std::vector<std::string>{"2", "1", ""}));
    RemoveDuplicateRows(m_store);
    EXPECT_EQ(m_store.RecordCount(), 3);
    ASSERT_TRUE(m_store.WriteFile());
    CSVDBS back;
    back.FileName(m_store.FileName());
    ASSERT_TRUE(back.LoadFile());
    EXPECT_EQ(rowsOf(back), rowsOf(m_store));
}

// The save formats pieces of records on two cores while it writes the ones
// before: every record must come out once, in record order, under each rule.
TEST_F(Large, SaveOnTwoCoresWritesEveryRecordOnceInOrder)
{
    const struct {
        const char* label;
        bool standard, quoteAll;
    } rules[] = {{"simple", false, false}, {"simple, all quoted", false, true}, {"standard", true, false}};
    for (const auto& rule : rules) {
        SCOPED_TRACE(rule.label);
        CSVDBS s;
        const int rows = 70001; // some rounds of pieces, and a part-filled last one
        std::string text = "K;;N;;T\n";
        for (int r = 0; r < rows; ++r)
            text += std::to_string(r % 977) + ";;" + std::to_string(r) + ";;" + (r % 5 ? "v" : "") + "\n";
        s.Seperator(";;");
        s.StandardQuoting(rule.standard);
        s.FileName(m_dir.file("in.csv", text));
        ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
        ASSERT_TRUE(s.SortData(2, "K"));
        std::string expected = rule.quoteAll ? "\"K\";;\"N\";;\"T\"\n" : "K;;N;;T\n";
        for (const auto& row : rowsOf(s)) {
            for (std::size_t f = 0; f < row.size(); ++f) {
                expected += (f ? ";;" : "") + (rule.quoteAll ? "\"" + row[f] + "\"" : row[f]);
            }
            expected += "\n";
        }
        s.FileName(m_dir.path() + "/out.csv");
        ASSERT_TRUE(s.WriteFile(rule.quoteAll)) << s.LastFileError();
        EXPECT_TRUE(readFile(m_dir.path() + "/out.csv") == expected);
    }
}

// Lines read on two cores are marked, each part its own, as copied whole when
// saved; a record that changed, or a line that was not read as it stands, is
// written from its values.
TEST_F(Large, LinesKeptAsReadAreWrittenAsTheirValues)
{
    std::string text = "Id,Name,City,Note\r\n";
    const char* const kinds[] = {"%d,Name%d,Berlin,a note that runs on for a while", "%d, Name%d ,Bonn,x",
                                 "%d,\"Name%d\",Ulm,y", ",%d Name%d,Kiel,z", "%d,Name%d,Hof,", "%d,Name%d,Gera,w,extra"};
    char line[128];
    for (int r = 0; text.size() < (9u << 20); ++r) {
        std::snprintf(line, sizeof line, kinds[r % std::size(kinds)], r, r * 7 % 1000);
        text += line;
        text += "\r\n";
    }
    load(text);
    ASSERT_GT(m_store.RecordCount(), 100000);
    const std::string path = m_dir.path() + "/out.csv";
    m_store.FileName(path);
    const auto saved = [&](const std::string& separator) {
        EXPECT_TRUE(m_store.WriteFile()) << m_store.LastFileError();
        return readFile(path) == joinedText(m_store, separator);
    };
    EXPECT_TRUE(saved(","));
    for (int r = 1; r < m_store.RecordCount(); r += 997)
        m_store.PutValue(r, 1 + r % 4, "changed");
    m_store.FindAndReplace("Bonn", "Mainz");
    ASSERT_TRUE(m_store.SortData(2, "Name"));
    EXPECT_TRUE(saved(","));
    m_store.Seperator(";");
    EXPECT_TRUE(saved(";"));
    m_store.Seperator(",");
    m_store.SwapFields(1, 4);
    EXPECT_TRUE(saved(","));
}
