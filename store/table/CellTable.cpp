#include "store/table/CellTable.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "store/history/StepRecorder.h"

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
        m_buffers.push_back(huge::allocateBytes(size));
        m_chunkPos = m_buffers.back().get();
        m_chunkLeft = size;
    }
    std::memcpy(m_chunkPos, bytes.data(), bytes.size());
    const Cell c = Cell::of({m_chunkPos, bytes.size()}, editedSpans());
    m_chunkPos += bytes.size();
    m_chunkLeft -= bytes.size();
    m_editedBytes += bytes.size();
    return c;
}

void CellTable::adoptBuffer(huge::Bytes buffer, std::size_t size)
{
    m_buffers.push_back(std::move(buffer));
    m_loadedBytes += size;
}

std::deque<std::string_view>& CellTable::newSpanList()
{
    m_spans.push_back(std::make_unique<std::deque<std::string_view>>());
    return *m_spans.back();
}

std::deque<std::string_view>& CellTable::editedSpans()
{
    return m_spans.empty() ? newSpanList() : *m_spans.front();
}

void CellTable::setNames(std::vector<std::string> names)
{
    m_readLinesKept = false;
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


void CellTable::allocateSlots(std::size_t slots)
{
    m_readLinesKept = false;
    if (slots > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too many records");
    for (auto& column : m_columns)
        column.resize(slots);
    m_rows.clear();
    m_rows.reserve(slots);
    m_slotCount = static_cast<std::uint32_t>(slots);
    m_readLines.assign((slots + 63) / 64, 0);
}

void CellTable::appendSlotRange(std::uint32_t first, std::uint32_t count)
{
    for (std::uint32_t s = first; s < first + count; ++s)
        m_rows.push_back(s);
}

void CellTable::clearSlots(std::uint32_t first, std::uint32_t count)
{
    for (auto& column : m_columns)
        std::fill_n(column.begin() + first, count, Cell{});
}

void CellTable::recordCell(std::uint32_t slot, int field) { m_recorder->cellChanging(*this, slot, field); }

bool CellTable::stepKeepsValuesOf(int field) const { return m_recorder && m_recorder->keeps(field); }

void CellTable::valuesPut(std::int64_t count)
{
    if (m_recorder)
        m_recorder->valuesPut(count);
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
    if (m_recorder)
        m_recorder->recordAppended(static_cast<std::uint32_t>(m_rows.size() - 1), m_rows.back());
}

void CellTable::eraseRecord(std::size_t record)
{
    assert(record < m_rows.size());
    if (m_recorder)
        m_recorder->recordsRemoved({{static_cast<std::uint32_t>(record), m_rows[record]}});
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(record));
}

void CellTable::keepRecords(const std::vector<std::uint8_t>& keep)
{
    assert(keep.size() == m_rows.size());
    RecordEntries removed;
    if (m_recorder) // exactly: the step keeps the list as it is
        removed.reserve(static_cast<std::size_t>(std::count(keep.begin(), keep.end(), std::uint8_t{0})));
    std::size_t out = 0;
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        if (keep[r])
            m_rows[out++] = m_rows[r];
        else if (m_recorder)
            removed.emplace_back(static_cast<std::uint32_t>(r), m_rows[r]);
    }
    m_rows.resize(out);
    if (m_recorder)
        m_recorder->recordsRemoved(std::move(removed));
}

bool CellTable::reorder(const std::function<bool(Order&)>& change)
{
    Order before;
    if (m_recorder)
        before = m_rows;
    const bool moved = change(m_rows);
    assert(!m_recorder || before.size() == m_rows.size());
    if (m_recorder && moved && before != m_rows)
        m_recorder->orderChanged(std::move(before));
    return moved;
}

void CellTable::rotateToFront(std::uint32_t count)
{
    assert(count <= m_rows.size());
    std::rotate(m_rows.begin(), m_rows.end() - count, m_rows.end());
    if (m_recorder)
        m_recorder->recordsRotated(count);
}

void CellTable::rotateBack(std::uint32_t count)
{
    assert(!m_recorder && count <= m_rows.size());
    std::rotate(m_rows.begin(), m_rows.begin() + count, m_rows.end());
}

void CellTable::exchangeCell(std::uint32_t slot, int field, Cell& kept)
{
    assert(!m_recorder && slot < m_slotCount);
    std::swap(m_columns[static_cast<std::size_t>(field)][slot], kept);
}

void CellTable::exchangeColumn(int field, Column& kept)
{
    assert(!m_recorder && kept.size() <= m_slotCount);
    // Slots made after the column was kept are in no record of that state.
    kept.resize(m_slotCount, Cell{});
    m_columns[static_cast<std::size_t>(field)].swap(kept);
}

void CellTable::exchangeOrder(Order& kept)
{
    assert(!m_recorder);
    m_rows.swap(kept);
}

void CellTable::exchangeName(int field, std::string& kept)
{
    assert(!m_recorder);
    m_names[static_cast<std::size_t>(field)].swap(kept);
}

void CellTable::takeOutOfOrder(const RecordEntries& entries)
{
    assert(!m_recorder && !entries.empty());
    std::size_t out = entries.front().first;
    std::size_t next = 0;
    for (std::size_t in = out; in < m_rows.size(); ++in) {
        if (next < entries.size() && entries[next].first == in) {
            assert(m_rows[in] == entries[next].second);
            ++next;
            continue;
        }
        m_rows[out++] = m_rows[in];
    }
    assert(next == entries.size());
    m_rows.resize(out);
}

