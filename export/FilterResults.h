#pragma once

#include <string>
#include <vector>

#include "export/GridTableModel.h"

// The rows of another grid that contain a search text, in that grid's order,
// under the same headings. It keeps only the numbers of the matching rows and
// reads their texts from the source grid, which must not change meanwhile.
class FilterResults final : public GridTableModel {
public:
    explicit FilterResults(const GridText& source, QObject* parent = nullptr)
        : GridTableModel(parent), m_source(source) {}

    // Takes the source's headings and lists every row with a cell that holds
    // `text`, case aside; each row once, on its first matching cell.
    void search(const std::string& text);
    // The source row shown in result row `row`.
    int sourceRow(int row) const { return m_rows[static_cast<std::size_t>(row)]; }

    int headingCount() const override { return static_cast<int>(m_headings.size()); }
    int shownRows() const override { return static_cast<int>(m_rows.size()); }
    const std::string& headingText(int column) const override { return m_headings[static_cast<std::size_t>(column)]; }
    std::string_view cellBytes(int row, int column) const override { return m_source.cellBytes(sourceRow(row), column); }

private:
    const GridText& m_source;
    std::vector<std::string> m_headings;
    std::vector<int> m_rows;
};
