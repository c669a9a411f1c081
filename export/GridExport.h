#pragma once

#include <string>

#include <QString>

class GridText;
class Procedure;
class QWidget;

using GridWriter = void (*)(const GridText& grid, const std::string& path);

// One save of a grid to a file: the "Save" dialog with `filter`; on a chosen
// name, `write` runs under the busy pointer over `window`. A failed write is
// reported as a failed step of `procedure`; a cancelled dialog does nothing.
// The test both windows make before a spreadsheet export: true when the
// desktop has a spreadsheet program; otherwise says so and gives false.
bool spreadsheetProgramOrSay();

// The message a caller shows after a failed spreadsheet test.
extern const QString NoSpreadsheetForFeature;

void saveGridAs(QWidget* window, Procedure& procedure, const GridText& grid, const QString& filter,
                GridWriter write);
