#pragma once

#include <string>
#include <vector>

// `tabvane --profile INPUT [--column NAME]`: what each column of a file
// holds (counts, types, ranges, most frequent values, blemishes), as JSON on
// standard output, with no window and no display. Reports go to standard
// error.
namespace ProfileCommand {

// The exit statuses, as --help lists them.
enum Status {
    Done = 0,
    BadCommandLine = 1,
    NoSuchColumn = 2,
    InputUnreadable = 3,
};

extern const char* const Help;

// `arguments` are the program's, its own name first.
bool asked(const std::vector<std::string>& arguments);
int run(const std::vector<std::string>& arguments);

} // namespace ProfileCommand
