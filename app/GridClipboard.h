#pragma once

#include <QModelIndexList>
#include <QString>

#include "store/CellBlocks.h"

class CSVDBS;
class GridModel;

// Cells as tab-separated text, the form every spreadsheet and text editor
// copies and pastes: one line a row, a tab between cells.
namespace GridClipboard {

// The cells of the smallest rectangle holding every selected cell; cells of
// that rectangle that are not selected are copied empty.
QString copyText(const GridModel& grid, const QModelIndexList& selected);

// Writes `text` into the cells from (row, column) on, as one step of
// `store`; what falls beyond the last row or column of the grid is left out.
// Returns how many cells were written, and the rectangle they span.
cellblocks::Pasted paste(CSVDBS& store, GridModel& grid, int row, int column, const QString& text);

} // namespace GridClipboard
