#include <filesystem>

#include "tests/store/StoreFixture.h"
#include "tests/support/CaseName.h"

namespace fs = std::filesystem;

namespace {

class Write : public StoreTest {};

struct WriteCase {
    const char* label;
    bool header;
    bool quotes;
    bool dropRecords;
    std::string expected;
};

class ExactBytes : public StoreTest, public testing::WithParamInterface<WriteCase> {};

const WriteCase writeCases[] = {
    {"plain", true, false, false, "Name;Age\r\nBob;42\r\n;7\r\n"},
    {"quoted", true, true, false, "\"Name\";\"Age\"\r\n\"Bob\";\"42\"\r\n\"\";\"7\"\r\n"},
    {"no header", false, false, false, "Bob;42\r\n;7\r\n"},
    {"no records", true, false, true, "Name;Age\r\n"},
    {"no records, no header", false, true, true, ""},
};

struct BlankCase {
    const char* label;
    bool standard;
    std::string blank;
};

class ALoneBlankValue : public StoreTest, public testing::WithParamInterface<BlankCase> {};

const BlankCase blankCases[] = {{"simple, empty", false, ""}, {"simple, spaces", false, "  "},
                                {"standard, empty", true, ""}, {"standard, spaces", true, "  "}};

} // namespace

TEST_P(ExactBytes, Case)
{
    const WriteCase& c = GetParam();
    CSVDBS& s = m_store;
    load("Name,Age\r\nBob,42\r\n\"\",7\r\n");
    if (c.dropRecords) {
        ASSERT_TRUE(s.DeleteRecord(1));
        ASSERT_TRUE(s.DeleteRecord(1));
    }
    ASSERT_TRUE(s.ChangesMade() || !c.dropRecords);
    s.Seperator(";");
    s.HeaderLine(c.header);
    s.FileName(m_dir.path() + "/out.csv");
    ASSERT_TRUE(s.WriteFile(c.quotes)) << s.LastFileError();
    EXPECT_EQ(readFile(s.FileName()), c.expected);
    EXPECT_FALSE(s.ChangesMade());
    // Writing changes neither the data nor the settings.
    EXPECT_EQ(s.RecordCount(), c.dropRecords ? 0 : 2);
    EXPECT_EQ(s.Seperator(), ";");
    EXPECT_EQ(s.GetFieldList(), (std::vector<std::string>{"Name", "Age"}));
}

INSTANTIATE_TEST_SUITE_P(Write, ExactBytes, testing::ValuesIn(writeCases), ByLabel());

TEST_F(Write, RoundTrips)
{
    CSVDBS& s = m_store;
    load("A,B,C\r\nx,y,z\r\n");
    s.PutValue(1, 1, "p,q");
    s.PutValue(1, 2, "say \"hi\"\nthere");
    s.FileName(m_dir.path() + "/out.csv");

    const auto reread = [&](bool quotes) {
        EXPECT_TRUE(s.WriteFile(quotes));
        CSVDBS back;
        back.FileName(s.FileName());
        back.HeaderLine(false);
        EXPECT_TRUE(back.LoadFile());
        std::vector<std::string> values;
        for (int f = 1; f <= back.FieldCount(); ++f)
            values.emplace_back(back.ValueAt(2, f));
        return values;
    };
    // No escaping: the separator inside a value splits it when read back (the
    // surplus last value is dropped); an inner quote and a line feed survive
    // because only the outer quotes go and the file's lines end in CR LF.
    EXPECT_EQ(reread(false), (std::vector<std::string>{"p", "q", "say \"hi\"\nthere"}));
    EXPECT_EQ(reread(true), (std::vector<std::string>{"\"p", "q\"", "say \"hi\"\nthere"}));
}

TEST_F(Write, FileSystemSituations)
{
    CSVDBS& s = m_store;
    const TempDir& dir = m_dir;
    load("A\r\n1\r\n");
    const std::string path = s.FileName();

    fs::permissions(path, fs::perms(0640));
    s.SaveOverWhatIsOnDisk(); // a change of mode is a change on disk
    ASSERT_TRUE(s.WriteFile());
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::mask, fs::perms(0640));

    const std::string link = dir.path() + "/link.csv";
    fs::create_symlink("in.csv", link);
    s.PutValue(1, 1, "2");
    s.FileName(link);
    ASSERT_TRUE(s.WriteFile());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(path), "A\r\n2\r\n");

    s.FileName(dir.path());
    EXPECT_FALSE(s.WriteFile());
    EXPECT_FALSE(s.LastFileError().empty());
    EXPECT_TRUE(fs::is_directory(dir.path()));
    s.FileName("");
    EXPECT_FALSE(s.WriteFile());

    // Nothing loaded: no file is made, whether or not a name is set.
    CSVDBS empty;
    EXPECT_FALSE(empty.WriteFile());
    empty.FileName(dir.path() + "/never.csv");
    EXPECT_FALSE(empty.WriteFile());
    EXPECT_FALSE(fs::exists(empty.FileName()));
    empty.FileName(path);
    EXPECT_FALSE(empty.WriteFile());
    EXPECT_EQ(readFile(path), "A\r\n2\r\n");
    // No temporary files are left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2);
}

// Short values are copied a word at a time: every length up to past two words
// must come out whole, between others of every length.
TEST_F(Write, ValuesOfEveryShortLengthComeOutWhole)
{
    std::string text = "A,B,C\r\n";
    for (int n = 0; n <= 40; ++n) {
        const std::string v(static_cast<std::size_t>(n), static_cast<char>('a' + n % 26));
        const std::string w(static_cast<std::size_t>(40 - n), 'z');
        text += v + ", " + w + "," + v + w + "\r\n"; // the trimmed space keeps the line from being copied whole
    }
    load(text);
    m_store.FileName(m_dir.path() + "/out.csv");
    ASSERT_TRUE(m_store.WriteFile());
    EXPECT_EQ(readFile(m_store.FileName()), joinedText(m_store, ","));
    EXPECT_EQ(m_store.ValueAt(41, 1), std::string(40, 'a' + 40 % 26));
}

// Alone on its line, an empty value or one of spaces would make a blank line,
// which reading skips: the record, or the heading, would be lost.
TEST_P(ALoneBlankValue, KeepsItsLineUnderBothRules)
{
    const BlankCase& c = GetParam();
    CSVDBS& s = m_store;
    s.StandardQuoting(c.standard);
    load("\"\"\r\nAnn\r\nBob\r\n");
    s.PutValue(1, 1, c.blank);
    ASSERT_TRUE(s.WriteFile()) << s.LastFileError();
    EXPECT_EQ(readFile(s.FileName()), "\"\"\r\n\"" + c.blank + "\"\r\nBob\r\n");
    ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
    EXPECT_EQ(s.GetFieldList(), std::vector<std::string>{""});
    EXPECT_EQ(rowsOf(s), (Rows{{c.blank}, {"Bob"}}));
}

INSTANTIATE_TEST_SUITE_P(Write, ALoneBlankValue, testing::ValuesIn(blankCases), ByLabel());
