#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "export/GridTableModel.h"

// The rows of another grid that contain a search text, in that grid's order,
// under the same headings. It keeps only the numbers of the matching rows and
// reads their texts from the source grid, which must not change meanwhile:
// the grid is only read, here and by the searches on other threads, and the
// window that searches it is modal, so nothing can change it while it is open.
class FilterResults final : public GridTableModel {
public:
    explicit FilterResults(const GridText& source, QObject* parent = nullptr)
        : GridTableModel(parent), m_source(source) {}

    // The numbers of the source rows with a cell that holds `text`, case
    // aside; each row once. Reads the source only, so it may run on any
    // thread, on two cores; gives nothing once `stop` is set, which it looks
    // at every few thousand rows.
    static std::optional<std::vector<int>> matchingRows(const GridText& source, const std::string& text,
                                                        const std::atomic<bool>& stop);

    // Takes the source's headings and lists every row with a cell that holds
    // `text`, here and now.
    void search(const std::string& text);
    // Takes the source's headings and lists `rows`, as matchingRows() gave them.
    void show(std::vector<int> rows);
    // No headings and no rows, as before the first search.
    void clear();
    const GridText& source() const { return m_source; }
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
