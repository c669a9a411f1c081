#include "app/GridModel.h"

#include <numeric>

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
        m_records.resize(static_cast<std::size_t>(records));
        std::iota(m_records.begin(), m_records.end(), 1);
    }
    endResetModel();
}

void GridModel::removeGridRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows({}, row, row);
    m_records.erase(m_records.begin() + row);
    endRemoveRows();
}

std::string_view GridModel::cellBytes(int row, int column) const
{
    return m_store->ValueAt(recordAt(row), column + 1);
}

QString GridModel::cellText(int row, int column) const
{
    const std::string_view value = cellBytes(row, column);
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}
