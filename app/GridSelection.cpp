#include "app/GridSelection.h"

#include <string>
#include <vector>

#include "app/GridModel.h"
#include "store/CSVDBS.h"
#include "store/CellBlocks.h"

namespace GridSelection {

bool isWholeRows(const QItemSelection& selection, int columns)
{
    if (selection.isEmpty() || columns < 2)
        return false;
    for (const QItemSelectionRange& range : selection)
        if (range.left() != 0 || range.right() != columns - 1)
            return false;
    return true;
}

std::int64_t deleteRows(CSVDBS& store, const GridModel& grid, const QItemSelection& selection)
{
    std::vector<CSVDBS::RecordNo> records;
    for (const QItemSelectionRange& range : selection)
        for (int row = range.top(); row <= range.bottom(); ++row)
            records.push_back(grid.recordAt(row));
    return store.DeleteRecords(records);
}

std::int64_t clearCells(CSVDBS& store, GridModel& grid, const QItemSelection& selection, const char* stepName)
{
    std::string rectangles;
    for (const QItemSelectionRange& range : selection) {
        if (!rectangles.empty())
            rectangles += ';';
        rectangles += cellblocks::rectangle(grid.recordAt(range.top()), grid.recordAt(range.bottom()), range.left() + 1,
                                            range.right() + 1);
    }
    const std::int64_t cleared = cellblocks::clear(store, rectangles, stepName);
    for (const QItemSelectionRange& range : selection)
        grid.cellsChanged(range.top(), range.left(), range.bottom(), range.right());
    return cleared;
}

} // namespace GridSelection
