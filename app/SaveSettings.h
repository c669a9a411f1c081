#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The per-user save options, each key spelled once here with its default.
// Values are stored as text, as earlier versions stored them.
namespace SaveSettings {

// Index into the separator list: 0 comma, 1 semicolon, 2 tab, 3 pipe, 4 other.
// A stored value that is not a number from 0 to 4 reads as 0: an empty
// separator would glue every value of a record together on the next save.
// So does 4 when no other separator is stored.
int separatorIndex();
void setSeparatorIndex(int index);
QString otherSeparator();
void setOtherSeparator(const QString& text);
bool saveQuotes();
void setSaveQuotes(bool on);
// Standard CSV: quoted values may hold separators and line breaks.
bool standardQuoting();
void setStandardQuoting(bool on);

// The separator an index stands for; `other` for index 4.
QString separatorFor(int index, const QString& other);
// The separator the stored settings stand for.
QString storedSeparator();
// A separator in words, for messages: "comma", "semicolon", "tab", "pipe",
// "none", or any other text in double quotes.
QString separatorName(const QString& separator);
// The list index of one of the four listed separators, or -1.
int indexOfSeparator(const QString& separator);

// The stored text itself, unchecked: empty when nothing is stored. For the
// tests, which set up and inspect exactly what a user's settings hold.
enum class Key { Separator, OtherSeparator, SaveQuotes, StandardQuoting };
QString storedText(Key key);
void storeText(Key key, const QString& text);
// Forgets every setting of the program.
void clearAll();

// The files opened or saved last, newest first (RecentFiles keeps the list in order).
QStringList recentFiles();
void setRecentFiles(const QStringList& files);

// The main window's size, place and maximised state, as saveGeometry gives them.
QByteArray windowGeometry();
void setWindowGeometry(const QByteArray& geometry);

} // namespace SaveSettings
