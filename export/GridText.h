#pragma once

#include <string>
#include <string_view>

#include <QString>

// What the exporters and the filter read from a grid: its headings and the
// texts of the rows it shows, in the order shown, as UTF-8 bytes. Cells are
// whole values, not the shortened text a cell may paint.
class GridText {
public:
    virtual ~GridText() = default;
    virtual int headingCount() const = 0;
    virtual int shownRows() const = 0;
    virtual const std::string& headingText(int column) const = 0;
    // Valid until the grid or what it shows changes.
    virtual std::string_view cellBytes(int row, int column) const = 0;
};

// A value as a grid cell paints it: long values shortened, so painting stays
// quick, and line breaks shown as spaces, one line per cell.
QString displayedCell(std::string_view value);
