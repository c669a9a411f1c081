#include <optional>
#include <set>

#include "tests/store/StoreFixture.h"

namespace {

class Records : public StoreTest {};

using Strings = std::vector<std::string>;

} // namespace

TEST_F(Records, FreshStoreRefusesOrThrows)
{
    CSVDBS& s = m_store;
    EXPECT_EQ(s.RecordCount(), -1);
    EXPECT_EQ(s.CurrentRecord(), -1);
    EXPECT_FALSE(s.ChangesMade());
    EXPECT_TRUE(s.GetFieldList().empty());
    EXPECT_THROW(s.NewRecord(), StoreError);
    EXPECT_THROW(s.GetField("A", 1), StoreError);
    EXPECT_THROW(s.SetField("A", "x", 1), StoreError);
    EXPECT_THROW(s.Find("x", "AB"), StoreError);
    EXPECT_THROW(s.ValueAt(1, 1), StoreError);
    EXPECT_FALSE(s.DeleteRecord(1));
    EXPECT_FALSE(s.GotoRecord(1));
    EXPECT_FALSE(s.FirstRecord());
    EXPECT_EQ(s.CurrentRecord(), 1);
    EXPECT_FALSE(s.BottomRecord());
    EXPECT_EQ(s.CurrentRecord(), -1);
    EXPECT_FALSE(s.ChangesMade());
}

TEST_F(Records, GetAndSetField)
{
    load("Id,Name\r\n1,Ann\r\n2,\"\"\r\n");
    CSVDBS& s = m_store;
    EXPECT_EQ(s.GetField("nope", 1), std::nullopt);
    EXPECT_EQ(s.GetField("Name", 0), std::nullopt);
    EXPECT_EQ(s.GetField(" name ", 2), std::optional<std::string>(""));
    EXPECT_THROW(s.GetField("Name", 3), StoreError);
    EXPECT_THROW(s.SetField("Name", "x", 3), StoreError);
    EXPECT_FALSE(s.SetField("nope", "x", 1));
    EXPECT_FALSE(s.SetField("Name", "x", 0));

    EXPECT_FALSE(s.SetField("Name", "", 1)) << "an empty value is never stored";
    EXPECT_EQ(s.GetField("Name", 1), "Ann");
    EXPECT_FALSE(s.ChangesMade());
    EXPECT_TRUE(s.SetField("Name", " ", 1));
    EXPECT_EQ(s.GetField("Name", 1), " ");
    EXPECT_TRUE(s.ChangesMade());

    // -1 means the current record; a blank name means the key field.
    ASSERT_TRUE(s.GotoRecord(2));
    s.KeyField(" name ");
    EXPECT_EQ(s.KeyField(), "NAME");
    EXPECT_TRUE(s.SetField("   ", "Bob"));
    EXPECT_EQ(s.GetField(""), "Bob");
    EXPECT_EQ(s.GetField("Id"), "2");
    // Past the end through the record pointer is misuse as well.
    ASSERT_TRUE(s.DeleteRecord(2));
    EXPECT_THROW(s.GetField("Id"), StoreError);

    // Without a key field, a blank name finds a field whose own name is blank.
    load(" ,B\r\nx,y\r\n");
    s.KeyField("");
    EXPECT_TRUE(s.SetField("  ", "v", 1));
    EXPECT_EQ(s.ValueAt(1, 1), "v");
    load("A,B\r\nx,y\r\n");
    EXPECT_FALSE(s.SetField("", "v", 1));
}

TEST_F(Records, DeleteAndNewRecord)
{
    load("A,B\r\n1,a\r\n2,b\r\n3,c\r\n");
    CSVDBS& s = m_store;
    ASSERT_TRUE(s.GotoRecord(3));
    EXPECT_TRUE(s.DeleteRecord(2));
    EXPECT_EQ(column(1), (Strings{"1", "3"}));
    EXPECT_EQ(column(2), (Strings{"a", "c"}));
    EXPECT_EQ(s.RecordCount(), 2);
    EXPECT_EQ(s.CurrentRecord(), 3) << "deleting never moves the pointer";
    EXPECT_TRUE(s.ChangesMade());

    EXPECT_FALSE(s.DeleteRecord(3));
    EXPECT_FALSE(s.DeleteRecord(0));
    EXPECT_FALSE(s.DeleteRecord(-1)) << "current record 3 is past the end";
    ASSERT_TRUE(s.GotoRecord(2));
    EXPECT_TRUE(s.DeleteRecord());
    EXPECT_TRUE(s.DeleteRecord(1));
    EXPECT_EQ(s.RecordCount(), 0);
    EXPECT_EQ(s.GetFieldList(), (Strings{"A", "B"}));
    EXPECT_FALSE(s.DeleteRecord(1));

    EXPECT_TRUE(s.NewRecord());
    EXPECT_EQ(s.RecordCount(), 1);
    EXPECT_EQ(s.CurrentRecord(), 1);
    EXPECT_EQ(s.GetField("A"), "");
    EXPECT_TRUE(s.NewRecord());
    EXPECT_EQ(s.CurrentRecord(), 2);
}

TEST_F(Records, Find)
{
    load("Id,City\r\nk1,Paris\r\nk2,Straße\r\nk3,élan\r\nk4, STRASSE \r\n");
    CSVDBS& s = m_store;
    EXPECT_EQ(s.Find(" paris ", "City"), 1);
    EXPECT_EQ(s.Find("STRASSE", "city"), 2);
    EXPECT_EQ(s.Find("ÉLAN", "City"), 3);
    EXPECT_EQ(s.CurrentRecord(), 3);
    EXPECT_EQ(s.Find("Par", "City"), -1) << "only whole values match";
    EXPECT_EQ(s.CurrentRecord(), 3);
    EXPECT_EQ(s.Find("k2", "X"), -1) << "a one-letter name falls back to the (empty) key field";
    s.KeyField("id");
    EXPECT_EQ(s.Find("K2", "X"), 2);
    EXPECT_EQ(s.Find("k4"), 4);
    EXPECT_EQ(s.Find("k1", "Nowhere"), -1);
    EXPECT_FALSE(s.ChangesMade());
}

TEST_F(Records, GeneratedKeys)
{
    load("Id,Name\r\nAAAAAAAAAAAA,x\r\n");
    CSVDBS& s = m_store;
    s.AutoGenerateKey(true);
    EXPECT_FALSE(s.NewRecord()) << "no key field named";
    EXPECT_EQ(s.RecordCount(), 1);
    EXPECT_EQ(s.CurrentRecord(), 1);
    EXPECT_TRUE(s.ChangesMade());

    s.KeyField("id");
    std::set<std::string> keys{"AAAAAAAAAAAA"};
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(s.NewRecord());
        const std::string key = *s.GetField("Id");
        EXPECT_EQ(key.size(), 12u);
        EXPECT_EQ(key.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos);
        EXPECT_TRUE(keys.insert(key).second) << key;
        EXPECT_EQ(s.GetField("Name"), "");
    }
    EXPECT_TRUE(s.SetField("Id", "", 1)) << "an empty key value is generated";
    EXPECT_NE(s.GetField("Id", 1), "AAAAAAAAAAAA");
    EXPECT_EQ(s.GetField("Id", 1)->size(), 12u);
}