// Positions are those of the order once every entry is back.
void CellTable::putBackInOrder(const RecordEntries& entries)
{
    assert(!m_recorder && !entries.empty());
    const std::size_t oldSize = m_rows.size();
    m_rows.resize(oldSize + entries.size());
    // From the back, so that every record moves once.
    std::size_t from = oldSize;
    std::size_t next = entries.size();
    for (std::size_t out = m_rows.size(); out-- > entries.front().first;) {
        if (next > 0 && entries[next - 1].first == out)
            m_rows[out] = entries[--next].second;
        else
            m_rows[out] = m_rows[--from];
    }
}

CellTable::FieldCells CellTable::takeField(int at)
{
    assert(!m_recorder);
    FieldCells field{std::move(m_names[static_cast<std::size_t>(at)]), std::move(m_columns[static_cast<std::size_t>(at)])};
    m_names.erase(m_names.begin() + at);
    m_columns.erase(m_columns.begin() + at);
    return field;
}

void CellTable::putField(int at, FieldCells field)
{
    assert(!m_recorder && field.cells.size() <= m_slotCount);
    field.cells.resize(m_slotCount, Cell{});
    m_names.insert(m_names.begin() + at, std::move(field.name));
    m_columns.insert(m_columns.begin() + at, std::move(field.cells));
}

std::vector<std::uint8_t> CellTable::liveSlots() const
{
    std::vector<std::uint8_t> live(m_slotCount, 0);
    for (std::uint32_t s : m_rows)
        live[s] = 1;
    return live;
}

void CellTable::insertField(int at, std::string name, Cell fill)
{
    assert(at >= 0 && static_cast<std::size_t>(at) <= m_names.size() && m_names.size() == m_columns.size());
    m_readLinesKept = false;
    m_names.insert(m_names.begin() + at, std::move(name));
    m_columns.insert(m_columns.begin() + at, Column(m_slotCount, fill));
    if (m_recorder)
        m_recorder->fieldInserted(at);
}

void CellTable::replaceColumn(int field, Column cells, std::int64_t changed)
{
    if (cells.size() != m_slotCount)
        throw std::length_error("a column must hold a cell for every slot");
    m_readLinesKept = false;
    std::swap(m_columns[static_cast<std::size_t>(field)], cells);
    if (m_recorder)
        m_recorder->columnChanged(*this, field, std::move(cells), changed);
}

void CellTable::eraseField(int field)
{
    assert(field >= 0 && static_cast<std::size_t>(field) < m_names.size());
    m_readLinesKept = false;
    if (m_recorder)
        m_recorder->fieldErased(field, {m_names[static_cast<std::size_t>(field)],
                                        std::move(m_columns[static_cast<std::size_t>(field)])});
    m_names.erase(m_names.begin() + field);
    m_columns.erase(m_columns.begin() + field);
}

void CellTable::swapFields(int a, int b)
{
    m_readLinesKept = false;
    if (m_recorder)
        m_recorder->fieldsSwapped(a, b);
    std::swap(m_names[static_cast<std::size_t>(a)], m_names[static_cast<std::size_t>(b)]);
    std::swap(m_columns[static_cast<std::size_t>(a)], m_columns[static_cast<std::size_t>(b)]);
}

void CellTable::renameField(int field, std::string name)
{
    if (m_recorder)
        m_recorder->fieldRenaming(*this, field);
    m_names[static_cast<std::size_t>(field)] = std::move(name);
}

void CellTable::resizeFields(std::vector<std::string> names)
{
    assert(!m_recorder);
    m_readLinesKept = false;
    m_names = std::move(names);
    m_columns.resize(m_names.size(), Column(m_slotCount, Cell{}));
}

void CellTable::clear()
{
    CellTable empty;
    swap(empty);
}

void CellTable::swap(CellTable& other) noexcept
{
    // A step records the changes of the table it was opened on.
    assert(!m_recorder && !other.m_recorder);
    std::swap(m_names, other.m_names);
    std::swap(m_columns, other.m_columns);
    std::swap(m_rows, other.m_rows);
    std::swap(m_slotCount, other.m_slotCount);
    std::swap(m_buffers, other.m_buffers);
    std::swap(m_spans, other.m_spans);
    std::swap(m_loadedBytes, other.m_loadedBytes);
    std::swap(m_editedBytes, other.m_editedBytes);
    std::swap(m_chunkPos, other.m_chunkPos);
    std::swap(m_chunkLeft, other.m_chunkLeft);
    std::swap(m_readLines, other.m_readLines);
    std::swap(m_readSeparator, other.m_readSeparator);
    std::swap(m_readLinesKept, other.m_readLinesKept);
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
    m_readLinesKept = false;
    std::size_t live = 0;
    for (const auto& column : m_columns)
        for (std::uint32_t s : m_rows)
            live += column[s].view().size();

    auto buffer = huge::allocateBytes(std::max<std::size_t>(live, 1));
    auto spans = std::make_unique<std::deque<std::string_view>>();
    char* pos = buffer.get();
    std::vector<Column> columns(m_columns.size());
    for (std::size_t f = 0; f < m_columns.size(); ++f) {
        columns[f].reserve(m_rows.size());
        for (std::uint32_t s : m_rows) {
            const std::string_view v = m_columns[f][s].view();
            if (!v.empty())
                std::memcpy(pos, v.data(), v.size());
            columns[f].push_back(v.empty() ? Cell{} : Cell::of({pos, v.size()}, *spans));
            pos += v.size();
        }
    }
    m_columns = std::move(columns);
    for (std::uint32_t r = 0; r < m_rows.size(); ++r)
        m_rows[r] = r;
    m_slotCount = static_cast<std::uint32_t>(m_rows.size());
    m_buffers.clear();
    m_buffers.push_back(std::move(buffer));
    m_spans.clear();
    m_spans.push_back(std::move(spans));
    m_loadedBytes = live;
    m_editedBytes = 0;
    m_chunkPos = nullptr;
    m_chunkLeft = 0;
}
