#include "app/GridClipboard.h"

#include <algorithm>


#include "app/GridModel.h"
#include "store/CSVDBS.h"

namespace GridClipboard {

QString copyText(const GridModel& grid, const QModelIndexList& selected)
{
    if (selected.isEmpty())
        return {};
    int top = selected.first().row(), bottom = top, left = selected.first().column(), right = left;
    for (const QModelIndex& i : selected) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    const int width = right - left + 1;
    std::vector<bool> chosen(static_cast<std::size_t>((bottom - top + 1) * width));
    for (const QModelIndex& i : selected)
        chosen[static_cast<std::size_t>((i.row() - top) * width + i.column() - left)] = true;
    QString text;
    for (int r = top; r <= bottom; ++r) {
        for (int c = left; c <= right; ++c) {
            if (c > left)
                text += QLatin1Char('\t');
            if (chosen[static_cast<std::size_t>((r - top) * width + c - left)])
                text += grid.cellText(r, c);
        }
        text += QLatin1Char('\n');
    }
    return text;
}

cellblocks::Pasted paste(CSVDBS& store, GridModel& grid, int row, int column, const QString& text)
{
    if (row < 0 || column < 0)
        return {};
    // Unfiltered, rows are records in order: a paste below the last row is
    // all clipped. Filtered, each line goes to the record its row shows.
    cellblocks::Pasted result;
    if (grid.filtered()) {
        const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
        result = cellblocks::paste(store, grid.recordsOf(row, row + lines - 1), column + 1, text.toStdString());
    } else {
        const CSVDBS::RecordNo record = row < grid.rowCount() ? grid.recordAt(row) : store.RecordCount() + 1;
        result = cellblocks::paste(store, record, column + 1, text.toStdString());
    }
    if (result.cells > 0)
        grid.cellsChanged(row, column, row + result.rows - 1, column + result.columns - 1);
    return result;
}

} // namespace GridClipboard
