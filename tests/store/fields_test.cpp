
#include "tests/store/StoreFixture.h"

using Names = std::vector<std::string>;

namespace {
class Fields : public StoreTest {};
} // namespace

TEST_F(Fields, NamesMatchTrimmedAndCaseBlind)
{
    load("\"Name\", Straße ,Émile,Name,\r\n1,2,3,4,5\r\n");
    CSVDBS& s = m_store;
    EXPECT_EQ(s.GetFieldList(), (Names{"Name", "Straße", "Émile", "Name", ""}));
    EXPECT_EQ(s.FieldIndex(" NAME "), 1) << "the first of two matching names wins";
    EXPECT_EQ(s.FieldIndex("STRASSE"), 2);
    EXPECT_EQ(s.FieldIndex("émile"), 3);
    EXPECT_EQ(s.FieldIndex("   "), 5);
    EXPECT_EQ(s.FieldIndex("Nam"), -1);
    EXPECT_THROW(CSVDBS().FieldIndex("x"), StoreError);
    EXPECT_TRUE(CSVDBS().GetFieldList().empty());
}

TEST_F(Fields, InsertAndAddPlaceTheNewFieldAndFillIt)
{
    load("A,B,C\r\n1,2,3\r\n4,5,6\r\n");
    CSVDBS& s = m_store;
    EXPECT_TRUE(s.InsertField(" new ", "x", 1));
    EXPECT_EQ(s.GetFieldList(), (Names{"A", "NEW", "B", "C"}));
    EXPECT_EQ(rowsOf(s), (Rows{{"1", "x", "2", "3"}, {"4", "x", "5", "6"}}));
    EXPECT_TRUE(s.ChangesMade());

    EXPECT_TRUE(s.InsertField("First", "", 0));
    EXPECT_TRUE(s.InsertField("Far", "f", 99));
    EXPECT_TRUE(s.AddField("last", "z"));
    EXPECT_EQ(s.GetFieldList(), (Names{"FIRST", "A", "NEW", "B", "C", "FAR", "LAST"}));
    EXPECT_EQ(rowsOf(s)[1], (std::vector<std::string>{"", "4", "x", "5", "6", "f", "z"}));

    EXPECT_FALSE(s.AddField("b")) << "a name that already matches is refused";
    EXPECT_FALSE(s.InsertField(" NEW", "y", 2));
    EXPECT_THROW(s.InsertField("Neg", "", -1), StoreError);
    EXPECT_EQ(s.FieldCount(), 7);

    // Records added later get empty values in every field.
    ASSERT_TRUE(s.NewRecord());
    EXPECT_EQ(rowsOf(s)[2], std::vector<std::string>(7, ""));
}

TEST_F(Fields, DeleteRenameAndSwap)
{
    load("A,B,C\r\n1,2,3\r\n");
    CSVDBS& s = m_store;
    EXPECT_FALSE(s.DeleteField("nope"));
    EXPECT_TRUE(s.DeleteField(" b"));
    EXPECT_EQ(s.GetFieldList(), (Names{"A", "C"}));
    EXPECT_EQ(rowsOf(s), (Rows{{"1", "3"}}));
    EXPECT_TRUE(s.ChangesMade());

    load("A,B,C\r\n1,2,3\r\n");
    EXPECT_TRUE(s.ChangeFieldName("a", "  Price "));
    EXPECT_EQ(s.GetFieldList()[0], "Price") << "a renamed field keeps its case";
    EXPECT_TRUE(s.ChangesMade()) << "a rename is unsaved work";
    EXPECT_FALSE(s.ChangeFieldName("nope", "x"));

    load("A,B,C\r\n1,2,3\r\n");
    EXPECT_TRUE(s.ChangeFieldName("a", "A"));
    EXPECT_FALSE(s.ChangesMade()) << "renaming to the same name changes nothing";
    s.SwapFields(2, 2);
    EXPECT_FALSE(s.ChangesMade());
    s.SwapFields(3, 1);
    EXPECT_EQ(s.GetFieldList(), (Names{"C", "B", "A"}));
    EXPECT_EQ(rowsOf(s), (Rows{{"3", "2", "1"}}));
    EXPECT_TRUE(s.ChangesMade());
    EXPECT_THROW(s.SwapFields(0, 1), StoreError);
    EXPECT_THROW(s.SwapFields(1, 4), StoreError);

    load("Only\r\n1\r\n");
    EXPECT_THROW(s.DeleteField("only"), StoreError) << "a store keeps at least one field";
    EXPECT_EQ(s.FieldCount(), 1);
}

TEST_F(Fields, DefineFieldsOnAnEmptyStore)
{
    CSVDBS s;
    EXPECT_FALSE(s.DefineFields({}));
    EXPECT_FALSE(s.HasFieldList());
    ASSERT_TRUE(s.DefineFields({" id ", "Name"}));
    EXPECT_EQ(s.GetFieldList(), (Names{"ID", "NAME"}));
    ASSERT_TRUE(s.NewRecord());
    EXPECT_TRUE(s.SetField("name", "Ann"));
    EXPECT_EQ(s.GetField("NAME"), "Ann");

    // Redefining keeps the records and their values at the same positions.
    ASSERT_TRUE(s.DefineFields({"A", "B", "C"}));
    EXPECT_EQ(rowsOf(s), (Rows{{"", "Ann", ""}}));
    ASSERT_TRUE(s.DefineFields({"A"}));
    EXPECT_EQ(rowsOf(s), (Rows{{""}}));
}
