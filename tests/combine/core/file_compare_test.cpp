// What changed between two versions of a file, by key and by position.
#include "combine/FileCompare.h"

#include "tests/store/StoreFixture.h"

using namespace FileCompare;

namespace {

const char* const Old = "id,name,age\r\n1,Ann,30\r\n2,Bo,40\r\n3,Cy,50\r\n";
const char* const New = "id,name,age\r\n1,Ann,31\r\n3,Cy,50\r\n4,Di,20\r\n";

// Each row as its change and the two record numbers.
std::string shapeOf(const Result& result)
{
    static const char marks[] = {'=', '+', '-', '~'};
    std::string out;
    for (const Row& row : result.rows)
        out += marks[static_cast<int>(row.change)] + std::to_string(row.oldRecord) + ":" + std::to_string(row.newRecord) + " ";
    return out;
}

std::string headingsOf(const Result& result)
{
    std::string out;
    for (const Column& column : result.columns)
        out += column.heading + (column.oldField == 0 ? "+ " : column.newField == 0 ? "- " : " ");
    return out;
}

} // namespace

class FileCompareTest : public ::testing::Test {
protected:
    void read(CSVDBS& store, const char* name, std::string_view text)
    {
        store.FileName(m_dir.file(name, text));
        store.StandardQuoting(true);
        store.HeadingsSuffice(true);
        ASSERT_TRUE(store.LoadFile()) << store.LastFileError();
    }
    Result run(std::string_view older, std::string_view newer, const std::string& key)
    {
        read(m_old, "old.csv", older);
        read(m_new, "new.csv", newer);
        return compare(m_old, m_new, key, "old.csv", "new.csv");
    }
    TempDir m_dir;
    CSVDBS m_old, m_new;
};

TEST_F(FileCompareTest, RowsAndColumnsByKeyAndByPosition)
{
    const struct {
        const char *older, *newer, *key;
        std::string rows, columns, said;
    } cases[] = {
        // A removed row follows the row its predecessor became.
        {Old, New, "id", "~1:1 -2:0 =3:2 +0:3 ", "id name age ", "1 added · 1 removed · 1 changed · 1 the same"},
        {Old, New, " ID ", "~1:1 -2:0 =3:2 +0:3 ", "id name age ", "1 added · 1 removed · 1 changed · 1 the same"},
        {Old, New, "", "~1:1 ~2:2 ~3:3 ", "id name age ", "0 added · 0 removed · 3 changed · 0 the same"},
        {Old, "id,name,age\r\n1,Ann,30\r\n", "", "=1:1 -2:0 -3:0 ", "id name age ", "0 added · 2 removed · 0 changed · 1 the same"},
        {"id,name,age\r\n", Old, "id", "+0:1 +0:2 +0:3 ", "id name age ", "3 added · 0 removed · 0 changed · 0 the same"},
        // Rows moved but not changed are the same by key; removed first rows lead.
        {Old, "id,name,age\r\n3,Cy,50\r\n2,Bo,40\r\n", "id", "-1:0 =3:1 =2:2 ", "id name age ",
         "0 added · 1 removed · 0 changed · 2 the same"},
        // A column only the older file has follows its predecessor there;
        // rows compare on the shared columns only.
        {"id,name,city\r\n1,Ann,Kiel\r\n", "id,mail,name\r\n1,a@x,Ann\r\n", "id", "=1:1 ", "id mail+ name city- ",
         "0 added · 0 removed · 0 changed · 1 the same · 1 column added · 1 column removed"},
        {"a,a,b\r\n1,2,3\r\n", "a,b,a\r\n1,3,2\r\n", "", "=1:1 ", "a b a ", "No differences"},
        {Old, Old, "id", "=1:1 =2:2 =3:3 ", "id name age ", "No differences"},
    };
    for (const auto& c : cases) {
        const Result result = run(c.older, c.newer, c.key);
        EXPECT_EQ(shapeOf(result), c.rows) << c.key << "\n" << c.newer;
        EXPECT_EQ(headingsOf(result), c.columns) << c.newer;
        EXPECT_EQ(describe(result.counts), c.said) << c.newer;
        EXPECT_EQ(result.differs(), c.said != "No differences");
    }
    Counts many;
    many.added = 12, many.removed = 8, many.changed = 30, many.same = 999'950;
    EXPECT_EQ(describe(many), "12 added · 8 removed · 30 changed · 999,950 the same");
}

TEST_F(FileCompareTest, AKeyThatCannotPairTheRowsIsSaidBeforeAnything)
{
    const struct {
        const char *older, *newer, *key, *message;
    } cases[] = {
        {Old, "id,name,age\r\n17,a,1\r\n2,b,2\r\n17,c,3\r\n17,d,4\r\n", "id",
         "The key column \"id\" repeats \"17\" in new.csv (3 times). Compare by row position, or choose another key."},
        {"id,name\r\n1,a\r\n1,b\r\n", Old, "id",
         "The key column \"id\" repeats \"1\" in old.csv (2 times). Compare by row position, or choose another key."},
        {Old, New, "code", "The key column \"code\" is not in old.csv. Compare by row position, or choose another key."},
        {Old, "name,age\r\nAnn,1\r\n", "id", "The key column \"id\" is not in new.csv. Compare by row position, or choose another key."},
        {Old, "id,name,age\r\n1,a,1\r\n,b,2\r\n", "id",
         "The key column \"id\" is empty in row 2 of new.csv. Compare by row position, or choose another key."},
    };
    for (const auto& c : cases) {
        try {
            run(c.older, c.newer, c.key);
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const CompareError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

TEST_F(FileCompareTest, DifferencesAsCsvAndChangedCells)
{
    const Result result = run("id,name,note\r\n1,Ann,x\r\n2,Bo,\"a, b\"\r\n", "id,name,mail\r\n1,Anna,m\r\n3,Cy,n\r\n", "id");
    std::string out;
    writeDifferences(m_old, m_new, result, "\n", [&](std::string_view piece) { out += piece; });
    EXPECT_EQ(out, "change,id,name,note,mail\n"
                   "changed,1,Anna,,m\n"
                   "was,1,Ann,x,\n"
                   "removed,2,Bo,\"a, b\",\n"
                   "added,3,Cy,,n\n");
    const Row& changed = result.rows[0];
    std::string marked;
    for (const Column& column : result.columns)
        marked += cellChanged(m_old, m_new, changed, column) ? "1" : "0";
    EXPECT_EQ(marked, "0100");
}

// A million rows, every hundredth changed: the key index and the pairing
// stay linear (a quadratic step would not end in the test's time).
TEST_F(FileCompareTest, AMillionRowsByKey)
{
    std::string older = "id,v\r\n", newer = "id,v\r\n";
    for (int i = 1; i <= 1'000'000; ++i) {
        older += std::to_string(i) + ",a\r\n";
        newer += std::to_string(i) + (i % 100 == 0 ? ",b\r\n" : ",a\r\n");
    }
    const Result result = run(older, newer, "id");
    EXPECT_EQ(result.counts.changed, 10'000);
    EXPECT_EQ(result.counts.same, 990'000);
}
