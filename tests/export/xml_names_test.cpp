// Column headings as XML element names: valid ones kept, others mended so
// that every reader accepts the file.
#include <string>
#include <vector>

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "export/SaveListview.h"
#include "export/XmlName.h"
#include "tests/export/FakeGrid.h"

TEST(XmlNames, HeadingsBecomeValidNames)
{
    struct Case {
        std::string heading;
        std::string name;
    };
    const std::vector<Case> cases = {
        {"Name", "Name"},
        {"first-name.2", "first-name.2"},
        {"_id", "_id"},
        {"M\xC3\xBCller", "M\xC3\xBCller"},
        {"\xE5\x90\x8D\xE5\x89\x8D", "\xE5\x90\x8D\xE5\x89\x8D"},
        {"First Name", "First_Name"},
        {"2024", "_2024"},
        {"-x", "_-x"},
        {"", "_"},
        {"a<b>&\"c\"", "a_b___c_"},
        {"ns:tag", "ns_tag"},
        {"Price (\xE2\x82\xAC)", "Price__\xE2\x82\xAC_"}, {" x ", "_x_"},
        {"bad\xFF", "bad_"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(xmlElementName(c.heading), c.name) << c.heading;
}

TEST(XmlNames, TheExportParses)
{
    const FakeGrid grid({"First Name", "2024", "", "ok", "a:b"}, {{"Ann", "1", "x", "y", "z"}});
    const std::string text = xmlText(grid);
    QXmlStreamReader reader(QByteArray::fromStdString(text));
    std::vector<std::string> names;
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement)
            names.push_back(reader.name().toString().toStdString());
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    EXPECT_EQ(names, (std::vector<std::string>{"xml", "row", "First_Name", "_2024", "_", "ok", "a_b"}));
}
