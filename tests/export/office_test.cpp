// The grid as a workbook and as a document, read back from the files a user's
// office program would open.
#include <QDomDocument>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "export/OfficeExport.h"
#include "platform/OfficeFiles.h"
#include "tests/export/FakeGrid.h"
#include "tests/support/OfficeFile.h"
#include "tests/support/RecordingHandOff.h"
#include "tests/support/TempDir.h"

namespace {

// The Part's small grid: two columns, three rows, with what often goes wrong
// in office files: spaces at the ends, a number-like text, markup
// characters, non-ASCII letters, an empty value, a tab.
FakeGrid smallGrid()
{
    return FakeGrid({"Name", "Code"}, {{"  Łucja Żak ", "007"}, {"a&b <c>", ""}, {"x\ty", "1e5"}});
}

// A grid reporting more rows than any spreadsheet holds, without holding them.
class HugeGrid final : public GridText {
public:
    int headingCount() const override { return 1; }
    int shownRows() const override { return 1048576; }
    const std::string& headingText(int) const override { return m_text; }
    std::string_view cellBytes(int, int) const override { return m_text; }

private:
    std::string m_text = "x";
};

QDomDocument documentPart(const QString& file, const char* part)
{
    QDomDocument doc;
    doc.setContent(QByteArray::fromStdString(zipPart(file, part)));
    return doc;
}

} // namespace

class OfficeTest : public ::testing::Test {
protected:
    RecordingHandOff m_desktop;
};

