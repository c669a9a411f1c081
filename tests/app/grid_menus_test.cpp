// The keys of the main window and its dialogs, and the grid's context menus:
// each command one step that undo takes back and whose data, run again on
// the file as loaded, gives the same table.
#include <functional>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <QTextBrowser>

#include "store/Replay.h"
#include "window/ManualWindow.h"
#include "tests/app/AppFixture.h"

namespace {

const std::string Sample = "A,B,C\r\n1,2,3\r\n4,5,6\r\n7,8,9\r\n";

class GridMenus : public AppTest {
protected:
    // The store's table, a row a line, values between bars.
    static QString table(const CSVDBS& store)
    {
        QStringList lines;
        QStringList names;
        for (const std::string& n : store.GetFieldList())
            names << QString::fromStdString(n);
        lines << names.join('|');
        for (CSVDBS::RecordNo r = 1; r <= store.RecordCount(); ++r) {
            QStringList values;
            for (int f = 1; f <= store.FieldCount(); ++f)
                values << QString::fromStdString(std::string(store.ValueAt(r, f)));
            lines << values.join('|');
        }
        return lines.join(';');
    }
    void select(int top, int left, int bottom, int right)
    {
        const GridModel& g = window().grid();
        listView()->selectionModel()->select(QItemSelection(g.index(top, left), g.index(bottom, right)),
                                             QItemSelectionModel::Select);
        listView()->selectionModel()->setCurrentIndex(g.index(top, left), QItemSelectionModel::NoUpdate);
    }
    static QAction* command(QMenu* menu, const char* name)
    {
        for (QAction* a : menu->actions())
            if (a->objectName() == QLatin1String(name))
                return a;
        return nullptr;
    }
};

} // namespace

TEST_F(GridMenus, EachCommandIsOneStepThatReplaysAndUndoes)
{
    const QString original = "A|B|C;1|2|3;4|5|6;7|8|9";
    struct Case {
        const char* command;
        int column; // the heading clicked; -1 for the cells' menu
        std::function<void()> before;
        QStringList inputs;
        QString expected; // the original when the command is refused
    } cases[] = {
        {"ctxInsertRowAbove", -1, [this] { select(1, 0, 1, 0); }, {}, "A|B|C;1|2|3;||;4|5|6;7|8|9"},
        {"ctxInsertRowBelow", -1, [this] { select(0, 1, 1, 1); }, {}, "A|B|C;1|2|3;4|5|6;||;7|8|9"},
        {"ctxInsertRowBelow", -1, [this] { select(2, 0, 2, 0); }, {}, "A|B|C;1|2|3;4|5|6;7|8|9;||"},
        {"ctxDeleteRows", -1, [this] { select(0, 1, 0, 1); select(2, 2, 2, 2); }, {}, "A|B|C;4|5|6"},
        {"ctxClear", -1, [this] { select(1, 1, 2, 1); }, {}, "A|B|C;1|2|3;4||6;7||9"},
        // Under a filter, the rows are the records they show.
        {"ctxInsertRowAbove", -1, [this] {
             window().grid().setRowFilter(1, {"4", "7"});
             window().grid().rebuild(&window().store(), true);
             select(1, 0, 1, 0);
         }, {}, "A|B|C;1|2|3;4|5|6;||;7|8|9"},
        {"ctxDeleteRows", -1, [this] {
             window().grid().setRowFilter(1, {"1", "7"});
             window().grid().rebuild(&window().store(), true);
             select(1, 0, 1, 0);
         }, {}, "A|B|C;1|2|3;4|5|6"},
        {"ctxInsertColumnLeft", 1, {}, {" New "}, "A|New|B|C;1||2|3;4||5|6;7||8|9"},
        {"ctxInsertColumnRight", 2, {}, {"z"}, "A|B|C|z;1|2|3|;4|5|6|;7|8|9|"},
        {"ctxInsertColumnLeft", 0, {}, {" b"}, original},  // the store's B by its name rule
        {"ctxInsertColumnLeft", 0, {}, {""}, original},    // cancelled
        {"ctxRenameColumn", 0, {}, {"aa"}, "aa|B|C;1|2|3;4|5|6;7|8|9"},
        {"ctxRenameColumn", 0, {}, {"a"}, "a|B|C;1|2|3;4|5|6;7|8|9"}, // its own name in another case
        {"ctxRenameColumn", 0, {}, {"c"}, original},
        {"ctxDeleteColumns", 0, [this] { listView()->selectColumn(2); }, {}, "B|C;2|3;5|6;8|9"},
        {"ctxDeleteColumns", 2, [this] {
             listView()->selectColumn(0);
             listView()->selectionModel()->select(window().grid().index(0, 2),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Columns);
         }, {}, "B;2;5;8"},
        {"ctxSortDescending", 0, {}, {}, "A|B|C;7|8|9;4|5|6;1|2|3"},
    };
    for (const Case& c : cases) {
        const std::string where = std::string(c.command) + " -> " + c.expected.toStdString();
        restart();
        open(Sample);
        if (c.before)
            c.before();
        m_ask.inputs.assign(c.inputs.begin(), c.inputs.end());
        const std::size_t told = messages().size();
        QMenu* menu = c.column < 0 ? window().gridMenu() : window().columnMenu(c.column);
        ASSERT_NE(menu, nullptr) << where;
        QAction* action = command(menu, c.command);
        ASSERT_NE(action, nullptr) << where;
        action->trigger();
        CSVDBS& store = window().store();
        EXPECT_EQ(table(store), c.expected) << where;
        EXPECT_EQ(headings().size(), store.FieldCount()) << where << ": the grid refilled";
        const bool refusedName = c.inputs.size() == 1 && c.expected == original && !c.inputs[0].isEmpty();
        EXPECT_EQ(messages().size() - told, refusedName ? 1u : 0u) << where;
        if (c.expected == original) {
            EXPECT_FALSE(store.CanUndo()) << where;
            continue;
        }
        ASSERT_TRUE(store.CanUndo()) << where;
        CSVDBS again;
        again.FileName(path());
        ASSERT_TRUE(again.LoadFile());
        ASSERT_NO_THROW(replay::run(again, store.StepHistory().lastDone()->operation())) << where;
        EXPECT_EQ(table(again), c.expected) << where << ": the step's data replayed";
        window().Undo_Click();
        EXPECT_EQ(table(store), original) << where << ": undone in one step";
        EXPECT_FALSE(store.CanUndo()) << where;
    }
    command(window().columnMenu(0), "ctxSortDescending")->trigger();
    command(window().columnMenu(0), "ctxSortAscending")->trigger();
    EXPECT_EQ(table(window().store()), original) << "A to Z after Z to A";
}

