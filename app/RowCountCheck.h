#pragma once

#include "platform/Prompter.h"

class Form1;

// The hook by which the test of the installed program sees what it shows.
// With TABVANE_TEST_ROW_COUNT set in the environment the program shows no
// dialog (messages go to the error output; every question is answered No or
// cancelled), and once start-up has opened the file it was given it prints
// the number of rows in its grid and ends. It only ever reads.
class RowCountCheck final : public Prompter {
public:
    static bool requested();
    // Prints the grid's row count on the standard output and ends the event loop.
    static void report(Form1& window);

    void message(const QString& text, const QString& title, Icon icon) override;
    bool askYesNo(const QString& text, const QString& title, Icon icon) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& proposed) override;
    QString openFileName(const QString& title, const QString& filter, const QString& initialFolder) override;
    QString saveFileName(const QString& title, const QString& filter, const QString& initialFolder) override;
};
