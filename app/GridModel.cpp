#include "app/GridModel.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "store/CSVDBS.h"

void GridModel::rebuild(const CSVDBS* store, bool namedHeadings)
{
    beginResetModel();
    m_store = store;
    m_headings.clear();
    m_headingBytes.clear();
    m_records.clear();
    if (store && store->HasFieldList()) {
        const std::vector<std::string> names = store->GetFieldList();
        for (std::size_t i = 0; i < names.size(); ++i) {
            m_headingBytes.push_back(namedHeadings ? names[i] : "Column " + std::to_string(i + 1));
            m_headings << QString::fromStdString(m_headingBytes.back());
        }
        const std::int32_t records = store->RecordsHeld();
        m_allRecords = records;
        if (m_filterField > store->FieldCount())
            m_filterField = 0; // its column has gone
        if (m_filterField > 0) {
            const std::unordered_set<std::string_view> shown(m_filterValues.begin(), m_filterValues.end());
            for (std::int32_t r = 1; r <= records; ++r)
                if (shown.count(store->ValueAt(r, m_filterField)) > 0)
                    m_records.push_back(r);
        } else {
            m_records.resize(static_cast<std::size_t>(records));
            std::iota(m_records.begin(), m_records.end(), 1);
        }
    } else {
        m_allRecords = 0;
    }
    endResetModel();
}

void GridModel::setRowFilter(int field, std::vector<std::string> values)
{
    m_filterField = values.empty() ? 0 : field;
    m_filterValues = std::move(values);
}

std::vector<std::int32_t> GridModel::recordsOf(int first, int last) const
{
    std::vector<std::int32_t> out;
    for (int row = std::max(first, 0); row <= last && static_cast<std::size_t>(row) < m_records.size(); ++row)
        out.push_back(m_records[static_cast<std::size_t>(row)]);
    return out;
}

bool GridModel::showsCell(int row, int column) const
{
    // Between a change of the store and the refill that follows it, a paint
    // (under a question, or while long work lets the window repaint) may ask
    // for a cell that has gone; it gets nothing rather than an exception
    // thrown through the event loop.
    return m_store && row >= 0 && static_cast<std::size_t>(row) < m_records.size() && column >= 0 &&
           column < m_store->FieldCount() && recordAt(row) <= m_store->RecordsHeld();
}

std::string_view GridModel::cellBytes(int row, int column) const
{
    if (!showsCell(row, column))
        return {};
    return m_store->ValueAt(recordAt(row), column + 1);
}

QString GridModel::cellText(int row, int column) const
{
    const std::string_view value = cellBytes(row, column);
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::EditRole && index.isValid())
        return cellText(index.row(), index.column());
    return GridTableModel::data(index, role);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable && m_editable == m_store && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !m_editable || m_editable != m_store ||
        !showsCell(index.row(), index.column()))
        return false;
    const std::string text = value.toString().toStdString();
    const int field = index.column() + 1;
    const std::int32_t record = recordAt(index.row());
    // An edit that changes nothing is no step and no unsaved change.
    if (m_editable->ValueAt(record, field) == text)
        return true;
    m_editable->PutValue(record, field, text);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

void GridModel::cellsChanged(int top, int left, int bottom, int right)
{
    emit dataChanged(index(top, left), index(bottom, right), {Qt::DisplayRole, Qt::EditRole});
}
