// The Filter window driven through its controls.
#include <filesystem>

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

#include "export/FilterResults.h"
#include "export/Form8.h"
#include "tests/export/FakeGrid.h"
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

TEST_F(FilterWindowTest, SearchesOnEveryChangeAndKeepsResultsForABlankSearch)
{
    EXPECT_EQ(m_window.ListView2->model()->columnCount(), 0);
    m_window.Text1->setText(QStringLiteral("an"));
    EXPECT_EQ(m_window.results().shownRows(), 2);
    EXPECT_EQ(m_window.ListView2->model()->rowCount(), 2);
    EXPECT_EQ(m_window.ListView2->columnWidth(0), 111) << "the main grid's widths";
    EXPECT_EQ(m_window.ListView2->columnWidth(1), 77);
    m_window.Text1->setText(QStringLiteral("ROME"));
    EXPECT_EQ(m_window.results().shownRows(), 1);
    m_window.Text1->setText(QStringLiteral("   "));
    EXPECT_EQ(m_window.results().shownRows(), 1) << "spaces only keep the last results";
    m_window.Text1->clear();
    EXPECT_EQ(m_window.results().cellBytes(0, 0), "Bob");
}

TEST_F(FilterWindowTest, SavesTheResultsWritesNothingWhenCancelledAndReportsAFailure)
{
    m_window.Text1->setText(QStringLiteral("ann"));
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
    m_window.Text1->setText(QStringLiteral("x"));
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
    m_window.Text1->setText(QStringLiteral("ann"));
    clickControl(m_window, QStringLiteral("PushButton1"));
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(readSheet(desktop.opened[0]).cells.at("A3"), "Cleo");
    EXPECT_EQ(m_ask.asked.size(), 2u);
    EXPECT_FALSE(isBusy(&m_window));
}
