// The column profile beside the grid: it follows the current column, its
// facet list shows some rows only, and what is done under it reaches those
// rows alone.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QTreeWidget>

#include "app/ProfilePanel.h"
#include "app/StatusLine.h"
#include "tests/app/AppFixture.h"
#include "tests/store/StoreFixture.h"

class ProfilePanelTest : public AppTest {
protected:
    ProfilePanel* openPanel()
    {
        window().show(); // as a user sees it: the panel's layout is made
        choose("mnuColumnProfile");
        auto* panel = window().profilePanel();
        EXPECT_TRUE(panel && !panel->isHidden());
        return panel;
    }
    QTreeWidget* facets() { return control<QTreeWidget>("lstFacets"); }
    // Waits for the profile of `field` to show.
    bool profiled(ProfilePanel* panel, int field)
    {
        for (int i = 0; i < 500 && !(panel->profile() && panel->profile()->field == field); ++i)
            QTest::qWait(10);
        return panel->profile() && panel->profile()->field == field;
    }
};

TEST_F(ProfilePanelTest, FacetsShowSomeRowsAndEditingUnderThemReachesThoseRows)
{
    open("Name,City\r\nAl,Oslo\r\nBo,Rome\r\nCy,Oslo\r\nDi,Bern\r\nEd,Oslo\r\n");
    const int width = window().width();
    ProfilePanel* panel = openPanel();
    EXPECT_GT(window().width(), width) << "the window makes room for the panel";
    listView()->setCurrentIndex(window().grid().index(0, 1));
    ASSERT_TRUE(profiled(panel, 2));
    ASSERT_EQ(facets()->topLevelItemCount(), 3);
    EXPECT_EQ(facets()->topLevelItem(0)->text(0), "Oslo");
    EXPECT_EQ(facets()->topLevelItem(0)->text(1), "3");

    facets()->topLevelItem(0)->setSelected(true);
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(window().statusLine()->message(), "Showing 3 of 5 rows");
    if (const QByteArray folder = qgetenv("TABVANE_SCREENSHOTS"); !folder.isEmpty()) {
        EXPECT_TRUE(window().grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/profile-panel.png")));
    }
    // A paste of two lines goes to the second and third shown rows, Cy and Ed.
    QApplication::clipboard()->setText(QStringLiteral("X\nY\n"));
    listView()->setCurrentIndex(window().grid().index(1, 0));
    choose("Paste");
    // Delete on the first shown row's name, Al.
    listView()->setCurrentIndex(window().grid().index(0, 0));
    listView()->selectionModel()->select(window().grid().index(0, 0), QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(listView(), Qt::Key_Delete);
    clickControl(*panel, QStringLiteral("cmdShowAllRows"));
    EXPECT_EQ(rows(), 5);
    EXPECT_EQ(rowsOf(window().store()),
              (Rows{{"", "Oslo"}, {"Bo", "Rome"}, {"X", "Oslo"}, {"Di", "Bern"}, {"Y", "Oslo"}}))
        << "the hidden rows are untouched";
}

TEST_F(ProfilePanelTest, QuickFixesAreStepsUndoTakesBack)
{
    open("Name\r\n\" Al \"\r\nBo  Ro\r\nal\r\nAl\r\nAl\r\n"); // the quotes keep the spaces
    ProfilePanel* panel = openPanel();
    ASSERT_TRUE(profiled(panel, 1));
    const struct {
        const char* button;
        Rows after;
    } fixes[] = {
        {"cmdTrimSpaces", {{"Al"}, {"Bo  Ro"}, {"al"}, {"Al"}, {"Al"}}},
        {"cmdCollapseSpaces", {{" Al "}, {"Bo Ro"}, {"al"}, {"Al"}, {"Al"}}},
        {"cmdConsistentCase", {{" Al "}, {"Bo  Ro"}, {"Al"}, {"Al"}, {"Al"}}},
    };
    const Rows before = rowsOf(window().store());
    for (const auto& fix : fixes) {
        ASSERT_TRUE(profiled(panel, 1));
        clickControl(*panel, QString::fromLatin1(fix.button));
        EXPECT_EQ(rowsOf(window().store()), fix.after) << fix.button;
        choose("Undo");
        EXPECT_EQ(rowsOf(window().store()), before) << fix.button;
        panel->refresh();
    }
}

TEST_F(ProfilePanelTest, AQuickFixUnderAFacetReachesTheShownRowsAndTheStatusLineShowsAllAgain)
{
    open("Name,City\r\nal,Oslo\r\nal,Rome\r\nAl,Oslo\r\nal,Rome\r\nAl,Oslo\r\n");
    ProfilePanel* panel = openPanel();
    listView()->setCurrentIndex(window().grid().index(0, 1));
    ASSERT_TRUE(profiled(panel, 2));
    facets()->topLevelItem(0)->setSelected(true); // Oslo
    ASSERT_EQ(rows(), 3);
    listView()->setCurrentIndex(window().grid().index(0, 0));
    ASSERT_TRUE(profiled(panel, 1));
    clickControl(*panel, QStringLiteral("cmdConsistentCase"));
    EXPECT_EQ(rowsOf(window().store()), (Rows{{"Al", "Oslo"}, {"al", "Rome"}, {"Al", "Oslo"}, {"al", "Rome"}, {"Al", "Oslo"}}))
        << "among the shown rows Al is the most frequent; the hidden ones keep al";
    QAbstractButton* showAll = window().statusLine()->action();
    ASSERT_FALSE(showAll->isHidden());
    EXPECT_EQ(showAll->text(), "Show All Rows");
    showAll->click();
    EXPECT_EQ(rows(), 5);
    EXPECT_TRUE(showAll->isHidden());
    EXPECT_EQ(window().statusLine()->message(), "Showing all rows");
}
