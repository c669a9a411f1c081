#include "app/CommandLine.h"

#include <cstdio>

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QTimer>
#include <QUrl>

#include "app/Form1.h"
#include "app/RowCountCheck.h"

void setDesktopIdentity()
{
    QGuiApplication::setDesktopFileName(QStringLiteral(TABVANE_APP_ID));
    QCoreApplication::setApplicationVersion(QStringLiteral(TABVANE_VERSION));
}

QString fileFromCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Tabvane Software: clean up and reshape a CSV file."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The CSV file to open."),
                                 QStringLiteral("[file]"));
    parser.process(arguments);
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return {};
    if (files.size() > 1)
        std::fprintf(stderr, "tabvane: one file at a time; opening %s only\n", qPrintable(files.first()));
    // Some launchers hand over a file:// address rather than a path.
    const QUrl url(files.first());
    return url.isLocalFile() ? url.toLocalFile() : files.first();
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
