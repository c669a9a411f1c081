// The PDF export on the real printing system; run by pdf_export_e2e.sh,
// which sets up the PDF printer with its output in TABVANE_PDF_OUT.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <QLineEdit>

#include <gtest/gtest.h>

#include "app/Form1.h"
#include "app/GridModel.h"
#include "export/Form8.h"
#include "tests/export/FilterSearch.h"
#include "platform/Printers.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "tests/support/UserInput.h"

namespace fs = std::filesystem;

namespace {

// The text of the PDF that appears in `folder` besides those in `seen`.
std::string nextPdfText(const fs::path& folder, std::vector<fs::path>& seen)
{
    // The print program ends when the job is done, so the file is there.
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".pdf" || std::find(seen.begin(), seen.end(), entry.path()) != seen.end())
            continue;
        seen.push_back(entry.path());
        const std::string command = "pdftotext -layout '" + entry.path().string() + "' - 2>/dev/null";
        std::string text;
        if (FILE* out = ::popen(command.c_str(), "r")) {
            char buffer[4096];
            for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
                text.append(buffer, n);
            ::pclose(out);
        }
        return text;
    }
    return {};
}

// The test's own folders sit in TEMP too.
int textFiles(const fs::path& folder)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        count += entry.path().extension() == ".txt";
    return count;
}

} // namespace

TEST(PdfPrinter, MainGridAndFilterResultsBecomePdfs)
{
    const QString out = qEnvironmentVariable("TABVANE_PDF_OUT");
    if (out.isEmpty())
        GTEST_SKIP() << "run by pdf_export_e2e.sh";
    const fs::path folder = out.toStdString();
    const fs::path temp = qEnvironmentVariable("TEMP").toStdString();
    std::vector<fs::path> seen;

    ScriptedPrompter ask;
    TempDir dir;
    Printers& system = printers();
    ASSERT_TRUE(system.makeUserDefault("Tabvane Test Other"));
    Form1 window;
    EXPECT_TRUE(ask.asked.empty()) << "the PDF printer is installed: " << ask.asked[0].text;
    ask.fileNames.push_back(QString::fromStdString(
        dir.file("in.csv", "Miasto,Rzeka,Ludność\r\nŁódź,Ner,670000\r\nWrocław,Odra,640000\r\nKraków,Wisła,800000\r\n")));
    clickControl(window, QStringLiteral("PushButton2"));

    chooseMenuEntry(window, QStringLiteral("mnuPDF"));
    const std::string grid = nextPdfText(folder, seen);
    for (const char* text : {"Miasto", "Rzeka", "Ludność", "Łódź", "Ner", "670000", "Wrocław", "Odra", "Kraków", "Wisła"})
        EXPECT_NE(grid.find(text), std::string::npos) << text << " in\n" << grid;
    EXPECT_EQ(system.userDefault().name, "Tabvane Test Other") << "the default printer is put back";
    EXPECT_EQ(textFiles(temp), 0) << "no temporary file is left";

    // Without a default of the user's own, the export leaves none behind.
    ASSERT_TRUE(system.clearUserDefault());
    const std::string before = system.userDefault().name;
    std::vector<int> widths(3, 100);
    Form8 filter(&window, window.grid(), widths);
    ASSERT_TRUE(searchFor(filter, QStringLiteral("odra")));
    clickControl(filter, QStringLiteral("PushButton19"));
    const std::string results = nextPdfText(folder, seen);
    EXPECT_NE(results.find("Wrocław"), std::string::npos) << results;
    EXPECT_EQ(results.find("Kraków"), std::string::npos) << "only the rows found";
    EXPECT_EQ(system.userDefault().name, before);
    EXPECT_EQ(textFiles(temp), 0);
    for (const auto& a : ask.asked)
        EXPECT_NE(a.kind, "message") << a.text;
}
