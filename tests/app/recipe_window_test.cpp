// Recipes in the window: the steps a user did, saved from the File menu and
// applied to next month's file, whose columns stand elsewhere.
#include <QApplication>
#include <QHeaderView>
#include <QTimer>
#include <QTreeWidget>

#include "app/RecipeDialog.h"
#include "store/RecipeRun.h"
#include "tests/app/AppFixture.h"
#include "tests/store/StoreFixture.h"

namespace {

// Once the Apply Recipe dialog shows: unticks the steps `untick` names (by
// row) and clicks Apply.
void applyWhenShown(std::vector<int> untick = {})
{
    QTimer::singleShot(0, [untick] {
        auto* dialog = qobject_cast<RecipeDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* steps = findControl<QTreeWidget>(*dialog, QStringLiteral("lstSteps"));
        for (const int row : untick)
            steps->topLevelItem(row)->setCheckState(0, Qt::Unchecked);
        clickControl(*dialog, QStringLiteral("cmdApply"));
    });
}

} // namespace

class RecipeWindowTest : public AppTest {
protected:
    RecipeWindowTest() { addRecipeOperation(); }
};

TEST_F(RecipeWindowTest, ARecipeSavedFromTheWindowCleansNextMonthsFile)
{
    open("Name,City\r\nBo,rome\r\nAl,Oslo\r\nBo,rome\r\nCy,Rome\r\n");
    click("PushButton11"); // Remove Entire Row Duplicates
    window().ListView1_HeaderClick(1);
    window().store().PutValue(1, 1, "Edited");
    m_ask.fileNames.push_back(qpath("monthly"));
    choose("mnuSaveRecipe");
    const Recipe saved = readRecipe(readFile(path("monthly.tabvane-recipe")));
    EXPECT_EQ(saved.name, "monthly");
    ASSERT_EQ(saved.steps.size(), 3u);
    EXPECT_EQ(saved.label(0), "Remove Entire Row Duplicates");
    EXPECT_NE(messages().back().find("1 of them change particular rows"), std::string::npos) << messages().back();

    // Next month: more rows, another column order.
    restart();
    open("City,Zip,Name\r\nrome,1,Bo\r\nOslo,2,Al\r\nrome,1,Bo\r\nBern,3,Di\r\n", "next.csv");
    const std::string before = readFile(path("next.csv"));
    m_ask.fileNames.push_back(qpath("monthly.tabvane-recipe"));
    applyWhenShown();
    choose("mnuApplyRecipe");
    EXPECT_EQ(rowsOf(window().store()), (Rows{{"Bern", "3", "Di"}, {"Oslo", "2", "Al"}, {"rome", "1", "Bo"}}));
    const std::string report = messages().back();
    EXPECT_NE(report.find("Remove Entire Row Duplicates: 1 row removed"), std::string::npos) << report;
    EXPECT_NE(report.find(": skipped"), std::string::npos) << "the cell edit is listed, not applied: " << report;
    EXPECT_EQ(window().undoAction()->text(), "&Undo Recipe \"monthly\"");
    choose("Undo");
    ASSERT_TRUE(window().store().WriteFile());
    EXPECT_EQ(readFile(path("next.csv")), before) << "one undo takes the whole recipe back";

    // Without a header line the columns are found by position, once the user agrees.
    restart({false});
    check12()->setChecked(false);
    open("b,x\r\na,y\r\n", "plain.csv");
    m_ask.fileNames.push_back(qpath("monthly.tabvane-recipe"));
    applyWhenShown();
    QTimer::singleShot(50, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    choose("mnuApplyRecipe");
    EXPECT_NE(m_ask.texts("yesNo").back().find("Apply it by column position"), std::string::npos);
    EXPECT_FALSE(window().store().ChangesMade()) << "No applies nothing";
}

TEST_F(RecipeWindowTest, AStepThatCannotApplyIsNamedAndNothingIsLeftHalfDone)
{
    const Recipe recipe{"r", true,
                        {{"RemoveDuplicateRows", {}}, {"SortDataAt", {{"direction", "1"}, {"field", "2"}, {"fieldName", "Town"}}}},
                        {"Remove Duplicates", "Sort"}};
    m_dir.file("r.tabvane-recipe", recipeText(recipe));
    m_dir.file("bad.tabvane-recipe", "{\"tabvane-recipe\": 7, \"steps\": []}");
    open("Name,City\r\nBo,Rome\r\nBo,Rome\r\n");
    m_ask.fileNames.push_back(qpath("r.tabvane-recipe"));
    applyWhenShown();
    choose("mnuApplyRecipe");
    EXPECT_EQ(messages().back(), "Step 2, Sort, cannot apply to this file: The file has no column \"Town\".\n\n"
                                 "Nothing of the recipe was applied.");
    EXPECT_EQ(rows(), 2);
    EXPECT_FALSE(window().store().CanUndo());
    EXPECT_FALSE(window().store().CanRedo());
    m_ask.fileNames.push_back(qpath("bad.tabvane-recipe"));
    choose("mnuApplyRecipe");
    EXPECT_EQ(messages().back(), "\"bad.tabvane-recipe\" cannot be applied. The recipe is of version 7; this program "
                                 "reads version 1.");
}
