// Appending and merging a second file, driven through the two dialogs.
#include <QCheckBox>
#include <QComboBox>
#include <QTreeWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "combine/CombineFiles.h"
#include "combine/Form11.h"
#include "combine/Form12.h"
#include "tests/store/StoreFixture.h"
#include "tests/support/CaseName.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/UserInput.h"

using Names = std::vector<std::string>;

class CombineTest : public StoreTest {
protected:
    template <typename Dialog>
    std::unique_ptr<Dialog> opened(const QString& separator = QStringLiteral(","))
    {
        auto dialog = std::make_unique<Dialog>(nullptr, m_store, separator);
        dialog->show();
        return dialog;
    }
    QString second(std::string_view text, const std::string& name = "second.csv")
    {
        return QString::fromStdString(m_dir.file(name, text));
    }

    // Appends `text` with the dialog's controls; true when the dialog closed.
    bool append(std::string_view text, bool up, bool header = true)
    {
        auto d = opened<Form11>();
        d->Text1->setText(second(text));
        d->Check12->setChecked(header);
        (up ? d->Option1 : d->Option2)->setChecked(true);
        clickControl(*d, QStringLiteral("PushButton1"));
        return !d->isVisible() && d->result() == QDialog::Accepted;
    }
    bool merge(std::string_view text, bool left)
    {
        auto d = opened<Form12>();
        d->Text1->setText(second(text));
        (left ? d->Option1 : d->Option2)->setChecked(true);
        clickControl(*d, QStringLiteral("PushButton1"));
        return !d->isVisible() && d->result() == QDialog::Accepted;
    }
    std::vector<std::string> messages() const { return m_ask.texts(); }

    ScriptedPrompter m_ask;
};

// Three records with empty cells, and a second file with other names and
// empty cells of its own: every cell of the result holds exactly one source
// value, by position, whichever way it goes.
TEST_F(CombineTest, AppendUpAndDownCopyEveryCellByPositionAsTheHeaderBoxSays)
{
    const char* open = "A,B\r\n1,\r\n2,x\r\n,3\r\n";
    const char* more = "P,Q\r\nn1,\r\n,n2\r\n";
    load(open);
    ASSERT_TRUE(append(more, true));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"n1", ""}, {"", "n2"}, {"1", ""}, {"2", "x"}, {"", "3"}}));
    EXPECT_EQ(m_store.GetFieldList(), (Names{"A", "B"}));
    EXPECT_TRUE(m_store.ChangesMade());

    load(open);
    ASSERT_TRUE(append(more, false));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"1", ""}, {"2", "x"}, {"", "3"}, {"n1", ""}, {"", "n2"}}));
    EXPECT_TRUE(messages().empty());

    // Column names alone append nothing, or a record with the header box clear.
    load("A,B\r\n1,2\r\n");
    ASSERT_TRUE(append("P,Q\r\n", false, true));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"1", "2"}}));
    ASSERT_TRUE(append("P,Q\r\n", true, false));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"P", "Q"}, {"1", "2"}}));
}

namespace {

struct FailedCheck {
    const char* label;
    bool inFolder; // `path` then goes on from the test's folder
    const char* path;
    const char* contents; // written there first; none: no file
    const char* message;
};

class FailedChecks : public CombineTest, public testing::WithParamInterface<FailedCheck> {};

const FailedCheck failedChecks[] = {
    {"blank", false, "   ", nullptr, "You must select first file to append."},
    {"missing", true, "/missing.csv", nullptr, "Append file not found."},
    {"a folder", true, "", nullptr, "Append file not found."},
    {"empty", true, "/empty.csv", "", "Error loading CSV file.\nThe file holds no data line."},
    {"other columns", true, "/second.csv", "P,Q,R\r\n1,2,3\r\n",
     "Column does not match.\r\nColumn count must be the same to append"},
};

} // namespace

// Each failed check tells the user and keeps the dialog open, its inputs as
// typed, the open file untouched.
TEST_P(FailedChecks, KeepTheAppendDialogOpen)
{
    const FailedCheck& c = GetParam();
    load("A,B\r\n1,2\r\n");
    const QString path = QString::fromStdString((c.inFolder ? m_dir.path() : "") + c.path);
    if (c.contents)
        m_dir.file(std::string(c.path).substr(1), c.contents);
    auto d = opened<Form11>();
    d->Text1->setText(path);
    d->Option2->setChecked(true);
    clickControl(*d, QStringLiteral("PushButton1"));
    EXPECT_TRUE(d->isVisible()) << c.message;
    EXPECT_EQ(d->Text1->text(), path);
    EXPECT_TRUE(d->Option2->isChecked());
    ASSERT_FALSE(m_ask.asked.empty());
    EXPECT_EQ(m_ask.asked.back().text, c.message);
    EXPECT_EQ(m_ask.asked.back().icon, Prompter::Icon::None);
    EXPECT_EQ(rowsOf(m_store), (Rows{{"1", "2"}}));
    EXPECT_FALSE(m_store.ChangesMade());
}

