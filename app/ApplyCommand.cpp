#include "app/ApplyCommand.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

#include "app/CommandFile.h"
#include "store/CSVDBS.h"
#include "store/RecipeRun.h"

namespace ApplyCommand {

const char* const Help =
    "       tabvane --apply RECIPE INPUT -o OUTPUT [options]\n"
    "\n"
    "Runs the steps of RECIPE (a .tabvane-recipe file saved from File > Save\n"
    "Recipe...) on INPUT and writes the result to OUTPUT (\"-\": standard output),\n"
    "with no window. Steps tied to particular rows of the recipe's own file are\n"
    "skipped, and listed.\n"
    "\n"
    "  -o, --output FILE  Where the result goes; \"-\" for standard output.\n"
    "  --dry-run          Print what each step would change; write nothing.\n"
    "  --strict           Fail, writing nothing, when values would be left out\n"
    "                     or a step skipped.\n"
    "  --by-position      Apply a recipe made on a file with a header line to one\n"
    "                     without (or the reverse), by column position.\n";

namespace {

struct Request {
    std::string recipe, input, output;
    ReadingOptions reading;
    bool dryRun = false;
    bool strict = false;
    bool byPosition = false;
};

void say(const std::string& text) { std::fprintf(stderr, "tabvane: %s\n", text.c_str()); }

int fail(int status, const std::string& text)
{
    say(text);
    return status;
}

bool parse(const std::vector<std::string>& arguments, Request& request, std::string& error)
{
    std::vector<std::string> files;
    for (std::size_t i = 1; i < arguments.size() && error.empty();) {
        const std::string& argument = arguments[i];
        if (request.reading.take(arguments, i, error))
            continue;
        if (argument == "--apply" || argument == "-o" || argument == "--output") {
            if (i + 1 >= arguments.size()) {
                error = "the option " + argument + " needs a value";
                break;
            }
            (argument == "--apply" ? request.recipe : request.output) = arguments[i + 1];
            i += 2;
            continue;
        }
        if (argument == "--dry-run")
            request.dryRun = true;
        else if (argument == "--strict")
            request.strict = true;
        else if (argument == "--by-position")
            request.byPosition = true;
        else if (argument.size() > 1 && argument[0] == '-')
            error = "unknown option '" + argument + "'";
        else
            files.push_back(argument);
        ++i;
    }
    if (!error.empty())
        return false;
    if (files.size() != 1)
        error = files.empty() ? "no INPUT file given" : "one INPUT file at a time";
    else if (request.output.empty() && !request.dryRun)
        error = "no OUTPUT given (-o FILE, or -o - for standard output)";
    if (!error.empty())
        return false;
    request.input = files.front();
    return true;
}

bool readText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Shows the step under way on a terminal; nothing when standard error is a
// file or a pipe, where it would only be noise.
class ProgressLine {
public:
    ProgressLine() : m_shown(::isatty(STDERR_FILENO) == 1) {}
    ~ProgressLine() { clear(); }
    void step(const std::string& label, std::size_t done, std::size_t of)
    {
        m_label = "Step " + std::to_string(done + 1) + " of " + std::to_string(of) + ": " + label;
        show(-1);
    }
    void show(int percent)
    {
        if (!m_shown)
            return;
        std::string line = m_label;
        if (percent >= 0)
            line += " " + std::to_string(percent) + "%";
        std::fprintf(stderr, "\r\033[K%s", line.c_str());
        m_dirty = true;
    }
    void clear()
    {
        if (m_dirty)
            std::fputs("\r\033[K", stderr);
        m_dirty = false;
    }

private:
    bool m_shown;
    bool m_dirty = false;
    std::string m_label;
};

// Writes the store to standard output by way of a file of its own, since a
// save writes whole files only.
bool writeToStandardOutput(CSVDBS& store, std::string& error)
{
    const char* folder = std::getenv("TMPDIR");
    std::string name = std::string(folder && *folder ? folder : "/tmp") + "/tabvane-apply.XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = "no file for the result can be made in the temporary folder";
        return false;
    }
    ::close(fd);
    store.FileName(name);
    bool written = store.WriteFile();
    if (!written) {
        error = store.LastFileError();
    } else {
        std::FILE* in = std::fopen(name.c_str(), "rb");
        char buffer[1 << 16];
        std::size_t n = 0;
        while (in && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
            if (std::fwrite(buffer, 1, n, stdout) != n) {
                written = false;
                break;
            }
        if (!in || std::ferror(in) || std::fflush(stdout) != 0) {
            written = false;
            error = "standard output could not take the result";
        }
        if (in)
            std::fclose(in);
    }
    ::unlink(name.c_str());
    return written;
}

} // namespace

bool asked(const std::vector<std::string>& arguments) { return commandAsked(arguments, "--apply"); }

int run(const std::vector<std::string>& arguments)
{
    Request request;
    std::string error;
    if (!parse(arguments, request, error))
        return fail(BadCommandLine, error + ".\nTry 'tabvane --help' for more information.");

    std::string text;
    if (!readText(request.recipe, text))
        return fail(RecipeUnreadable, "the recipe \"" + request.recipe + "\" cannot be read.");
    Recipe recipe;
    try {
        recipe = readRecipe(text);
    } catch (const RecipeError& bad) {
        return fail(RecipeUnreadable, request.recipe + ": " + bad.what());
    }

    // The history stays on, though a failed run writes nothing: each step's
    // count of changed values comes from it.
    CSVDBS store;
    const ReadOutcome read = readForCommand(store, request.input, request.reading, recipe.headings);
    if (!read.loaded)
        return fail(InputUnreadable, request.input + ": " + read.error);
    say("read " + request.input + " with " + read.choices + ": " + std::to_string(store.RecordsHeld())
        + " rows, " + std::to_string(store.FieldCount()) + " columns.");
    std::vector<std::string> warnings = read.warnings;

    if (recipe.headings != store.HeaderLine() && !request.byPosition)
        return fail(RecipeUnreadable,
                    std::string("the recipe was made on a file ") + (recipe.headings ? "with" : "without")
                        + " a header line, and " + request.input + " is read " + (store.HeaderLine() ? "with" : "without")
                        + " one. Run with --by-position to apply it by column position.");
    RecipeChoices choices;
    if (request.byPosition)
        choices.columns = replay::Columns::ByPosition;
    for (std::size_t i = 0; i < recipe.steps.size(); ++i)
        if (isRowBound(recipe.steps[i]))
            warnings.push_back("step " + std::to_string(i + 1) + " (" + recipe.label(i)
                               + ") is skipped: it changes particular rows of the recipe's own file");
    for (const std::string& warning : warnings)
        say("warning: " + warning + ".");
    if (request.strict && !warnings.empty())
        return fail(StrictWarning, "--strict: nothing was written.");

    ProgressLine progress;
    choices.beforeStep = [&](std::size_t index, std::size_t done, std::size_t of) {
        progress.step(recipe.label(index), done, of);
    };
    store.SetProgressCallback([&](std::int64_t done, std::int64_t total) {
        if (total > 0)
            progress.show(static_cast<int>(done * 100 / total));
    });
    const RecipeOutcome outcome = applyRecipe(store, recipe, choices);
    progress.clear();
    store.SetProgressCallback({});
    if (!outcome.applied())
        return fail(StepFailed, "step " + std::to_string(outcome.failedStep + 1) + " ("
                                    + recipe.label(outcome.failedStep) + ") cannot apply: " + outcome.failure
                                    + " Nothing was written.");
    std::FILE* counts = request.dryRun ? stdout : stderr;
    for (std::size_t i = 0; i < recipe.steps.size(); ++i)
        if (outcome.steps[i].state == RecipeStepOutcome::State::Done)
            std::fprintf(counts, "%s%s\n", request.dryRun ? "" : "tabvane: ",
                         stepReport(recipe.label(i), recipe.steps[i], outcome.steps[i]).c_str());
    if (request.dryRun)
        return Done;

    if (request.output == "-") {
        if (!writeToStandardOutput(store, error))
            return fail(OutputUnwritable, "the result cannot be written: " + error);
        return Done;
    }
    store.FileName(request.output);
    if (!store.WriteFile())
        return fail(OutputUnwritable, request.output + " cannot be written: " + store.LastFileError());
    return Done;
}

} // namespace ApplyCommand
