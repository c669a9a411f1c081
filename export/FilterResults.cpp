#include "export/FilterResults.h"

#include "export/TextSearch.h"

void FilterResults::search(const std::string& text)
{
    const TextSearch search(text);
    beginResetModel();
    m_headings.clear();
    for (int c = 0; c < m_source.headingCount(); ++c)
        m_headings.push_back(m_source.headingText(c));
    m_rows.clear();
    const int columns = m_source.headingCount();
    for (int r = 0; r < m_source.shownRows(); ++r)
        for (int c = 0; c < columns; ++c)
            if (search.foundIn(m_source.cellBytes(r, c))) {
                m_rows.push_back(r);
                break;
            }
    endResetModel();
}

QVariant FilterResults::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return displayedCell(cellBytes(index.row(), index.column()));
}

QVariant FilterResults::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return QString::fromStdString(m_headings[static_cast<std::size_t>(section)]);
    return section + 1;
}
