#include <random>
#include <tuple>

#include "tests/store/StoreFixture.h"
#include "tests/support/CaseName.h"
#include "tests/support/ScriptedPrompter.h"

namespace {

class Load : public StoreTest {};

struct LoadCase {
    const char* label;
    std::string text;
    std::string separator;
    bool header;
    std::vector<std::string> names;
    Rows rows;
};

class ReadsTheTextFormat : public StoreTest, public testing::WithParamInterface<LoadCase> {};

const LoadCase textFormatCases[] = {
        {"quotes are not protected from the split", " \"Name\" , Age , \"x,y\"\r\n", ",", false,
         {"Field 1", "Field 2", "Field 3", "Field 4"}, {{"Name", "Age", "\"x", "y\""}}},
        {"two quotes are an empty value, inner quotes stay", "a,b,c\r\n\"\",\"say \"\"hi\"\"\",x\"y\r\n",
         ",", true, {"a", "b", "c"}, {{"", "say \"\"hi\"\"", "x\"y"}}},
        {"surplus pieces are ignored", "A,B,C\r\n1,2,3,4,5\r\n", ",", true, {"A", "B", "C"},
         {{"1", "2", "3"}}},
        {"blank and space-only lines are skipped anywhere", "\r\n   \r\nA,B\r\n\r\n1,2\r\n  \r\n3,4\r\n\r\n",
         ",", true, {"A", "B"}, {{"1", "2"}, {"3", "4"}}},
        {"without any CR, LF ends lines", "A,B\n1,2\n\n3,4", ",", true, {"A", "B"}, {{"1", "2"}, {"3", "4"}}},
        {"with a CR, a lone LF stays in the line", "A,B\r\n1\n2,3\r4,5", ",", true, {"A", "B"},
         {{"1\n2", "3"}, {"4", "5"}}},
        {"spaces around values go, quoted spaces stay", "A,B,C\r\n  a , b ,\" a \"\r\n", ",", true,
         {"A", "B", "C"}, {{"a", "b", " a "}}},
        {"tab separator", "A\tB\r\n 1 \t 2 \r\n", "\t", true, {"A", "B"}, {{"1", "2"}}},
        {"tabs are not trimmed", "A,B\r\n\tx\t, y\r\n", ",", true, {"A", "B"}, {{"\tx\t", "y"}}},
        {"multi-character separator", "A::B\r\n1:2::3\r\n", "::", true, {"A", "B"}, {{"1:2", "3"}}},
        {"empty separator keeps the line whole", "A,B\r\n1,2\r\n", "", true, {"A,B"}, {{"1,2"}}},
};

struct LoneLineFeedCase {
    const char* label;
    std::string text;
    bool standard;
    std::int64_t lines;
    std::vector<std::int64_t> first;
    Rows asLines; // read with LF alone ending a line; none: not asked
};

class LinesEndingInLineFeedAlone : public StoreTest, public testing::WithParamInterface<LoneLineFeedCase> {};

const LoneLineFeedCase loneLineFeedCases[] = {
    {"two lines added", "id,name\r\n1,ann\r\n2,bob\n3,cy\n", false, 2, {3, 4},
     {{"1", "ann"}, {"2", "bob"}, {"3", "cy"}}},
    {"the heading line, so no data line", "A,B\n1,2\r\n", false, 1, {1}, {{"1", "2"}}},
    {"five, the first three listed", "A\r\n1\n2\r\n3\n4\n\n5\n", false, 5, {2, 4, 5},
     {{"1"}, {"2"}, {"3"}, {"4"}, {"5"}}},
    {"inside quotes, a value's own", "a,b\r\n\"x\ny\",2\r\n", false, 0, {}, {}},
    {"no CR at all: LF ends lines", "a,b\n1,2\n", false, 0, {}, {}},
    {"standard rule: LF ends lines", "id,name\r\n1,ann\n2,bob\n", true, 0, {}, {}},
};

} // namespace

TEST_P(ReadsTheTextFormat, Case)
{
    const LoadCase& c = GetParam();
    m_store.Seperator(c.separator);
    load(c.text, c.header);
    EXPECT_EQ(m_store.GetFieldList(), c.names);
    EXPECT_EQ(rowsOf(m_store), c.rows);
    EXPECT_EQ(m_store.RecordCount(), static_cast<int>(c.rows.size()));
    EXPECT_EQ(m_store.CurrentRecord(), 1);
    EXPECT_FALSE(m_store.ChangesMade());
}

