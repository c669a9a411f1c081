#include "app/GridClipboard.h"

#include <algorithm>

#include <QStringList>

#include "app/GridModel.h"
#include "store/CSVDBS.h"
#include "store/StepScope.h"

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

Pasted paste(CSVDBS& store, GridModel& grid, int row, int column, const QString& text)
{
    Pasted result;
    QStringList lines = text.split(QLatin1Char('\n'));
    // Copied text ends with a line break; it starts no further row.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty() || row < 0 || column < 0)
        return result;
    const StepScope step(store, "Paste", {"Paste", {{"row", std::to_string(row + 1)}, {"column", std::to_string(column + 1)},
                                                   {"text", text.toStdString()}}});
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QStringList cells = line.split(QLatin1Char('\t'));
        const int r = row + i;
        if (r >= grid.rowCount()) {
            result.clipped = true;
            break;
        }
        for (int k = 0; k < cells.size(); ++k) {
            const int c = column + k;
            if (c >= grid.columnCount()) {
                result.clipped = true;
                break;
            }
            store.PutValue(grid.recordAt(r), c + 1, cells[k].toStdString());
            ++result.cells;
            result.columns = std::max(result.columns, k + 1);
        }
        result.rows = i + 1;
    }
    if (result.cells > 0)
        grid.cellsChanged(row, column, row + result.rows - 1, column + result.columns - 1);
    return result;
}

} // namespace GridClipboard
