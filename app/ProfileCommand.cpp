#include "app/ProfileCommand.h"

#include <charconv>
#include <cstdio>

#include <unistd.h>

#include "app/CommandFile.h"
#include "store/CSVDBS.h"
#include "store/profile/ColumnProfile.h"

namespace ProfileCommand {

const char* const Help =
    "       tabvane --profile INPUT [--column NAME] [--top N] [options]\n"
    "\n"
    "Prints what each column of INPUT holds as JSON, with no window: counts of\n"
    "values, empty and distinct ones, a type guess per value (integer, decimal,\n"
    "date, time, true/false, text) and the date order, the range, mean and\n"
    "median of the numbers, the range of the dates, the shortest and longest\n"
    "value, values with spaces at either end, doubled spaces inside,\n"
    "characters that do not print or that differ only in case from another,\n"
    "and the most frequent values. Exit status 2: no such column.\n"
    "\n"
    "  --column NAME      Only the column NAME (its heading, or its number from 1).\n"
    "  --top N            How many of the most frequent values (default 20).\n";

namespace {

struct Request {
    std::string input, column;
    bool oneColumn = false;
    std::size_t top = 20;
    ReadingOptions reading;
};

void say(const std::string& text) { std::fprintf(stderr, "tabvane: %s\n", text.c_str()); }

int fail(int status, const std::string& text)
{
    say(text);
    return status;
}

template <typename Number>
bool numberIn(const std::string& text, Number low, Number high, Number& out)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size() && out >= low && out <= high;
}

bool parse(const std::vector<std::string>& arguments, Request& request, std::string& error)
{
    std::vector<std::string> files;
    for (std::size_t i = 1; i < arguments.size() && error.empty();) {
        const std::string& argument = arguments[i];
        if (request.reading.take(arguments, i, error))
            continue;
        // --profile takes the input file, so that it reads as "profile this".
        const bool valued = argument == "--profile" || argument == "--column" || argument == "--top";
        if (valued && i + 1 >= arguments.size()) {
            error = "the option " + argument + " needs a value";
            break;
        }
        const std::string& value = valued ? arguments[i + 1] : argument;
        if (argument == "--profile") {
            files.push_back(value);
        } else if (argument == "--column") {
            request.column = value;
            request.oneColumn = true;
        } else if (argument == "--top" && !numberIn<std::size_t>(value, 0, 100'000, request.top)) {
            error = "--top takes a number from 0 to 100000";
        } else if (!valued && argument.size() > 1 && argument[0] == '-') {
            error = "unknown option '" + argument + "'";
        } else if (!valued) {
            files.push_back(argument);
        }
        i += valued ? 2 : 1;
    }
    if (error.empty() && files.size() != 1)
        error = files.empty() ? "no INPUT file given" : "one INPUT file at a time";
    if (!error.empty())
        return false;
    request.input = files.front();
    return true;
}

} // namespace

bool asked(const std::vector<std::string>& arguments) { return commandAsked(arguments, "--profile"); }

int run(const std::vector<std::string>& arguments)
{
    Request request;
    std::string error;
    if (!parse(arguments, request, error))
        return fail(BadCommandLine, error + ".\nTry 'tabvane --help' for more information.");

    // Nothing here changes the data: no history.
    CSVDBS store;
    store.HistoryBudget(0);
    const ReadOutcome read = readForCommand(store, request.input, request.reading, true);
    if (!read.loaded)
        return fail(InputUnreadable, request.input + ": " + read.error);
    say("read " + request.input + " with " + read.choices + ": " + std::to_string(store.RecordsHeld()) + " rows, "
        + std::to_string(store.FieldCount()) + " columns.");
    for (const std::string& warning : read.warnings)
        say("warning: " + warning + ".");

    const std::vector<std::string> headings = store.GetFieldList();
    std::vector<int> fields;
    if (request.oneColumn) {
        int field = 0;
        for (std::size_t i = 0; i < headings.size() && store.HeaderLine(); ++i)
            if (headings[i] == request.column) {
                if (field != 0)
                    return fail(NoSuchColumn, "the file has more than one column \"" + request.column + "\".");
                field = static_cast<int>(i + 1);
            }
        if (field == 0 && !numberIn(request.column, 1, store.FieldCount(), field))
            return fail(NoSuchColumn, "the file has no column \"" + request.column + "\".");
        fields.push_back(field);
    } else {
        for (int f = 1; f <= store.FieldCount(); ++f)
            fields.push_back(f);
    }

    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    ProfileOptions options;
    options.topCount = request.top;
    std::vector<ColumnProfile> profiles;
    for (const int field : fields) {
        if (terminal)
            std::fprintf(stderr, "\r\033[KProfiling column %zu of %zu", profiles.size() + 1, fields.size());
        profiles.push_back(*computeProfile(store, field, options)); // nothing stops it here
    }
    if (terminal)
        std::fputs("\r\033[K", stderr);
    const std::string json = profileJson(profiles, headings);
    std::fwrite(json.data(), 1, json.size(), stdout);
    return Done;
}

} // namespace ProfileCommand
