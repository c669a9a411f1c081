// The recipe text: what it keeps, and what a text that cannot be a recipe is
// told. That a recipe's steps run again to the same bytes is the replay test.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "store/Recipe.h"

TEST(Recipe, KeepsItsStepsAndMarksTheRowBoundOnes)
{
    const Recipe made{"Monthly \"export\"", false,
                      {{"SortDataAt", {{"direction", "2"}, {"field", "3"}}},
                       {"PutValue", {{"record", "12"}, {"field", "1"}, {"value", "Zürich\t\"x\"\r\n"}}},
                       {"RemoveDuplicateRows", {}}},
                      {"", "", "Remove Duplicates"}};
    const std::string text = recipeText(made);
    EXPECT_NE(text.find("\"rowBound\": true"), std::string::npos) << text;
    EXPECT_EQ(text.find("\"rowBound\": true"), text.rfind("\"rowBound\": true")) << "only the cell edit is row-bound";
    const Recipe read = readRecipe(text);
    EXPECT_EQ(read.name, made.name);
    EXPECT_FALSE(read.headings);
    ASSERT_EQ(read.steps.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read.steps[i].name, made.steps[i].name);
        EXPECT_EQ(read.label(i), made.label(i));
        for (const auto& parameter : made.steps[i].parameters)
            EXPECT_NE(std::find(read.steps[i].parameters.begin(), read.steps[i].parameters.end(), parameter),
                      read.steps[i].parameters.end()) << parameter.first;
        EXPECT_EQ(read.steps[i].parameters.size(), made.steps[i].parameters.size());
    }
}

TEST(Recipe, ATextThatCannotBeARecipeSaysWhereAndWhy)
{
    const struct {
        const char* text;
        const char* why;
    } cases[] = {
        {"{\n  \"tabvane-recipe\": 1,\n  \"steps\": [\n    {\"operation\": \"SortDataAt\",}\n  ]\n}",
         "The recipe is not JSON: line 4: "},
        {"[1, 2]", "The file is not a recipe: it has no \"tabvane-recipe\" version."},
        {"{\"tabvane-recipe\": 2, \"steps\": []}", "The recipe is of version 2; this program reads version 1."},
        {"{\"tabvane-recipe\": 1}", "The recipe has no list of \"steps\"."},
        {"{\"tabvane-recipe\": 1, \"steps\": [{\"operation\": \"RemoveDuplicateRows\"}, {\"operation\": \"Shuffle\"}]}",
         "Step 2: \"Shuffle\" is not an operation this program knows."},
        {"{\"tabvane-recipe\": 1, \"steps\": [{\"parameters\": {}}]}", "Step 1 names no operation."},
        {"{\"tabvane-recipe\": 1, \"steps\": [{\"operation\": \"SortDataAt\", \"parameters\": {\"field\": 3}}]}",
         "Step 1 (SortDataAt): \"field\" is not a string."},
        {"{\"tabvane-recipe\": 1, \"steps\": [{\"operation\": \"SortDataAt\", \"parameters\": [\"3\"]}]}",
         "Step 1 (SortDataAt): \"parameters\" is not an object."},
    };
    for (const auto& c : cases) {
        try {
            readRecipe(c.text);
            ADD_FAILURE() << "read: " << c.text;
        } catch (const RecipeError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, std::string(c.why).size()), c.why) << c.text;
        }
    }
}
