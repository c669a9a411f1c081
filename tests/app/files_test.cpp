#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "store/save/SaveSystemCalls.h"
#include "tests/app/AppFixture.h"
#include "tests/support/CaseName.h"
#include "window/CommandScope.h"

namespace fs = std::filesystem;

namespace {
class Files : public AppTest {};
const std::string People = "Name,Age\r\nBob,42\r\nAnn,7\r\n";
} // namespace

TEST_F(Files, LoadWithAndWithoutTheHeaderBoxCancelledAndFailed)
{
    open(People);
    ASSERT_EQ(m_ask.asked.size(), 1u);
    EXPECT_EQ(m_ask.asked[0].kind, "open");
    EXPECT_EQ(m_ask.asked[0].title, "Add File(s) - Hold Ctrl to select multiple files");
    EXPECT_EQ(m_ask.asked[0].extra, "CSV Files (*.csv)|*.csv|Text files (*.csv *.tsv *.txt)|*.csv;*.tsv;*.txt|All files (*)|*");
    EXPECT_EQ(text1()->text().toStdString(), path());
    EXPECT_EQ(headings(), (QStringList{"Name", "Age"}));
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(cell(1, 0), "Ann");

    // Clearing the box reloads the file with its first line as data.
    click("Check12");
    EXPECT_EQ(headings(), (QStringList{"Column 1", "Column 2"}));
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(cell(0, 0), "Name");
    click("Check12");
    EXPECT_EQ(rows(), 2);

    // With nothing (or nothing that exists) in the file box only the tick changes.
    text1()->setText("  ");
    click("Check12");
    text1()->setText(QString::fromStdString(path("gone.csv")));
    click("Check12");
    EXPECT_EQ(rows(), 2);
    EXPECT_TRUE(messages().empty());

    // A cancelled or failed load keeps everything.
    Form1& w = window();
    text1()->setText(qpath());
    const QString shown = text1()->text();
    m_ask.fileNames.push_back("");
    click("PushButton2");
    EXPECT_EQ(text1()->text(), shown);

    open("Only,Header\r\n", "bad.csv");
    EXPECT_EQ(messages(), (std::vector<std::string>{"Error loading CSV file.\nThe file holds no data line."}));
    EXPECT_EQ(m_ask.asked.back().title, "Tabvane");
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(text1()->text(), shown);
    // The store still belongs to the first file: saving it cannot overwrite the one that failed.
    EXPECT_EQ(w.store().FileName(), path());
    click("PushButton6");
    EXPECT_EQ(readFile(path("bad.csv")), "Only,Header\r\n");
    EXPECT_EQ(readFile(path()), People);
}

TEST_F(Files, UnsavedChangesAreNotDiscardedWithoutAsking)
{
    open(People);
    Form1& w = window();
    w.store().PutValue(1, 2, "43");
    const auto question = [&] {
        const auto& a = m_ask.asked.back();
        EXPECT_EQ(a.kind, "yesNo");
        EXPECT_EQ(a.title, "Changes Not Saved");
        EXPECT_EQ(a.text, "Changes has not been saved.\r\n Do you wish to continue and discard them?");
    };
    m_ask.yesNo = {false};
    open("Other\r\nx\r\n", "other.csv");
    question();
    EXPECT_EQ(headings(), (QStringList{"Name", "Age"}));
    EXPECT_EQ(w.store().ValueAt(1, 2), "43");

    m_ask.yesNo = {false};
    click("Check12");
    question();
    EXPECT_TRUE(check12()->isChecked()) << "No puts the tick back";
    EXPECT_EQ(rows(), 2);

    m_ask.yesNo = {false};
    click("PushButton7");
    question();
    EXPECT_EQ(w.store().ValueAt(1, 2), "43");

    m_ask.yesNo = {true};
    open("Other\r\nx\r\n", "other.csv");
    question();
    EXPECT_EQ(headings(), (QStringList{"Other"}));
}

struct SeparatorSave {
    const char* label;
    int index;
    bool quotes;
    std::string expected;
};

class SaveWithEachSeparator : public Files, public ::testing::WithParamInterface<SeparatorSave> {};

