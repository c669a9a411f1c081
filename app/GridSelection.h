#pragma once

#include <cstdint>

#include <QItemSelection>

class CSVDBS;
class GridModel;

// What the Delete key, Backspace and Cut do to the grid's selection, each as
// one step of the store.
namespace GridSelection {

// Whether the selection is made of whole rows. In a grid of one column a
// cell is a whole row too; there it counts as a cell, since clearing it is
// the smaller change.
bool isWholeRows(const QItemSelection& selection, int columns);

// Deletes the records the selected rows show. Returns how many went.
std::int64_t deleteRows(CSVDBS& store, const GridModel& grid, const QItemSelection& selection);

// Empties the selected cells, as one step named `stepName`. Returns how many
// held a value.
std::int64_t clearCells(CSVDBS& store, GridModel& grid, const QItemSelection& selection, const char* stepName);

} // namespace GridSelection