TEST_F(GridMenus, KeysMoveAsOnEveryDesktop)
{
    open(Sample);
    Form1& w = window();
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTableView* grid = listView();
    grid->setFocus();
    grid->setCurrentIndex(w.grid().index(0, 0));
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->currentIndex(), w.grid().index(1, 1)) << "arrow keys move between cells";
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), grid) << "Tab goes on to the next control";
    EXPECT_EQ(grid->currentIndex(), w.grid().index(1, 1));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_NE(QApplication::focusWidget(), grid) << "and Shift+Tab back";

    // Find and Replace by both its keys, the filter window by its own.
    const auto entryFor = [&](const QKeySequence& keys) -> QString {
        for (QAction* a : w.actions())
            if (a->shortcuts().contains(keys))
                return a->objectName();
        return {};
    };
    EXPECT_EQ(entryFor(QKeySequence::Find), "mnuFindAndReplace");
    EXPECT_EQ(entryFor(QKeySequence::Replace), "mnuFindAndReplace");
    EXPECT_EQ(entryFor(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)), "mnuFilter");

    // F1 opens the manual made from the README's sections for users, once.
    EXPECT_EQ(entryFor(QKeySequence::HelpContents), "mnuManual");
    for (int times = 0; times < 2; ++times)
        QTest::keyClick(&w, Qt::Key_F1);
    const QList<ManualWindow*> manuals = w.findChildren<ManualWindow*>();
    ASSERT_EQ(manuals.size(), 1);
    const QString text = manuals[0]->browser()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Comparing two files"))) << text.left(200).toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Benchmarks"))) << "the builders' sections stay out";
    if (const QByteArray folder = qgetenv("TABVANE_SCREENSHOTS"); !folder.isEmpty()) {
        EXPECT_TRUE(manuals[0]->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/manual.png")));
    }
    manuals[0]->close();
}

TEST_F(GridMenus, EveryMenuEntryHasItsOwnMnemonic)
{
    open(Sample);
    Form1& w = window();
    std::vector<QMenu*> menus = {w.gridMenu(), w.columnMenu(0)};
    for (QAction* top : w.menuBar()->actions())
        menus.push_back(top->menu());
    for (std::size_t i = 0; i < menus.size(); ++i) {
        QMenu* menu = menus[i];
        ASSERT_NE(menu, nullptr);
        emit menu->aboutToShow(); // Open Recent fills itself
        QList<QChar> keys;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator())
                continue;
            if (a->menu())
                menus.push_back(a->menu());
            const QString text = a->text();
            qsizetype at = -1;
            for (qsizetype j = 0; j + 1 < text.size(); ++j) {
                if (text[j] == '&' && text[j + 1] == '&')
                    ++j;
                else if (text[j] == '&') {
                    at = j + 1;
                    break;
                }
            }
            ASSERT_GE(at, 0) << menu->title().toStdString() << ": " << text.toStdString() << " has no mnemonic";
            const QChar key = text[at].toUpper();
            EXPECT_FALSE(keys.contains(key)) << menu->title().toStdString() << ": " << text.toStdString() << " repeats " << QString(key).toStdString();
            keys << key;
        }
    }
}
