#include "app/ClusterCommand.h"

#include <charconv>
#include <cstdio>

#include <unistd.h>

#include "app/CommandFile.h"
#include "store/CSVDBS.h"
#include "store/JsonText.h"
#include "store/cluster/Clustering.h"
#include "store/table/TextFold.h"

namespace ClusterCommand {

const char* const Help =
    "       tabvane --cluster NAME --method METHOD [options] INPUT\n"
    "\n"
    "Prints the clusters of near-identical values in the column NAME (its\n"
    "heading, or its number from 1) of INPUT as JSON, with no window: each\n"
    "cluster's values with their row counts, the most frequent first, and the\n"
    "suggested new value. Exit status 2: no such column.\n"
    "\n"
    "  --method METHOD    fingerprint (case, spaces, accents, punctuation, word\n"
    "                     order), ngram (also spaces within words), phonetic\n"
    "                     (Cologne phonetics, for German), or nearest (typos).\n"
    "  --ngram N          The n-gram size of ngram, 1 to 3 (default 2).\n"
    "  --radius R         The edit distance of nearest, 1 to 3 (default 1).\n";

namespace {

struct Request {
    std::string column, input;
    cluster::Options options;
    const char* methodName = nullptr;
    ReadingOptions reading;
};

void say(const std::string& text) { std::fprintf(stderr, "tabvane: %s\n", text.c_str()); }

int fail(int status, const std::string& text)
{
    say(text);
    return status;
}

bool smallNumber(const std::string& text, int low, int high, int& out)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size() && out >= low && out <= high;
}

bool parse(const std::vector<std::string>& arguments, Request& request, std::string& error)
{
    static const std::pair<const char*, cluster::Method> methods[] = {
        {"fingerprint", cluster::Method::Fingerprint}, {"ngram", cluster::Method::Ngram},
        {"phonetic", cluster::Method::Phonetic}, {"nearest", cluster::Method::Nearest}};
    std::vector<std::string> files;
    for (std::size_t i = 1; i < arguments.size() && error.empty();) {
        const std::string& argument = arguments[i];
        if (request.reading.take(arguments, i, error))
            continue;
        const bool valued = argument == "--cluster" || argument == "--method" || argument == "--ngram" || argument == "--radius";
        if (valued && i + 1 >= arguments.size()) {
            error = "the option " + argument + " needs a value";
            break;
        }
        const std::string& value = valued ? arguments[i + 1] : argument;
        if (argument == "--cluster") {
            request.column = value;
        } else if (argument == "--method") {
            for (const auto& [name, method] : methods)
                if (value == name) {
                    request.options.method = method;
                    request.methodName = name;
                }
            if (!request.methodName)
                error = "the method \"" + value + "\" is none of fingerprint, ngram, phonetic, nearest";
        } else if (argument == "--ngram" && !smallNumber(value, 1, 3, request.options.ngram)) {
            error = "--ngram takes 1, 2 or 3";
        } else if (argument == "--radius" && !smallNumber(value, 1, 3, request.options.radius)) {
            error = "--radius takes 1, 2 or 3";
        } else if (!valued && argument.size() > 1 && argument[0] == '-') {
            error = "unknown option '" + argument + "'";
        } else if (!valued) {
            files.push_back(argument);
        }
        i += valued ? 2 : 1;
    }
    if (error.empty() && !request.methodName)
        error = "no --method given";
    else if (error.empty() && files.size() != 1)
        error = files.empty() ? "no INPUT file given" : "one INPUT file at a time";
    if (!error.empty())
        return false;
    request.input = files.front();
    return true;
}

void print(const Request& request, const std::string& heading, const cluster::Result& result)
{
    std::string out = "{\n  \"column\": " + jsonString(heading) + ",\n  \"method\": \"" + request.methodName + "\",\n";
    if (request.options.method == cluster::Method::Ngram)
        out += "  \"ngram\": " + std::to_string(request.options.ngram) + ",\n";
    if (request.options.method == cluster::Method::Nearest)
        out += "  \"radius\": " + std::to_string(request.options.radius) + ",\n";
    out += "  \"distinct\": " + std::to_string(result.distinct) + ",\n  \"clusters\": [";
    for (std::size_t c = 0; c < result.clusters.size(); ++c) {
        const cluster::Cluster& found = result.clusters[c];
        out += c ? ",\n" : "\n";
        out += "    {\"suggested\": " + jsonString(found.suggested) + ", \"rows\": " + std::to_string(found.rows)
            + ", \"values\": [";
        for (std::size_t m = 0; m < found.members.size(); ++m) {
            bool exact = true;
            out += m ? ", " : "";
            out += "{\"value\": " + jsonString(found.members[m].value, exact);
            if (!exact)
                out += ", \"bytes\": \"" + hexOf(found.members[m].value) + "\"";
            out += ", \"count\": " + std::to_string(found.members[m].count) + "}";
        }
        out += "]}";
        if (out.size() > (1 << 16)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    out += result.clusters.empty() ? "]\n}\n" : "\n  ]\n}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
}

} // namespace

bool asked(const std::vector<std::string>& arguments) { return commandAsked(arguments, "--cluster"); }

int run(const std::vector<std::string>& arguments)
{
    Request request;
    std::string error;
    if (!parse(arguments, request, error))
        return fail(BadCommandLine, error + ".\nTry 'tabvane --help' for more information.");

    // Nothing here is undone: the history would only cost memory.
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
    int field = 0;
    for (std::size_t i = 0; i < headings.size() && store.HeaderLine(); ++i)
        if (headings[i] == request.column) {
            if (field != 0)
                return fail(NoSuchColumn, "the file has more than one column \"" + request.column + "\".");
            field = static_cast<int>(i + 1);
        }
    if (field == 0 && !smallNumber(request.column, 1, store.FieldCount(), field))
        return fail(NoSuchColumn, "the file has no column \"" + request.column + "\".");

    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    if (terminal)
        store.SetProgressCallback([](std::int64_t done, std::int64_t total) {
            if (total > 0)
                std::fprintf(stderr, "\r\033[KClustering %d%%", static_cast<int>(done * 100 / total));
        });
    const cluster::Result result = cluster::findClusters(store, field, request.options);
    if (terminal)
        std::fputs("\r\033[K", stderr);
    print(request, headings[static_cast<std::size_t>(field - 1)], result);
    say(std::to_string(result.clusters.size()) + " clusters among " + std::to_string(result.distinct)
        + " distinct values.");
    return Done;
}

} // namespace ClusterCommand