TEST_P(SaveWithEachSeparator, AndQuotes)
{
    const SeparatorSave& c = GetParam();
    open(People);
    storeSetting(SettingKey::SaveQuotes, c.quotes ? "1" : "0");
    window().setCurrentSeparator(SaveSettings::separatorFor(c.index, "::"));
    window().store().PutValue(1, 1, "Bob");
    click("PushButton6");
    EXPECT_EQ(messages().back(), "Done.");
    EXPECT_EQ(readFile(path()), c.expected);
    EXPECT_FALSE(window().store().ChangesMade());
    // Read back with the same separator (the box off and on again): the same grid.
    click("Check12");
    click("Check12");
    EXPECT_EQ(headings(), (QStringList{"Name", "Age"}));
    EXPECT_EQ(cell(0, 1), "42");
}

INSTANTIATE_TEST_SUITE_P(
    Files, SaveWithEachSeparator,
    ::testing::Values(SeparatorSave{"comma", 0, false, "Name,Age\r\nBob,42\r\nAnn,7\r\n"},
                      SeparatorSave{"semicolon", 1, false, "Name;Age\r\nBob;42\r\nAnn;7\r\n"},
                      SeparatorSave{"tab, quoted", 2, true, "\"Name\"\t\"Age\"\r\n\"Bob\"\t\"42\"\r\n\"Ann\"\t\"7\"\r\n"},
                      SeparatorSave{"pipe", 3, false, "Name|Age\r\nBob|42\r\nAnn|7\r\n"},
                      SeparatorSave{"other", 4, false, "Name::Age\r\nBob::42\r\nAnn::7\r\n"}),
    ByLabel());

TEST_F(Files, DeleteBackspaceAndCutChangeTheStoreAsOneStepEach)
{
    Form1& w = window();
    w.loadCSVToListview();
    EXPECT_TRUE(messages().empty()) << "an empty store shows an empty grid, not a report";
    EXPECT_EQ(w.grid().columnCount(), 0);

    open("K,V\r\na,1\r\nb,2\r\nc,3\r\nd,4\r\n");
    w.show();
    const auto values = [&] {
        std::string out;
        for (int r = 1; r <= w.store().RecordCount(); ++r)
            out += std::string(w.store().ValueAt(r, 1)) + std::string(w.store().ValueAt(r, 2)) + ' ';
        return out;
    };
    const auto select = [&](int top, int left, int bottom, int right) {
        listView()->setCurrentIndex(w.grid().index(top, left));
        listView()->selectionModel()->select(QItemSelection(w.grid().index(top, left), w.grid().index(bottom, right)),
                                              QItemSelectionModel::ClearAndSelect);
    };
    // Whole rows go from the store; Save writes the file without them.
    listView()->selectRow(1);
    listView()->selectionModel()->select(w.grid().index(3, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(listView(), Qt::Key_Delete);
    EXPECT_EQ(values(), "a1 c3 ");
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(w.store().UndoName(), "Delete Rows");
    click("PushButton6");
    EXPECT_EQ(readFile(path()), "K,V\r\na,1\r\nc,3\r\n");
    choose("Undo");
    EXPECT_EQ(values(), "a1 b2 c3 d4 ") << "one undo brings both back, in place";

    // Cells are emptied, as one step.
    select(0, 1, 2, 1);
    QTest::keyClick(listView(), Qt::Key_Delete);
    EXPECT_EQ(values(), "a b c d4 ");
    EXPECT_EQ(w.store().UndoName(), "Clear Cells");
    choose("Undo");
    // Cut copies, then empties.
    select(2, 0, 3, 1);
    for (QAction* a : w.editMenu()->actions())
        if (a->shortcut() == QKeySequence(QKeySequence::Cut))
            a->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "c\t3\nd\t4\n");
    EXPECT_EQ(values(), "a1 b2   ");
    EXPECT_EQ(w.store().UndoName(), "Cut");
    choose("Undo");
    // Backspace opens the cell's editor empty; Enter keeps it empty, Escape
    // leaves the value.
    for (const auto& [key, expected] : {std::pair{Qt::Key_Escape, "a1 b2 c3 d4 "}, std::pair{Qt::Key_Return, "a b2 c3 d4 "}}) {
        select(0, 1, 0, 1);
        QTest::keyClick(listView(), Qt::Key_Backspace);
        auto* editor = listView()->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text(), "");
        QTest::keyClick(editor, key);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(values(), expected);
    }

    // Nothing while busy, nor with nothing selected.
    listView()->clearSelection();
    QTest::keyClick(listView(), Qt::Key_Delete);
    listView()->selectRow(0);
    {
        const CommandScope running(&w);
        QTest::keyClick(listView(), Qt::Key_Delete);
    }
    EXPECT_EQ(values(), "a b2 c3 d4 ");
}

