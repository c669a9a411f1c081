// Cluster Similar Values driven as a user would: cluster, tick, edit the new
// value, merge and cluster again, merge and close.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "tests/store/StoreFixture.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/UserInput.h"
#include "tools/ClusterDialog.h"

namespace {

// Clicks the new value of cluster `row` and types `text` over it.
void typeNewValue(QTreeWidget* list, int row, const QString& text)
{
    QTreeWidgetItem* item = list->topLevelItem(row);
    const QPoint at(list->header()->sectionViewportPosition(ClusterDialog::NewValueColumn) + 8,
                    list->visualItemRect(item).center().y());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    auto* editor = list->viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor) << "a click on the new value edits it";
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view takes the edit in a queued call
}

} // namespace

class ClusterDialogTest : public StoreTest {
protected:
    ScriptedPrompter m_ask;
};

TEST_F(ClusterDialogTest, MergesTheTickedValuesIntoTheNewValueAndClustersAgain)
{
    m_store.StandardQuoting(true);
    load("Id,Name\r\n1,Anna Müller\r\n2,anna muller\r\n3,\"Müller, Anna\"\r\n4,Anna Müller\r\n5,Bob\r\n6,bob.\r\n7,Bob\r\n8,Cy\r\n");
    ClusterDialog d(nullptr, m_store, 2);
    d.show();
    EXPECT_FALSE(d.cmdMergeClose->isEnabled()) << "nothing to merge before clustering";
    clickControl(d, "cmdCluster");
    QTreeWidget* list = d.lstClusters;
    ASSERT_EQ(list->topLevelItemCount(), 2);
    QTreeWidgetItem* anna = list->topLevelItem(0);
    ASSERT_EQ(anna->childCount(), 3);
    EXPECT_EQ(anna->child(0)->text(ClusterDialog::ValueColumn), "Anna Müller");
    EXPECT_EQ(anna->child(0)->text(ClusterDialog::RowsColumn), "2");
    EXPECT_EQ(anna->text(ClusterDialog::NewValueColumn), "Anna Müller") << "the most frequent";
    EXPECT_EQ(d.lblFound->text().toStdString(), "2 clusters among 6 distinct values.");
    if (const QByteArray folder = qgetenv("TABVANE_SCREENSHOTS"); !folder.isEmpty()) {
        list->expandAll();
        EXPECT_TRUE(d.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/cluster-dialog.png")));
    }

    anna->setCheckState(ClusterDialog::MergeColumn, Qt::Checked);
    anna->child(1)->setCheckState(ClusterDialog::ValueColumn, Qt::Unchecked); // "Müller, Anna" stays
    typeNewValue(list, 0, "Anna M.");
    EXPECT_EQ(anna->text(ClusterDialog::NewValueColumn).toStdString(), "Anna M.");
    clickControl(d, "cmdMergeRecluster");
    EXPECT_EQ(column(2), (std::vector<std::string>{"Anna M.", "Anna M.", "Müller, Anna", "Anna M.", "Bob", "bob.",
                                                   "Bob", "Cy"}));
    EXPECT_EQ(m_store.UndoName(), "Cluster and Edit");
    ASSERT_EQ(list->topLevelItemCount(), 1) << "clustered again: Anna's cluster is gone";
    EXPECT_EQ(d.lblFound->text().toStdString(), "3 values changed. 1 cluster among 5 distinct values.");

    clickControl(d, "cmdSelectAll");
    clickControl(d, "cmdMergeClose");
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(column(2)[5], "Bob");
    ASSERT_TRUE(m_store.Undo());
    EXPECT_EQ(column(2)[5], "bob.") << "each merge its own step";
}
