#pragma once

#include <string>
#include <vector>

// `tabvane --apply RECIPE INPUT -o OUTPUT`: runs a recipe on a file with no
// window and no display. Reports go to standard error, results (the file with
// `-o -`, the counts of --dry-run) to standard output.
namespace ApplyCommand {

// The exit statuses, as --help and the README list them.
enum Status {
    Done = 0,
    BadCommandLine = 1,
    RecipeUnreadable = 2, // not a recipe, or made with headings the input lacks
    InputUnreadable = 3,
    StepFailed = 4,       // a step could not apply; nothing written
    StrictWarning = 5,    // --strict, and something would be left out or skipped
    OutputUnwritable = 6,
};

extern const char* const Help;

// `arguments` are the program's, its own name first.
bool asked(const std::vector<std::string>& arguments);
int run(const std::vector<std::string>& arguments);

} // namespace ApplyCommand
