#include "store/CellTable.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {
constexpr std::size_t ChunkSize = 1 << 20;
} // namespace

Cell CellTable::intern(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("value too long");
    if (bytes.size() > m_chunkLeft) {
        const std::size_t size = std::max(ChunkSize, bytes.size());
        m_buffers.push_back(std::make_unique_for_overwrite<char[]>(size));
        m_chunkPos = m_buffers.back().get();
        m_chunkLeft = size;
    }
    std::memcpy(m_chunkPos, bytes.data(), bytes.size());
    Cell c{m_chunkPos, static_cast<std::uint32_t>(bytes.size())};
    m_chunkPos += bytes.size();
    m_chunkLeft -= bytes.size();
    m_editedBytes += bytes.size();
    return c;
}

void CellTable::adoptBuffer(std::unique_ptr<char[]> buffer, std::size_t size)
{
    m_buffers.push_back(std::move(buffer));
    m_loadedBytes += size;
}

void CellTable::setNames(std::vector<std::string> names)
{
    m_names = std::move(names);
    m_columns.assign(m_names.size(), {});
    m_rows.clear();
    m_slotCount = 0;
}

void CellTable::reserveRecords(std::size_t count)
{
    for (auto& column : m_columns)
        column.reserve(count);
    m_rows.reserve(count);
}


void CellTable::appendEmptyRecord()
{
    if (m_slotCount == std::numeric_limits<std::uint32_t>::max()) {
        if (m_slotsHeld)
            throw std::length_error("too many records");
        compact();
    }
    if (m_slotCount == std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("The table has no room for another record.");
    for (auto& column : m_columns)
        column.push_back(Cell{});
    m_rows.push_back(m_slotCount++);
}

void CellTable::eraseRecord(std::size_t record)
{
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(record));
}

void CellTable::keepRecords(const std::vector<bool>& keep)
{
    std::size_t out = 0;
    for (std::size_t r = 0; r < m_rows.size(); ++r)
        if (keep[r])
            m_rows[out++] = m_rows[r];
    m_rows.resize(out);
}

void CellTable::insertField(int at, std::string name, Cell fill)
{
    m_names.insert(m_names.begin() + at, std::move(name));
    m_columns.insert(m_columns.begin() + at, std::vector<Cell>(m_slotCount, fill));
}

void CellTable::putColumn(int field, Column cells)
{
    if (cells.size() != m_slotCount)
        throw std::length_error("a column must hold a cell for every slot");
    m_columns[static_cast<std::size_t>(field)] = std::move(cells);
}

void CellTable::eraseField(int field)
{
    m_names.erase(m_names.begin() + field);
    m_columns.erase(m_columns.begin() + field);
}

void CellTable::swapFields(int a, int b)
{
    std::swap(m_names[static_cast<std::size_t>(a)], m_names[static_cast<std::size_t>(b)]);
    std::swap(m_columns[static_cast<std::size_t>(a)], m_columns[static_cast<std::size_t>(b)]);
}

void CellTable::resizeFields(std::vector<std::string> names)
{
    m_names = std::move(names);
    m_columns.resize(m_names.size(), std::vector<Cell>(m_slotCount));
}

void CellTable::clear()
{
    CellTable empty;
    swap(empty);
}

void CellTable::swap(CellTable& other) noexcept
{
    std::swap(m_names, other.m_names);
    std::swap(m_columns, other.m_columns);
    std::swap(m_rows, other.m_rows);
    std::swap(m_slotCount, other.m_slotCount);
    std::swap(m_buffers, other.m_buffers);
    std::swap(m_loadedBytes, other.m_loadedBytes);
    std::swap(m_editedBytes, other.m_editedBytes);
    std::swap(m_chunkPos, other.m_chunkPos);
    std::swap(m_chunkLeft, other.m_chunkLeft);
}

void CellTable::compactIfWasteful()
{
    if (m_slotsHeld)
        return;
    const bool manyDeadSlots = m_slotCount > 2 * m_rows.size() + 4096;
    const bool manyEdits = m_editedBytes > 2 * m_loadedBytes + (64u << 20);
    if (manyDeadSlots || manyEdits)
        compact();
}

void CellTable::compact()
{
    std::size_t live = 0;
    for (const auto& column : m_columns)
        for (std::uint32_t s : m_rows)
            live += column[s].size;

    auto buffer = std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(live, 1));
    char* pos = buffer.get();
    std::vector<std::vector<Cell>> columns(m_columns.size());
    for (std::size_t f = 0; f < m_columns.size(); ++f) {
        columns[f].reserve(m_rows.size());
        for (std::uint32_t s : m_rows) {
            const Cell& c = m_columns[f][s];
            if (c.size)
                std::memcpy(pos, c.data, c.size);
            columns[f].push_back(Cell{c.size ? pos : nullptr, c.size});
            pos += c.size;
        }
    }
    m_columns = std::move(columns);
    for (std::uint32_t r = 0; r < m_rows.size(); ++r)
        m_rows[r] = r;
    m_slotCount = static_cast<std::uint32_t>(m_rows.size());
    m_buffers.clear();
    m_buffers.push_back(std::move(buffer));
    m_loadedBytes = live;
    m_editedBytes = 0;
    m_chunkPos = nullptr;
    m_chunkLeft = 0;
}
