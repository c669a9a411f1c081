#pragma once

#include <QString>

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
// The list index of one of the four listed separators, or -1.
int indexOfSeparator(const QString& separator);

} // namespace SaveSettings
