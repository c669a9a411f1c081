// The tool dialogs driven through their controls, as a user would.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include "tests/store/StoreFixture.h"
#include "tests/support/ScriptedPrompter.h"
#include "tools/Form10.h"
#include "tools/Form2.h"
#include "tools/Form3.h"
#include "tools/Form4.h"
#include "tools/Form5.h"
#include "tools/Form6.h"
#include "tools/Form7.h"
#include "tools/Form9.h"
#include "window/LongWork.h"
#include "tests/support/UserInput.h"

using Names = std::vector<std::string>;

namespace {

QStringList itemTexts(const QTreeWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(0);
    return texts;
}

int tickedCount(const QTreeWidget* list)
{
    int ticked = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        ticked += list->topLevelItem(i)->checkState(0) == Qt::Checked;
    return ticked;
}

void tick(QTreeWidget* list, std::initializer_list<int> items)
{
    for (int i : items)
        list->topLevelItem(i)->setCheckState(0, Qt::Checked);
}

} // namespace

class ToolDialogTest : public StoreTest {
protected:
    std::vector<std::string> messages() const { return m_ask.texts(); }
    // Shows the dialog as exec() would, without blocking the test.
    template <typename Tool>
    std::unique_ptr<Tool> opened()
    {
        auto dialog = std::make_unique<Tool>(nullptr, m_store);
        dialog->show();
        return dialog;
    }
    static bool closedWithOk(const QDialog& d) { return !d.isVisible() && d.result() == QDialog::Accepted; }

    ScriptedPrompter m_ask;
};

TEST_F(ToolDialogTest, ColumnListShowsEveryFieldUntickedAndSelectsAllOrNone)
{
    load("Name,NAME,,City\r\na,b,c,d\r\n");
    auto d = opened<Form2>();
    EXPECT_EQ(itemTexts(d->ListView1), (QStringList{"Name", "NAME", "", "City"}));
    EXPECT_EQ(tickedCount(d->ListView1), 0);
    d->selectAllButton->click();
    EXPECT_EQ(tickedCount(d->ListView1), 4);
    EXPECT_EQ(d->tickedFields(), (std::vector<int>{1, 2, 3, 4}));
    d->unselectAllButton->click();
    EXPECT_EQ(tickedCount(d->ListView1), 0);
}

TEST_F(ToolDialogTest, EmptyStoreListsNothingAndAsksForColumns)
{
    auto d = opened<Form4>();
    EXPECT_EQ(d->ListView1->topLevelItemCount(), 0);
    d->selectAllButton->click();
    clickControl(*d, QStringLiteral("PushButton2"));
    auto sort = opened<Form3>();
    EXPECT_EQ(sort->Combo1->count(), 0);
    clickControl(*sort, QStringLiteral("PushButton2"));
    EXPECT_EQ(messages(), (std::vector<std::string>{"You must select first columns.",
                                                    "You must select first column to sort."}));
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(sort->isVisible());
}

TEST_F(ToolDialogTest, CancelAndTheCloseBoxChangeNothing)
{
    load("A,B\r\nx y,z\r\nx y,z\r\n");
    const Rows before = rowsOf(m_store);
    {
        auto d = opened<Form6>();
        tick(d->ListView1, {0});
        clickControl(*d, QStringLiteral("PushButton4"));
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(d->result(), QDialog::Rejected);
    }
    {
        auto d = opened<Form2>();
        d->selectAllButton->click();
        d->close();
        EXPECT_FALSE(d->isVisible());
    }
    EXPECT_EQ(rowsOf(m_store), before);
    EXPECT_FALSE(m_store.ChangesMade());
    EXPECT_TRUE(messages().empty());
}

TEST_F(ToolDialogTest, SortDefaultsToTheFirstColumnAscending)
{
    load("N,NAME,Name\r\n2,b,z\r\n1,c,x\r\n3,a,y\r\n");
    auto d = opened<Form3>();
    EXPECT_EQ(d->Combo1->currentIndex(), 0);
    EXPECT_TRUE(d->Option1->isChecked());
    EXPECT_FALSE(d->Option2->isChecked());
    clickControl(*d, QStringLiteral("PushButton2"));
    EXPECT_TRUE(closedWithOk(*d));
    EXPECT_EQ(column(1), (Names{"1", "2", "3"}));

    // The third entry is sorted, not the first field matching its name.
    auto again = opened<Form3>();
    again->Combo1->setCurrentIndex(2);
    again->Option2->setChecked(true);
    clickControl(*again, QStringLiteral("PushButton2"));
    EXPECT_EQ(column(3), (Names{"z", "y", "x"}));
    EXPECT_EQ(column(1), (Names{"2", "3", "1"}));
}

