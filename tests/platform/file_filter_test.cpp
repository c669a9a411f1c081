#include <gtest/gtest.h>

#include "platform/Prompter.h"

// The open dialogs' list, as Qt shows it, and the suffix a typed save name
// gets from its dialog's filter.
TEST(FileFilter, OpenListAndSaveSuffixes)
{
    EXPECT_EQ(qtNameFilters(CsvOpenFilter).toStdString(),
              "CSV Files (*.csv) (*.csv *.CSV);;Text files (*.csv *.tsv *.txt) (*.csv *.CSV *.tsv *.TSV *.txt *.TXT);;"
              "All files (*) (*)");
    const struct {
        const char* name;
        const char* filter;
        const char* expected;
    } cases[] = {
        {"/tmp/out", "CSV Files (*.csv)|*.csv", "/tmp/out.csv"},
        {"/tmp/out", "HTML Files (*.html)|*.html", "/tmp/out.html"},
        {"/tmp/out.tsv", "CSV Files (*.csv)|*.csv", "/tmp/out.tsv"},
        {"/tmp/out.csv", "Text Files (*.txt)|*.txt", "/tmp/out.csv"},
        {"/tmp/v1.2/out", "XML Files (*.xml)|*.xml", "/tmp/v1.2/out.xml"},
        {"/tmp/out", "All files (*)|*", "/tmp/out"},
        {"", "CSV Files (*.csv)|*.csv", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withFilterSuffix(QString::fromUtf8(c.name), QString::fromUtf8(c.filter)).toStdString(), c.expected)
            << c.name << " " << c.filter;
}
