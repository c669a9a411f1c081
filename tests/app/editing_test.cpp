// The main window's row and column commands and the tool buttons.
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>

#include "app/GridViewPlace.h"
#include "tests/app/AppFixture.h"
#include "tests/store/StoreFixture.h"

namespace {

// Closes the next modal dialog with Cancel as soon as it is shown.
void cancelNextDialog()
{
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
}

} // namespace

class EditingTest : public AppTest {};

TEST_F(EditingTest, DeleteRowDeletesTheRecordTheSelectedRowShows)
{
    open("N\r\none\r\ntwo\r\nthree\r\nfour\r\n");
    Form1& w = window();
    listView()->clearSelection();
    click("PushButton3");
    EXPECT_FALSE(w.store().ChangesMade()) << "with no row selected nothing goes";
    listView()->selectRow(2);
    click("PushButton3");
    EXPECT_EQ(rowsOf(w.store()), (Rows{{"one"}, {"two"}, {"four"}}));
    // With no rows left, Rearrange asks for a file.
    for (int left = 3; left > 0; --left) {
        listView()->selectRow(0);
        click("PushButton3");
    }
    ASSERT_EQ(rows(), 0);
    click("PushButton22");
    EXPECT_EQ(messages(), (std::vector<std::string>{"Please load CSV file first."}));
}

TEST_F(EditingTest, InsertRowAsksForEachColumnAndKeepsTypedValues)
{
    open("Name,City\r\nAnn,Oslo\r\n");
    m_ask.inputs = {QStringLiteral("Bob"), QString()};
    click("PushButton5");
    EXPECT_EQ(rowsOf(window().store()), (Rows{{"Ann", "Oslo"}, {"Bob", ""}}));
    EXPECT_EQ(m_ask.asked[1].text, "Enter Name Value: ");
    EXPECT_EQ(m_ask.asked[2].text, "Enter City Value: ");
    EXPECT_EQ(m_ask.asked[2].title, "Input Value");

    // Without a header line the values go to their own fields all the same.
    restart();
    check12()->setChecked(false);
    open("a,b\r\n");
    ASSERT_EQ(headings(), (QStringList{"Column 1", "Column 2"}));
    m_ask.inputs = {QStringLiteral("x"), QStringLiteral("y")};
    click("PushButton5");
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(cell(1, 0), QStringLiteral("x"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("y"));
}

TEST_F(EditingTest, ToolButtonsRefillTheGridEvenAfterCancel)
{
    open("N\r\none\r\ntwo\r\n");
    Form1& w = window();
    const std::vector<void (Form1::*)()> buttons = {
        &Form1::PushButton13_Click, &Form1::PushButton14_Click, &Form1::PushButton16_Click,
        &Form1::PushButton15_Click, &Form1::PushButton18_Click, &Form1::PushButton17_Click,
        &Form1::PushButton23_Click, &Form1::PushButton22_Click, &Form1::PushButton24_Click,
        &Form1::PushButton25_Click};
    for (auto button : buttons) {
        w.grid().rebuild(&w.store(), false);
        cancelNextDialog();
        (w.*button)();
        EXPECT_EQ(headings(), QStringList{"N"}) << "the grid is filled again";
    }
    EXPECT_FALSE(w.store().ChangesMade());
    EXPECT_TRUE(messages().empty());
}

// The combine dialogs read the second file with the separator the user chose
// and the grid shows the result at once.
TEST_F(EditingTest, AppendAndMergeUseTheCurrentSeparator)
{
    window().setCurrentSeparator(QStringLiteral(";"));
    open("A;B\r\n1;2\r\n");
    const QString more = QString::fromStdString(m_dir.file("more.csv", "P;Q\r\n3;4\r\n"));
    const auto okWith = [&](const QString& path) {
        QTimer::singleShot(0, [path] {
            auto* dialog = QApplication::activeModalWidget();
            dialog->findChild<QLineEdit*>()->setText(path);
            for (auto* b : dialog->findChildren<QPushButton*>())
                if (b->text() == "OK")
                    b->click();
        });
    };
    okWith(more);
    click("PushButton24"); // up, by default
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(cell(0, 0), "3");
    okWith(more);
    click("PushButton25"); // left, by default
    EXPECT_EQ(headings(), (QStringList{"P", "Q", "A", "B"}));
    EXPECT_EQ(cell(0, 0), "3");
    EXPECT_EQ(cell(1, 3), "2");
    EXPECT_TRUE(messages().empty());
}

// Find and Replace reads the grid's selection by its ranges: a block of rows
// and columns, or none when the ranges do not make one.
TEST_F(EditingTest, TheSelectionIsOneBlockOfRowsAndColumnsOrNone)
{
    open("A,B,C\r\n1,2,3\r\n4,5,6\r\n7,8,9\r\n10,11,12\r\n");
    GridViewPlace place(*listView(), window().grid());
    using Range = std::array<int, 4>; // top, left, bottom, right
    const struct {
        std::vector<Range> ranges;
        std::optional<GridPlace::Block> block;
    } cases[] = {
        {{{1, 0, 2, 1}}, GridPlace::Block{{1, 2}, {0, 1}}},
        {{{0, 0, 0, 2}, {3, 0, 3, 2}, {2, 0, 3, 2}}, GridPlace::Block{{0, 2, 3}, {0, 1, 2}}},
        {{{0, 2, 3, 2}, {0, 0, 3, 0}}, GridPlace::Block{{0, 1, 2, 3}, {0, 2}}},
        {{{0, 0, 0, 0}, {1, 1, 1, 1}}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& c : cases) {
        QItemSelection selection;
        for (const Range& r : c.ranges)
            selection.select(window().grid().index(r[0], r[1]), window().grid().index(r[2], r[3]));
        listView()->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        const auto block = place.selectedBlock();
        ASSERT_EQ(block.has_value(), c.block.has_value());
        if (block) {
            EXPECT_EQ(block->rows, c.block->rows);
            EXPECT_EQ(block->columns, c.block->columns);
        }
    }
    place.moveTo(3, 1);
    EXPECT_EQ(std::pair(place.currentRow(), place.currentColumn()), std::pair(3, 1));
    EXPECT_EQ(listView()->selectionModel()->selectedIndexes().size(), 1);
    EXPECT_EQ(place.recordAt(3), 4);
}
