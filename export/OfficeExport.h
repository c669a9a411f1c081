#pragma once

#include <QString>

#include "store/Progress.h"

class GridText;

// The grid handed to the desktop's office programs: as a new workbook in the
// spreadsheet program, or as a table in a new document of the word processor.
// The program never saves them where the user keeps files; the user does,
// from the office program.
namespace OfficeExport {

extern const QString SpreadsheetType;

// Whether the desktop has a program that opens workbooks.
bool spreadsheetProgramInstalled();

// Headings in row 1, each shown row below, every value a text cell as the
// grid holds it, the columns fitted to their text; then opened. Returns the
// workbook's file. A grid beyond the spreadsheet's rows or columns is refused
// before anything is written.
QString exportToSpreadsheet(const GridText& grid, const ProgressCallback& progress = {});

// A landscape document set in Arial holding one table: a heading row (at
// least 20 pt high, its cells vertically centred, bold and centred) and one
// plain row per shown row; then opened. Returns the document's file.
QString exportToDocument(const GridText& grid, const ProgressCallback& progress = {});

} // namespace OfficeExport
