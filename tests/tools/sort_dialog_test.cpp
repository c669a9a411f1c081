// The Sort dialog driven as a user would: keys added, set and moved, Enter
// and Escape, and a date column whose dates read either way.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "tests/store/StoreFixture.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/UserInput.h"
#include "tools/SortDialog.h"

using Names = std::vector<std::string>;

namespace {

QStringList keyTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class SortDialogTest : public StoreTest {
protected:
    ScriptedPrompter m_ask;
};

TEST_F(SortDialogTest, TwoKeysSortOnEnterInOneStepUndoTakesBack)
{
    load("City,Amount,Id\r\nRome,5,1\r\noslo,12,2\r\nrome,12,3\r\nOslo,1.5,4\r\nBern,,5\r\n");
    const Rows before = rowsOf(m_store);
    SortDialog d(nullptr, m_store);
    d.show();
    EXPECT_EQ(d.cboComparison->currentIndex(), static_cast<int>(keysort::Comparison::TextExact))
        << "a key starts as Sort By Column sorts";
    d.cboComparison->setCurrentIndex(static_cast<int>(keysort::Comparison::TextIgnoringCase));
    clickControl(d, "cmdAdd");
    EXPECT_EQ(d.cboColumn->currentText(), "Amount") << "a new key takes the first column no key has";
    d.cboComparison->setCurrentIndex(static_cast<int>(keysort::Comparison::Number));
    clickControl(d, "optDescending");
    EXPECT_EQ(keyTexts(d.lstKeys), (QStringList{QStringLiteral("Sort by City \u2014 ascending, text ignoring case"),
                                                QStringLiteral("then by Amount \u2014 descending, number")}));
    clickControl(d, "cmdMoveUp");
    EXPECT_EQ(d.keys()[0].field, 2);
    EXPECT_FALSE(d.cmdMoveUp->isEnabled());
    clickControl(d, "cmdMoveDown");
    EXPECT_EQ(d.keys()[0].field, 1);

    QTest::keyClick(d.lstKeys, Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(column(3), (Names{"5", "2", "4", "3", "1"}));
    EXPECT_EQ(d.sortedBy(), "City, Amount");
    EXPECT_EQ(m_store.UndoName(), "Sort");
    ASSERT_TRUE(m_store.Undo());
    EXPECT_EQ(rowsOf(m_store), before);

    SortDialog escaped(nullptr, m_store);
    escaped.show();
    QTest::keyClick(&escaped, Qt::Key_Escape);
    EXPECT_EQ(escaped.result(), QDialog::Rejected);
    EXPECT_EQ(rowsOf(m_store), before);

    CSVDBS nothing;
    SortDialog empty(nullptr, nothing);
    empty.show();
    EXPECT_FALSE(empty.cmdAdd->isEnabled());
    clickControl(empty, "cmdOK");
    EXPECT_EQ(m_ask.texts(), (Names{"Add a column to sort by."}));
    EXPECT_TRUE(empty.isVisible());
}

TEST_F(SortDialogTest, DatesThatReadEitherWayAreSaidAndTheChosenOrderSorts)
{
    load("Due,Paid\r\n03/04/2024,12/31/2023\r\n04/03/2024,01/30/2024\r\n01/02/2024,x\r\n");
    SortDialog d(nullptr, m_store);
    d.show();
    d.cboComparison->setCurrentIndex(static_cast<int>(keysort::Comparison::Date));
    EXPECT_EQ(d.lblDates->text().toStdString(),
              "The dates read either way (03/04/2024 is 3 April or 4 March): choose the date order.");

    clickControl(d, "cmdAdd");
    d.cboComparison->setCurrentIndex(static_cast<int>(keysort::Comparison::Date));
    EXPECT_EQ(d.cboDateOrder->currentIndex(), static_cast<int>(keysort::DateOrder::MonthDay)) << "as the column is written";
    EXPECT_EQ(d.lblDates->text().toStdString(), "The dates are written month first. 1 value is not a date.");

    d.lstKeys->setCurrentRow(0);
    d.cboDateOrder->setCurrentIndex(static_cast<int>(keysort::DateOrder::MonthDay));
    if (const QByteArray folder = qgetenv("TABVANE_SCREENSHOTS"); !folder.isEmpty()) {
        EXPECT_TRUE(d.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/sort-dialog.png")));
    }
    clickControl(d, "cmdOK");
    EXPECT_EQ(column(1), (Names{"01/02/2024", "03/04/2024", "04/03/2024"})) << "2 January, 4 March, 3 April";
}
