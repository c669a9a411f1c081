#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/read/TextEncoding.h"

class CSVDBS;

// How a command-line run reads its input: what the options say, and the
// rest as the window's own detection would choose it.
struct ReadingOptions {
    std::optional<std::string> separator;
    bool standard = false;
    std::optional<FileEncoding> encoding;
    std::optional<bool> header;
    // Lines with fewer values than fields read with the missing values empty.
    bool fillShort = false;

    // Takes the reading option at `arguments[at]` (and its value after it),
    // moving `at` past what it took. False when it is no reading option;
    // `error` is set when it is one used wrongly.
    bool take(const std::vector<std::string>& arguments, std::size_t& at, std::string& error);
};

// Whether the program's arguments (its own name first) ask for the command
// `option` ("--apply"): it comes before any "--", and no help is asked.
bool commandAsked(const std::vector<std::string>& arguments, const char* option);

// The options as --help lists them.
extern const char* const ReadingOptionsHelp;

struct ReadOutcome {
    bool loaded = false;
    std::string error;   // why it could not be read
    std::string choices; // "separator comma (,), a header line, ..."
    // Values left out, as the window would tell the user.
    std::vector<std::string> warnings;
};

// Loads `path` into `store`. Where an option is not given, a file that is not
// UTF-8 is read as Western (Windows-1252), lines that end in a line feed alone
// end records, a file that reads as one column takes the separator its lines
// share, and a file the simple rule cannot read whole is read as standard
// CSV, as the window offers to do. `headerByDefault` stands for the header
// line when the options leave it open.
ReadOutcome readForCommand(CSVDBS& store, const std::string& path, const ReadingOptions& options,
                           bool headerByDefault);
