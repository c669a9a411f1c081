// Editing as in a desktop editor: cells edited in place, copy and paste,
// undo and redo from the menu, sorting by a heading, the title and the
// status line.
#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "app/StatusLine.h"
#include "store/StepScope.h"
#include "tests/app/AppFixture.h"
#include "tests/store/StoreFixture.h"
#include "tools/SortDialog.h"
#include "window/LongWork.h"

namespace {

const char* People = "Name,City\r\nAnn,Oslo\r\nBob,Bergen\r\nAnn,Oslo\r\nCid,Alta\r\n";

// Types `text` into the cell editor of (row, column) and ends with `key`.
void editCell(Form1& w, int row, int column, const QString& text, Qt::Key key)
{
    const QModelIndex index = w.grid().index(row, column);
    auto* view = findControl<QTableView>(w, QStringLiteral("ListView1"));
    ASSERT_NE(view, nullptr);
    view->setCurrentIndex(index);
    view->edit(index);
    auto* editor = view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    if (text.isEmpty())
        QTest::keyClick(editor, Qt::Key_Delete);
    else
        QTest::keyClicks(editor, text);
    QTest::keyClick(editor, key);
    // The view stores the text and closes the editor on its next turn.
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QAction* entry(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions()) {
        if (a->menu())
            if (QAction* inner = entry(a->menu(), text))
                return inner;
        if (a->text().remove(QLatin1Char('&')).startsWith(text))
            return a;
    }
    return nullptr;
}

} // namespace

class DeskEditing : public AppTest {
protected:
    QMenu* menu(const QString& title)
    {
        for (QAction* a : window().menuBar()->actions())
            if (a->text().remove(QLatin1Char('&')) == title)
                return a->menu();
        return nullptr;
    }
};

TEST_F(DeskEditing, CellsAreEditedInPlaceAndEachEditIsOneStep)
{
    open(People);
    Form1& w = window();
    w.show();
    editCell(w, 0, 1, QStringLiteral("Tromsø"), Qt::Key_Return);
    EXPECT_EQ(w.store().ValueAt(1, 2), "Tromsø");
    EXPECT_TRUE(w.store().ChangesMade());
    EXPECT_TRUE(w.isWindowModified());
    editCell(w, 1, 0, QString(), Qt::Key_Return);
    EXPECT_EQ(w.store().ValueAt(2, 1), "") << "an empty text is stored too";
    editCell(w, 2, 0, QStringLiteral("Zed"), Qt::Key_Escape);
    EXPECT_EQ(w.store().ValueAt(3, 1), "Ann") << "Escape cancels";
    editCell(w, 1, 0, QStringLiteral("Bo"), Qt::Key_Tab);
    EXPECT_EQ(w.store().ValueAt(2, 1), "Bo") << "leaving the cell stores it";

    EXPECT_EQ(w.undoAction()->text(), QStringLiteral("&Undo Edit Cell"));
    choose("Undo");
    EXPECT_EQ(w.store().ValueAt(2, 1), "");
    choose("Undo");
    choose("Undo");
    EXPECT_EQ(w.store().ValueAt(1, 2), "Oslo");
    EXPECT_FALSE(w.store().ChangesMade()) << "back to the file as loaded";
    EXPECT_FALSE(w.isWindowModified());
    EXPECT_FALSE(w.undoAction()->isEnabled());
    EXPECT_EQ(w.redoAction()->text(), QStringLiteral("&Redo Edit Cell"));
    choose("Redo");
    EXPECT_EQ(w.store().ValueAt(1, 2), "Tromsø");
    EXPECT_TRUE(w.isWindowModified());
}

TEST_F(DeskEditing, CopyGivesTabSeparatedCellsAndPasteIsOneStep)
{
    open(People);
    Form1& w = window();
    w.show();
    QItemSelection cells(w.grid().index(0, 0), w.grid().index(1, 1));
    listView()->selectionModel()->select(cells, QItemSelectionModel::ClearAndSelect);
    choose("Copy");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Ann\tOslo\nBob\tBergen\n"));

    QApplication::clipboard()->setText(QStringLiteral("x\ty\r\nz\t\r\nover\tthe\tedge\r\n"));
    listView()->setCurrentIndex(w.grid().index(2, 0));
    choose("Paste");
    EXPECT_EQ(rowsOf(w.store()), (Rows{{"Ann", "Oslo"}, {"Bob", "Bergen"}, {"x", "y"}, {"z", ""}}));
    EXPECT_NE(w.statusLine()->message().indexOf(QStringLiteral("left out")), -1) << "the user is told what did not fit";
    EXPECT_EQ(w.undoAction()->text(), QStringLiteral("&Undo Paste"));
    choose("Undo");
    EXPECT_EQ(rowsOf(w.store()), (Rows{{"Ann", "Oslo"}, {"Bob", "Bergen"}, {"Ann", "Oslo"}, {"Cid", "Alta"}}));
}

