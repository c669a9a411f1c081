#include "app/GridSelection.h"

#include <string>
#include <vector>

#include "app/GridModel.h"
#include "store/CSVDBS.h"
#include "store/StepScope.h"

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
    // Records and fields as "3-7:2-4", a rectangle a range to a ";".
    std::string cells;
    for (const QItemSelectionRange& range : selection) {
        if (!cells.empty())
            cells += ';';
        cells += std::to_string(grid.recordAt(range.top())) + '-' + std::to_string(grid.recordAt(range.bottom())) +
                 ':' + std::to_string(range.left() + 1) + '-' + std::to_string(range.right() + 1);
    }
    const StepScope step(store, stepName, StepOperation{"ClearCells", {{"cells", cells}}});
    std::int64_t cleared = 0;
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            for (int column = range.left(); column <= range.right(); ++column) {
                const CSVDBS::RecordNo record = grid.recordAt(row);
                if (store.ValueAt(record, column + 1).empty())
                    continue;
                store.PutValue(record, column + 1, "");
                ++cleared;
            }
        grid.cellsChanged(range.top(), range.left(), range.bottom(), range.right());
    }
    return cleared;
}

} // namespace GridSelection
