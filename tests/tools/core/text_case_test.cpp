#include <gtest/gtest.h>

#include "tools/TextCase.h"

TEST(TextCase, ProperCaseStartsWordsOnlyAfterBlanks)
{
    EXPECT_EQ(toProperCase("red-blue o'clock"), "Red-blue O'clock");
    EXPECT_EQ(toProperCase("NEW YORK"), "New York") << "capital words keep only their first letter";
    EXPECT_EQ(toProperCase("a\tb\nc\rd\ve\ff"), "A\tB\nC\rD\vE\fF");
    EXPECT_EQ(toProperCase(std::string("x\0y", 3)), std::string("X\0Y", 3));
    EXPECT_EQ(toProperCase("3rd st.lane"), "3rd St.lane") << "digits and full stops start no word";
    EXPECT_EQ(toProperCase(""), "");
}

TEST(TextCase, WholeUnicodeCharactersAreConvertedInvalidBytesPassUnchanged)
{
    EXPECT_EQ(toProperCase("élan"), "Élan");
    EXPECT_EQ(toProperCase("ÉCOLE ŁÓDŹ"), "École Łódź");
    EXPECT_EQ(toLowerCase("STRASSE"), "strasse");
    EXPECT_EQ(toUpperCase("straße"), "STRASSE") << "full case mapping";
    EXPECT_EQ(toUpperCase("żółw"), "ŻÓŁW");
    EXPECT_EQ(toLowerCase("ΣΟΦΙΑ"), "σοφια");
    // Characters outside the Basic Multilingual Plane are one character, not two halves.
    EXPECT_EQ(toProperCase("𐐨x"), "𐐀x");
    EXPECT_EQ(toUpperCase("日本 abc"), "日本 ABC");
    // Invalid bytes pass unchanged.
    const std::string broken = std::string("ab\xff") + "c\xc3" + " d\xe2\x82";
    EXPECT_EQ(toUpperCase(broken), std::string("AB\xff") + "C\xc3" + " D\xe2\x82");
    EXPECT_EQ(toProperCase(std::string("\xff" "abc DEF")), std::string("\xff" "abc Def"))
        << "an invalid byte is not a blank, so the word goes on";
    EXPECT_EQ(toLowerCase(std::string("\xc3\xa9\xc3")), std::string("\xc3\xa9\xc3"));
}

TEST(TextCase, SentenceCaseUpperCasesAfterFullStopsAndLowersNothing)
{
    EXPECT_EQ(toSentenceCase("end. next one."), "End. Next one.");
    EXPECT_EQ(toSentenceCase("ALL CAPS."), "ALL CAPS.");
    EXPECT_EQ(toSentenceCase("a. . b"), "A. . b") << "the second stop is what follows the first";
    EXPECT_EQ(toSentenceCase("one.\ntwo"), "One.\ntwo") << "a line break is not skipped";
    EXPECT_EQ(toSentenceCase("done.   "), "Done.   ");
    EXPECT_EQ(toSentenceCase("é. ü"), "É. Ü");
    EXPECT_EQ(toSentenceCase(" lead"), " lead") << "the first character is a space";
    EXPECT_EQ(toSentenceCase(""), "");
}
