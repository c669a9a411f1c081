// Find and replace by substring and by pattern: what each choice changes,
// that Count says it first, that it is one step, and what is refused.
#include <gtest/gtest.h>

#include "store/Replay.h"
#include "store/replace/TextReplace.h"
#include "tests/store/StoreFixture.h"

using textreplace::Choice;
using textreplace::Mode;

class TextReplaceTest : public StoreTest {};

TEST_F(TextReplaceTest, EachChoiceChangesWhatItShouldAndCountSaysSoFirst)
{
    const char* const sample = "Phone,Street\r\n(555) 123-4567,1 Main St.\r\nx,2 Oak st.\r\n\"caf\xE9\",Stra\xC3\x9F" "e 5\r\n";
    const Rows before = {{"(555) 123-4567", "1 Main St."}, {"x", "2 Oak st."}, {"caf\xE9", "Stra\xC3\x9F" "e 5"}};
    const struct {
        const char* what;
        Choice choice;
        Rows after;
    } cases[] = {
        {"a pattern with groups", {Mode::Pattern, R"(^\((\d{3})\) (\d{3})-(\d{4})$)", R"(\1-\2-\3)", false, {1}, {}},
         {{"555-123-4567", "1 Main St."}, {"x", "2 Oak st."}, {"caf\xE9", "Stra\xC3\x9F" "e 5"}}},
        {"contains, any case", {Mode::Contains, "St.", "Street", false, {}, {}},
         {{"(555) 123-4567", "1 Main Street"}, {"x", "2 Oak Street"}, {"caf\xE9", "Stra\xC3\x9F" "e 5"}}},
        {"contains, this case, a backslash kept as typed", {Mode::Contains, "St.", "S\\1", true, {2}, {}},
         {{"(555) 123-4567", "1 Main S\\1"}, {"x", "2 Oak st."}, {"caf\xE9", "Stra\xC3\x9F" "e 5"}}},
        {"contains in the cells of one record", {Mode::Contains, "t", "T", true, {2}, {2}},
         {{"(555) 123-4567", "1 Main St."}, {"x", "2 Oak sT."}, {"caf\xE9", "Stra\xC3\x9F" "e 5"}}},
        {"case folded beyond ASCII", {Mode::Contains, "STRASSE", "-", false, {}, {}}, before},
        {"\xC3\x9F matched in UTF-8", {Mode::Pattern, "\xC3\x9F", "ss", false, {}, {}},
         {{"(555) 123-4567", "1 Main St."}, {"x", "2 Oak st."}, {"caf\xE9", "Strasse 5"}}},
        {"a value that is not UTF-8, by its bytes", {Mode::Pattern, "^caf.$", "cafe", true, {}, {}},
         {{"(555) 123-4567", "1 Main St."}, {"x", "2 Oak st."}, {"cafe", "Stra\xC3\x9F" "e 5"}}},
        {"an empty match, as RE2 defines it", {Mode::Pattern, "y*", "-", false, {1}, {2}},
         {{"(555) 123-4567", "1 Main St."}, {"-x-", "2 Oak st."}, {"caf\xE9", "Stra\xC3\x9F" "e 5"}}},
        {"whole value, this case", {Mode::WholeValue, " X ", "y", true, {}, {}}, before},
        {"whole value, any case, one column", {Mode::WholeValue, " X ", "y", false, {1}, {}},
         {{"(555) 123-4567", "1 Main St."}, {"y", "2 Oak st."}, {"caf\xE9", "Stra\xC3\x9F" "e 5"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CSVDBS s;
        s.FileName(m_dir.file("in.csv", sample));
        ASSERT_TRUE(s.LoadFile());
        std::int64_t differ = 0;
        for (std::size_t r = 0; r < before.size(); ++r)
            for (std::size_t f = 0; f < 2; ++f)
                differ += before[r][f] != c.after[r][f];
        EXPECT_EQ(textreplace::countChanges(s, c.choice), differ);
        EXPECT_EQ(rowsOf(s), before) << "counting changes nothing";
        EXPECT_EQ(textreplace::replaceAll(s, c.choice), differ);
        EXPECT_EQ(rowsOf(s), c.after);
        if (differ == 0) {
            EXPECT_FALSE(s.CanUndo());
            continue;
        }
        EXPECT_EQ(s.UndoName(), "Find and Replace");
        CSVDBS again;
        again.FileName(m_dir.file("again.csv", sample));
        ASSERT_TRUE(again.LoadFile());
        replay::run(again, s.StepHistory().lastDone()->operation());
        EXPECT_EQ(rowsOf(again), c.after) << "replayed from its data";
        ASSERT_TRUE(s.Undo());
        EXPECT_EQ(rowsOf(s), before);
    }
}

TEST_F(TextReplaceTest, ABadPatternOrReplacementIsRefusedBeforeAnythingChanges)
{
    load("A\r\nabc\r\n");
    const struct {
        Choice choice;
        textreplace::ChoiceError::Field field;
        const char* says;
    } cases[] = {
        {{Mode::Pattern, "a(b", "x", false, {}, {}}, textreplace::ChoiceError::Field::Find, "missing )"},
        {{Mode::Pattern, "(a)(b)", "\\3", false, {}, {}}, textreplace::ChoiceError::Field::Replace, "3"},
        {{Mode::Pattern, "a", "\\q", false, {}, {}}, textreplace::ChoiceError::Field::Replace, "must be followed"},
        {{Mode::Contains, "", "x", false, {}, {}}, textreplace::ChoiceError::Field::Find, "Enter the text to find."},
    };
    for (const auto& c : cases) {
        try {
            textreplace::replaceAll(m_store, c.choice);
            ADD_FAILURE() << c.choice.find << " ran";
        } catch (const textreplace::ChoiceError& e) {
            EXPECT_EQ(e.field, c.field) << c.choice.find;
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(column(1), (std::vector<std::string>{"abc"}));
    EXPECT_FALSE(m_store.CanUndo());
}