TEST_F(ToolDialogTest, SplitTheWorkedExampleOnceAColumnIsTicked)
{
    load("Name,City\r\nx y,Oslo\r\np q r,Rome\r\n");
    auto d = opened<Form6>();
    EXPECT_TRUE(d->Option1->isChecked()) << "Space is the default divider";
    // OK with nothing ticked keeps the dialog open, its inputs as they were.
    d->Option3->setChecked(true);
    d->Text1->setText(QStringLiteral("y"));
    clickControl(*d, QStringLiteral("PushButton2"));
    EXPECT_EQ(messages(), (std::vector<std::string>{"You must select first columns."}));
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(d->Option3->isChecked());
    EXPECT_EQ(d->Text1->text(), QStringLiteral("y")) << "the inputs survive";
    EXPECT_FALSE(m_store.ChangesMade());
    d->Option1->setChecked(true);
    tick(d->ListView1, {0});
    clickControl(*d, QStringLiteral("PushButton2"));
    EXPECT_TRUE(closedWithOk(*d));
    EXPECT_EQ(m_store.GetFieldList(), (Names{"Name", "1COLUMN", "2COLUMN", "City"}));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"x", "y", "", "Oslo"}, {"p", "q", "r", "Rome"}}));
}

TEST_F(ToolDialogTest, PrefixSuffixAsksForTextBeforeColumns)
{
    load("A,B\r\nx,y\r\n");
    auto d = opened<Form5>();
    clickControl(*d, QStringLiteral("PushButton2"));
    d->Text2->setText(QStringLiteral("!"));
    clickControl(*d, QStringLiteral("PushButton2"));
    EXPECT_EQ(messages(), (std::vector<std::string>{"You forgot to add prefix/suffix.", "You must select first columns."}));
    EXPECT_TRUE(d->isVisible());
    tick(d->ListView1, {1});
    d->Text1->setText(QStringLiteral("#"));
    clickControl(*d, QStringLiteral("PushButton2"));
    EXPECT_TRUE(closedWithOk(*d));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"x", "#y!"}}));
}

TEST_F(ToolDialogTest, CaseOfEachOption)
{
    const std::string mixed = "mIxed wORD. next";
    load("A,B,C,D\r\n" + mixed + "," + mixed + "," + mixed + "," + mixed + "\r\n");
    for (int item = 0; item < 4; ++item) {
        auto d = opened<Form4>();
        EXPECT_TRUE(d->Option1->isChecked()) << "Proper Case is the default";
        QRadioButton* options[] = {d->Option1, d->Option2, d->Option3, d->Option4};
        options[item]->setChecked(true);
        tick(d->ListView1, {item});
        clickControl(*d, QStringLiteral("PushButton2"));
        EXPECT_TRUE(closedWithOk(*d));
    }
    EXPECT_EQ(rowsOf(m_store), (Rows{{"Mixed Word. Next", "MIXED WORD. NEXT", "mixed word. next", "MIxed wORD. Next"}}));
}

TEST_F(ToolDialogTest, JoinTheWorkedExampleAndNumberTheNewColumn)
{
    load("X,Y,Z\r\na,b,c\r\n");
    auto d = opened<Form7>();
    EXPECT_TRUE(d->Option1->isChecked());
    EXPECT_TRUE(d->Option4->isChecked());
    EXPECT_EQ(d->Text2->text(), QStringLiteral("Joined Column"));
    d->selectAllButton->click();
    clickControl(*d, QStringLiteral("PushButton2"));
    EXPECT_TRUE(closedWithOk(*d));

    auto other = opened<Form7>();
    tick(other->ListView1, {0, 1, 2});
    other->Option3->setChecked(true);
    other->Text1->setText(QStringLiteral("-"));
    clickControl(*other, QStringLiteral("PushButton2"));

    auto inFirst = opened<Form7>();
    tick(inFirst->ListView1, {0, 1, 2});
    inFirst->Option2->setChecked(true);
    inFirst->Option5->setChecked(true);
    clickControl(*inFirst, QStringLiteral("PushButton2"));

    EXPECT_EQ(m_store.GetFieldList(), (Names{"X", "JOINED COLUMN", "1JOINED COLUMN"}));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"abc", "a b c", "a-b-c"}}));
}

