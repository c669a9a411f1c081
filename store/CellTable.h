#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Field positions are 16-bit signed, so a table holds at most this many fields.
inline constexpr int MaxFieldCount = 32767;

// A value: a span of bytes in one of the table's buffers. Packed to 12 bytes,
// since a million-row file holds millions of them.
struct __attribute__((packed)) Cell {
    const char* data = nullptr;
    std::uint32_t size = 0;

    std::string_view view() const { return {data, size}; }
};

// Storage behind the record store: one column of cells per field, indexed by a
// row slot, and the record order as a list of slots. Reordering or deleting
// records moves 4-byte slots, never values; adding or removing a field touches
// one column. Value bytes live in buffers that never move, so a Cell stays
// valid until the table is replaced or compacted.
class CellTable {
public:
    // One field's cells, indexed by slot.
    using Column = std::vector<Cell>;

    int fieldCount() const { return static_cast<int>(m_names.size()); }
    std::size_t recordCount() const { return m_rows.size(); }

    const std::vector<std::string>& names() const { return m_names; }
    std::string& name(int field) { return m_names[static_cast<std::size_t>(field)]; }

    // 0-based record index and field.
    std::string_view value(std::size_t record, int field) const
    {
        return m_columns[static_cast<std::size_t>(field)][m_rows[record]].view();
    }
    const Cell& cell(std::size_t record, int field) const
    {
        return m_columns[static_cast<std::size_t>(field)][m_rows[record]];
    }
    Cell& cell(std::size_t record, int field)
    {
        return m_columns[static_cast<std::size_t>(field)][m_rows[record]];
    }
    // Copies the bytes into the table's own buffers.
    Cell intern(std::string_view bytes);
    void set(std::size_t record, int field, std::string_view bytes)
    {
        cell(record, field) = intern(bytes);
    }

    // Building a table from a file: the buffer is kept and cells point into it.
    void adoptBuffer(std::unique_ptr<char[]> buffer, std::size_t size);
    void setNames(std::vector<std::string> names);
    void reserveRecords(std::size_t count);
    // Appends a record; `cells` holds fieldCount() cells.
    void appendRecord(const Cell* cells)
    {
        if (m_slotCount == std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("The table has no room for another record.");
        std::vector<Cell>* column = m_columns.data();
        for (std::size_t f = 0, n = m_columns.size(); f < n; ++f)
            column[f].push_back(cells[f]);
        m_rows.push_back(m_slotCount++);
    }
    void appendEmptyRecord();

    void eraseRecord(std::size_t record);
    // Keeps the records whose flag is true, in order, in one pass.
    void keepRecords(const std::vector<bool>& keep);
    // The record order as slots, for sorting in place.
    std::vector<std::uint32_t>& order() { return m_rows; }
    std::uint32_t slot(std::size_t record) const { return m_rows[record]; }
    const Cell& cellAtSlot(std::uint32_t slot, int field) const
    {
        return m_columns[static_cast<std::size_t>(field)][slot];
    }

    void insertField(int at, std::string name, Cell fill);
    void eraseField(int field);
    void swapFields(int a, int b);
    // Sets the field count; new fields are empty, surplus ones dropped.
    void resizeFields(std::vector<std::string> names);

    void clear();
    void swap(CellTable& other) noexcept;

    // While an undo history refers to slots and values, compacting would
    // move them from under it.
    void holdSlots(bool held) { m_slotsHeld = held; }
    std::uint32_t slotCount() const { return m_slotCount; }
    // All of one field's cells, indexed by slot.
    const Column& columnCells(int field) const { return m_columns[static_cast<std::size_t>(field)]; }
    // Moves a field's cells out, leaving the field without any until
    // putColumn gives it a column again (or the field is erased).
    Column takeColumn(int field) { return std::move(m_columns[static_cast<std::size_t>(field)]); }
    // Gives a field the cells of `cells`, one for every slot.
    void putColumn(int field, Column cells);

    // Bytes held for values written after the load, live or not.
    std::size_t editedBytes() const { return m_editedBytes; }
    // Rewrites live values into one fresh buffer and drops unused slots, once
    // edits or deletions have left enough garbage to be worth it.
    void compactIfWasteful();

private:
    friend class Step;
    void compact();

    std::vector<std::string> m_names;
    std::vector<Column> m_columns;
    std::vector<std::uint32_t> m_rows;
    std::uint32_t m_slotCount = 0;

    std::vector<std::unique_ptr<char[]>> m_buffers;
    std::size_t m_loadedBytes = 0;
    std::size_t m_editedBytes = 0;
    char* m_chunkPos = nullptr;
    std::size_t m_chunkLeft = 0;
    bool m_slotsHeld = false;
};
