#pragma once

#include <string>
#include <vector>

// `tabvane --compare OLD NEW [--key NAME]`: what changed between two versions
// of a file, as CSV on standard output, with no window and no display.
// Reports go to standard error.
namespace CompareCommand {

// The exit statuses, as diff and cmp give them.
enum Status {
    Same = 0,
    Different = 1,
    Trouble = 2, // a bad command line, a file that cannot be read, a key that cannot pair the rows
};

extern const char* const Help;

// `arguments` are the program's, its own name first.
bool asked(const std::vector<std::string>& arguments);
int run(const std::vector<std::string>& arguments);

} // namespace CompareCommand
