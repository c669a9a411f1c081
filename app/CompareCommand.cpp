#include "app/CompareCommand.h"

#include <cstdio>
#include <thread>
#include <tuple>

#include "app/CommandFile.h"
#include "combine/FileCompare.h"
#include "store/CSVDBS.h"

namespace CompareCommand {

const char* const Help =
    "       tabvane --compare OLD NEW [--key NAME] [options]\n"
    "\n"
    "Prints what changed from OLD to NEW as CSV, with no window: a first column\n"
    "\"change\" (added, removed or changed) and then the columns of both files,\n"
    "the new values; each changed row is followed by a row \"was\" with its old\n"
    "values. Columns are matched by heading. The reading options apply to both\n"
    "files; each file's own separator and encoding are found where they are not\n"
    "given. Exit status 0: the same; 1: different; 2: trouble (a file that\n"
    "cannot be read, a key column missing, empty or repeated).\n"
    "\n"
    "  --key NAME         Pair the rows by the column NAME, whose values must be\n"
    "                     unique in each file. Without it, by row position.\n";

namespace {

struct Request {
    std::string older, newer, key;
    ReadingOptions reading;
};

void say(const std::string& text) { std::fprintf(stderr, "tabvane: %s\n", text.c_str()); }

int fail(const std::string& text)
{
    say(text);
    return Trouble;
}

bool parse(const std::vector<std::string>& arguments, Request& request, std::string& error)
{
    std::vector<std::string> files;
    for (std::size_t i = 1; i < arguments.size() && error.empty();) {
        const std::string& argument = arguments[i];
        if (request.reading.take(arguments, i, error))
            continue;
        if (argument == "--key") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                error = "the option --key needs a column name";
                break;
            }
            request.key = arguments[i + 1];
            i += 2;
            continue;
        }
        if (argument != "--compare" && argument.size() > 1 && argument[0] == '-')
            error = "unknown option '" + argument + "'";
        else if (argument != "--compare")
            files.push_back(argument);
        ++i;
    }
    if (error.empty() && files.size() != 2)
        error = "--compare takes two files, OLD and NEW";
    if (!error.empty())
        return false;
    request.older = files[0];
    request.newer = files[1];
    return true;
}

} // namespace

bool asked(const std::vector<std::string>& arguments) { return commandAsked(arguments, "--compare"); }

int run(const std::vector<std::string>& arguments)
{
    Request request;
    std::string error;
    if (!parse(arguments, request, error))
        return fail(error + ".\nTry 'tabvane --help' for more information.");

    // Nothing here is undone: the history would only cost memory. The two
    // files are read side by side.
    CSVDBS older, newer;
    ReadOutcome oldRead, newRead;
    for (CSVDBS* store : {&older, &newer}) {
        store->HistoryBudget(0);
        store->HeadingsSuffice(true);
    }
    std::thread second([&] { newRead = readForCommand(newer, request.newer, request.reading, true); });
    oldRead = readForCommand(older, request.older, request.reading, true);
    second.join();
    for (const auto& [read, store, path] : {std::tuple{&oldRead, &older, &request.older},
                                            std::tuple{&newRead, &newer, &request.newer}}) {
        if (!read->loaded)
            return fail(*path + ": " + read->error);
        say("read " + *path + " with " + read->choices + ": " + std::to_string(store->RecordsHeld()) + " rows, "
            + std::to_string(store->FieldCount()) + " columns.");
        for (const std::string& warning : read->warnings)
            say("warning: " + *path + ": " + warning + ".");
    }

    FileCompare::Result result;
    try {
        result = FileCompare::compare(older, newer, request.key, request.older, request.newer);
    } catch (const FileCompare::CompareError& problem) {
        return fail(problem.what());
    }
    if (result.differs()) {
        bool written = true;
        FileCompare::writeDifferences(older, newer, result, "\n", [&](std::string_view piece) {
            written = written && std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size();
        });
        if (!written || std::fflush(stdout) != 0)
            return fail("the differences could not be written to standard output.");
    }
    say(FileCompare::describe(result.counts) + (request.key.empty() ? " (by row position)." : " (by key \"" + request.key + "\")."));
    return result.differs() ? Different : Same;
}

} // namespace CompareCommand
