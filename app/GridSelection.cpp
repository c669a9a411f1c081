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
    // A filtered grid shows records with others between them: each run of
    // records that follow one another is a rectangle of its own.
    for (const QItemSelectionRange& range : selection) {
        const std::vector<std::int32_t> records = grid.recordsOf(range.top(), range.bottom());
        for (std::size_t i = 0; i < records.size();) {
            std::size_t j = i;
            while (j + 1 < records.size() && records[j + 1] == records[j] + 1)
                ++j;
            if (!rectangles.empty())
                rectangles += ';';
            rectangles += cellblocks::rectangle(records[i], records[j], range.left() + 1, range.right() + 1);
            i = j + 1;
        }
    }
    const std::int64_t cleared = cellblocks::clear(store, rectangles, stepName);
    for (const QItemSelectionRange& range : selection)
        grid.cellsChanged(range.top(), range.left(), range.bottom(), range.right());
    return cleared;
}

} // namespace GridSelection
