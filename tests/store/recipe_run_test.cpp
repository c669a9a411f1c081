// A recipe run on a file: one undoable step, steps tied to rows left out on
// another file, a failure that leaves nothing half done, and the recipe of
// the steps a user has done.
#include <gtest/gtest.h>

#include "store/CSVDBS.h"
#include "store/RecipeRun.h"
#include "tests/support/TempDir.h"

namespace {

const char* const Sample = "Name,City\r\nBo,Rome\r\nAl,Oslo\r\nBo,Rome\r\nCy,Rome\r\n";

void load(CSVDBS& store, TempDir& dir, const char* name, const char* text = Sample)
{
    store.FileName(dir.file(name, text));
    ASSERT_TRUE(store.LoadFile());
}

std::string saved(CSVDBS& store)
{
    EXPECT_TRUE(store.WriteFile());
    return readFile(store.FileName());
}

} // namespace

TEST(RecipeRun, RunsAsOneStepAndLeavesRowBoundStepsOnAnotherFile)
{
    addRecipeOperation();
    TempDir dir;
    CSVDBS made;
    load(made, dir, "made.csv");
    made.RemoveDuplicates({1, 2});
    made.SortDataAt(1, 1);
    made.PutValue(1, 2, "Paris");
    made.AddField("Zip", "0");
    made.Undo();
    std::uint64_t forgotten = 1;
    const Recipe recipe = recipeOfSteps(made, "Monthly", forgotten);
    EXPECT_EQ(forgotten, 0u);
    ASSERT_EQ(recipe.steps.size(), 3u) << "up to the present point of undo";
    EXPECT_TRUE(recipe.headings);
    EXPECT_TRUE(isRowBound(recipe.steps[2]));

    CSVDBS other;
    load(other, dir, "other.csv", "City,Name\r\nRome,Cy\r\nOslo,Al\r\nOslo,Al\r\n");
    const std::string before = readFile(other.FileName());
    std::vector<std::size_t> seen;
    RecipeChoices choices;
    choices.beforeStep = [&](std::size_t index, std::size_t, std::size_t of) {
        seen.push_back(index);
        EXPECT_EQ(of, 2u);
    };
    const RecipeOutcome outcome = applyRecipe(other, recipe, choices);
    ASSERT_TRUE(outcome.applied()) << outcome.failure;
    EXPECT_EQ(seen, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(outcome.skippedRowBound(), 1u);
    EXPECT_EQ(stepReport(recipe.label(0), recipe.steps[0], outcome.steps[0]), "Remove Duplicates: 1 row removed");
    EXPECT_EQ(stepReport(recipe.label(1), recipe.steps[1], outcome.steps[1]), "Sort: 2 rows sorted");
    EXPECT_EQ(stepReport("Edit", recipe.steps[2], outcome.steps[2]).substr(0, 13), "Edit: skipped");
    RecipeStepOutcome big;
    big.rowsBefore = 2'000'000;
    big.rowsAfter = 798'796;
    big.valuesChanged = 1'204;
    EXPECT_EQ(stepReport("Dedupe", recipe.steps[0], big), "Dedupe: 1,201,204 rows removed, 1,204 values changed");
    EXPECT_EQ(other.UndoName(), "Recipe \"Monthly\"");
    const std::string after = saved(other);
    EXPECT_EQ(after, "City,Name\r\nOslo,Al\r\nRome,Cy\r\n");

    // The step's data is the recipe: run again on the file as loaded, as a
    // crash journal does, it gives the same bytes.
    CSVDBS again;
    load(again, dir, "again.csv", before.c_str());
    ASSERT_NO_THROW(replay::run(again, other.StepHistory().lastDone()->operation(), replay::Columns::ByPosition));
    EXPECT_EQ(saved(again), after);
    EXPECT_EQ(recipeOfSteps(other, "", forgotten).steps.size(), 2u) << "a recipe's step gives its own steps";

    ASSERT_TRUE(other.Undo());
    EXPECT_EQ(saved(other), before) << "one undo takes back the whole recipe";

    choices.chosen = {false, true, true};
    choices.rowBoundApply = true;
    choices.beforeStep = {};
    const RecipeOutcome chosen = applyRecipe(made, recipe, choices);
    EXPECT_EQ(chosen.steps[0].state, RecipeStepOutcome::State::LeftOut);
    EXPECT_EQ(chosen.steps[2].state, RecipeStepOutcome::State::Done) << "on its own file a row-bound step applies";
}

TEST(RecipeRun, AStepThatCannotApplyTakesBackTheWholeRecipe)
{
    TempDir dir;
    CSVDBS store;
    load(store, dir, "in.csv");
    const std::string before = readFile(store.FileName());
    store.AddField("Kept", "");
    const Recipe recipe{"r", true,
                        {{"RemoveDuplicateRows", {}},
                         {"AddField", {{"name", "Zip"}, {"default", "1"}}},
                         {"SortDataAt", {{"direction", "1"}, {"field", "9"}, {"fieldName", "Town"}}},
                         {"RemoveDuplicateRows", {}}},
                        {}};
    const RecipeOutcome outcome = applyRecipe(store, recipe, {});
    EXPECT_FALSE(outcome.applied());
    EXPECT_EQ(outcome.failedStep, 2u);
    EXPECT_EQ(outcome.failure, "The file has no column \"Town\".");
    EXPECT_TRUE(outcome.takenBack);
    EXPECT_EQ(store.UndoName(), "Insert Column") << "the step before the recipe is the one to undo";
    EXPECT_FALSE(store.CanRedo()) << "a recipe taken back cannot be redone half";
    ASSERT_TRUE(store.Undo());
    EXPECT_EQ(saved(store), before);
}
