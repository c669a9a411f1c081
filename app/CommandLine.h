#pragma once

#include <QString>
#include <QStringList>

class Form1;

// What start-up takes from the desktop and the command line.

// Names the program to the desktop: its desktop entry (so that Wayland shows
// its icon) and its version.
void setDesktopIdentity();

// `tabvane [FILE]` (the program's arguments, its own name first): the file
// to open, or empty. --help and --version are answered here and end the
// program, as does an unknown option.
QString fileFromCommandLine(const QStringList& arguments);

// Opens `file` in `window` as "Load CSV File" would, once start-up has
// finished and the event loop runs.
void openWhenStarted(Form1& window, const QString& file);