INSTANTIATE_TEST_SUITE_P(Combine, FailedChecks, testing::ValuesIn(failedChecks), ByLabel());

TEST_F(CombineTest, FailedChecksKeepTheMergeDialogOpen)
{
    // With no file open, the column count is what an append reports.
    EXPECT_FALSE(append("P,Q\r\n1,2\r\n", true));
    EXPECT_EQ(messages(), (Names{"Column does not match.\r\nColumn count must be the same to append"}));
    EXPECT_FALSE(merge("P,Q\r\n1,2\r\n", true));
    EXPECT_EQ(messages().back(), "Please load CSV file first.");

    load("A,B\r\n1,2\r\n");
    for (const char* path : {"   ", "/nowhere/x.csv"}) {
        auto d = opened<Form12>();
        d->Text1->setText(QString::fromLatin1(path));
        clickControl(*d, QStringLiteral("PushButton1"));
        EXPECT_TRUE(d->isVisible());
    }
    EXPECT_EQ(m_ask.asked.back().text, "Append file not found.");
    EXPECT_EQ(rowsOf(m_store), (Rows{{"1", "2"}}));
    EXPECT_FALSE(m_store.ChangesMade());
}

// The user works with semicolon files: the second file is read with the same
// separator as the open one.
TEST_F(CombineTest, SecondFileIsReadWithTheSeparatorInForce)
{
    m_store.Seperator(";");
    load("A;B\r\n1;2\r\n");
    auto d = opened<Form11>(QStringLiteral(";"));
    d->Text1->setText(second("P;Q\r\nx,y;z\r\n"));
    d->Option2->setChecked(true);
    clickControl(*d, QStringLiteral("PushButton1"));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"1", "2"}, {"x,y", "z"}}));
}

TEST_F(CombineTest, MergeLeftAndRightPairRecordsByPositionAndKeepClashingNames)
{
    const char* open = "A,B\r\na1,b1\r\na2,b2\r\na3,b3\r\n";
    load(open);
    ASSERT_TRUE(merge("X,Y\r\nx1,y1\r\n,y2\r\n", true));
    EXPECT_EQ(m_store.GetFieldList(), (Names{"X", "Y", "A", "B"}));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"x1", "y1", "a1", "b1"}, {"", "y2", "a2", "b2"}, {"", "", "a3", "b3"}}));

    load(open);
    ASSERT_TRUE(merge("X,Y\r\nx1,y1\r\nx2,y2\r\nx3,y3\r\nx4,y4\r\n", false));
    EXPECT_EQ(m_store.GetFieldList(), (Names{"A", "B", "X", "Y"}));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"a1", "b1", "x1", "y1"}, {"a2", "b2", "x2", "y2"}, {"a3", "b3", "x3", "y3"}}));

    load(open);
    ASSERT_TRUE(merge("X,Y\r\n", false));
    EXPECT_EQ(column(3), (Names{"", "", ""}));
    EXPECT_EQ(column(4), (Names{"", "", ""}));

    // A second-file column named like one of the open file's comes in beside
    // it under a free numbered name; nothing of the open file is overwritten.
    load("Name,1Name\r\nann,keep\r\n");
    ASSERT_TRUE(merge("name,City,City\r\nbob,Oslo,Rome\r\n", false));
    EXPECT_EQ(m_store.GetFieldList(), (Names{"Name", "1Name", "2NAME", "CITY", "1CITY"}));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"ann", "keep", "bob", "Oslo", "Rome"}}));
}

