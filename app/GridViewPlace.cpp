#include "app/GridViewPlace.h"

#include <algorithm>

#include <QItemSelectionModel>
#include <QTableView>

#include "app/GridModel.h"

int GridViewPlace::shownRows() const { return m_model.rowCount(); }
int GridViewPlace::columnCount() const { return m_model.columnCount(); }
CSVDBS::RecordNo GridViewPlace::recordAt(int row) const { return m_model.recordAt(row); }
QString GridViewPlace::heading(int column) const { return m_model.heading(column); }
int GridViewPlace::currentRow() const { return m_view.currentIndex().isValid() ? m_view.currentIndex().row() : -1; }

int GridViewPlace::currentColumn() const
{
    return m_view.currentIndex().isValid() ? m_view.currentIndex().column() : -1;
}

namespace {

// The numbers in the spans [first, last], ascending, each once.
std::vector<int> spanned(std::vector<std::pair<int, int>> spans)
{
    std::sort(spans.begin(), spans.end());
    std::vector<int> out;
    for (const auto& [first, last] : spans)
        for (int i = std::max(first, out.empty() ? first : out.back() + 1); i <= last; ++i)
            out.push_back(i);
    return out;
}

} // namespace

// The selection is read by its ranges, never cell by cell: a million
// selected rows are a few ranges. It is one block when every range spans
// the same columns (rows picked with Ctrl) or the same rows (columns).
std::optional<GridPlace::Block> GridViewPlace::selectedBlock() const
{
    const QItemSelectionModel* selection = m_view.selectionModel();
    if (!selection)
        return std::nullopt;
    const QItemSelection ranges = selection->selection();
    if (ranges.isEmpty())
        return std::nullopt;
    const QItemSelectionRange& first = ranges.first();
    const bool sameColumns = std::all_of(ranges.begin(), ranges.end(), [&](const QItemSelectionRange& r) {
        return r.left() == first.left() && r.right() == first.right();
    });
    const bool sameRows = std::all_of(ranges.begin(), ranges.end(), [&](const QItemSelectionRange& r) {
        return r.top() == first.top() && r.bottom() == first.bottom();
    });
    if (!sameColumns && !sameRows)
        return std::nullopt;
    std::vector<std::pair<int, int>> rows, columns;
    for (const QItemSelectionRange& r : ranges) {
        rows.emplace_back(r.top(), r.bottom());
        columns.emplace_back(r.left(), r.right());
    }
    return Block{spanned(std::move(rows)), spanned(std::move(columns))};
}

void GridViewPlace::moveTo(int row, int column)
{
    const QModelIndex cell = m_model.index(row, column);
    m_view.setCurrentIndex(cell);
    m_view.selectionModel()->select(cell, QItemSelectionModel::ClearAndSelect);
    m_view.scrollTo(cell);
}