TEST_F(Files, SaveAsksBeforeOverwritingWhatAnotherProgramChanged)
{
    struct Case {
        const char* label;
        bool deleted;
        bool answer;
    };
    for (const Case& c : {Case{"changed, No", false, false}, Case{"changed, Yes", false, true},
                          Case{"deleted, No", true, false}, Case{"deleted, Yes", true, true}}) {
        SCOPED_TRACE(c.label);
        m_window.reset();
        open(People);
        Form1& w = window();
        w.store().PutValue(1, 2, "43");
        const std::string theirs = "Name,Age\r\nBob,99\r\nAnn,7\r\nEve,5\r\n";
        if (c.deleted)
            fs::remove(path());
        else
            std::ofstream(path(), std::ios::binary) << theirs;
        window().setCurrentSeparator(";");
        m_ask.yesNo.push_back(c.answer);
        click("PushButton6");

        const auto& question = m_ask.asked.back().kind == "yesNo" ? m_ask.asked.back() : m_ask.asked.end()[-2];
        EXPECT_EQ(question.kind, "yesNo");
        EXPECT_EQ(question.title, c.deleted ? "File Deleted" : "File Changed");
        EXPECT_NE(question.text.find(c.deleted ? "deleted" : "changed by another program"), std::string::npos);
        EXPECT_NE(question.text.find(path()), std::string::npos);
        if (c.answer) {
            EXPECT_EQ(messages().back(), "Done.");
            EXPECT_EQ(readFile(path()), "Name;Age\r\nBob;43\r\nAnn;7\r\n");
            EXPECT_FALSE(w.store().ChangesMade());
        } else {
            EXPECT_EQ(m_ask.asked.back().kind, "yesNo") << "nothing more is said";
            EXPECT_EQ(fs::exists(path()), !c.deleted);
            if (!c.deleted) {
                EXPECT_EQ(readFile(path()), theirs);
            }
            EXPECT_TRUE(w.store().ChangesMade());
            EXPECT_EQ(w.store().Seperator(), ",") << "the store is as it was";
        }
    }
    // Unchanged on disk: no question.
    const std::size_t asked = m_ask.asked.size();
    click("PushButton6");
    EXPECT_EQ(m_ask.asked.size(), asked + 1);
    EXPECT_EQ(messages().back(), "Done.");

    // Changed while the save writes (by another program or another save):
    // the save stops and asks, and Yes writes again.
    window().store().PutValue(1, 2, "44");
    bool changed = false;
    setSaveFaultHook([&](SaveStep step) {
        if (step == SaveStep::Fsync && !changed) {
            changed = true;
            std::ofstream(path(), std::ios::binary) << "Name,Age\r\nBob,98\r\n";
        }
        return 0;
    });
    m_ask.yesNo.push_back(true);
    click("PushButton6");
    setSaveFaultHook({});
    ASSERT_EQ(m_ask.asked.end()[-2].kind, "yesNo");
    EXPECT_EQ(m_ask.asked.end()[-2].title, "File Changed");
    EXPECT_EQ(messages().back(), "Done.");
    EXPECT_EQ(readFile(path()), "Name;Age\r\nBob;44\r\nAnn;7\r\n");

    // The file became a folder: Yes to overwrite what is there, and the save fails.
    window().store().PutValue(1, 2, "45");
    fs::remove(path());
    fs::create_directory(path());
    m_ask.yesNo.push_back(true);
    click("PushButton6");
    EXPECT_EQ(messages().back(), "Error saving CSV file.\nOnly a regular file can be replaced.");
    EXPECT_TRUE(window().store().ChangesMade()) << "the work is still unsaved";
    // With nothing loaded there is nothing to save.
    restart();
    click("PushButton6");
    EXPECT_EQ(messages(), (std::vector<std::string>{"Please load CSV file first."}));
}