TEST_F(ToolDialogTest, RearrangeMovesWithinTheEnds)
{
    load("A,B,C\r\n1,2,3\r\n");
    auto d = opened<Form9>();
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Rearrange Column Order "));
    clickControl(*d, QStringLiteral("PushButton5")); // A is first: nothing moves
    EXPECT_EQ(itemTexts(d->ListView1), (QStringList{"A", "B", "C"}));
    d->ListView1->setCurrentItem(d->ListView1->topLevelItem(2));
    clickControl(*d, QStringLiteral("PushButton6")); // C is last: nothing moves
    clickControl(*d, QStringLiteral("PushButton5"));
    clickControl(*d, QStringLiteral("PushButton5"));
    clickControl(*d, QStringLiteral("PushButton5"));
    EXPECT_EQ(itemTexts(d->ListView1), (QStringList{"C", "A", "B"}));
    d->ListView1->setCurrentItem(d->ListView1->topLevelItem(1));
    clickControl(*d, QStringLiteral("PushButton6"));
    EXPECT_EQ(itemTexts(d->ListView1), (QStringList{"C", "B", "A"}));
    clickControl(*d, QStringLiteral("PushButton2"));
    EXPECT_TRUE(closedWithOk(*d));
    EXPECT_EQ(m_store.GetFieldList(), (Names{"C", "B", "A"}));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"3", "2", "1"}}));
}

TEST_F(ToolDialogTest, FindAndReplaceMatchesWholeTrimmedValuesInAnyCaseOrSaysItFoundNone)
{
    load("A,B\r\nplace,Oslo City\r\nOSLO,x\r\n");
    m_store.PutValue(1, 1, " oslo ");
    auto d = opened<Form10>();
    d->Text1->setText(QStringLiteral("Oslo "));
    d->Text2->setText(QStringLiteral(" Bergen"));
    clickControl(*d, QStringLiteral("PushButton2"));
    EXPECT_TRUE(closedWithOk(*d));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(rowsOf(m_store), (Rows{{" Bergen", "Oslo City"}, {" Bergen", "x"}}));

    // Without a match it says so and closes.
    auto again = opened<Form10>();
    again->Text1->setText(QStringLiteral("Os"));
    clickControl(*again, QStringLiteral("PushButton2"));
    EXPECT_EQ(messages(), (std::vector<std::string>{"Search found no match."}));
    EXPECT_FALSE(again->isVisible());
    EXPECT_EQ(rowsOf(m_store), (Rows{{" Bergen", "Oslo City"}, {" Bergen", "x"}}));
}

namespace {

// A grid of every record in order, where the test puts the cursor and the
// selection.
class PlaceForTest final : public GridPlace {
public:
    explicit PlaceForTest(const CSVDBS& store) : m_store(store) {}
    int shownRows() const override { return m_store.RecordsHeld(); }
    int columnCount() const override { return m_store.FieldCount(); }
    CSVDBS::RecordNo recordAt(int row) const override { return row + 1; }
    QString heading(int column) const override { return QString::fromStdString(m_store.GetFieldList()[column]); }
    int currentRow() const override { return row; }
    int currentColumn() const override { return column; }
    std::optional<Block> selectedBlock() const override { return block; }
    void moveTo(int r, int c) override { row = r, column = c; }

    int row = 0, column = 0;
    std::optional<Block> block;

private:
    const CSVDBS& m_store;
};

} // namespace

