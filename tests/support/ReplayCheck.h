#pragma once

#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/CSVDBS.h"
#include "store/Recipe.h"
#include "store/Replay.h"
#include "tests/support/TempDir.h"

// A store driven at random, and the operation data of the steps it has done.
struct ReplayLive {
    CSVDBS store;
    std::mt19937 rng;
    TempDir& dir;
    std::vector<StepOperation> done, undone;

    int pick(int n) { return n < 1 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(n)); }
    int field() { return 1 + pick(store.FieldCount()); }
    CSVDBS::RecordNo record() { return 1 + pick(static_cast<int>(store.RecordCount())); }

    // Runs `change`; a step it made joins the steps done, and redo is gone.
    void step(const std::function<void()>& change)
    {
        const std::uint64_t before = store.StepHistory().position();
        change();
        if (store.StepHistory().position() != before) {
            done.push_back(store.StepHistory().lastDone()->operation());
            undone.clear();
        }
    }
    void undo()
    {
        if (store.Undo()) {
            undone.push_back(done.back());
            done.pop_back();
        }
    }
    void redo()
    {
        if (store.Redo()) {
            done.push_back(undone.back());
            undone.pop_back();
        }
    }
};

// For each seed: runs `steps` operations picked at random from those
// `operations` gives, undo and redo among them, on `sample` as loaded; then
// replays the operation data of the steps done, kept as a recipe, on the
// file as loaded, and expects the same saved bytes.
inline void expectReplayGivesSameBytes(const std::string& sample, unsigned seeds, int steps,
                                       const std::function<std::vector<std::function<void()>>(ReplayLive&)>& operations)
{
    for (unsigned seed = 1; seed <= seeds; ++seed) {
        TempDir dir;
        ReplayLive live{{}, std::mt19937(seed), dir, {}, {}};
        live.store.FileName(dir.file("live.csv", sample));
        ASSERT_TRUE(live.store.LoadFile());
        std::vector<std::function<void()>> run = operations(live);
        run.push_back([&] { live.undo(); });
        run.push_back([&] { live.redo(); });
        for (int n = 0; n < steps; ++n)
            run[static_cast<std::size_t>(live.pick(static_cast<int>(run.size())))]();
        ASSERT_TRUE(live.store.WriteFile());

        CSVDBS again;
        again.FileName(dir.file("again.csv", sample));
        ASSERT_TRUE(again.LoadFile());
        // Through a recipe's text, as a user keeps them.
        const Recipe recipe = readRecipe(recipeText({"replay", true, live.done, {}}));
        for (const StepOperation& op : recipe.steps)
            ASSERT_NO_THROW(replay::run(again, op)) << "seed " << seed << ": " << op.name;
        ASSERT_TRUE(again.WriteFile());
        ASSERT_EQ(readFile(dir.path() + "/again.csv"), readFile(dir.path() + "/live.csv")) << "seed " << seed;
    }
}
