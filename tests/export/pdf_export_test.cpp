// The PDF export against a scripted printing system, and the real seam's
// handling of the print program.
#include <filesystem>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "export/Form8.h"
#include "export/PdfExport.h"
#include "tests/export/FakeGrid.h"
#include "tests/support/ScriptedPrinters.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "window/Procedure.h"
#include "tests/support/UserInput.h"

namespace fs = std::filesystem;

namespace {

const std::string Instructions =
    "Varnhold PDF Writer is not installed. Please follow these instructions:\r\n\r\n"
    "1) Go to Control Panel -> Printers and Faxes to add a local printer.\r\n"
    "2) Choose ''CPW2: (Varnhold PDF Writer)'' on Select a Printer Port dialog box, click Next.\r\n"
    "3) Choose a Postscript printer (e.g. HP Color LaserJet PS), click Next.\r\n"
    "4) Enter Varnhold PDF Writer as Printer name, click Next -> Finish.\r\n\r\n"
    "On Linux: sudo tabvane-add-pdf-printer adds it (with the packages cups and printer-driver-cups-pdf installed).";

class PdfExportTest : public ::testing::Test {
protected:
    PdfExportTest() { qputenv("TEMP", QByteArray::fromStdString(m_temp.path())); }
    ~PdfExportTest() override { qunsetenv("TEMP"); }

    // Runs the export; the print program notes the file it was given.
    void exportGrid(const char* procedure = "mnuPDF_Click")
    {
        Procedure p("Form1", procedure);
        printGridToPdf(p, m_grid);
    }
    bool tempIsEmpty() const { return fs::is_empty(m_temp.path()); }

    FakeGrid m_grid{{"Name", "City"}, {{"Łukasz", "Wrocław"}}};
    ScriptedPrompter m_ask;
    ScriptedPrinters m_printers;
    TempDir m_temp;
};

} // namespace

TEST_F(PdfExportTest, PrintsAPrivateTempFileOnThePdfPrinterThenCleansUp)
{
    std::vector<QString> files;
    m_printers.onRun = [&](const QString& commandLine) {
        const auto found = QRegularExpression(QStringLiteral("^(.*) /p \"(.*)\"$")).match(commandLine);
        EXPECT_TRUE(found.hasMatch()) << commandLine.toStdString();
        EXPECT_EQ(found.captured(1), GetWordpadPath());
        const QString file = found.captured(2);
        files.push_back(file);
        EXPECT_EQ(readFile(file.toStdString()), "Name\tCity\t\r\nŁukasz\tWrocław\t\r\n\r\n");
        EXPECT_EQ(fs::status(file.toStdString()).permissions(), fs::perms::owner_read | fs::perms::owner_write)
            << "nobody else can read the grid";
        EXPECT_EQ(m_printers.current.name, "Varnhold PDF Writer");
        return 0;
    };
    exportGrid();
    exportGrid();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_NE(files[0], files[1]) << "every export has its own file";
    EXPECT_EQ(QFileInfo(files[0]).absolutePath(), QString::fromStdString(m_temp.path()));
    EXPECT_TRUE(GetWordpadPath().endsWith(QStringLiteral("/tabvane-print")));
    const std::vector<std::string> once = {"read default", "make default Varnhold PDF Writer",
                                           "run " + GetWordpadPath().toStdString() + " /p \"" +
                                               files[0].toStdString() + "\"",
                                           "make default Office Laser"};
    EXPECT_EQ(std::vector<std::string>(m_printers.calls.begin(), m_printers.calls.begin() + 4), once);
    EXPECT_EQ(m_printers.current.name, "Office Laser");
    EXPECT_EQ(m_printers.lastLimit, std::chrono::seconds(60));
    EXPECT_TRUE(tempIsEmpty()) << "the file goes once the print program has ended";
    EXPECT_TRUE(m_ask.asked.empty());

    // Without TEMP the file goes to the system's temporary folder, not to /.
    qunsetenv("TEMP");
    m_printers.onRun = [&](const QString& commandLine) {
        EXPECT_TRUE(commandLine.contains(QStringLiteral(" /p \"") + QDir::tempPath() + QStringLiteral("/tabvane-")));
        return 0;
    };
    exportGrid();
}