TEST_F(DeskEditing, EveryCommandIsUndoneAndRedoneFromTheMenu)
{
    open(People);
    Form1& w = window();
    const Rows loaded = rowsOf(w.store());
    // Entries of the menus run the buttons' handlers.
    entry(menu(QStringLiteral("Tools")), QStringLiteral("Remove Entire Row Duplicates"))->trigger();
    EXPECT_EQ(w.store().RecordCount(), 3);
    EXPECT_EQ(w.statusLine()->message(), QStringLiteral("Removed 1 duplicate row"));
    m_ask.inputs = {QStringLiteral("Zip")};
    entry(menu(QStringLiteral("Edit")), QStringLiteral("Insert Column"))->trigger();
    m_ask.inputs = {QStringLiteral("Dan"), QStringLiteral("Bodø"), QString()};
    click("PushButton5");
    EXPECT_EQ(w.statusLine()->message(), QStringLiteral("Insert Row: 1 row added, 2 values changed"));
    w.store().FindAndReplace("oslo", "OSLO");
    w.loadCSVToListview();
    EXPECT_EQ(w.statusLine()->message(), QStringLiteral("Replaced 1 value"));
    m_ask.inputs = {QStringLiteral("name")};
    click("PushButton1");
    const Rows end = rowsOf(w.store());

    std::vector<std::string> names;
    while (w.undoAction()->isEnabled()) {
        names.push_back(w.store().UndoName());
        w.undoAction()->trigger();
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Delete Column", "Find and Replace", "Insert Row", "Insert Column",
                                               "Remove Entire Row Duplicates"}));
    EXPECT_EQ(rowsOf(w.store()), loaded);
    EXPECT_EQ(w.grid().rowCount(), 4);
    EXPECT_FALSE(w.store().ChangesMade());
    while (w.redoAction()->isEnabled())
        w.redoAction()->trigger();
    EXPECT_EQ(rowsOf(w.store()), end);
    EXPECT_EQ(w.statusLine()->message(), QStringLiteral("Redid Delete Column"));
}

TEST_F(DeskEditing, ClickingAHeadingSortsUpThenDownAsOneStepEach)
{
    open(People);
    Form1& w = window();
    w.ListView1_HeaderClick(1);
    EXPECT_EQ(w.grid().cellText(0, 1), QStringLiteral("Alta"));
    EXPECT_EQ(w.statusLine()->message(), QStringLiteral("Sorted 4 rows by City"));
    w.ListView1_HeaderClick(1);
    EXPECT_EQ(w.grid().cellText(0, 1), QStringLiteral("Oslo"));
    EXPECT_EQ(listView()->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(w.store().UndoName(), "Sort By Column");
    choose("Undo");
    choose("Undo");
    EXPECT_EQ(w.grid().cellText(0, 1), QStringLiteral("Oslo"));
    EXPECT_EQ(w.grid().cellText(1, 1), QStringLiteral("Bergen"));

    // Tools > Sort... starts from the current column; a second key breaks its ties.
    listView()->setCurrentIndex(w.grid().index(0, 1));
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<SortDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(d);
        d->cmdAdd->click();
        d->optDescending->click();
        d->cmdOK->click();
    });
    choose("mnuSort");
    EXPECT_EQ(rowsOf(w.store()), (Rows{{"Cid", "Alta"}, {"Bob", "Bergen"}, {"Ann", "Oslo"}, {"Ann", "Oslo"}}));
    EXPECT_EQ(w.statusLine()->message(), QStringLiteral("Sorted 4 rows by City, Name"));
}