INSTANTIATE_TEST_SUITE_P(Load, ReadsTheTextFormat, testing::ValuesIn(textFormatCases), ByLabel());

TEST_F(Load, FailureKeepsThePreviousContents)
{
    std::string widest = "v"; // as many fields as a store holds
    for (int i = 1; i < CSVDBS::MaxFields; ++i)
        widest += ",v";
    load(widest + "\r\n" + widest + "\r\n");
    EXPECT_EQ(m_store.FieldCount(), CSVDBS::MaxFields);
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"empty file", ""},
        {"only blank lines", "\r\n   \r\n\r\n"},
        {"header alone", "A,B\r\n"},
        {"LF-only file with CR-free header alone", "A,B\n"},
        {"too few values", "A,B\r\n1,2\r\n3\r\n"},
        {"a lone quote as value", "A,B\r\n1, \" \r\n"},
        {"a lone quote as name", "A,\"\r\n1,2\r\n"},
        {"one field more than a store holds", widest + ",v\r\n" + widest + ",v\r\n"},
    };
    CSVDBS& s = m_store;
    load("Name,Age\r\nBob,42\r\nAnn,7\r\n");
    ASSERT_TRUE(s.SetField("Age", "43", 1));
    ASSERT_TRUE(s.GotoRecord(2));
    const Rows before = rowsOf(s);
    const auto check = [&](const char* label) {
        SCOPED_TRACE(label);
        EXPECT_FALSE(s.LoadFile());
        EXPECT_FALSE(s.LastFileError().empty());
        EXPECT_EQ(s.GetFieldList(), (std::vector<std::string>{"Name", "Age"}));
        EXPECT_EQ(rowsOf(s), before);
        EXPECT_EQ(s.RecordCount(), 2);
        EXPECT_EQ(s.CurrentRecord(), 2);
        EXPECT_TRUE(s.ChangesMade());
    };
    for (const auto& [label, text] : bad) {
        s.FileName(m_dir.file("bad.csv", text));
        check(label);
    }
    s.FileName(m_dir.path());
    check("a folder");
    s.FileName(m_dir.path() + "/missing.csv");
    check("a missing file");
    s.FileName("");
    check("no file name");
}

TEST_F(Load, ByteOrderMarkIsKeptApartFromTheFirstName)
{
    load("\xEF\xBB\xBFName,Age\r\nBob,42\r\n");
    EXPECT_TRUE(m_store.HasByteOrderMark());
    EXPECT_EQ(m_store.GetFieldList()[0], "Name");
    EXPECT_EQ(m_store.FieldIndex("name"), 1);
}

TEST_F(Load, LargeInputsAndProgress)
{
    const std::size_t half = 50u << 20;
    std::string big = "A,B\r\n" + std::string(half, 'x') + "," + std::string(half, 'y') + "\r\n";
    CSVDBS s;
    s.FileName(m_dir.file("big.csv", big));
    ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
    EXPECT_EQ(s.ValueAt(1, 1).size(), half);
    EXPECT_EQ(s.ValueAt(1, 2), std::string(half, 'y'));
    ASSERT_TRUE(s.WriteFile());
    EXPECT_TRUE(readFile(s.FileName()) == big);
    big.clear();
    big.shrink_to_fit();

    std::string lines = "K,V\r\n";
    for (int i = 0; i < 200000; ++i)
        lines += std::to_string(i % 1000) + ",v\r\n";
    int calls = 0;
    CSVDBS p;
    p.SetProgressCallback([&](std::int64_t done, std::int64_t total) {
        ++calls;
        EXPECT_LE(done, total);
    });
    p.FileName(m_dir.file("many.csv", lines));
    ASSERT_TRUE(p.LoadFile());
    EXPECT_EQ(p.RecordCount(), 200000);
    EXPECT_TRUE(p.FindAndReplace("v", "w"));
    EXPECT_EQ(p.RemoveDuplicates({1, 2}), 199000);
    p.FileName(m_dir.path() + "/many-out.csv");
    EXPECT_TRUE(p.WriteFile());
    EXPECT_LT(calls, 1000);
}

