#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/Recipe.h"
#include "store/Replay.h"

class CSVDBS;

// How a recipe runs on a file.
struct RecipeChoices {
    replay::Columns columns = replay::Columns::ByHeading;
    // The file is the one the recipe was made on, as loaded: steps tied to
    // its rows apply. On any other file they are skipped.
    bool rowBoundApply = false;
    // A flag per step: whether the user chose it. Empty chooses them all.
    std::vector<bool> chosen;
    // Before each step that runs: its index and how many will run.
    std::function<void(std::size_t index, std::size_t done, std::size_t of)> beforeStep;
};

// What one step of a recipe did.
struct RecipeStepOutcome {
    enum class State { Done, LeftOut, SkippedRowBound };
    State state = State::Done;
    std::int64_t rowsBefore = 0, rowsAfter = 0;
    int fieldsBefore = 0, fieldsAfter = 0;
    std::int64_t valuesChanged = 0;
};

struct RecipeOutcome {
    std::vector<RecipeStepOutcome> steps;
    // Empty when every step ran; else why the step `failedStep` could not,
    // and every change of the recipe was taken back.
    std::string failure;
    std::size_t failedStep = 0;
    // Whether the changes of the steps before it were taken back: not when
    // the history keeps nothing (a command-line run, which then writes
    // nothing).
    bool takenBack = false;
    bool applied() const { return failure.empty(); }
    std::size_t skippedRowBound() const;
};

// The step "Remove Duplicates: 1,204 rows" describes.
std::string stepReport(const std::string& label, const StepOperation& operation, const RecipeStepOutcome& outcome);

// Runs the recipe's chosen steps on `store` as one undoable step named after
// the recipe. A step that cannot run (a column it names is missing, a second
// file is gone) stops the run and takes back what the recipe did.
RecipeOutcome applyRecipe(CSVDBS& store, const Recipe& recipe, const RecipeChoices& choices);

// The recipe of the steps done on `store` so far, up to the present point of
// undo, named `name`. `forgotten` is set to how many older steps the undo
// budget no longer holds (they cannot be in it).
Recipe recipeOfSteps(const CSVDBS& store, const std::string& name, std::uint64_t& forgotten);

// Makes a recipe run as one step (its operation data holds the recipe's
// text) known to the replay of steps.
void addRecipeOperation();
