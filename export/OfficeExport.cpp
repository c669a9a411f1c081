#include "export/OfficeExport.h"

#include "export/GridText.h"
#include "platform/DesktopHandOff.h"
#include "platform/DocumentServer.h"
#include "platform/OfficeFiles.h"
#include "platform/SpreadsheetServer.h"

namespace OfficeExport {

const QString SpreadsheetType = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

bool spreadsheetProgramInstalled() { return desktopHandOff().hasApplicationFor(SpreadsheetType); }

namespace {

void requireSpreadsheetRoom(const GridText& grid)
{
    if (grid.shownRows() > SpreadsheetServer::MaxRows - 1)
        throw OfficeError("The grid has " + std::to_string(grid.shownRows()) +
                          " rows, more than a spreadsheet holds under its headings (" +
                          std::to_string(SpreadsheetServer::MaxRows - 1) +
                          "). Filter the rows or save the file as CSV instead.");
    if (grid.headingCount() > SpreadsheetServer::MaxColumns)
        throw OfficeError("The grid has " + std::to_string(grid.headingCount()) +
                          " columns, more than a spreadsheet holds (" +
                          std::to_string(SpreadsheetServer::MaxColumns) + ").");
}

} // namespace

QString exportToSpreadsheet(const GridText& grid, const ProgressCallback& progress)
{
    requireSpreadsheetRoom(grid);
    const int columns = grid.headingCount();
    const int rows = grid.shownRows();
    ProgressTicker ticker(progress, rows);
    SpreadsheetServer sheet;
    sheet.newWorkbook();
    for (int c = 0; c < columns; ++c)
        sheet.setCell(1, c + 1, grid.headingText(c));
    for (int r = 0; r < rows; ++r) {
        ticker.step(r + 1);
        for (int c = 0; c < columns; ++c)
            sheet.setCell(r + 2, c + 1, grid.cellBytes(r, c));
    }
    sheet.autofitColumns();
    sheet.makeVisible();
    return sheet.fileName();
}

QString exportToDocument(const GridText& grid, const ProgressCallback& progress)
{
    const int columns = grid.headingCount();
    const int rows = grid.shownRows();
    ProgressTicker ticker(progress, rows);
    DocumentServer document;
    document.newDocument();
    document.setFontName("Arial");
    document.addTable(rows + 1, columns);
    document.setFirstRowHeight(20);
    document.setLandscape();
    for (int c = 0; c < columns; ++c) {
        document.formatCellAsHeading();
        document.typeText(grid.headingText(c));
        document.moveRight();
    }
    for (int r = 0; r < rows; ++r) {
        ticker.step(r + 1);
        for (int c = 0; c < columns; ++c) {
            document.typeText(grid.cellBytes(r, c));
            document.moveRight();
        }
    }
    document.makeVisible();
    return document.fileName();
}

} // namespace OfficeExport
