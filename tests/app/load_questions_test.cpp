// The questions a load may ask, the reasons a load fails, and values that a
// load leaves out, all through the main window.
#include <filesystem>

#include "app/LoadQuestions.h"
#include "app/StatusLine.h"
#include "tests/app/AppFixture.h"

namespace fs = std::filesystem;

namespace {

class LoadQuestionsTest : public AppTest {
protected:
    std::vector<const ScriptedPrompter::Asked*> questions() const
    {
        std::vector<const ScriptedPrompter::Asked*> out;
        for (const auto& a : m_ask.asked)
            if (a.kind == "yesNo")
                out.push_back(&a);
        return out;
    }
    // The load asked exactly one question, titled `title`, reading `text`.
    void expectAskedOnce(const std::string& title, const std::string& text)
    {
        ASSERT_EQ(questions().size(), 1u);
        EXPECT_EQ(questions()[0]->title, title);
        EXPECT_NE(questions()[0]->text.find(text), std::string::npos) << questions()[0]->text;
        EXPECT_EQ(questions()[0]->icon, Prompter::Icon::Question);
    }
};

// Quoted values with separators, quotes and spaces, as a spreadsheet writes them.
const std::string Spreadsheet =
    "name,age,said,city\r\n\"Smith, John\",42,\"Said \"\"hello\"\" twice\",Boston\r\n"
    "Ann,7,plain,\"Rome, Italy\"\r\n";
// The same with a quoted line break, which the simple rule fails on.
const std::string SpreadsheetWithBreak = "name,age,said,city\r\n\"Smith, John\",42,\"two\r\nlines\",Boston\r\n";
// One CR LF among LF lines.
const std::string MixedEnds = "id,name\r\n1,ann\n2,bob\n3,cy\n4,dee\r\n5,eve\r\n";

} // namespace

// Yes reads it so and turns the setting on; the spreadsheet file then saves
// back unchanged: canonical, CR LF.
TEST_F(LoadQuestionsTest, StandardCsvYesLoadsItSoAndTurnsTheSettingOn)
{
    const struct {
        const char* label;
        std::string text;
        int rows;
        QString lastCell;
    } cases[] = {{"values would be left out", Spreadsheet, 2, "Rome, Italy"},
                 {"fails on too few values", SpreadsheetWithBreak, 1, "Boston"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        restart({true});
        open(c.text);
        expectAskedOnce("Standard CSV?", "Open it as standard CSV? This also turns on \"Standard CSV\" in Save Options");
        EXPECT_TRUE(messages().empty()) << messages().front();
        EXPECT_EQ(rows(), c.rows);
        EXPECT_EQ(cell(c.rows - 1, window().store().FieldCount() - 1), c.lastCell);
        EXPECT_EQ(storedSetting(SettingKey::StandardQuoting), "1");
        EXPECT_TRUE(SaveSettings::standardQuoting());
        click("PushButton6");
        EXPECT_EQ(messages(), (std::vector<std::string>{"Done."}));
        EXPECT_EQ(readFile(path()), c.text);
    }
}

// Lines a tool that writes LF alone added to a CR LF file: asked first, as
// it changes nothing beyond this file; No leaves the standard rule to offer.
TEST_F(LoadQuestionsTest, LineEndQuestionReadsLoneLineFeedsAsLineEnds)
{
    const std::string question = "Lines 2, 3 and 4 end in a line feed alone. Read each of those as a line end?";
    restart({true});
    open(MixedEnds);
    expectAskedOnce("Line Ends?", question);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(rows(), 5);
    EXPECT_EQ(cell(2, 1), "cy");
    EXPECT_EQ(storedSetting(SettingKey::StandardQuoting), "");
    // Saved, every line ends in CR LF, and the next load asks nothing.
    click("PushButton6");
    EXPECT_EQ(readFile(path()), "id,name\r\n1,ann\r\n2,bob\r\n3,cy\r\n4,dee\r\n5,eve\r\n");
    open(readFile(path()), "again.csv");
    EXPECT_EQ(questions().size(), 1u);

    restart({false, true});
    open(MixedEnds);
    ASSERT_EQ(questions().size(), 2u);
    EXPECT_EQ(questions()[1]->title, "Standard CSV?");
    EXPECT_EQ(cell(4, 1), "eve");

    // One, three and five such lines, in words.
    for (const auto& [text, words] : std::vector<std::pair<std::string, std::string>>{
             {"a\r\n1\n2\r\n", "Line 2 ends"},
             {"a\r\n1\n2\n3\n4\r\n", "Lines 2, 3 and 4 end"},
             {"a\r\n1\n2\r\n3\n4\n\n5\n", "Lines 2, 4 and 3 more end"}}) {
        restart({false});
        open(text);
        ASSERT_EQ(questions().size(), 1u) << text;
        EXPECT_EQ(questions()[0]->text, words + " in a line feed alone. Read each of those as a line end?");
    }
}

TEST_F(LoadQuestionsTest, StandardCsvNoTellsWhatIsLeftOutAndAsksBeforeSaving)
{
    m_ask.yesNo = {false};
    open(Spreadsheet);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(storedSetting(SettingKey::StandardQuoting), "");
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"2 lines of this file have more values than there are fields; the first is "
                                        "line 2.\nThe values beyond the last field are not shown and will not be "
                                        "saved."}));

    // No saves nothing.
    m_ask.yesNo = {false};
    click("PushButton6");
    ASSERT_EQ(questions().size(), 2u);
    EXPECT_EQ(questions()[1]->title, "Save Without Them?");
    EXPECT_EQ(questions()[1]->text, LoadQuestions::saveWithoutQuestion(window().store()).toStdString());
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(readFile(path()), Spreadsheet);

    m_ask.yesNo = {true};
    click("PushButton6");
    EXPECT_EQ(messages().back(), "Done.");
    EXPECT_NE(readFile(path()), Spreadsheet);
    // What is in the file now is what the grid showed: nothing more to ask.
    click("PushButton6");
    EXPECT_EQ(questions().size(), 3u);
}

