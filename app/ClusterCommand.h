#pragma once

#include <string>
#include <vector>

// `tabvane --cluster NAME --method METHOD INPUT`: the clusters of
// near-identical values in one column of a file, as JSON on standard output,
// with no window and no display. Reports go to standard error.
namespace ClusterCommand {

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

} // namespace ClusterCommand
