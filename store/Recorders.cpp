#include "store/Recorders.h"

RemovalRecorder::~RemovalRecorder()
{
    if (!m_step)
        return;
    const CellTable::Order& after = m_table.order();
    if (after.size() == m_before.size())
        return;
    // What is left is the order with some records taken out, in order.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> removed;
    removed.reserve(m_before.size() - after.size());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_before.size(); ++i) {
        if (kept < after.size() && after[kept] == m_before[i])
            ++kept;
        else
            removed.emplace_back(static_cast<std::uint32_t>(i), m_before[i]);
    }
    m_step->recordsRemoved(std::move(removed));
}
