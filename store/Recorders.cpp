#include "store/Recorders.h"

RemovalRecorder::~RemovalRecorder()
{
    if (!m_step)
        return;
    const std::vector<std::uint32_t>& after = m_table.order();
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

ColumnsRecorder::ColumnsRecorder(Step* step, CellTable& table) : m_step(step), m_table(table)
{
    if (!m_step)
        return;
    m_before.reserve(static_cast<std::size_t>(table.fieldCount()));
    for (int f = 0; f < table.fieldCount(); ++f)
        m_before.push_back(table.columnCells(f));
}

ColumnsRecorder::~ColumnsRecorder()
{
    if (!m_step)
        return;
    for (int f = 0; f < m_table.fieldCount(); ++f) {
        const std::vector<Cell>& now = m_table.columnCells(f);
        std::vector<Cell>& before = m_before[static_cast<std::size_t>(f)];
        std::int64_t changed = 0;
        for (std::size_t s = 0; s < now.size(); ++s)
            changed += before[s].data != now[s].data || before[s].size != now[s].size;
        if (changed > 0)
            m_step->columnChanged(m_table, f, std::move(before), changed);
    }
}
