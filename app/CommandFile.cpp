#include "app/CommandFile.h"

#include "app/SaveSettings.h"
#include "store/CSVDBS.h"
#include "store/read/SeparatorGuess.h"

const char* const ReadingOptionsHelp =
    "  --separator SEP    The separator: comma, semicolon, tab, pipe, space or\n"
    "                     one character. Without it, the one the file's lines share.\n"
    "  --standard         Read as standard CSV (quoted values may hold separators\n"
    "                     and line breaks). Without it, only when the simple rule\n"
    "                     cannot read the file whole.\n"
    "  --encoding NAME    utf-8 or windows-1252. Without it, UTF-8, or Western\n"
    "                     (Windows-1252) for a file that is not valid UTF-8.\n"
    "  --header, --no-header\n"
    "                     Whether the first line holds the column names.\n"
    "  --fill-short       Read a line with fewer values than there are fields with\n"
    "                     the missing values empty (said on standard error).\n"
    "                     Without it, such a line is an error.\n";

namespace {

std::optional<std::string> separatorNamed(const std::string& name)
{
    static const std::pair<const char*, const char*> named[] = {
        {"comma", ","}, {"semicolon", ";"}, {"tab", "\t"}, {"\\t", "\t"}, {"pipe", "|"}, {"space", " "}};
    for (const auto& [word, separator] : named)
        if (name == word)
            return separator;
    const QString text = QString::fromStdString(name);
    if (text.size() == 1 && text != QStringLiteral("\"") && text != QStringLiteral("\n")
        && text != QStringLiteral("\r"))
        return name;
    return std::nullopt;
}

std::string describe(const CSVDBS& store)
{
    const QString separator = QString::fromStdString(store.Seperator());
    std::string text = "separator " + SaveSettings::separatorName(separator).toLower().toStdString();
    if (separator != QStringLiteral("\t") && separator != QStringLiteral(" "))
        text += " (" + store.Seperator() + ")";
    text += store.HeaderLine() ? ", a header line" : ", no header line";
    text += store.StandardQuoting() ? ", standard CSV" : ", the simple rule";
    if (store.LoneLineFeedsEndLines())
        text += ", lone line feeds end lines";
    return text + ", " + encodingName(store.Encoding());
}

// Reloads with one choice changed; a failed reload puts it back.
template <typename Set>
bool reloadWith(CSVDBS& store, bool loaded, Set set, bool now, bool before)
{
    set(store, now);
    if (store.LoadFile())
        return true;
    set(store, before);
    return loaded;
}

} // namespace

bool commandAsked(const std::vector<std::string>& arguments, const char* option)
{
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--" || arguments[i] == "-h" || arguments[i] == "--help")
            return false;
        if (arguments[i] == option)
            return true;
    }
    return false;
}

bool ReadingOptions::take(const std::vector<std::string>& arguments, std::size_t& at, std::string& error)
{
    const std::string& option = arguments[at];
    const auto value = [&]() -> const std::string* {
        if (at + 1 >= arguments.size()) {
            error = "the option " + option + " needs a value";
            return nullptr;
        }
        return &arguments[++at];
    };
    if (option == "--standard") {
        standard = true;
    } else if (option == "--fill-short") {
        fillShort = true;
    } else if (option == "--header" || option == "--no-header") {
        header = option == "--header";
    } else if (option == "--separator") {
        if (const std::string* name = value()) {
            separator = separatorNamed(*name);
            if (!separator)
                error = "\"" + *name + "\" cannot be a separator";
        }
    } else if (option == "--encoding") {
        if (const std::string* name = value()) {
            const QString lower = QString::fromStdString(*name).toLower();
            if (lower == QStringLiteral("utf-8") || lower == QStringLiteral("utf8"))
                encoding = FileEncoding::Utf8;
            else if (lower == QStringLiteral("windows-1252") || lower == QStringLiteral("cp1252")
                     || lower == QStringLiteral("western"))
                encoding = FileEncoding::Windows1252;
            else
                error = "\"" + *name + "\" is not an encoding this program reads (utf-8, windows-1252)";
        }
    } else {
        return false;
    }
    ++at;
    return true;
}

ReadOutcome readForCommand(CSVDBS& store, const std::string& path, const ReadingOptions& options,
                           bool headerByDefault)
{
    store.FileName(path);
    store.HeaderLine(options.header.value_or(headerByDefault));
    store.StandardQuoting(options.standard);
    store.Encoding(options.encoding.value_or(FileEncoding::Utf8));
    store.LoneLineFeedsEndLines(false);
    store.FillShortLines(false);
    if (options.separator) {
        store.Seperator(*options.separator);
    } else {
        const std::string guess = guessSeparator(fileHead(path), options.standard).separator;
        store.Seperator(guess.empty() ? "," : guess);
    }
    bool loaded = store.LoadFile();
    if (!options.encoding && store.LastLoad().notUtf8)
        loaded = reloadWith(store, loaded, [](CSVDBS& s, bool on) {
            s.Encoding(on ? FileEncoding::Windows1252 : FileEncoding::Utf8);
        }, true, false);
    if (store.LastLoad().loneLineFeeds > 0 && !store.StandardQuoting())
        loaded = reloadWith(store, loaded, [](CSVDBS& s, bool on) { s.LoneLineFeedsEndLines(on); }, true, false);
    const bool wrong = loaded ? store.IgnoredLines() > 0 : store.LastLoad().tooFewValues;
    if (wrong && !options.standard) {
        CSVDBS probe; // one more pass, only now that the simple rule found something wrong
        probe.FileName(path);
        probe.Seperator(store.Seperator());
        probe.HeaderLine(store.HeaderLine());
        probe.Encoding(store.Encoding());
        probe.StandardQuoting(true);
        if (probe.LoadFile() && probe.IgnoredLines() == 0)
            loaded = reloadWith(store, loaded, [](CSVDBS& s, bool on) { s.StandardQuoting(on); }, true, false);
    }
    // Last, as the window asks: standard CSV may read the short lines whole.
    if (!loaded && options.fillShort && store.LastLoad().tooFewValues)
        loaded = reloadWith(store, loaded, [](CSVDBS& s, bool on) { s.FillShortLines(on); }, true, false);
    ReadOutcome outcome;
    outcome.loaded = loaded;
    if (!loaded) {
        outcome.error = store.LastFileError();
        return outcome;
    }
    outcome.choices = describe(store);
    if (store.IgnoredLines() > 0)
        outcome.warnings.push_back(
            std::to_string(store.IgnoredLines()) + " line(s) have more values than there are fields, the first being line "
            + std::to_string(store.FirstIgnoredLine()) + ": the values beyond the last field are left out");
    if (store.FilledLines() > 0)
        outcome.warnings.push_back(
            std::to_string(store.FilledLines()) + " line(s) have fewer values than there are fields, the first being line "
            + std::to_string(store.FirstFilledLine()) + ": the missing values are empty");
    return outcome;
}
