#pragma once

#include <QString>
#include <QStringList>

class Form1;

// What start-up takes from the desktop and the command line.

// Names the program to the desktop: its desktop entry (so that Wayland shows
// its icon) and its version.
void setDesktopIdentity();

// What the command line asks for: `tabvane [FILE]`, --help or --version.
struct StartRequest {
    QString file;        // to open, or empty
    bool answered = false; // help, version or a bad command line: nothing more to do
    int status = 0;      // the exit status, when answered
};

// Reads the program's arguments (its own name first) before any window or
// application object exists, so that --help and --version answer without a
// display: help and version go to standard output, a bad option to standard
// error with status 1. Qt's own options (-platform, -style, ...) are left to
// the application object.
StartRequest readCommandLine(const QStringList& arguments);

// Opens `file` in `window` as "Load CSV File" would, once start-up has
// finished and the event loop runs.
void openWhenStarted(Form1& window, const QString& file);