TEST_F(OfficeTest, WorkbookHoldsEveryValueAsTextWithFittedColumnsOrIsRefused)
{
    const QString file = OfficeExport::exportToSpreadsheet(smallGrid());
    EXPECT_TRUE(QFileInfo(file).fileName().startsWith("Book")) << file.toStdString();
    ASSERT_EQ(m_desktop.opened, std::vector<QString>{file});
    const SheetCells sheet = readSheet(file);
    EXPECT_EQ(sheet.cells, (std::map<std::string, std::string>{{"A1", "Name"}, {"B1", "Code"},
                                                                {"A2", "  Łucja Żak "}, {"B2", "007"},
                                                                {"A3", "a&b <c>"}, {"A4", "x\ty"}, {"B4", "1e5"}}));
    for (const auto& [ref, type] : sheet.types)
        EXPECT_TRUE(type == "inlineStr" || type == "s") << ref << " is not text";
    ASSERT_EQ(sheet.widths.size(), 2u);
    EXPECT_GT(sheet.widths.at(1), sheet.widths.at(2)) << "the longer texts get the wider column";

    // A second export is a second workbook; the first one's file stays.
    const QString again = OfficeExport::exportToSpreadsheet(smallGrid());
    EXPECT_NE(again, file);
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(QFileInfo(QFileInfo(file).path()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);

    // A grid no spreadsheet can hold is refused, and nothing opened.
    m_desktop.opened.clear();
    try {
        OfficeExport::exportToSpreadsheet(HugeGrid());
        FAIL() << "no error";
    } catch (const OfficeError& e) {
        EXPECT_NE(std::string(e.what()).find("1048576 rows"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(m_desktop.opened.empty());
}

TEST_F(OfficeTest, DocumentHoldsOneTableUnderAFormattedHeadingRow)
{
    const QString file = OfficeExport::exportToDocument(smallGrid());
    ASSERT_EQ(m_desktop.opened, std::vector<QString>{file});
    const QDomDocument doc = documentPart(file, "word/document.xml");
    const QDomNodeList rows = doc.elementsByTagName("w:tr");
    ASSERT_EQ(rows.size(), 4);
    const QStringList expected[] = {{"Name", "Code"}, {"  Łucja Żak ", "007"}, {"a&b <c>", ""}, {"x\ty", "1e5"}};
    for (int r = 0; r < rows.size(); ++r) {
        const QDomNodeList cells = rows.at(r).toElement().elementsByTagName("w:tc");
        ASSERT_EQ(cells.size(), 2);
        for (int c = 0; c < 2; ++c) {
            const QDomElement cell = cells.at(c).toElement();
            QString text;
            for (QDomElement e = cell.firstChildElement("w:p").firstChildElement("w:r").firstChildElement();
                 !e.isNull(); e = e.nextSiblingElement())
                text += e.tagName() == "w:tab" ? QStringLiteral("\t") : e.text();
            EXPECT_EQ(text, expected[r][c]) << r << "," << c;
            const bool heading = r == 0;
            EXPECT_EQ(!cell.elementsByTagName("w:b").isEmpty(), heading);
            EXPECT_EQ(cell.firstChildElement("w:tcPr").firstChildElement("w:vAlign").attribute("w:val"),
                      heading ? "center" : "");
            EXPECT_EQ(cell.firstChildElement("w:p").firstChildElement("w:pPr").firstChildElement("w:jc").attribute(
                          "w:val"),
                      heading ? "center" : "");
        }
    }
    const QDomElement height = rows.at(0).firstChildElement("w:trPr").firstChildElement("w:trHeight");
    EXPECT_EQ(height.attribute("w:val"), "400") << "20 pt";
    const QDomElement page = doc.elementsByTagName("w:pgSz").at(0).toElement();
    EXPECT_EQ(page.attribute("w:orient"), "landscape");
    EXPECT_GT(page.attribute("w:w").toInt(), page.attribute("w:h").toInt());
    const QDomDocument styles = documentPart(file, "word/styles.xml");
    EXPECT_EQ(styles.elementsByTagName("w:rFonts").at(0).toElement().attribute("w:ascii"), "Arial");

    // An empty grid still gives its heading row.
    const QString empty = OfficeExport::exportToDocument(FakeGrid({"A", "B", "C"}, {}));
    EXPECT_NE(empty, file);
    const QDomDocument emptyDoc = documentPart(empty, "word/document.xml");
    EXPECT_EQ(emptyDoc.elementsByTagName("w:tr").size(), 1);
    EXPECT_EQ(emptyDoc.elementsByTagName("w:tc").size(), 3);
}

// Where LibreOffice is installed, it reads both files back as the grid.
TEST_F(OfficeTest, LibreOfficeReadsBothFilesAsTheGrid)
{
    const QString soffice = QStandardPaths::findExecutable("soffice");
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; the files were checked as XML only";
    const FakeGrid grid({"Name", "Code"}, {{"Łucja", "007"}, {"a&b", ""}, {"Zoë", "1e5"}});
    const QString book = OfficeExport::exportToSpreadsheet(grid);
    const QString document = OfficeExport::exportToDocument(grid);
    TempDir out;
    QTemporaryDir profile;
    const auto convert = [&](const QString& file, const QString& filter) {
        QProcess p;
        p.start(soffice, {"-env:UserInstallation=file://" + profile.path(), "--headless", "--convert-to", filter,
                          "--outdir", QString::fromStdString(out.path()), file});
        ASSERT_TRUE(p.waitForFinished(120000)) << "soffice did not finish";
    };
    convert(book, "csv:Text - txt - csv (StarCalc):44,34,76");
    convert(document, "txt:Text (encoded):UTF8");
    EXPECT_EQ(readFile(out.path() + "/" + QFileInfo(book).completeBaseName().toStdString() + ".csv"),
              "Name,Code\nŁucja,007\na&b,\nZoë,1e5\n");
    QFile txt(QString::fromStdString(out.path()) + "/" + QFileInfo(document).completeBaseName() + ".txt");
    ASSERT_TRUE(txt.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(txt.readAll());
    for (const char* value : {"Name", "Code", "Łucja", "007", "a&b", "Zoë", "1e5"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(value))) << value << " missing from " << text.toStdString();
}
