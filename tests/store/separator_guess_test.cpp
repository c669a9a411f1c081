// Which separator a one-column file was written with.
#include "store/read/SeparatorGuess.h"
#include "tests/store/StoreFixture.h"
#include "tests/support/CaseName.h"

namespace {

struct GuessCase {
    const char* label;
    std::string text;
    bool standard;
    std::string separator;
    std::size_t values;
};

class FindsTheSeparator : public testing::TestWithParam<GuessCase> {};

std::vector<GuessCase> guessCases()
{
    std::string longFile = "a;b\r\n";
    for (int i = 0; i < 300; ++i)
        longFile += "1;2\r\n";
    return {
        {"semicolons with decimal commas", "a;b;c\r\n1,5;2;3\r\n\r\n4;5,25;6\r\n", false, ";", 3},
        {"tabs", "a\tb\n1\t2\n", false, "\t", 2},
        {"pipes", "a|b\r1|2\r", false, "|", 2},
        {"comma first when several fit", "a,b;c\r\n1,2;3\r\n", false, ",", 2},
        {"uneven lines", "a;b\r\n1;2;3\r\n", false, "", 0},
        {"one column", "name\r\nAnn\r\n", false, "", 0},
        {"quoted separators count only under the simple rule", "a;b\r\n\"x;y\";2\r\n", false, "", 0},
        {"standard: quoted separators and line breaks do not count", "a;b\r\n\"x;\r\ny\";2\r\n", true, ";", 2},
        {"only the first 200 lines", longFile + "1;2;3\r\n", false, ";", 2},
        {"empty", "", false, "", 0},
    };
}

} // namespace

TEST_P(FindsTheSeparator, ThatSplitsEveryLineEvenly)
{
    const GuessCase& c = GetParam();
    const SeparatorGuess guess = guessSeparator(c.text, c.standard);
    EXPECT_EQ(guess.separator, c.separator);
    if (!c.separator.empty()) {
        EXPECT_EQ(guess.values, c.values);
    }
}

INSTANTIATE_TEST_SUITE_P(SeparatorGuess, FindsTheSeparator, testing::ValuesIn(guessCases()), ByLabel());

TEST(SeparatorGuess, FileHeadDecodesUtf16AndEndsAtALineEnd)
{
    TempDir dir;
    EXPECT_EQ(fileHead(dir.file("u.csv", utf16WithMark(false, u"a;b\r\n1;2\r\n"))), "a;b\r\n1;2\r\n");
    EXPECT_EQ(fileHead(dir.file("cut.csv", "a;b\r\n1;2\r\n3;4"), 12), "a;b\r\n1;2\r");
    EXPECT_EQ(fileHead(dir.path() + "/missing.csv"), "");
}
