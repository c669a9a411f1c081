// Standard CSV: quoted values with separators and line breaks, line ends kept,
// and the values the simple rule leaves out counted.
#include <chrono>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <tuple>

#include "store/RecordLimit.h"
#include "store/read/ReadFrame.h"
#include "store/read/StandardCsvReader.h"
#include "tests/store/StoreFixture.h"
#include "tests/support/CaseName.h"

namespace {

struct ReadCase {
    const char* label;
    std::string text;
    std::vector<std::string> names;
    Rows rows;
};

class Reads : public StoreTest, public testing::WithParamInterface<ReadCase> {};

const ReadCase readCases[] = {
    {"spreadsheet row", "name,age,said,city\r\n\"Smith, John\",42,\"Said \"\"hello\"\" twice\",Boston\r\n",
     {"name", "age", "said", "city"}, {{"Smith, John", "42", "Said \"hello\" twice", "Boston"}}},
    {"CR LF inside quotes, LF outside", "a,b\n\"x\r\ny\",2\n3,4\n", {"a", "b"}, {{"x\r\ny", "2"}, {"3", "4"}}},
    {"lone CR and LF inside quotes", "a,b\r\n\"1\r2\",\"3\n4\"\r\n", {"a", "b"}, {{"1\r2", "3\n4"}}},
    {"mixed line ends outside quotes",
     "id,name\r\n1,ann\n2,bob\n3,cy\n4,dee\r\n5,eve\r\n",
     {"id", "name"},
     {{"1", "ann"}, {"2", "bob"}, {"3", "cy"}, {"4", "dee"}, {"5", "eve"}}},
    {"lone CR ends a record", "a\rb\rc", {"a"}, {{"b"}, {"c"}}},
    {"spaces are data", "a,b\r\n x , \" y \"\r\n", {"a", "b"}, {{" x ", " \" y \""}}},
    {"quote inside unquoted value kept", "a,b\r\nsay \"hi\",5\"\r\n", {"a", "b"}, {{"say \"hi\"", "5\""}}},
    {"blank lines and lines of spaces skipped", "\r\n  \r\na,b\r\n\r\n1,2\r\n   \n3,4\r\n\r\n",
     {"a", "b"}, {{"1", "2"}, {"3", "4"}}},
    {"one field: a line of spaces is a value", "  \r\na\r\n  \r\n\r\nb\r\n ", {"a"}, {{"  "}, {"b"}, {" "}}},
    {"value holding only two quotes", "a,b\r\n\"\"\"\"\"\",\"\"\r\n", {"a", "b"}, {{"\"\"", ""}}},
    {"NUL bytes inside quotes", std::string("a,b\r\n\"x\0y\",\"\0\"\r\n", 16), {"a", "b"},
     {{std::string("x\0y", 3), std::string(1, '\0')}}},
    {"trailing separator gives an empty value", "a,b\r\n1,", {"a", "b"}, {{"1", ""}}},
    {"text after the closing quote kept", "a\r\n\"x\"y\r\n", {"a"}, {{"xy"}}},
    {"quoted field names", "\"first, name\",\"a\"\"b\"\r\n1,2\r\n", {"first, name", "a\"b"}, {{"1", "2"}}},
    {"UTF-8 mark skipped", "\xEF\xBB\xBF\"a\"\r\n1\r\n", {"a"}, {{"1"}}},
};

struct FailureCase {
    const char* label;
    bool standard;
    std::string text;
    std::string error;
};

class FailuresNameTheReason : public testing::TestWithParam<FailureCase> {};

std::vector<FailureCase> failureCases()
{
    std::string wide = "a";
    for (int i = 0; i <= MaxFieldCount + 2; ++i)
        wide += ",\"a\"";
    return {
        {"too few values", true, "a,b\r\n1,2\r\n\"x\ny\",2\r\n3\r\n", "Line 5 has fewer values than there are fields."},
        {"unclosed quote", true, "a,b\r\n1,2\r\n3,\"open\r\nmore\r\n", "Line 3 opens a quoted value that is never closed."},
        {"lone quote", true, "a\r\n\"\r\n", "Line 2 opens a quoted value that is never closed."},
        {"header alone", true, "\"a\",b\r\n", "The file holds no data line."},
        {"more fields than a field number holds", true, wide + "\r\n1\r\n", readframe::tooManyFields()},
        {"UTF-16, odd byte count", false, utf16WithMark(false, u"a,b\r\n1,2\r\n") + "x",
         "The file is marked as UTF-16 but has an odd number of bytes, so its last character is cut off."},
        {"UTF-16, unpaired high surrogate", false, utf16WithMark(false, u"a\r\n") + std::string("\x3D\xD8" "1\0", 4),
         "The file is marked as UTF-16 but holds a broken character (an unpaired surrogate) at byte 6."},
        {"UTF-16, lone low surrogate", false, utf16WithMark(true, u"a\r\n") + std::string("\xDC\x00", 2),
         "The file is marked as UTF-16 but holds a broken character (an unpaired surrogate) at byte 6."},
    };
}

struct ByteIdenticalCase {
    const char* label;
    bool standard;
    std::string text;
    std::string written; // empty: the text itself
};

class ComesBackByteIdentical : public StoreTest, public testing::WithParamInterface<ByteIdenticalCase> {};

const ByteIdenticalCase byteIdenticalCases[] = {
    {"standard, CR LF", true, "a,b\r\n\"x,y\",\"say \"\"q\"\"\"\r\n\"two\nlines\",\r\n", ""},
    {"standard, LF", true, "a,b\n\"x,y\",2\n3,\" 4\"\n", ""},
    {"standard, one field with an empty value", true, "a\n\"\"\nx\n", ""},
    {"standard, mixed line ends write CR LF", true, "id,name\r\n1,ann\n2,bob\r\n", "id,name\r\n1,ann\r\n2,bob\r\n"},
    {"simple, LF", false, "a,b\n1,2\n3,4\n", ""},
    {"simple, CR LF", false, "a,b\r\n1,2\r\n", ""},
    {"simple, UTF-8 mark and LF", false, "\xEF\xBB\xBF" "a,b\n1,2\n", ""},
    {"simple, UTF-8 mark and CR LF", false, "\xEF\xBB\xBFName,Age\r\nBob,42\r\n", ""},
    {"simple, NUL and control bytes", false, std::string("A,B\r\n\0\x01,x\0y\r\n\x7f,\0\r\n", 18), ""},
    {"simple, invalid UTF-8", false, "N\xff,\xc3(\r\n\xe2\x82,\xed\xa0\x80 z\r\n\xf5\x80,\xc0\xaf\r\n", ""},
};

struct IgnoredCase {
    const char* label;
    bool standard;
    std::string text;
    std::int64_t lines;
    std::int64_t first;
};

class IgnoredPiecesAreCounted : public StoreTest, public testing::WithParamInterface<IgnoredCase> {};

const IgnoredCase ignoredCases[] = {
    {"simple, spreadsheet quoting", false,
     "name,age,city\r\n\"Smith, John\",42,Boston\r\nAnn,7,Rome\r\n\"Doe, J\",1,Oslo\r\n", 2, 2},
    {"simple, one CR LF among LF lines", false, "id,name\r\n1,ann\n2,bob\n3,cy\n4,dee\r\n5,eve\r\n", 1, 2},
    {"simple, nothing left out", false, "a,b\r\n1,2\r\n", 0, 0},
    {"standard, extra value", true, "a,b\r\n1,2\r\n3,4,5\r\n", 1, 3},
};

} // namespace

