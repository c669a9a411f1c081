// The Filter window driven through its controls.
#include <filesystem>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include "export/FilterResults.h"
#include "export/Form8.h"
#include "tests/export/FakeGrid.h"
#include "tests/export/FilterSearch.h"
#include "tests/support/OfficeFile.h"
#include "tests/support/RecordingHandOff.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "window/CommandScope.h"
#include "tests/support/UserInput.h"

class FilterWindowTest : public ::testing::Test {
protected:
    FakeGrid m_grid{{"Name", "City"}, {{"Anna", "Berlin"}, {"Bob", "Rome"}, {"Cleo", "Annecy"}}};
    Form8 m_window{nullptr, m_grid, {111, 77}};
    ScriptedPrompter m_ask;
    TempDir m_dir;
};

TEST_F(FilterWindowTest, SearchesAfterAPauseCountsAndShowsNothingForABlankSearch)
{
    EXPECT_EQ(m_window.ListView2->model()->columnCount(), 0);
    ASSERT_TRUE(searchFor(m_window, QStringLiteral("an")));
    EXPECT_EQ(m_window.results().shownRows(), 2);
    EXPECT_EQ(m_window.ListView2->model()->rowCount(), 2);
    EXPECT_EQ(m_window.lblMatches->text(), "2 matches");
    EXPECT_EQ(m_window.ListView2->columnWidth(0), 111) << "the main grid's widths";
    EXPECT_EQ(m_window.ListView2->columnWidth(1), 77);
    if (const QByteArray folder = qgetenv("TABVANE_SCREENSHOTS"); !folder.isEmpty())
        m_window.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/filter_window.png"));
    ASSERT_TRUE(searchFor(m_window, QStringLiteral("ROME")));
    EXPECT_EQ(m_window.lblMatches->text(), "1 match");
    ASSERT_TRUE(searchFor(m_window, QStringLiteral("zz")));
    EXPECT_EQ(m_window.ListView2->model()->columnCount(), 2) << "headings, no rows";
    EXPECT_EQ(m_window.lblMatches->text(), "0 matches");
    for (const char* blank : {"   ", ""}) {
        ASSERT_TRUE(searchFor(m_window, QStringLiteral("an")));
        m_window.Text1->setText(QString::fromLatin1(blank));
        EXPECT_FALSE(m_window.searching());
        EXPECT_EQ(m_window.ListView2->model()->columnCount(), 0) << "as at the start: '" << blank << "'";
        EXPECT_EQ(m_window.results().shownRows(), 0);
        EXPECT_TRUE(m_window.lblMatches->text().isEmpty());
    }
    // Only the last text's search is shown, however the keys came.
    QSignalSpy done(&m_window, &Form8::searchFinished);
    m_window.Text1->setText(QStringLiteral("b"));
    QTest::qWait(Form8::SearchPause + 50);
    m_window.Text1->setText(QStringLiteral("bo"));
    m_window.Text1->setText(QStringLiteral("ber"));
    EXPECT_TRUE(m_window.searching());
    ASSERT_TRUE(done.wait(5000));
    QTest::qWait(Form8::SearchPause + 50);
    EXPECT_EQ(m_window.results().shownRows(), 1);
    EXPECT_EQ(m_window.results().cellBytes(0, 1), "Berlin");
    EXPECT_EQ(done.last().at(0).toInt(), 1);
}

TEST_F(FilterWindowTest, SavesTheResultsWritesNothingWhenCancelledAndReportsAFailure)
{
    ASSERT_TRUE(searchFor(m_window, QStringLiteral("ann")));
    const std::string csv = m_dir.path() + "/found.csv";
    m_ask.fileNames = {QString::fromStdString(csv), QString()};
    clickControl(m_window, QStringLiteral("PushButton7"));
    EXPECT_EQ(readFile(csv), "Name,City\r\nAnna,Berlin\r\nCleo,Annecy\r\n\r\n");
    EXPECT_EQ(m_ask.asked[0].title, "Save");
    EXPECT_EQ(m_ask.asked[0].extra, "CSV Files (*.csv)|*.csv");
    clickControl(m_window, QStringLiteral("PushButton21")); // cancelled
    EXPECT_EQ(m_ask.asked[1].extra, "XML Files (*.xml)|*.xml");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()), {}), 1);
    EXPECT_EQ(m_ask.asked.size(), 2u) << "no message after a save or a cancel";

    // A failed save shows the error report.
    ASSERT_TRUE(searchFor(m_window, QStringLiteral("x")));
    m_ask.fileNames = {QString::fromStdString(m_dir.path() + "/missing/out.xml")};
    clickControl(m_window, QStringLiteral("PushButton21"));
    ASSERT_EQ(m_ask.asked.size(), 4u);
    EXPECT_EQ(m_ask.asked[3].kind, "message");
    EXPECT_NE(m_ask.asked[3].text.find("Form8.PushButton21_Click"), std::string::npos) << m_ask.asked[3].text;
    EXPECT_FALSE(isBusy(&m_window)) << "the busy pointer is gone";
}

// "Save As Excel" tests for the program before it counts the results.
TEST_F(FilterWindowTest, SaveAsExcelTestsFirstThenOpensTheResults)
{
    RecordingHandOff desktop;
    desktop.installed = false;
    clickControl(m_window, QStringLiteral("PushButton1"));
    ASSERT_EQ(m_ask.asked.size(), 2u) << "both messages, though there are no results";
    EXPECT_EQ(m_ask.asked[1].text, "Excel is not installed on this computer. You need to have it installed to use this feature.\n\n"
                                    "Here that means a spreadsheet program that opens .xlsx files, such as LibreOffice Calc "
                                    "(sudo apt install libreoffice-calc).");
    desktop.installed = true;
    clickControl(m_window, QStringLiteral("PushButton1"));
    EXPECT_TRUE(desktop.opened.empty()) << "no results, no workbook";
    ASSERT_TRUE(searchFor(m_window, QStringLiteral("ann")));
    clickControl(m_window, QStringLiteral("PushButton1"));
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(readSheet(desktop.opened[0]).cells.at("A3"), "Cleo");
    EXPECT_EQ(m_ask.asked.size(), 2u);
    EXPECT_FALSE(isBusy(&m_window));
}