TEST(AskForFile, CancelledDialogChangesNothingYesToCancelClearsTheName)
{
    for (const char* answer : {"", "   ", " x "}) {
        ScriptedPrompter ask;
        ask.fileNames = {answer};
        CSVDBS s;
        s.FileName("old.csv");
        EXPECT_FALSE(s.AskForFile());
        EXPECT_EQ(s.FileName(), "old.csv");
        ASSERT_EQ(ask.asked.size(), 1u);
        EXPECT_EQ(ask.asked[0].kind, "open");
        EXPECT_EQ(ask.asked[0].title, "Select the source file");
        EXPECT_EQ(ask.asked[0].extra, "CSV Files|*.CSV|All Files|*.*");
    }
    // No separator given, and Yes to cancel: the name goes, the separator stays.
    ScriptedPrompter ask;
    ask.fileNames = {"/data/people.csv"};
    ask.inputs = {""};
    ask.yesNo = {true};
    CSVDBS s;
    s.Seperator("|");
    s.FileName("old.csv");
    EXPECT_FALSE(s.AskForFile());
    EXPECT_EQ(s.FileName(), "");
    EXPECT_EQ(s.Seperator(), "|");
    EXPECT_EQ(ask.asked.size(), 3u);
    EXPECT_EQ(ask.asked[1].extra, "|");
}

TEST(AskForFile, AsksSeparatorAgainUntilGivenThenHeader)
{
    for (bool header : {true, false}) {
        ScriptedPrompter ask;
        ask.fileNames = {"  /data/people.csv "};
        ask.inputs = {"", "   ", " ; "};
        ask.yesNo = {false, false, header};
        CSVDBS s;
        s.HeaderLine(!header);
        ASSERT_TRUE(s.AskForFile());
        EXPECT_EQ(s.FileName(), "/data/people.csv");
        EXPECT_EQ(s.Seperator(), ";");
        EXPECT_EQ(s.HeaderLine(), header);
        EXPECT_EQ(s.RecordCount(), -1); // asking never loads

        ASSERT_EQ(ask.asked.size(), 7u);
        for (std::size_t i : {1u, 3u, 5u}) {
            EXPECT_EQ(ask.asked[i].kind, "input");
            EXPECT_EQ(ask.asked[i].text, "What is used to seperate the values?");
            EXPECT_EQ(ask.asked[i].title, "Field seperator");
            EXPECT_EQ(ask.asked[i].extra, ",");
        }
        for (std::size_t i : {2u, 4u}) {
            EXPECT_EQ(ask.asked[i].kind, "yesNo");
            EXPECT_EQ(ask.asked[i].text, "Do you want to cancel?");
            EXPECT_EQ(ask.asked[i].title, "No seperator value given");
            EXPECT_EQ(ask.asked[i].icon, Prompter::Icon::Question);
        }
        EXPECT_EQ(ask.asked[6].kind, "yesNo");
        EXPECT_EQ(ask.asked[6].text,
                  "Does the first line of the file contain header information/field names?");
        EXPECT_EQ(ask.asked[6].title, "Header line?");
        EXPECT_EQ(ask.asked[6].icon, Prompter::Icon::Question);
    }
}

// A one-byte separator is found many bytes at a time; a longer one a match at
// a time. The same lines under either must read the same: values, surplus
// pieces, too few values and lone quotes, in lines short and long.
TEST_F(Load, OneByteSeparatorReadsAsALongerOne)
{
    std::mt19937 rng(11);
    const std::string alphabet = "ab ,,,\"";
    for (int trial = 0; trial < 300; ++trial) {
        std::string text = "A,B,C,D,E,F\n";
        for (int line = 0; line < 12; ++line) {
            const std::size_t length = 8 + rng() % 80;
            for (std::size_t i = 0; i < length; ++i)
                text += alphabet[rng() % alphabet.size()];
            text += "\n";
        }
        std::string longer;
        for (char c : text)
            longer += c == ',' ? std::string("~~") : std::string(1, c);
        const auto read = [&](const std::string& contents, const std::string& separator) {
            CSVDBS s;
            s.Seperator(separator);
            s.FileName(m_dir.file("in.csv", contents));
            const bool ok = s.LoadFile();
            return std::make_tuple(ok, s.LastFileError(), ok ? rowsOf(s) : Rows{}, s.IgnoredLines(),
                                   s.FirstIgnoredLine(), s.LastLoad().tooFewValues);
        };
        ASSERT_EQ(read(text, ","), read(longer, "~~")) << text;
    }
}

