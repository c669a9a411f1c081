#include "app/RowCountCheck.h"

#include <cstdio>

#include <QCoreApplication>

#include "app/Form1.h"
#include "app/GridModel.h"

namespace {

void say(const QString& text) { std::fprintf(stderr, "tabvane: %s\n", qPrintable(text)); }

} // namespace

bool RowCountCheck::requested() { return qEnvironmentVariableIsSet("TABVANE_TEST_ROW_COUNT"); }

void RowCountCheck::report(Form1& window)
{
    std::printf("%d\n", window.grid().rowCount());
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

void RowCountCheck::message(const QString& text, const QString&, Icon) { say(text); }

bool RowCountCheck::askYesNo(const QString& text, const QString&, Icon)
{
    say(text + QStringLiteral(" (No)"));
    return false;
}

QString RowCountCheck::inputBox(const QString& prompt, const QString&, const QString&)
{
    say(prompt + QStringLiteral(" (cancelled)"));
    return {};
}

QString RowCountCheck::openFileName(const QString& title, const QString&, const QString&)
{
    say(title + QStringLiteral(" (cancelled)"));
    return {};
}

QString RowCountCheck::saveFileName(const QString& title, const QString&, const QString&)
{
    say(title + QStringLiteral(" (cancelled)"));
    return {};
}
