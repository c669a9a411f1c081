#pragma once

#include <stdexcept>
#include <string>

#include <QString>

// An office file could not be made or handed over; the text says why.
class OfficeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The folder the new workbooks and documents go to before the office program
// opens them: "Tabvane Software/Office" in the user's cache folder, private to
// the user (mode 0700). Made if missing; throws when it cannot be made, or
// when what is there is not a private folder of this user's.
QString officeFolder();

// Reserves a new, empty file `<stem><n><suffix>` ("Book1.xlsx", "Book2.xlsx")
// in the office folder, with the smallest n not yet taken, and returns its
// path. Each export gets its own file, so an office window still showing an
// earlier export keeps its file.
QString newOfficeFile(const QString& stem, const QString& suffix);