TEST_F(PdfExportTest, WithoutThePdfPrinterNothingIsPrintedAndStartUpSaysHow)
{
    m_printers.names = {"Office Laser", "varnhold pdf writer"};
    exportGrid();
    EXPECT_EQ(m_printers.calls, (std::vector<std::string>{"read default", "make default Varnhold PDF Writer",
                                                          "make default Office Laser"}));
    EXPECT_TRUE(tempIsEmpty());
    EXPECT_TRUE(m_ask.asked.empty()) << "the export itself says nothing";

    CheckPdfWriterInstalled();
    ASSERT_EQ(m_ask.asked.size(), 1u);
    EXPECT_EQ(m_ask.asked[0].text, Instructions);
    EXPECT_EQ(m_ask.asked[0].title, "Tabvane");
    EXPECT_EQ(m_ask.asked[0].icon, Prompter::Icon::None);
    m_printers.names.push_back("Varnhold PDF Writer");
    CheckPdfWriterInstalled();
    EXPECT_EQ(m_ask.asked.size(), 1u);
}

TEST_F(PdfExportTest, AnUnreadOrMissingDefaultIsClearedNotSetToNothing)
{
    m_printers.current = {false, {}, 1025, "Forbidden"};
    exportGrid();
    ASSERT_EQ(m_ask.asked.size(), 1u);
    EXPECT_EQ(m_ask.asked[0].text, "Error No: 1025\r\nForbidden\r\n"
                                   "Has occured in modPrinters.GetDefaultPrinter\r\nPlease contact Technical Support");
    EXPECT_EQ(m_printers.calls.back(), "clear default");
    EXPECT_EQ(m_printers.calls.size(), 4u) << "the file was printed all the same";

    m_printers.calls.clear();
    m_printers.current = {true, {}, 0, {}};
    exportGrid();
    EXPECT_EQ(m_printers.calls.back(), "clear default");
    EXPECT_TRUE(m_printers.current.name.empty());
}

TEST_F(PdfExportTest, FailuresAreReportedAndStillCleanUp)
{
    // A print program that cannot start, from the Filter window's button.
    m_printers.onRun = [](const QString&) -> int { throw std::runtime_error("Cannot start it"); };
    Form8 filter(nullptr, m_grid, {100, 100});
    clickControl(filter, QStringLiteral("PushButton19"));
    ASSERT_EQ(m_ask.asked.size(), 1u);
    EXPECT_EQ(m_ask.asked[0].text.rfind("Cannot start it\r\nin Tabvane2021/08/31.Form8.PushButton19_Click", 0), 0u);
    EXPECT_EQ(m_printers.current.name, "Office Laser");
    EXPECT_TRUE(tempIsEmpty());

    // A temp folder that cannot be written: nothing is printed, nothing switched.
    m_printers.calls.clear();
    qputenv("TEMP", QByteArray::fromStdString(m_temp.path() + "/missing"));
    exportGrid();
    ASSERT_EQ(m_ask.asked.size(), 2u);
    EXPECT_NE(m_ask.asked[1].text.find("Form1.mnuPDF_Click at line 100"), std::string::npos);
    EXPECT_TRUE(m_printers.calls.empty());
}

TEST(PrintProgramRun, EndsWaitsAndStops)
{
    Printers& system = printers();
    EXPECT_EQ(system.runToEnd(QStringLiteral("/bin/sh -c \"exit 3\""), std::chrono::seconds(10)), 3);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(system.runToEnd(QStringLiteral("/bin/sleep 20"), std::chrono::milliseconds(300)), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "a hung program is stopped";
    EXPECT_THROW(system.runToEnd(QStringLiteral(" /p \"/tmp/x.txt\""), std::chrono::seconds(1)), std::runtime_error);
}