TEST_F(ToolDialogTest, FindAndReplaceByPatternOrContainsInAScopeCountsFindsAndRefusesBadPatterns)
{
    load("Street,Phone\r\nMain St.,(555) 123-4567\r\nst. Olav,(555) 765-4321\r\nx,call (555) 111-2222\r\n");
    const Rows loaded = rowsOf(m_store);
    PlaceForTest place(m_store);
    place.column = 1; // the Phone column is current
    place.block = GridPlace::Block{{1, 2}, {0}};
    Form10 d(nullptr, m_store, &place);
    d.show();
    ASSERT_EQ(d.LookIn->count(), 3);
    EXPECT_EQ(d.LookIn->itemText(1), "This column (Phone)");

    // A pattern with groups, in this column: Count first, then Find Next from
    // the current cell, then Replace All, then Undo.
    d.Pattern->setChecked(true);
    d.LookIn->setCurrentIndex(1);
    d.Text1->setText(QStringLiteral("^\\((\\d{3})\\) (\\d{3})-(\\d{4})$"));
    d.Text2->setText(QStringLiteral("\\1-\\2-\\3"));
    clickControl(d, QStringLiteral("Count"));
    EXPECT_EQ(d.Result->text(), "2 values would change.");
    clickControl(d, QStringLiteral("FindNext"));
    EXPECT_EQ(std::pair(place.row, place.column), std::pair(1, 1));
    clickControl(d, QStringLiteral("FindNext"));
    EXPECT_EQ(std::pair(place.row, place.column), std::pair(0, 1)); // round past the last row
    EXPECT_EQ(rowsOf(m_store), loaded);
    clickControl(d, QStringLiteral("PushButton2"));
    EXPECT_TRUE(closedWithOk(d));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"Main St.", "555-123-4567"}, {"st. Olav", "555-765-4321"}, {"x", "call (555) 111-2222"}}));
    EXPECT_EQ(m_store.UndoName(), "Find and Replace");
    m_store.Undo();
    EXPECT_EQ(rowsOf(m_store), loaded);

    // Text anywhere in any case, in the selected cells only; a bad pattern or
    // group is shown under its field and changes nothing.
    struct Case {
        QRadioButton* mode;
        const char *find, *replace, *error;
        Rows after; // none: nothing changes
    };
    const std::vector<Case> cases = {
        {d.Contains, "st.", "Street", "",
         {{"Main St.", "(555) 123-4567"}, {"Street Olav", "(555) 765-4321"}, {"x", "call (555) 111-2222"}}},
        {d.Pattern, "(st", "", "missing ): (st", {}},
        {d.Pattern, "(st)", "\\2", "Rewrite schema requests 2 matches, but the regexp only has 1 parenthesized subexpressions.", {}},
    };
    for (const Case& c : cases) {
        const Rows before = rowsOf(m_store);
        Form10 again(nullptr, m_store, &place);
        again.show();
        (c.mode == d.Contains ? again.Contains : again.Pattern)->setChecked(true);
        again.LookIn->setCurrentIndex(2);
        again.Text1->setText(QString::fromUtf8(c.find));
        again.Text2->setText(QString::fromUtf8(c.replace));
        clickControl(again, QStringLiteral("PushButton2"));
        const QString shown = again.FindError->text() + again.ReplaceError->text();
        EXPECT_EQ(shown, QString::fromUtf8(c.error)) << c.find;
        EXPECT_EQ(again.isVisible(), *c.error != 0) << c.find;
        EXPECT_EQ(rowsOf(m_store), c.after.empty() ? before : c.after) << c.find;
        if (const QByteArray folder = qgetenv("TABVANE_SCREENSHOTS"); !folder.isEmpty() && *c.error) {
            EXPECT_TRUE(again.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/find-and-replace.png")));
        }
    }
    EXPECT_TRUE(messages().empty());
}

namespace {

// Presses Cancel in the progress window as soon as work shows one; a timer,
// since the click comes from the event loop the work pumps.
class CancelPresser {
public:
    CancelPresser()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QProgressDialog* window = LongWork::progressWindow()) {
                window->findChild<QPushButton*>()->click();
                m_timer.stop();
            }
        });
        m_timer.start(0);
    }

private:
    QTimer m_timer;
};

} // namespace

TEST_F(ToolDialogTest, CancelInTheProgressWindowLeavesTheTableAndTheDialogAsTheyWere)
{
    std::string text = "A,B\r\n";
    for (int r = 0; r < 20000; ++r)
        text += "oslo " + std::to_string(r) + ",x y\r\n";
    load(text);
    const Rows loaded = rowsOf(m_store);
    const int interval = ProgressTicker::intervalMs().exchange(0);
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QDialog>()>>> tools = {
        {"case", [&] { auto d = opened<Form4>(); d->Option2->setChecked(true); tick(d->ListView1, {0, 1}); return d; }},
        {"split", [&] { auto d = opened<Form6>(); tick(d->ListView1, {0}); return d; }},
        {"replace", [&] { auto d = opened<Form10>(); d->Text1->setText("x y"); d->Text2->setText("z"); return d; }},
        {"sort", [&] { auto d = opened<Form3>(); d->Combo1->setCurrentIndex(0); return d; }},
    };
    for (const auto& [name, open] : tools) {
        const std::unique_ptr<QDialog> d = open();
        const QSize size = d->size();
        {
            const CancelPresser pressing;
            clickControl(*d, QStringLiteral("PushButton2"));
        }
        EXPECT_TRUE(LongWork::cancelled()) << name;
        EXPECT_TRUE(d->isVisible()) << name << ": the dialog stays, for another go";
        EXPECT_EQ(rowsOf(m_store), loaded) << name;
        EXPECT_FALSE(m_store.CanUndo()) << name << ": no step was left behind";
        EXPECT_EQ(LongWork::progressWindow(), nullptr) << name;
        EXPECT_EQ(d->size(), size) << name << ": the progress line widened it only while the work ran";
    }
    ProgressTicker::intervalMs() = interval;
    EXPECT_TRUE(messages().empty());
}