// A CR LF file with lines a tool that writes LF alone added: the rule reads
// such an LF into a value, so the load counts those lines, and on request
// reads them as lines. A save then ends every line in CR LF, and reads back
// by the rule: a line feed typed into a value since stays the value's.
TEST_P(LinesEndingInLineFeedAlone, AreCountedAndOnRequestReadAsLines)
{
    const LoneLineFeedCase& c = GetParam();
    CSVDBS& s = m_store;
    s.StandardQuoting(c.standard);
    s.FileName(m_dir.file("in.csv", c.text));
    const bool loaded = s.LoadFile();
    EXPECT_EQ(s.LastLoad().loneLineFeeds, c.lines);
    EXPECT_EQ(s.LastLoad().firstLoneLineFeeds, c.first);
    if (c.standard) {
        EXPECT_EQ(rowsOf(s), (Rows{{"1", "ann"}, {"2", "bob"}}));
    }
    if (c.asLines.empty()) {
        EXPECT_TRUE(loaded) << s.LastFileError();
        return;
    }
    s.LoneLineFeedsEndLines(true);
    ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
    EXPECT_EQ(rowsOf(s), c.asLines);
    s.PutValue(1, 1, "x\ny");
    ASSERT_TRUE(s.WriteFile());
    EXPECT_FALSE(s.LoneLineFeedsEndLines());
    Rows saved = c.asLines;
    saved[0][0] = "x\ny";
    ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
    EXPECT_EQ(rowsOf(s), saved);
    EXPECT_EQ(readFile(s.FileName()), joinedText(s, ","));
}

INSTANTIATE_TEST_SUITE_P(Load, LinesEndingInLineFeedAlone, testing::ValuesIn(loneLineFeedCases), ByLabel());

// Short lines fail the load, counted, unless they are to be filled out: then
// the missing values are empty, the lines counted, and a save writes every
// value. A lone quote on a line after a short one does not hide the short one.
TEST_F(Load, ShortLinesFailOrAreFilledOut)
{
    struct Case {
        const char* label;
        bool standard;
        std::string text;
        std::int64_t shortLines, firstShortLine;
        Rows filled; // empty: the filled load fails too
    };
    const Case cases[] = {
        {"simple", false, "a,b,c\r\n1,2,3\r\n\r\n4\r\n5,6\r\n7,8,9,10\r\n", 2, 4,
         {{"1", "2", "3"}, {"4", "", ""}, {"5", "6", ""}, {"7", "8", "9"}}},
        {"standard", true, "a,b,c\r\n\"x\ny\",2\r\n3,4,5\r\n", 1, 2, {{"x\ny", "2", ""}, {"3", "4", "5"}}},
        {"lone quote after", false, "a,b\r\n1\r\n\"\r\n", 1, 2, {}},
        {"none", false, "a,b\r\n1,2\r\n", 0, 0, {{"1", "2"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        CSVDBS s;
        s.StandardQuoting(c.standard);
        s.FileName(m_dir.file("short.csv", c.text));
        const bool plain = s.LoadFile();
        EXPECT_EQ(plain, c.shortLines == 0);
        EXPECT_EQ(s.LastLoad().tooFewValues, c.shortLines > 0);
        EXPECT_EQ(s.LastLoad().shortLines, c.shortLines);
        if (c.shortLines > 0) {
            EXPECT_EQ(s.LastFileError(),
                      "Line " + std::to_string(c.firstShortLine) + " has fewer values than there are fields.");
        }
        s.FillShortLines(true);
        const bool filled = s.LoadFile();
        ASSERT_EQ(filled, !c.filled.empty()) << s.LastFileError();
        if (!filled)
            continue;
        EXPECT_EQ(rowsOf(s), c.filled);
        EXPECT_EQ(s.FilledLines(), c.shortLines);
        EXPECT_EQ(s.FirstFilledLine(), c.firstShortLine);
        ASSERT_TRUE(s.WriteFile());
        EXPECT_EQ(s.FilledLines(), 0);
        s.FillShortLines(false);
        ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
        EXPECT_EQ(rowsOf(s), c.filled);
    }
}
