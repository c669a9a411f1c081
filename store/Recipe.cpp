#include "store/Recipe.h"

#include <algorithm>
#include <array>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "store/Replay.h"

namespace {

QString qText(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string stdText(const QString& text) { return text.toStdString(); }

// The 1-based line of a byte offset in `text`.
long long lineAt(std::string_view text, qsizetype offset)
{
    const auto end = text.begin() + std::clamp<qsizetype>(offset, 0, static_cast<qsizetype>(text.size()));
    return 1 + std::count(text.begin(), end, '\n');
}

std::string stepName(std::size_t index) { return "Step " + std::to_string(index + 1); }

} // namespace

bool isRowBound(const StepOperation& operation)
{
    static constexpr std::array<std::string_view, 8> rowBound = {
        "PutValue", "SetField", "DeleteRecord", "DeleteRecords", "Paste", "ClearCells", "MoveRecordsToTop", "NewRecord"};
    return std::find(rowBound.begin(), rowBound.end(), operation.name) != rowBound.end();
}

std::string recipeText(const Recipe& recipe)
{
    QJsonArray steps;
    for (std::size_t i = 0; i < recipe.steps.size(); ++i) {
        const StepOperation& operation = recipe.steps[i];
        QJsonObject parameters;
        for (const auto& [key, value] : operation.parameters)
            parameters.insert(qText(key), qText(value));
        QJsonObject step{{"operation", qText(operation.name)}, {"parameters", parameters}};
        if (recipe.label(i) != operation.name)
            step.insert("step", qText(recipe.label(i)));
        if (isRowBound(operation))
            step.insert("rowBound", true);
        steps.append(step);
    }
    const QJsonObject root{{"tabvane-recipe", Recipe::Version},
                           {"name", qText(recipe.name)},
                           {"headings", recipe.headings},
                           {"steps", steps}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

Recipe readRecipe(std::string_view text)
{
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
    if (error.error != QJsonParseError::NoError)
        throw RecipeError("The recipe is not JSON: line " + std::to_string(lineAt(text, error.offset)) + ": "
                          + stdText(error.errorString()) + ".");
    const QJsonObject root = document.object();
    if (!document.isObject() || !root.value("tabvane-recipe").isDouble())
        throw RecipeError("The file is not a recipe: it has no \"tabvane-recipe\" version.");
    const int version = root.value("tabvane-recipe").toInt();
    if (version != Recipe::Version)
        throw RecipeError("The recipe is of version " + std::to_string(version) + "; this program reads version "
                          + std::to_string(Recipe::Version) + ".");
    Recipe recipe;
    recipe.name = stdText(root.value("name").toString());
    recipe.headings = root.value("headings").toBool(true);
    if (!root.value("steps").isArray())
        throw RecipeError("The recipe has no list of \"steps\".");
    const QJsonArray steps = root.value("steps").toArray();
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const std::string where = stepName(static_cast<std::size_t>(i));
        const QJsonObject step = steps.at(i).toObject();
        if (!steps.at(i).isObject() || !step.value("operation").isString())
            throw RecipeError(where + " names no operation.");
        StepOperation operation{stdText(step.value("operation").toString()), {}};
        if (!replay::knows(operation.name))
            throw RecipeError(where + ": \"" + operation.name + "\" is not an operation this program knows.");
        const QJsonValue parameters = step.value("parameters");
        if (!parameters.isUndefined() && !parameters.isObject())
            throw RecipeError(where + " (" + operation.name + "): \"parameters\" is not an object.");
        const QJsonObject values = parameters.toObject();
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (!it.value().isString())
                throw RecipeError(where + " (" + operation.name + "): \"" + stdText(it.key()) + "\" is not a string.");
            operation.parameters.emplace_back(stdText(it.key()), stdText(it.value().toString()));
        }
        if (step.contains("step") && !step.value("step").isString())
            throw RecipeError(where + " (" + operation.name + "): \"step\" is not a string.");
        recipe.steps.push_back(std::move(operation));
        recipe.labels.push_back(stdText(step.value("step").toString()));
    }
    return recipe;
}
