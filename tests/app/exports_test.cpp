// The main window's export menu and Filter button read the grid as shown.
#include <QApplication>
#include <QTimer>

#include "export/FilterResults.h"
#include "export/Form8.h"
#include "tests/export/FilterSearch.h"
#include "tests/app/AppFixture.h"
#include "tests/support/RecordingHandOff.h"

class ExportsTest : public AppTest {
protected:
    // Opens a file of three people and deletes the second with the Delete key.
    void openWithDeletedRow()
    {
        open("Name,City\r\nAnn,Oslo\r\nBob,Rome\r\nCleo,Bern\r\n");
        listView()->selectRow(1);
        QTest::keyClick(listView(), Qt::Key_Delete);
    }
    std::string exported(void (Form1::*entry)(), const std::string& name)
    {
        m_ask.fileNames.push_back(qpath(name));
        (window().*entry)();
        return readFile(path(name));
    }
};

TEST_F(ExportsTest, MenuEntriesWriteTheShownRows)
{
    openWithDeletedRow();
    EXPECT_EQ(exported(&Form1::mnuTXT_Click, "out.txt"), "Name\tCity\t\r\nAnn\tOslo\t\r\nCleo\tBern\t\r\n\r\n");
    EXPECT_EQ(exported(&Form1::mnuXML_Click, "out.xml"),
              "<xml>\r\n<row>\r\n<Name>Ann</Name>\r\n<City>Oslo</City>\r\n</row>\r\n"
              "<row>\r\n<Name>Cleo</Name>\r\n<City>Bern</City>\r\n</row>\r\n</xml>\r\n");
    EXPECT_NE(exported(&Form1::mnuHTML_Click, "out.html").find("<td>Cleo</td>"), std::string::npos);
    std::vector<std::string> filters;
    for (const auto& a : m_ask.asked)
        if (a.kind == "save")
            filters.push_back(a.extra);
    EXPECT_EQ(filters, (std::vector<std::string>{"Text Files (*.txt)|*.txt", "XML Files (*.xml)|*.xml",
                                                 "HTML Files (*.html)|*.html"}));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(window().store().UndoName(), "Delete Rows") << "exports leave the store alone";
}

TEST_F(ExportsTest, ACancelledOrFailedExport)
{
    openWithDeletedRow();
    m_ask.fileNames.push_back(QString());
    choose("mnuTXT");
    EXPECT_TRUE(messages().empty());
    m_ask.fileNames.push_back(qpath("missing/out.txt"));
    choose("mnuTXT");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("Form1.mnuTXT_Click"), std::string::npos);

    // An existing file is replaced only when the user says Yes.
    const std::string mine = m_dir.file("mine.txt", "keep");
    m_ask.yesNo = {false, true};
    EXPECT_EQ(exported(&Form1::mnuTXT_Click, "mine.txt"), "keep");
    EXPECT_EQ(m_ask.asked.back().text, "\"mine.txt\" already exists.\r\nDo you want to replace it?");
    EXPECT_NE(exported(&Form1::mnuTXT_Click, "mine.txt"), "keep");
}

TEST_F(ExportsTest, FilterSearchesTheGridAsShown)
{
    openWithDeletedRow();
    int found = -1;
    QTimer::singleShot(0, [&] {
        auto* filter = qobject_cast<Form8*>(QApplication::activeModalWidget());
        ASSERT_NE(filter, nullptr);
        EXPECT_TRUE(searchFor(*filter, QStringLiteral("o")));
        found = filter->results().shownRows();
        filter->close();
    });
    click("PushButton8");
    EXPECT_EQ(found, 2) << "Ann (Oslo) and Cleo; Bob is hidden";
    EXPECT_EQ(rows(), 2) << "the grid is not refilled";
}

TEST_F(ExportsTest, OfficeEntriesOpenTheShownRowsInTheDesktopsPrograms)
{
    RecordingHandOff desktop;
    openWithDeletedRow();
    choose("mnuXLS");
    choose("mnuDOC");
    ASSERT_EQ(desktop.opened.size(), 2u);
    EXPECT_TRUE(desktop.opened[0].endsWith(".xlsx"));
    EXPECT_TRUE(desktop.opened[1].endsWith(".docx"));
    EXPECT_TRUE(messages().empty());

    // A failure midway is one standard report, and the program goes on.
    desktop.opens = false;
    choose("mnuDOC");
    choose("mnuXLS");
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_NE(messages()[0].find("Form1.mnuDOC_Click"), std::string::npos);
    EXPECT_NE(messages()[0].find("No application opened the document"), std::string::npos);
    EXPECT_NE(messages()[1].find("Form1.mnuXLS_Click"), std::string::npos);

    // With no spreadsheet program the test's message comes first, then the
    // caller's; an empty grid is checked first and says nothing.
    desktop.opens = true;
    desktop.installed = false;
    desktop.opened.clear();
    m_ask.asked.clear();
    choose("mnuXLS");
    EXPECT_EQ(messages(),
              (std::vector<std::string>{
                  "Excel is not installed on this computer. You need to have it installed to use this software without error."
                  "\n\nHere that means a spreadsheet program that opens .xlsx files, such as LibreOffice Calc (sudo apt install libreoffice-calc).",
                  "Excel is not installed on this computer. You need to have it installed to use this feature."
                  "\n\nHere that means a spreadsheet program that opens .xlsx files, such as LibreOffice Calc (sudo apt install libreoffice-calc)."}));
    for (int left = rows(); left > 0; --left) {
        listView()->selectRow(0);
        QTest::keyClick(listView(), Qt::Key_Delete);
    }
    ASSERT_EQ(rows(), 0);
    choose("mnuXLS");
    EXPECT_EQ(messages().size(), 2u);
    EXPECT_TRUE(desktop.opened.empty());
}

TEST_F(ExportsTest, PdfPrintsTheShownRows)
{
    openWithDeletedRow();
    qputenv("TEMP", QByteArray::fromStdString(m_dir.path()));
    std::string printed;
    m_printers.onRun = [&](const QString& commandLine) {
        const QString file = commandLine.section(QLatin1Char('"'), 1, 1);
        printed = readFile(file.toStdString());
        return 0;
    };
    choose("mnuPDF");
    qunsetenv("TEMP");
    EXPECT_EQ(printed, "Name\tCity\t\r\nAnn\tOslo\t\r\nCleo\tBern\t\r\n\r\n");
    EXPECT_EQ(m_printers.current.name, "Office Laser");
    EXPECT_TRUE(messages().empty());
}
