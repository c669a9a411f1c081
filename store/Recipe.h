#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/history/StepOperation.h"

// A cleanup done once, kept to run again on another file: the operation data
// of its steps, in order, as a JSON text a person can read and edit.
//
//   {
//     "tabvane-recipe": 1,
//     "name": "Monthly export",
//     "headings": true,
//     "steps": [
//       { "step": "Remove Duplicates", "operation": "RemoveDuplicateRows", "parameters": {} },
//       { "operation": "SortDataAt", "parameters": { "direction": "1", "field": "3" } },
//       { "operation": "PutValue", "rowBound": true,
//         "parameters": { "record": "12", "field": "2", "value": "Paris" } }
//     ]
//   }
//
// Every parameter is a string. "step" is the name the Edit menu gave the step;
// it may be left out. "rowBound" marks a step tied to particular
// rows of the file it was made on; it is written for the reader's sake and
// worked out again on reading.
struct Recipe {
    static constexpr int Version = 1;
    std::string name;
    // The file it was made on had a header line: columns are named by it.
    bool headings = true;
    std::vector<StepOperation> steps;
    // The steps' names for a person ("Remove Duplicates"), where known.
    std::vector<std::string> labels;
    const std::string& label(std::size_t step) const
    {
        return step < labels.size() && !labels[step].empty() ? labels[step] : steps[step].name;
    }
};

// A recipe text that cannot be read, with the line or step at fault.
struct RecipeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Whether the step is tied to particular rows of its file (a cell edit at row
// 12, deleting row 7, a paste): on another file it is skipped, not applied
// to whatever row 12 is there.
bool isRowBound(const StepOperation& operation);

std::string recipeText(const Recipe& recipe);
// Throws RecipeError: not JSON, another version, an unknown operation, a
// parameter that is not a string.
Recipe readRecipe(std::string_view text);
