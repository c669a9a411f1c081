// The main window's recipes: the steps done so far kept as a file, and a
// recipe's steps run on the open file.
#include "app/Form1.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "app/RecipeDialog.h"
#include "app/StatusLine.h"
#include "platform/Prompter.h"
#include "store/CSVDBS.h"
#include "store/RecipeRun.h"
#include "window/AppTitle.h"
#include "window/CommandScope.h"
#include "window/Procedure.h"

namespace {

const QString RecipeFilter = QStringLiteral("Recipes|*.tabvane-recipe|All Files|*.*");
const QString RecipeSuffix = QStringLiteral(".tabvane-recipe");

QString folderOf(const CSVDBS& store)
{
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(store.FileName()))).absolutePath();
}

bool writeRecipe(const QString& path, const Recipe& recipe, QString& error)
{
    QSaveFile file(path);
    const std::string text = recipeText(recipe);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0
        || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

void Form1::SaveRecipe_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("SaveRecipe_Click"));
    if (!m_store || isBusy(this))
        return;
    if (!m_store->HasFieldList()) {
        p.step([&] { tellUser(QStringLiteral("Please load CSV file first.")); });
        return;
    }
    std::uint64_t forgotten = 0;
    Recipe recipe;
    p.step([&] { recipe = recipeOfSteps(*m_store, std::string(), forgotten); });
    if (recipe.steps.empty()) {
        p.step([&] { tellUser(QStringLiteral("No step has been done on this file yet, so there is nothing to keep in a recipe.")); });
        return;
    }
    QString path;
    p.step([&] { path = prompter().saveFileName(QStringLiteral("Save Recipe"), RecipeFilter, folderOf(*m_store)); });
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += RecipeSuffix;
    recipe.name = QFileInfo(path).completeBaseName().toStdString();
    QString error;
    if (!writeRecipe(path, recipe, error)) {
        p.step([&] { tellUser(QStringLiteral("The recipe could not be saved to \"%1\": %2").arg(path, error)); });
        return;
    }
    std::size_t rowBound = 0;
    for (const StepOperation& step : recipe.steps)
        rowBound += isRowBound(step);
    QString notes;
    if (rowBound > 0)
        notes += QStringLiteral("\n\n%1 of them change particular rows of this file (a cell edit, a row deleted, a "
                                "paste). They are kept, marked so; on another file they are skipped.")
                     .arg(rowBound);
    if (forgotten > 0)
        notes += QStringLiteral("\n\nThe %1 oldest step(s) are no longer kept for undo, so the recipe begins after them.")
                     .arg(forgotten);
    if (!notes.isEmpty())
        p.step([&] {
            tellUser(QStringLiteral("Saved %1 step(s) to \"%2\".").arg(recipe.steps.size()).arg(QFileInfo(path).fileName())
                     + notes);
        });
    m_status->say(QStringLiteral("Saved the recipe ") + QFileInfo(path).fileName());
}

void Form1::ApplyRecipe_Click()
{
    Procedure p(QStringLiteral("Form1"), QStringLiteral("ApplyRecipe_Click"));
    if (!m_store || isBusy(this))
        return;
    if (!m_store->HasFieldList()) {
        p.step([&] { tellUser(QStringLiteral("Please load CSV file first.")); });
        return;
    }
    QString path;
    p.step([&] { path = prompter().openFileName(QStringLiteral("Apply Recipe"), RecipeFilter, folderOf(*m_store)); });
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        p.step([&] { tellUser(QStringLiteral("The recipe \"%1\" cannot be read: %2").arg(path, file.errorString())); });
        return;
    }
    const QByteArray text = file.readAll();
    Recipe recipe;
    try {
        recipe = readRecipe(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    } catch (const RecipeError& error) {
        p.step([&] {
            tellUser(QStringLiteral("\"%1\" cannot be applied. %2").arg(QFileInfo(path).fileName(), QString::fromStdString(error.what())));
        });
        return;
    }
    if (recipe.name.empty())
        recipe.name = QFileInfo(path).completeBaseName().toStdString();
    QString summary;
    p.step([&] {
        RecipeDialog dialog(this, *m_store, std::move(recipe));
        dialog.exec();
        summary = dialog.summary();
    });
    p.step([&] { loadCSVToListview(); });
    if (!summary.isEmpty())
        m_status->say(summary);
}
