#include "app/GridModel.h"

#include <numeric>

#include "store/CSVDBS.h"

namespace {
// A cell shows at most this much; the rest of a long value is still saved
// and exported, it only would make painting slow.
constexpr qsizetype DisplayLimit = 2000;
} // namespace

void GridModel::rebuild(const CSVDBS* store, bool namedHeadings)
{
    beginResetModel();
    m_store = store;
    m_headings.clear();
    m_records.clear();
    if (store && store->HasFieldList()) {
        const std::vector<std::string> names = store->GetFieldList();
        for (std::size_t i = 0; i < names.size(); ++i)
            m_headings << (namedHeadings ? QString::fromStdString(names[i])
                                         : QStringLiteral("Column ") + QString::number(i + 1));
        const std::int32_t records = std::max(store->RecordCount(), 0);
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

QString GridModel::cellText(int row, int column) const
{
    const std::string_view value = m_store->ValueAt(recordAt(row), column + 1);
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const std::string_view value = m_store->ValueAt(recordAt(index.row()), index.column() + 1);
    const qsizetype size = std::min<qsizetype>(static_cast<qsizetype>(value.size()), DisplayLimit);
    QString text = QString::fromUtf8(value.data(), size);
    if (size < static_cast<qsizetype>(value.size()))
        text += QChar(0x2026);
    // One line per cell: line breaks inside a value show as spaces.
    text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_headings.value(section);
    return section + 1;
}
