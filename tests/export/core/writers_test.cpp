#include <filesystem>

#include <gtest/gtest.h>

#include "export/SaveListview.h"
#include "export/SaveTextToFile.h"
#include "tests/export/FakeGrid.h"
#include "tests/support/TempDir.h"

namespace {

const FakeGrid nameAge({"Name", "Age"}, {{"Ann", "30"}});
const std::string htmlHead =
    "<html><head><meta charset=\"utf-8\"><title>CSV Results</title></head><body><table border=1 width='100%'>\r\n";

} // namespace

TEST(Writers, TheWorkedExampleAndEmptyGrids)
{
    EXPECT_EQ(csvText(nameAge), "Name,Age\r\nAnn,30\r\n");
    EXPECT_EQ(tabText(nameAge), "Name\tAge\t\r\nAnn\t30\t\r\n");
    EXPECT_EQ(xmlText(nameAge), "<xml>\r\n<row>\r\n<Name>Ann</Name>\r\n<Age>30</Age>\r\n</row>\r\n</xml>");
    EXPECT_EQ(htmlText(nameAge), htmlHead + "<tr>\r\n<th>Name</th>\r\n<th>Age</th>\r\n</tr>\r\n"
                                            "<tr>\r\n<td>Ann</td>\r\n<td>30</td>\r\n</tr>\r\n</table></body></html>");
    // Empty grids, and grids without rows.
    const FakeGrid empty({}, {});
    EXPECT_EQ(csvText(empty), "\r\n");
    EXPECT_EQ(tabText(empty), "\r\n");
    EXPECT_EQ(xmlText(empty), "<xml>\r\n</xml>");
    EXPECT_EQ(htmlText(empty), htmlHead + "<tr>\r\n</tr>\r\n</table></body></html>");
    const FakeGrid headingsOnly({"A", "B"}, {});
    EXPECT_EQ(csvText(headingsOnly), "A,B\r\n");
    EXPECT_EQ(xmlText(headingsOnly), "<xml>\r\n</xml>");
}

TEST(Writers, FilesEndWithOneMoreLineEnd)
{
    TempDir dir;
    const std::string csv = (dir.path() + "/out.csv"), xml = (dir.path() + "/out.xml");
    SaveListviewToCSV(nameAge, csv);
    SaveListviewToXML(nameAge, xml);
    EXPECT_EQ(readFile(csv), "Name,Age\r\nAnn,30\r\n\r\n");
    EXPECT_EQ(readFile(xml), xmlText(nameAge) + "\r\n");
    SaveListviewToCSV(FakeGrid({"X"}, {}), csv);
    EXPECT_EQ(readFile(csv), "X\r\n\r\n") << "an existing file is replaced";
}

TEST(Writers, SpacesAreKeptOrTrimmedPerFormatBytesPassUnchanged)
{
    const FakeGrid spaced({" First Name ", "x"}, {{"  Ann ", "a,b"}});
    EXPECT_EQ(csvText(spaced), " First Name ,x\r\n  Ann ,a,b\r\n") << "commas and spaces unchanged";
    EXPECT_EQ(tabText(spaced), " First Name \tx\t\r\n  Ann \ta,b\t\r\n");
    EXPECT_EQ(xmlText(spaced), "<xml>\r\n<row>\r\n<_First_Name_>Ann</_First_Name_>\r\n<x>a,b</x>\r\n</row>\r\n</xml>");
    EXPECT_NE(htmlText(spaced).find("<th>First Name</th>\r\n<th>x</th>"), std::string::npos);
    EXPECT_NE(htmlText(spaced).find("<td>Ann</td>"), std::string::npos);
    // Bytes pass unchanged.
    EXPECT_EQ(csvText(FakeGrid({"Straße"}, {{"Łódź \xff"}})), "Straße\r\nŁódź \xff\r\n");
}

TEST(Writers, MarkupInValuesIsEscapedInHtmlAndXml)
{
    const FakeGrid risky({"Co<de>", "Name"}, {{"AT&T", "<script>alert(1)</script>"}});
    const std::string html = htmlText(risky);
    EXPECT_NE(html.find("<th>Co&lt;de&gt;</th>"), std::string::npos);
    EXPECT_NE(html.find("<td>AT&amp;T</td>\r\n<td>&lt;script&gt;alert(1)&lt;/script&gt;</td>"), std::string::npos);
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_EQ(xmlText(FakeGrid({"Name"}, {{"a<b & c>d"}})),
              "<xml>\r\n<row>\r\n<Name>a&lt;b &amp; c&gt;d</Name>\r\n</row>\r\n</xml>");
    EXPECT_EQ(csvText(risky), "Co<de>,Name\r\nAT&T,<script>alert(1)</script>\r\n") << "plain text stays plain";
}

TEST(Writers, AFailedWriteThrowsAndLeavesNoFile)
{
    TempDir dir;
    const std::string missing = (dir.path() + "/no/such/folder/out.csv");
    EXPECT_THROW(SaveListviewToCSV(nameAge, missing), ExportError);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_THROW(SaveTextToFile("x", dir.path()), ExportError) << "a folder is not replaced";
}