TEST_F(DeskEditing, TitleAndStatusLineFollowTheFile)
{
    Form1& w = window();
    EXPECT_TRUE(w.statusLine()->facts().startsWith(QStringLiteral("No file")));
    open(People);
    EXPECT_EQ(w.statusLine()->facts(),
              QStringLiteral("4 rows \u00b7 2 columns \u00b7 Separator: comma \u00b7 No quotes \u00b7 UTF-8 \u00b7 CRLF"));
    EXPECT_EQ(w.statusLine()->message(), QStringLiteral("Opened in.csv"));
    w.store().PutValue(1, 1, "x");
    w.grid().cellsChanged(0, 0, 0, 0);
    EXPECT_EQ(groupedCount(1000000), QStringLiteral("1,000,000"));

    // The line ends and the reading rule of the file as it was read.
    m_ask.yesNo = {true}; // discard the changes above
    storeSetting(SettingKey::StandardQuoting, QStringLiteral("1"));
    open("Name,City\nAnn,Oslo\n", "lf.csv");
    EXPECT_TRUE(w.statusLine()->facts().endsWith(QStringLiteral("Standard CSV \u00b7 UTF-8 \u00b7 LF")))
        << w.statusLine()->facts().toStdString();
}

TEST_F(DeskEditing, LongWorkOfAToolDialogShowsInTheStatusLine)
{
    Form1& w = window();
    open(People);
    // A tool dialog runs its work through the same runner, with its own line.
    QDialog tool(&w);
    QLabel line(&tool);
    bool shownEarly = true, shownLate = false;
    const bool finished = LongWork::run(&tool, &line, &w.store(), [&] {
        w.store().progressCallback()(1, 4);
        shownEarly = w.statusLine()->progressShown();
        QThread::msleep(600);
        w.store().progressCallback()(2, 4);
        shownLate = w.statusLine()->progressShown();
        if (const QByteArray folder = qgetenv("TABVANE_SCREENSHOTS"); !folder.isEmpty()) {
            w.show();
            QApplication::processEvents();
            EXPECT_TRUE(w.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/dialog-work.png")));
            ASSERT_NE(LongWork::progressWindow(), nullptr);
            EXPECT_TRUE(LongWork::progressWindow()->grab().save(QString::fromLocal8Bit(folder) +
                                                                QStringLiteral("/progress-window.png")));
        }
    });
    EXPECT_TRUE(finished);
    EXPECT_FALSE(shownEarly) << "no bar for work shorter than half a second";
    EXPECT_TRUE(shownLate) << "the main window's bar shows the dialog's work";
    EXPECT_FALSE(w.statusLine()->progressShown()) << "and goes when the work ends";

    // Cancel in the progress window stops the work at its next report.
    bool reachedAfterCancel = false;
    const bool stopped = !LongWork::run(&tool, &line, &w.store(), [&] {
        ASSERT_NE(LongWork::progressWindow(), nullptr);
        LongWork::progressWindow()->findChild<QPushButton*>()->click();
        w.store().progressCallback()(1, 4);
        reachedAfterCancel = true;
    });
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(reachedAfterCancel);
    EXPECT_EQ(w.statusLine()->message(), QStringLiteral("Cancelled; the data is as it was."));
}

TEST_F(DeskEditing, MenusHoldEveryCommandWithItsShortcut)
{
    Form1& w = window();
    QMenu* file = w.fileMenu();
    const QList<QAction*> fileEntries = file->actions();
    ASSERT_GE(fileEntries.size(), 3);
    EXPECT_EQ(fileEntries[0]->text(), QStringLiteral("&Open\u2026"));
    ASSERT_NE(fileEntries[1]->menu(), nullptr) << "Open Recent right after Open";
    EXPECT_EQ(fileEntries[1]->menu()->title(), QStringLiteral("Open &Recent"));
    EXPECT_EQ(fileEntries[2], w.openRecentAnchor());
    // Open asks as "Load CSV File" does.
    m_ask.fileNames = {""};
    fileEntries[0]->trigger();
    ASSERT_FALSE(m_ask.asked.empty());
    EXPECT_EQ(m_ask.asked.back().title, "Add File(s) - Hold Ctrl to select multiple files");
    const std::vector<std::tuple<const char*, const char*, const char*>> shortcuts = {
        {"File", "Save As", "Ctrl+Shift+S"}, {"File", "Quit", "Ctrl+Q"},
        {"Edit", "Find and Replace", "Ctrl+F"}, {"Edit", "Filter", "Ctrl+Shift+F"}};
    for (const auto& [where, name, keys] : shortcuts)
        EXPECT_EQ(entry(menu(where), name)->shortcut(), QKeySequence(QString::fromLatin1(keys))) << name;
    for (const char* e : {"TXT", "XLS", "PDF", "XML", "DOC", "HTML"})
        EXPECT_NE(entry(file, QString::fromLatin1(e)), nullptr) << e;
    EXPECT_EQ(w.redoAction()->shortcuts(),
              (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))}));
    const QList<QAction*> tools = menu(QStringLiteral("Tools"))->actions();
    EXPECT_EQ(tools.size(), 15) << "eight column tools, the typed sort, clustering, append, merge, save options, two separators";
    const auto byColumn = std::find(tools.begin(), tools.end(), entry(menu(QStringLiteral("Tools")), QStringLiteral("Sort By Column")));
    ASSERT_NE(byColumn, tools.end());
    ASSERT_NE(byColumn + 1, tools.end());
    EXPECT_EQ((*(byColumn + 1))->text(), QStringLiteral("&Sort\u2026")) << "Sort... right after Sort By Column...";
    entry(menu(QStringLiteral("Help")), QStringLiteral("About"))->trigger();
    EXPECT_EQ(m_ask.asked.back().text, "Tabvane Software\r\nVersion 1.0");
}

