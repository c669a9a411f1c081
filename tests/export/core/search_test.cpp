#include <gtest/gtest.h>

#include "export/FilterResults.h"
#include "export/TextSearch.h"
#include "tests/export/FakeGrid.h"

TEST(TextSearch, FindsTheTextInAnyCaseSpacesIncluded)
{
    const TextSearch ab("ab");
    for (const char* value : {"AB", "xaBy", "ab"})
        EXPECT_TRUE(ab.foundIn(value)) << value;
    EXPECT_FALSE(ab.foundIn("a b"));
    EXPECT_FALSE(ab.foundIn("a"));
    const TextSearch abSpace("ab ");
    EXPECT_TRUE(abSpace.foundIn("xAB y"));
    EXPECT_FALSE(abSpace.foundIn("xab"));
    EXPECT_TRUE(TextSearch("ÉCOLE").foundIn("une école"));
    EXPECT_TRUE(TextSearch("gör").foundIn("GÖRLITZ"));
    EXPECT_TRUE(TextSearch("litz").foundIn("Görlitz")) << "ASCII text inside a non-ASCII value";
    EXPECT_FALSE(TextSearch("x").foundIn(""));
    EXPECT_TRUE(TextSearch("\u212A").foundIn("ok")) << "the Kelvin sign folds to k";
    EXPECT_FALSE(TextSearch("é").foundIn("e"));
}

TEST(FilterResults, ListsEachMatchingRowOnceInGridOrder)
{
    const FakeGrid grid({"Name", "City"},
                        {{"Anna", "Berlin"}, {"Bob", "Annaberg"}, {"Carl", "Rome"}, {"anna", "Anna"}});
    FilterResults results(grid);
    EXPECT_EQ(results.headingCount(), 0) << "no columns before the first search";
    results.search("ANNA");
    ASSERT_EQ(results.shownRows(), 3);
    EXPECT_EQ(results.sourceRow(0), 0);
    EXPECT_EQ(results.sourceRow(1), 1);
    EXPECT_EQ(results.sourceRow(2), 3) << "listed once although both cells match";
    EXPECT_EQ(results.headingText(1), "City");
    EXPECT_EQ(results.cellBytes(1, 1), "Annaberg");
    EXPECT_EQ(results.data(results.index(2, 0), Qt::DisplayRole).toString(), QStringLiteral("anna"));
    results.search("zzz");
    EXPECT_EQ(results.shownRows(), 0);
    EXPECT_EQ(results.headingCount(), 2) << "headings stay when nothing matches";
    // A grid without rows gives headings only.
    const FakeGrid empty({"A", "B"}, {});
    FilterResults none(empty);
    none.search("a");
    EXPECT_EQ(none.columnCount(), 2);
    EXPECT_EQ(none.rowCount(), 0);
}
