#pragma once

#include <functional>

#include <QString>

class CSVDBS;

// What the main window asks after loading a file that reads better another
// way: as Western (Windows-1252) text, with another separator, with lone line feeds
// ending lines, or as standard CSV; and whether to open a file whose short lines
// failed the load with their missing values empty. Each Yes reloads the file so and keeps the choice in the settings, as
// the user would in Save Options. The questions cost a look at the file only
// when the load found something wrong.
class LoadQuestions {
public:
    // `load` runs the store's LoadFile with progress shown; `currentSeparator`
    // is the main window's separator in force, changed on a Yes.
    LoadQuestions(CSVDBS& store, std::function<bool(CSVDBS&)> load, QString& currentSeparator);

    // Asks what fits after a load whose result was `loaded`; returns the
    // result of the last load run.
    bool askAfter(bool loaded);

    static QString westernQuestion();
    // Empty when no line of the last load ended in a line feed alone.
    static QString lineEndQuestion(const CSVDBS& store);
    static QString separatorQuestion(const QString& separator, int values);
    static QString standardQuestion(const CSVDBS& store, bool loaded);
    // Asked when the load failed on lines with fewer values than fields.
    static QString shortLinesQuestion(const CSVDBS& store);
    // For the status line after a load that filled such lines out; empty
    // when none was.
    static QString filledMessage(const CSVDBS& store);
    // Said once after the grid is filled; empty when nothing was left out.
    static QString leftOutMessage(const CSVDBS& store);
    // Asked before "Save Changes" writes such a file.
    static QString saveWithoutQuestion(const CSVDBS& store);

private:
    bool offerWestern(bool loaded);
    bool offerLineEnds(bool loaded);
    bool offerSeparator(bool loaded);
    bool offerStandard(bool loaded);
    bool offerFill(bool loaded);

    CSVDBS& m_store;
    std::function<bool(CSVDBS&)> m_load;
    QString& m_currentSeparator;
};
