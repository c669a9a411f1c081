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
