#include "app/CommandLine.h"

#include <cstdio>

#include <QGuiApplication>
#include <QTimer>
#include <QUrl>

#include "app/ApplyCommand.h"
#include "app/ClusterCommand.h"
#include "app/CompareCommand.h"
#include "app/ProfileCommand.h"
#include "app/CommandFile.h"
#include "app/Form1.h"
#include "app/RowCountCheck.h"

void setDesktopIdentity()
{
    QGuiApplication::setDesktopFileName(QStringLiteral(TABVANE_APP_ID));
    QCoreApplication::setApplicationVersion(QStringLiteral(TABVANE_VERSION));
}

namespace {

const char* const Usage =
    "Usage: tabvane [options] [file]\n";

const char* const WindowHelp =
    "Tabvane Software: clean up and reshape a CSV file.\n"
    "\n"
    "Options:\n"
    "  -h, --help     Displays help on commandline options.\n"
    "  -v, --version  Displays version information.\n"
    "\n"
    "Arguments:\n"
    "  file           The CSV file to open.\n"
    "\n";

const char* const ExitHelp =
    "\n"
    "Exit status:\n"
    "  0  done\n"
    "  1  the command line cannot be used\n"
    "  2  the recipe cannot be read, or was made with headings the input lacks\n"
    "  3  the input file cannot be read\n"
    "  4  a step of the recipe cannot apply; nothing was written\n"
    "  5  --strict, and a value would be left out or a step skipped; nothing written\n"
    "  6  the output cannot be written\n";

std::string helpText()
{
    return std::string(Usage) + ApplyCommand::Help + "\n" + ClusterCommand::Help + "\n" + ProfileCommand::Help + "\n"
        + CompareCommand::Help + "\n" + WindowHelp
        + "Reading options (with --apply, --cluster, --profile or --compare):\n" + ReadingOptionsHelp + ExitHelp;
}

// The application object's own options, as the desktop may pass them; those
// of the first list take a value.
bool isQtOption(const QString& name, bool& takesValue)
{
    static const QStringList withValue = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                          "qwindowgeometry", "qwindowicon", "qwindowtitle", "display",
                                          "geometry", "style", "stylesheet", "session", "name", "title"};
    static const QStringList flags = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    takesValue = withValue.contains(name);
    return takesValue || flags.contains(name);
}

StartRequest answered(int status, const char* text, FILE* to)
{
    std::fputs(text, to);
    return {QString(), true, status};
}

} // namespace

StartRequest readCommandLine(const QStringList& arguments)
{
    std::vector<std::string> plain;
    for (const QString& argument : arguments)
        plain.push_back(argument.toLocal8Bit().toStdString());
    if (ApplyCommand::asked(plain))
        return {QString(), true, ApplyCommand::run(plain)};
    if (ClusterCommand::asked(plain))
        return {QString(), true, ClusterCommand::run(plain)};
    if (ProfileCommand::asked(plain))
        return {QString(), true, ProfileCommand::run(plain)};
    if (CompareCommand::asked(plain))
        return {QString(), true, CompareCommand::run(plain)};
    QStringList files;
    bool optionsEnded = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            files << argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")
                   || argument == QLatin1String("-?") || argument == QLatin1String("--help-all")) {
            return answered(0, helpText().c_str(), stdout);
        } else if (argument == QLatin1String("-v") || argument == QLatin1String("--version")) {
            return answered(0, "tabvane " TABVANE_VERSION "\n", stdout);
        } else {
            QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
            const bool joined = name.contains(QLatin1Char('='));
            name = name.section(QLatin1Char('='), 0, 0);
            bool takesValue = false;
            if (!isQtOption(name, takesValue)) {
                const std::string text = "tabvane: Unknown option '" + argument.toStdString()
                    + "'.\nTry 'tabvane --help' for more information.\n";
                return answered(1, text.c_str(), stderr);
            }
            if (takesValue && !joined)
                ++i;
        }
    }
    if (files.isEmpty())
        return {};
    if (files.size() > 1)
        std::fprintf(stderr, "tabvane: one file at a time; opening %s only\n", qPrintable(files.first()));
    // Some launchers hand over a file:// address rather than a path.
    const QUrl url(files.first());
    return {url.isLocalFile() ? url.toLocalFile() : files.first()};
}

void openWhenStarted(Form1& window, const QString& file)
{
    QTimer::singleShot(0, &window, [&window, file] {
        if (!file.isEmpty())
            window.openFile(file);
        if (RowCountCheck::requested())
            RowCountCheck::report(window);
    });
}