// What a load leaves out, or why it failed, is said on a second line.
TEST_F(LoadQuestionsTest, WhatIsLeftOutOrWhyItFailedIsSaid)
{
    const std::string beyond = "The values beyond the last field are not shown and will not be saved.";
    const struct {
        const char* label;
        std::string text;
        std::deque<bool> answers;
        std::string message;
        int rows;
    } cases[] = {
        {"lines left out are counted", "a,b\r\n1,2,3\r\n4,5\r\n6,7,8\r\n9,9,9\r\n", {},
         "3 lines of this file have more values than there are fields; the first is line 2.\n" + beyond, 4},
        // No to standard CSV, then No to filling the short line out.
        {"standard fails, No gives the reason", SpreadsheetWithBreak, {false, false},
         "Error loading CSV file.\nLine 3 has fewer values than there are fields.", 0},
        // Four values under three fields either way: nothing to offer.
        {"no question when standard reads it no better", "a,b,c\r\n1,2,3,4\r\n", {},
         "Line 2 of this file has more values than there are fields.\n" + beyond, 1},
        {"UTF-16 cut short", std::string("\xFF\xFE" "a\0\r\0\n\0" "1", 9), {},
         "Error loading CSV file.\nThe file is marked as UTF-16 but has an odd number of bytes, so its last "
         "character is cut off.", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        restart(c.answers);
        open(c.text);
        EXPECT_EQ(questions().size(), c.answers.size());
        EXPECT_EQ(messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(rows(), c.rows);
    }
    fs::create_directory(path("folder.csv"));
    m_ask.fileNames.push_back(QString::fromStdString(path("folder.csv")));
    click("PushButton2");
    EXPECT_EQ(messages().back(), "Error loading CSV file.\nIt is a folder, not a file.");
}

// Short lines: one or many in the question; Yes fills them out and the
// status line counts them, No keeps the failure as it was.
TEST_F(LoadQuestionsTest, ShortLinesAreFilledOutOnYes)
{
    const struct {
        const char* label;
        std::string text;
        bool yes;
        std::string question;
        int rows;
        int shortRow; // a row whose last value was filled in
    } cases[] = {
        {"one, Yes", "a,b,c\r\n1,2,3\r\n4,5\r\n", true,
         "Line 3 has fewer values than there are fields. Open it with the missing value(s) empty?", 2, 1},
        {"many, Yes", "a,b,c\r\n1\r\n2\r\n\r\n3,4\r\n5,6,7\r\n", true,
         "Line 2 and 2 more have fewer values than there are fields. Open them with the missing values empty?", 4, 0},
        {"many, No", "a,b,c\r\n1\r\n2\r\n", false,
         "Line 2 and 1 more have fewer values than there are fields. Open them with the missing values empty?", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        restart({c.yes});
        open(c.text);
        expectAskedOnce("Short Lines?", c.question);
        EXPECT_EQ(rows(), c.rows);
        if (c.yes) {
            EXPECT_TRUE(messages().empty()) << messages().front();
            const std::string filled = std::to_string(window().store().FilledLines()) + " short line";
            EXPECT_NE(window().statusLine()->message().toStdString().find(filled), std::string::npos)
                << window().statusLine()->message().toStdString();
            EXPECT_TRUE(cell(c.shortRow, 2).isEmpty());
        } else {
            EXPECT_EQ(messages(), std::vector<std::string>{"Error loading CSV file.\nLine 2 has fewer values than there are fields."});
        }
    }
}

TEST_F(LoadQuestionsTest, SeparatorQuestion)
{
    const std::string semicolons = "name;price;qty\r\nTea;1,5;2\r\nCake;2,25;1\r\n";
    m_ask.yesNo = {true};
    open(semicolons);
    expectAskedOnce("Separator?", "split into 3 values at the semicolon (;)");
    EXPECT_EQ(headings(), (QStringList{"name", "price", "qty"}));
    EXPECT_EQ(cell(0, 1), "1,5");
    EXPECT_EQ(storedSetting(SettingKey::Separator), "1");
    EXPECT_EQ(window().currentSeparator(), ";");
    EXPECT_TRUE(messages().empty());

    // No keeps the one column and says what was left out.
    restart({false});
    open(semicolons);
    EXPECT_EQ(questions().size(), 1u);
    EXPECT_EQ(headings(), (QStringList{"name;price;qty"}));
    EXPECT_EQ(window().currentSeparator(), ",");
    EXPECT_EQ(messages().size(), 1u);

    // Tabs, with every line the same: asked although nothing was left out.
    restart({true});
    open("a\tb\r\n1\t2\r\n");
    EXPECT_EQ(headings(), (QStringList{"a", "b"}));
    EXPECT_EQ(storedSetting(SettingKey::Separator), "2");
    // A true one-column file is not questioned.
    m_ask.asked.clear();
    open("name\r\nAnn\r\nBob\r\n");
    EXPECT_TRUE(questions().empty());
}

TEST_F(LoadQuestionsTest, WesternQuestion)
{
    const std::string western = "name,city\r\nM\xFCller,K\xF6ln\r\n";
    m_ask.yesNo = {true};
    open(western);
    expectAskedOnce("Western Text?", LoadQuestions::westernQuestion().toStdString());
    EXPECT_EQ(cell(0, 0), QString::fromUtf8("M\xC3\xBCller"));
    EXPECT_EQ(window().store().Encoding(), FileEncoding::Windows1252);
    click("PushButton6");
    EXPECT_EQ(readFile(path()), western);

    // A value Western cannot hold: the save fails and says which.
    window().store().PutValue(1, 2, "\xCE\xA9");
    click("PushButton6");
    EXPECT_NE(messages().back().find("Error saving CSV file.\nThe value \"\xCE\xA9\""), std::string::npos);
    EXPECT_EQ(readFile(path()), western);

    // No keeps the bytes.
    restart({false});
    open(western);
    EXPECT_EQ(questions().size(), 1u);
    EXPECT_EQ(window().store().ValueAt(1, 1), "M\xFCller");
    window().store().PutValue(1, 2, "Bonn");
    click("PushButton6");
    EXPECT_EQ(readFile(path()), "name,city\r\nM\xFCller,Bonn\r\n");
}

TEST_F(LoadQuestionsTest, Utf16OpensWithoutQuestionsAndSavesAsUtf16)
{
    std::string bytes = "\xFF\xFE";
    for (char c : std::string("a,b\r\n1,2\r\n")) {
        bytes += c;
        bytes += '\0';
    }
    open(bytes);
    EXPECT_TRUE(m_ask.asked.size() == 1) << "only the file dialog";
    EXPECT_EQ(cell(0, 1), "2");
    window().store().PutValue(1, 2, "3");
    click("PushButton6");
    std::string expected = bytes;
    expected[bytes.size() - 6] = '3';
    EXPECT_EQ(readFile(path()), expected);
}

TEST_F(LoadQuestionsTest, StandardSettingReachesTheStoreAtLoadAndSave)
{
    storeSetting(SettingKey::StandardQuoting, "1");
    open("a,b\n\"x\ny\",2\n");
    EXPECT_TRUE(questions().empty());
    EXPECT_EQ(cell(0, 0), "x\ny");
    storeSetting(SettingKey::StandardQuoting, "0");
    click("PushButton6");
    // Saved by the simple rule now, with the file's own LF line ends.
    EXPECT_EQ(readFile(path()), "a,b\nx\ny,2\n");
}