// With TABVANE_SCREENSHOTS naming a folder, leaves a picture of the window
// there: the menu bar, the grid after a sort and an edit, the status line.
TEST_F(DeskEditing, PictureOfTheWindowWhenAsked)
{
    const QByteArray folder = qgetenv("TABVANE_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set TABVANE_SCREENSHOTS to a folder to get the picture";
    std::string text = "Id,Name,City\r\n";
    for (int i = 1; i <= 40; ++i)
        text += std::to_string(i * 997) + ",Person " + std::to_string(i) + ",City " + std::to_string(i % 7) + "\r\n";
    open(text, "people.csv");
    Form1& w = window();
    w.show();
    w.ListView1_HeaderClick(2);
    editCell(w, 1, 1, QStringLiteral("Edited in place"), Qt::Key_Return);
    listView()->setCurrentIndex(w.grid().index(3, 0));
    listView()->selectionModel()->select(QItemSelection(w.grid().index(3, 0), w.grid().index(4, 1)),
                                          QItemSelectionModel::ClearAndSelect);
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/main-window.png")));
    for (QMenu* m : {w.editMenu(), w.fileMenu()}) {
        m->popup(w.mapToGlobal(QPoint(20, 20)));
        QApplication::processEvents();
        EXPECT_TRUE(m->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + m->title().remove(QLatin1Char('&')).toLower() +
                                   QStringLiteral("-menu.png")));
        m->hide();
    }
}

TEST(FileFactsLine, NamesTheReadingRuleTheEncodingAndTheLineEnds)
{
    FileFacts facts;
    facts.loaded = true;
    facts.rows = 2;
    facts.columns = 3;
    facts.separator = QStringLiteral(",");
    const QString dot = QStringLiteral(" \u00b7 ");
    const QString start = QStringLiteral("2 rows \u00b7 3 columns \u00b7 Separator: comma \u00b7 No quotes");
    EXPECT_EQ(formatFileFacts(facts), start + dot + QStringLiteral("UTF-8") + dot + QStringLiteral("CRLF"));
    facts.byteOrderMark = true;
    EXPECT_EQ(formatFileFacts(facts), start + dot + QStringLiteral("UTF-8 with BOM") + dot + QStringLiteral("CRLF"));
    facts.byteOrderMark = false;
    facts.standardQuoting = true;
    facts.encoding = FileEncoding::Windows1252;
    facts.lineFeedEnds = true;
    EXPECT_EQ(formatFileFacts(facts), start + dot + QStringLiteral("Standard CSV") + dot +
                                          QStringLiteral("Western (Windows-1252)") + dot + QStringLiteral("LF"));
    facts.encoding = FileEncoding::Utf16LE;
    EXPECT_NE(formatFileFacts(facts).indexOf(QStringLiteral("UTF-16 (little-endian)")), -1);
}
