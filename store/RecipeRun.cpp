#include "store/RecipeRun.h"

#include <exception>

#include "store/CSVDBS.h"
#include "store/StepScope.h"

namespace {

const char* const ApplyRecipe = "ApplyRecipe";

// 1204 as "1,204", as the status line writes counts.
std::string grouped(std::int64_t n)
{
    const std::string digits = std::to_string(n < 0 ? -n : n);
    std::string out = n < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

std::string counted(std::int64_t n, const char* one, const char* many)
{
    return grouped(n) + " " + (n == 1 ? one : many);
}

std::string stepNameOf(const Recipe& recipe)
{
    return recipe.name.empty() ? std::string("Apply Recipe") : "Recipe \"" + recipe.name + "\"";
}

bool runs(const Recipe& recipe, const RecipeChoices& choices, std::size_t step)
{
    if (step < choices.chosen.size() && !choices.chosen[step])
        return false;
    return choices.rowBoundApply || !isRowBound(recipe.steps[step]);
}

// The steps that run, as the operation data of the one step they make: run
// again (by a crash journal), they are all that is needed.
StepOperation asOperation(const Recipe& recipe, const RecipeChoices& choices)
{
    Recipe ran{recipe.name, recipe.headings, {}, {}};
    for (std::size_t i = 0; i < recipe.steps.size(); ++i)
        if (runs(recipe, choices, i)) {
            ran.steps.push_back(recipe.steps[i]);
            ran.labels.push_back(recipe.label(i));
        }
    return {ApplyRecipe,
            {{"recipe", recipeText(ran)}, {"byPosition", choices.columns == replay::Columns::ByPosition ? "1" : "0"}}};
}

} // namespace

std::size_t RecipeOutcome::skippedRowBound() const
{
    std::size_t n = 0;
    for (const RecipeStepOutcome& step : steps)
        n += step.state == RecipeStepOutcome::State::SkippedRowBound;
    return n;
}

std::string stepReport(const std::string& label, const StepOperation& operation, const RecipeStepOutcome& outcome)
{
    using State = RecipeStepOutcome::State;
    if (outcome.state == State::LeftOut)
        return label + ": not chosen";
    if (outcome.state == State::SkippedRowBound)
        return label + ": skipped, since it changes particular rows of the file the recipe was made on";
    std::vector<std::string> parts;
    if (outcome.rowsAfter < outcome.rowsBefore)
        parts.push_back(counted(outcome.rowsBefore - outcome.rowsAfter, "row removed", "rows removed"));
    if (outcome.rowsAfter > outcome.rowsBefore)
        parts.push_back(counted(outcome.rowsAfter - outcome.rowsBefore, "row added", "rows added"));
    if (outcome.fieldsAfter < outcome.fieldsBefore)
        parts.push_back(counted(outcome.fieldsBefore - outcome.fieldsAfter, "column removed", "columns removed"));
    if (outcome.fieldsAfter > outcome.fieldsBefore)
        parts.push_back(counted(outcome.fieldsAfter - outcome.fieldsBefore, "column added", "columns added"));
    if (outcome.valuesChanged > 0)
        parts.push_back(counted(outcome.valuesChanged, "value changed", "values changed"));
    if (parts.empty() && operation.name.starts_with("Sort"))
        parts.push_back(counted(outcome.rowsAfter, "row sorted", "rows sorted"));
    if (parts.empty())
        return label + ": no change";
    std::string text = label + ": " + parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i)
        text += ", " + parts[i];
    return text;
}

RecipeOutcome applyRecipe(CSVDBS& store, const Recipe& recipe, const RecipeChoices& choices)
{
    RecipeOutcome outcome;
    outcome.steps.resize(recipe.steps.size());
    std::size_t toRun = 0;
    for (std::size_t i = 0; i < recipe.steps.size(); ++i)
        toRun += runs(recipe, choices, i);
    StepScope scope(store, stepNameOf(recipe), asOperation(recipe, choices));
    std::size_t done = 0;
    for (std::size_t i = 0; i < recipe.steps.size(); ++i) {
        RecipeStepOutcome& step = outcome.steps[i];
        if (!runs(recipe, choices, i)) {
            step.state = !choices.rowBoundApply && isRowBound(recipe.steps[i]) ? RecipeStepOutcome::State::SkippedRowBound
                                                                                : RecipeStepOutcome::State::LeftOut;
            continue;
        }
        if (choices.beforeStep)
            choices.beforeStep(i, done, toRun);
        step.rowsBefore = store.RecordCount();
        step.fieldsBefore = store.FieldCount();
        const std::int64_t valuesBefore = store.StepHistory().openValuesChanged();
        try {
            replay::run(store, recipe.steps[i], choices.columns);
        } catch (const WorkCancelled&) {
            throw; // the whole recipe is taken back, with no step to blame
        } catch (const std::exception& error) {
            outcome.failure = error.what();
            outcome.failedStep = i;
            break;
        }
        step.rowsAfter = store.RecordCount();
        step.fieldsAfter = store.FieldCount();
        step.valuesChanged = store.StepHistory().openValuesChanged() - valuesBefore;
        ++done;
    }
    if (!outcome.applied()) {
        // Run inside another step (a journal's replay), the outer step is
        // the one to take back, so the failure goes to it.
        if (scope.opened())
            outcome.takenBack = scope.abandon();
        else if (store.StepHistory().budget() > 0)
            throw replay::ReplayError(recipe.label(outcome.failedStep) + ": " + outcome.failure);
    }
    return outcome;
}

Recipe recipeOfSteps(const CSVDBS& store, const std::string& name, std::uint64_t& forgotten)
{
    const History& history = store.StepHistory();
    forgotten = history.forgottenCount();
    Recipe recipe{name, store.HeaderLine(), {}, {}};
    for (std::size_t i = 0; i < history.doneCount(); ++i) {
        const Step& step = history.doneStep(i);
        StepOperation operation = step.operation();
        if (operation.name == ApplyRecipe) {
            // A recipe run as one step gives its own steps.
            const Recipe inner = readRecipe(replay::Parameters(operation).text("recipe"));
            for (std::size_t j = 0; j < inner.steps.size(); ++j) {
                recipe.steps.push_back(inner.steps[j]);
                recipe.labels.push_back(inner.label(j));
            }
            continue;
        }
        recipe.steps.push_back(std::move(operation));
        recipe.labels.push_back(step.name());
    }
    return recipe;
}

void addRecipeOperation()
{
    replay::add(ApplyRecipe, [](CSVDBS& store, const replay::Parameters& p) {
        RecipeChoices choices;
        choices.rowBoundApply = true;
        choices.columns = p.flag("byPosition") ? replay::Columns::ByPosition : replay::Columns::ByHeading;
        Recipe recipe;
        try {
            recipe = readRecipe(p.text("recipe"));
        } catch (const RecipeError& error) {
            throw replay::ReplayError(error.what());
        }
        applyRecipe(store, recipe, choices);
    });
}