TEST_F(CombineTest, BrowseFillsThePathUnlessCancelled)
{
    auto d = opened<Form12>();
    d->Text1->setText(QStringLiteral("typed"));
    m_ask.fileNames = {QString(), QStringLiteral("/data/b.csv")};
    clickControl(*d, QStringLiteral("PushButton2"));
    EXPECT_EQ(d->Text1->text(), "typed");
    clickControl(*d, QStringLiteral("PushButton2"));
    EXPECT_EQ(d->Text1->text(), "/data/b.csv");
    EXPECT_EQ(m_ask.asked[0].title, "Add File(s) - Hold Ctrl to select multiple files");
    EXPECT_EQ(m_ask.asked[0].extra, "CSV Files (*.csv)|*.csv|Text files (*.csv *.tsv *.txt)|*.csv;*.tsv;*.txt|All files (*)|*");
    clickControl(*d, QStringLiteral("PushButton4"));
    EXPECT_EQ(d->result(), QDialog::Rejected);
}

// Too many values or too few in the second file's lines: a Yes goes on
// (short lines filled out with empty values), a No keeps the dialog open.
TEST_F(CombineTest, SecondFileValuesLeftOutOrMissingAreAskedAbout)
{
    struct Case {
        const char* file;
        bool goOn;
        const char* title;
        Rows after;
    };
    const Case cases[] = {
        {"A,B\r\n3,4,5\r\n", false, "Go On Without Them?", {{"1", "2"}}},
        {"A,B\r\n3,4,5\r\n", true, "Go On Without Them?", {{"1", "2"}, {"3", "4"}}},
        {"A,B\r\n3\r\n5,6\r\n", true, "Short Lines?", {{"1", "2"}, {"3", ""}, {"5", "6"}}},
        {"A,B\r\n3\r\n5,6\r\n", false, "Short Lines?", {{"1", "2"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.title) + (c.goOn ? " yes" : " no"));
        load("A,B\r\n1,2\r\n");
        m_ask.asked.clear();
        auto d = opened<Form11>();
        d->Text1->setText(second(c.file));
        d->Option2->setChecked(true);
        m_ask.yesNo.push_back(c.goOn);
        clickControl(*d, QStringLiteral("PushButton1"));
        ASSERT_FALSE(m_ask.asked.empty());
        EXPECT_EQ(m_ask.asked.front().title, c.title);
        EXPECT_EQ(d->isVisible(), !c.goOn);
        EXPECT_EQ(rowsOf(m_store), c.after);
    }
    // A No to short lines keeps the reason the file could not be read.
    EXPECT_EQ(messages().back(), "Error loading CSV file.\nLine 2 has fewer values than there are fields.");
}

// By key: the other file's columns are offered once it is read, its key of
// the same name unticked; a repeated key is asked about, and the counts said.
TEST_F(CombineTest, MergeByKeyOffersTheOtherFilesColumnsAsksAboutRepeatsAndSaysTheCounts)
{
    for (const bool everyMatch : {false, true}) {
        load("sku,qty\r\na1,5\r\nb2,7\r\nzz,1\r\n");
        auto d = opened<Form12>();
        d->Text1->setText(second("sku,price\r\nb2,3.50\r\na1,1.25\r\nb2,3.60\r\n"));
        d->Option2->setChecked(true);
        d->ByKey->setChecked(true);
        ASSERT_EQ(d->SecondKey->currentText(), "sku");
        ASSERT_EQ(d->Columns->topLevelItemCount(), 2);
        EXPECT_EQ(d->Columns->topLevelItem(0)->checkState(0), Qt::Unchecked);
        m_ask.yesNo.push_back(everyMatch);
        clickControl(*d, QStringLiteral("PushButton1"));
        EXPECT_TRUE(!d->isVisible() && d->result() == QDialog::Accepted);
        EXPECT_EQ(m_ask.asked[0].text, "1 key(s) appear more than once in the other file, the first being \"b2\" (2 rows).\n\n"
                                       "Make one row for each match? No takes the first match only.");
        EXPECT_EQ(m_ask.asked.back().text, "Matched 2 rows. Rows of this file without a match: 1. Rows of the other file without a match: 0.");
        const Rows first = {{"a1", "5", "1.25"}, {"b2", "7", "3.50"}, {"zz", "1", ""}};
        const Rows every = {{"a1", "5", "1.25"}, {"b2", "7", "3.50"}, {"b2", "7", "3.60"}, {"zz", "1", ""}};
        EXPECT_EQ(rowsOf(m_store), everyMatch ? every : first);
        if (const QByteArray folder = qgetenv("TABVANE_SCREENSHOTS"); !folder.isEmpty()) {
            d->show();
            EXPECT_TRUE(d->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/merge-by-key.png")));
        }
        m_ask.asked.clear();
    }
}
