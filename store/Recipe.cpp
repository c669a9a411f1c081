#include "store/Recipe.h"

#include <algorithm>
#include <array>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "store/Replay.h"

namespace {

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
    // A replace in the cells a selection held names them by number.
    if (operation.name == "ReplaceText")
        return std::any_of(operation.parameters.begin(), operation.parameters.end(),
                           [](const auto& p) { return p.first == "records"; });
    return std::find(rowBound.begin(), rowBound.end(), operation.name) != rowBound.end();
}

namespace {

// A JSON string: quotes, backslashes and control characters escaped, the
// rest (UTF-8 included) as it is, so that a person reads it as typed.
std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static const char digits[] = "0123456789abcdef";
                out += "\\u00";
                out += digits[(c >> 4) & 0xF];
                out += digits[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

} // namespace

// Written by hand rather than through a JSON object, which would sort the
// keys: the version comes first and each step reads in the order a person
// thinks of it.
std::string recipeText(const Recipe& recipe)
{
    std::string out = "{\n  \"tabvane-recipe\": " + std::to_string(Recipe::Version) + ",\n  \"name\": "
        + quoted(recipe.name) + ",\n  \"headings\": " + (recipe.headings ? "true" : "false") + ",\n  \"steps\": [";
    for (std::size_t i = 0; i < recipe.steps.size(); ++i) {
        const StepOperation& operation = recipe.steps[i];
        out += i == 0 ? "\n    {" : ",\n    {";
        if (recipe.label(i) != operation.name)
            out += "\n      \"step\": " + quoted(recipe.label(i)) + ",";
        out += "\n      \"operation\": " + quoted(operation.name) + ",";
        if (isRowBound(operation))
            out += "\n      \"rowBound\": true,";
        out += "\n      \"parameters\": {";
        for (std::size_t j = 0; j < operation.parameters.size(); ++j)
            out += (j == 0 ? "\n        " : ",\n        ") + quoted(operation.parameters[j].first) + ": "
                + quoted(operation.parameters[j].second);
        out += operation.parameters.empty() ? "}\n    }" : "\n      }\n    }";
    }
    return out + (recipe.steps.empty() ? "]\n}\n" : "\n  ]\n}\n");
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
