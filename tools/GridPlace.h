#pragma once

#include <optional>
#include <vector>

#include <QString>

#include "store/CSVDBS.h"

// The grid a tool works beside: the rows it shows, where the user is, what
// is selected, and a way to take the user to a cell. Rows and columns are
// the grid's, from 0; a row shows one record of the store.
class GridPlace {
public:
    // A selection that is every pairing of some rows with some columns (a
    // rectangle, whole rows, whole columns), each list ascending.
    struct Block {
        std::vector<int> rows;
        std::vector<int> columns;
    };

    virtual ~GridPlace() = default;
    virtual int shownRows() const = 0;
    virtual int columnCount() const = 0;
    virtual CSVDBS::RecordNo recordAt(int row) const = 0;
    virtual QString heading(int column) const = 0;
    // -1 where there is no current cell.
    virtual int currentRow() const = 0;
    virtual int currentColumn() const = 0;
    // Nothing when the selection is empty or not one block.
    virtual std::optional<Block> selectedBlock() const = 0;
    // Makes the cell current and the only one selected, scrolled into view.
    virtual void moveTo(int row, int column) = 0;
};
