// The work of appending and merging, on two stores, without the dialogs.
#include "combine/CombineFiles.h"

#include "tests/store/StoreFixture.h"

using Names = std::vector<std::string>;
using namespace CombineFiles;

class CombineFilesTest : public StoreTest {
protected:
    // The second file, read as the dialogs read it.
    bool readSecond(std::string_view text, bool header = true, const std::string& separator = ",")
    {
        return readSecondFile(m_second, m_dir.file("second.csv", text), separator, header);
    }

    CSVDBS m_second;
};

TEST_F(CombineFilesTest, ReadSecondFileTakesTheSeparatorAndHeaderChoiceAndCountsFields)
{
    load("A,B\r\n1,2\r\n");
    EXPECT_FALSE(sameFieldCount(m_store, m_second)) << "a store with no file has no fields";
    ASSERT_TRUE(readSecond("A;B\r\n1;2\r\n", false, ";"));
    EXPECT_EQ(m_second.GetFieldList(), (Names{"Field 1", "Field 2"}));
    EXPECT_EQ(rowsOf(m_second), (Rows{{"A", "B"}, {"1", "2"}}));
    EXPECT_TRUE(sameFieldCount(m_store, m_second));
    ASSERT_TRUE(readSecond("A,B\r\n")) << "column names alone are a file of no records";
    EXPECT_EQ(m_second.RecordCount(), 0);
    EXPECT_FALSE(readSecondFile(m_second, m_dir.path() + "/missing.csv", ",", true));
    ASSERT_TRUE(readSecond("X\r\n3\r\n"));
    EXPECT_FALSE(sameFieldCount(m_store, m_second));
}

TEST_F(CombineFilesTest, AppendCopiesEveryValueAboveOrBelow)
{
    load("A,B\r\n1,2\r\n3,4\r\n");
    ASSERT_TRUE(readSecond("X,Y\r\n\"\",b\r\nc,d\r\n"));
    appendRecords(m_store, m_second, AppendPlace::Below);
    EXPECT_EQ(rowsOf(m_store), (Rows{{"1", "2"}, {"3", "4"}, {"", "b"}, {"c", "d"}}));
    EXPECT_TRUE(m_store.ChangesMade());
    appendRecords(m_store, m_second, AppendPlace::Above);
    EXPECT_EQ(rowsOf(m_store), (Rows{{"", "b"}, {"c", "d"}, {"1", "2"}, {"3", "4"}, {"", "b"}, {"c", "d"}}));
    EXPECT_EQ(m_store.GetFieldList(), (Names{"A", "B"})) << "the open file keeps its names";
    // Appending no records changes nothing.
    load("A,B\r\n1,2\r\n");
    ASSERT_TRUE(readSecond("X,Y\r\n"));
    appendRecords(m_store, m_second, AppendPlace::Above);
    EXPECT_EQ(rowsOf(m_store), (Rows{{"1", "2"}}));
    EXPECT_FALSE(m_store.ChangesMade());
}

TEST_F(CombineFilesTest, MergeAddsColumnsLeftOrRightUnderFreeNames)
{
    load("A,B\r\n1,2\r\n3,4\r\n5,6\r\n");
    ASSERT_TRUE(readSecond("B,C\r\nx,y\r\nz,w\r\n"));
    mergeFields(m_store, m_second, MergePlace::Right);
    EXPECT_EQ(m_store.GetFieldList(), (Names{"A", "B", "1B", "C"}));
    EXPECT_EQ(rowsOf(m_store), (Rows{{"1", "2", "x", "y"}, {"3", "4", "z", "w"}, {"5", "6", "", ""}}))
        << "the open file's later records get empty cells";
    mergeFields(m_store, m_second, MergePlace::Left);
    EXPECT_EQ(m_store.GetFieldList(), (Names{"2B", "1C", "A", "B", "1B", "C"}));
    EXPECT_EQ(column(1), (Names{"x", "z", ""}));
    // Second-file records beyond the open file's are dropped.
    load("A\r\n1\r\n");
    ASSERT_TRUE(readSecond("B\r\nx\r\ny\r\nz\r\n"));
    mergeFields(m_store, m_second, MergePlace::Right);
    EXPECT_EQ(rowsOf(m_store), (Rows{{"1", "x"}}));
    EXPECT_EQ(m_store.RecordCount(), 1);
}

TEST_F(CombineFilesTest, ProgressGoesThroughTheOpenStoresCallback)
{
    std::string text = "A\r\n";
    for (int i = 0; i < 300000; ++i)
        text += "v\r\n";
    load("A\r\n1\r\n");
    ASSERT_TRUE(readSecond(text));
    std::int64_t last = 0, total = 0;
    const ProgressScope reporting(m_store, [&](std::int64_t done, std::int64_t all) {
        last = done;
        total = all;
    });
    appendRecords(m_store, m_second, AppendPlace::Below);
    EXPECT_EQ(m_store.RecordCount(), 300001);
    if (total != 0) { // reports are timed; a fast machine may finish first
        EXPECT_EQ(total, 600000);
        EXPECT_LE(last, total);
    }
}