TEST_P(Reads, Case)
{
    const ReadCase& c = GetParam();
    m_store.StandardQuoting(true);
    load(c.text);
    EXPECT_EQ(m_store.GetFieldList(), c.names);
    EXPECT_EQ(rowsOf(m_store), c.rows);
}

INSTANTIATE_TEST_SUITE_P(StandardCsv, Reads, testing::ValuesIn(readCases), ByLabel());

// A failed load names its reason and leaves the loaded store as it was,
// whichever rule reads the file and whatever its encoding.
TEST_P(FailuresNameTheReason, AndKeepTheStore)
{
    const FailureCase& c = GetParam();
    TempDir dir;
    CSVDBS s;
    s.StandardQuoting(c.standard);
    s.FileName(dir.file("good.csv", "x,y\r\n1,2\r\n"));
    ASSERT_TRUE(s.LoadFile());
    s.FileName(dir.file("bad.csv", c.text));
    EXPECT_FALSE(s.LoadFile());
    EXPECT_EQ(s.LastFileError(), c.error);
    EXPECT_EQ(s.GetFieldList(), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(rowsOf(s), (Rows{{"1", "2"}}));
    EXPECT_EQ(s.Encoding(), FileEncoding::Utf8);
}

INSTANTIATE_TEST_SUITE_P(StandardCsv, FailuresNameTheReason, testing::ValuesIn(failureCases()), ByLabel());

// Quotes only where a value needs them, or around every value; whatever is
// written reads back to the same contents.
TEST(StandardCsv, WritesQuotesOnlyWhereNeeded)
{
    const struct {
        const char* label;
        bool quoteAll;
        std::string separator;
        std::string expected;
    } cases[] = {
        {"canonical", false, ",",
         "name,note\r\n\"Smith, John\",\"Said \"\"hi\"\"\"\r\n\" lead\",\"trail \"\r\n\"a\r\nb\",plain\r\n"
         ",\"\"\"\"\"\"\r\n"},
        {"all quoted", true, ",",
         "\"name\",\"note\"\r\n\"Smith, John\",\"Said \"\"hi\"\"\"\r\n\" lead\",\"trail \"\r\n\"a\r\nb\",\"plain\"\r\n"
         "\"\",\"\"\"\"\"\"\r\n"},
        {"other separator", false, ";",
         "name;note\r\nSmith, John;\"Said \"\"hi\"\"\"\r\n\" lead\";\"trail \"\r\n\"a\r\nb\";plain\r\n"
         ";\"\"\"\"\"\"\r\n"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        CSVDBS s;
        s.StandardQuoting(true);
        s.FileName(dir.file("in.csv", "name,note\r\n\"Smith, John\",\"Said \"\"hi\"\"\"\r\n\" lead\",\"trail \"\r\n"
                                      "\"a\r\nb\",plain\r\n,\"\"\"\"\"\"\r\n"));
        ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
        s.Seperator(c.separator);
        s.FileName(dir.path() + "/out.csv");
        ASSERT_TRUE(s.WriteFile(c.quoteAll)) << s.LastFileError();
        EXPECT_EQ(readFile(s.FileName()), c.expected);
        CSVDBS back;
        back.StandardQuoting(true);
        back.Seperator(c.separator);
        back.FileName(s.FileName());
        ASSERT_TRUE(back.LoadFile()) << back.LastFileError();
        EXPECT_EQ(rowsOf(back), rowsOf(s));
    }
}

// A file comes back byte for byte, unusual bytes and all; only mixed line
// ends are made one kind.
TEST_P(ComesBackByteIdentical, CanonicalFilesAndLineEnds)
{
    const ByteIdenticalCase& c = GetParam();
    m_store.StandardQuoting(c.standard);
    load(c.text);
    ASSERT_TRUE(m_store.WriteFile());
    EXPECT_EQ(readFile(m_store.FileName()), c.written.empty() ? c.text : c.written);
}

INSTANTIATE_TEST_SUITE_P(StandardCsv, ComesBackByteIdentical, testing::ValuesIn(byteIdenticalCases), ByLabel());

TEST_P(IgnoredPiecesAreCounted, UnderBothRules)
{
    const IgnoredCase& c = GetParam();
    m_store.StandardQuoting(c.standard);
    load(c.text);
    EXPECT_EQ(m_store.IgnoredLines(), c.lines);
    EXPECT_EQ(m_store.FirstIgnoredLine(), c.first);
    EXPECT_EQ(m_store.LastLoad().ignoredLines, c.lines);
    // A save writes what the store holds, so nothing is left out any more.
    ASSERT_TRUE(m_store.WriteFile());
    EXPECT_EQ(m_store.IgnoredLines(), 0);
}

INSTANTIATE_TEST_SUITE_P(StandardCsv, IgnoredPiecesAreCounted, testing::ValuesIn(ignoredCases), ByLabel());

TEST(StandardCsv, TooFewValuesIsNotedUnderTheSimpleRule)
{
    TempDir dir;
    CSVDBS s;
    s.FileName(dir.file("in.csv", "a,b\r\n\"x\r\ny\",2\r\n"));
    EXPECT_FALSE(s.LoadFile());
    EXPECT_TRUE(s.LastLoad().tooFewValues);
    EXPECT_EQ(s.LastFileError(), "Line 2 has fewer values than there are fields.");
    s.StandardQuoting(true);
    ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
    EXPECT_EQ(rowsOf(s), (Rows{{"x\r\ny", "2"}}));
}

TEST(StandardCsv, UnclosedQuoteNearTheEndOfAHundredMegabytesFailsFast)
{
    TempDir dir;
    const std::string path = dir.path() + "/big.csv";
    std::int64_t lines = 1;
    {
        std::ofstream out(path, std::ios::binary);
        out << "id,name,note\r\n";
        const std::string row = "12345,Some Name,\"a quoted note, with a comma\"\r\n";
        std::string block;
        for (int i = 0; i < 10000; ++i)
            block += row;
        const std::size_t blocks = (100u << 20) / block.size();
        for (std::size_t b = 0; b < blocks; ++b)
            out << block;
        lines += static_cast<std::int64_t>(blocks) * 10000;
        out << "7,last,\"never closed\r\n";
    }
    CSVDBS s;
    s.StandardQuoting(true);
    s.FileName(path);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(s.LoadFile());
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(s.LastFileError(), "Line " + std::to_string(lines + 1) + " opens a quoted value that is never closed.");
    EXPECT_FALSE(s.HasFieldList());
    // Generous, for a shared machine: a second pass or a quadratic search
    // would take minutes.
    EXPECT_LT(seconds, 60.0);
}

TEST(StandardCsv, FiftyMegabyteQuotedValue)
{
    TempDir dir;
    std::string big(50u << 20, 'x');
    for (std::size_t i = 1000; i < big.size(); i += 100000)
        big[i] = '"';
    std::string escaped;
    for (char ch : big) {
        escaped += ch;
        if (ch == '"')
            escaped += '"';
    }
    CSVDBS s;
    s.StandardQuoting(true);
    s.FileName(dir.file("in.csv", "a,b\r\n\"" + escaped + "\",2\r\n"));
    ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
    ASSERT_EQ(s.ValueAt(1, 1).size(), big.size());
    EXPECT_TRUE(s.ValueAt(1, 1) == big);
    ASSERT_TRUE(s.WriteFile());
    EXPECT_EQ(readFile(s.FileName()), "a,b\r\n\"" + escaped + "\",2\r\n");
}

namespace {

// A random file of the kinds of values that make finding a record's start
// hard: quoted line breaks, doubled quotes, quotes inside unquoted values,
// text after a closing quote, blank lines, records short or long, and now
// and then a quote that never closes.
std::string awkwardCsv(std::mt19937& rng, const std::string& sep)
{
    static const char* const values[] = {"plain", "", "\"q\"", "\"a\r\nb\"", "\"x\ny\"", "\"c\rd\"",
                                         "\"say \"\"hi\"\"\"", "x\"y", "\"a\"b", "\"\"", "  ", "\"s" /* sep follows */};
    static const char* const ends[] = {"\r\n", "\n", "\r"};
    std::string text;
    const int records = 1 + static_cast<int>(rng() % 40);
    for (int r = 0; r < records; ++r) {
        if (rng() % 10 == 0)
            text += rng() % 2 ? "  " : "";
        else {
            const int count = rng() % 8 == 0 ? 1 + static_cast<int>(rng() % 5) : 3;
            for (int v = 0; v < count; ++v) {
                const std::string value = values[rng() % std::size(values)];
                text += (v ? sep : "") + (value == "\"s" ? "\"" + sep + "\"" : value);
            }
        }
        text += ends[rng() % (r % 7 == 0 ? 3 : 1)];
    }
    if (rng() % 15 == 0)
        text += "1,\"open";
    return text;
}

} // namespace

// Two cores read the records after the first from two starting points; the
// result must be what one core reading in order gives, faults included.
TEST(StandardCsv, TwoCoresReadExactlyAsOne)
{
    std::mt19937 rng(5);
    for (int trial = 0; trial < 3000; ++trial) {
        const std::string sep = trial % 4 == 3 ? ";;" : ",";
        const std::string text = (trial % 5 == 0 ? "\xEF\xBB\xBF" : "") + awkwardCsv(rng, sep);
        const auto read = [&](std::size_t minPartBytes) {
            auto bytes = huge::allocateBytes(std::max<std::size_t>(text.size(), 1));
            std::memcpy(bytes.get(), text.data(), text.size());
            CellTable table;
            CsvReadOptions options{sep, trial % 3 != 0, trial % 2 == 0, trial % 7 == 0 ? 5u : MaxRecords};
            options.minPartBytes = minPartBytes;
            const CsvReadResult r = readStandardCsv(std::move(bytes), text.size(), options, table, {});
            Rows rows;
            for (std::size_t i = 0; r.ok && i < table.recordCount(); ++i) {
                rows.emplace_back();
                for (int f = 0; f < table.fieldCount(); ++f)
                    rows.back().emplace_back(table.value(i, f));
            }
            return std::make_tuple(r.ok, r.error, r.tooFewValues, r.ignoredLines, r.firstIgnoredLine, r.lfLineEnds,
                                   r.byteOrderMark, r.ok ? table.names() : std::vector<std::string>{}, rows);
        };
        ASSERT_EQ(read(1), read(std::numeric_limits<std::size_t>::max())) << "trial " << trial << ":\n" << text;
    }
}
