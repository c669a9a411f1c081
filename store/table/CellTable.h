#pragma once

#include <atomic>
#include <cassert>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "store/table/HugeBuffer.h"

class StepRecorder;

// Field positions are 16-bit signed, so a table holds at most this many fields.
inline constexpr int MaxFieldCount = 32767;

// A value: a span of bytes in one of the table's buffers, packed into 8 bytes
// (a 48-bit address and a 16-bit length), since a million-row file holds
// millions of them. A value of 65535 bytes or more is reached through a span
// the table keeps for it. The default constructor leaves a cell unwritten, so
// that a column is filled once, not zeroed first; Cell{} is the empty value.
class Cell {
public:
    Cell() = default;

    // A cell for `v`; a long value's span is kept in `spans`, which must
    // outlive the cell.
    static Cell of(std::string_view v, std::deque<std::string_view>& spans)
    {
        if (v.size() < LongMark)
            return Cell(address(v.data()) << 16 | v.size());
        spans.push_back(v);
        return Cell(address(&spans.back()) << 16 | LongMark);
    }

    std::string_view view() const
    {
        const auto* at = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(m_bits >> 16));
        const std::size_t size = m_bits & LongMark;
        if (size != LongMark)
            return {at, size};
        return *reinterpret_cast<const std::string_view*>(at);
    }

    // The same bytes in the same place, not merely equal values.
    bool operator==(const Cell&) const = default;

private:
    static constexpr std::uint64_t LongMark = 0xFFFF;
    explicit Cell(std::uint64_t bits) : m_bits(bits) {}
    static std::uint64_t address(const void* p)
    {
        const auto a = reinterpret_cast<std::uintptr_t>(p);
        // User-space addresses fit 48 bits on the 64-bit systems we build for.
        if (a >> 48)
            throw std::length_error("address beyond 48 bits");
        return a;
    }

    std::uint64_t m_bits;
};
static_assert(sizeof(Cell) == 8 && std::is_trivially_default_constructible_v<Cell>);

// Storage behind the record store: one column of cells per field, indexed by a
// row slot, and the record order as a list of slots. Reordering or deleting
// records moves 4-byte slots, never values; adding or removing a field touches
// one column. Value bytes live in buffers that never move, so a Cell stays
// valid until the table is replaced or compacted.
//
// Every change to a table that holds a file goes through the operations under
// "Changes" below, and each records what it replaces into the open step, if
// one is open: an operation of the store cannot change the data and forget
// its undo. The loaders build a fresh table through their own calls, with no
// step open; undo and redo go through the exchanges, which record nothing.
class CellTable {
public:
    // One field's cells, indexed by slot.
    using Column = std::vector<Cell, huge::Allocator<Cell>>;
    using Order = std::vector<std::uint32_t, huge::Allocator<std::uint32_t>>;
    // Records by position in the order and slot, positions ascending.
    using RecordEntries = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
    struct FieldCells {
        std::string name;
        Column cells;
    };

    int fieldCount() const { return static_cast<int>(m_names.size()); }
    std::size_t recordCount() const { return m_rows.size(); }

    const std::vector<std::string>& names() const { return m_names; }

    // 0-based record index and field.
    std::string_view value(std::size_t record, int field) const
    {
        return m_columns[static_cast<std::size_t>(field)][m_rows[record]].view();
    }
    const Cell& cell(std::size_t record, int field) const
    {
        return m_columns[static_cast<std::size_t>(field)][m_rows[record]];
    }
    // Copies the bytes into the table's own buffers.
    Cell intern(std::string_view bytes);

    // --- Changes ------------------------------------------------------------
    // The step the changes record into while it is open; null records nothing.
    void recordInto(StepRecorder* recorder) { m_recorder = recorder; }
    // Whether the open step still keeps the field's changes value by value
    // (so a rewrite of its column can hand the old column over whole).
    bool stepKeepsValuesOf(int field) const;

    void set(std::size_t record, int field, std::string_view bytes) { setAtSlot(m_rows[record], field, intern(bytes)); }
    void setAtSlot(std::uint32_t slot, int field, Cell cell)
    {
        assert(static_cast<std::size_t>(field) < m_columns.size() && slot < m_slotCount);
        if (m_recorder)
            recordCell(slot, field);
        forgetReadLine(slot);
        m_columns[static_cast<std::size_t>(field)][slot] = cell;
    }
    // For a field whose old values the open step does not keep (there is
    // none, or it inserted the field): the cell goes straight in, and the
    // step learns only how many were put, from valuesPut once they all are.
    void putUnkept(std::uint32_t slot, int field, Cell cell)
    {
        forgetReadLine(slot);
        m_columns[static_cast<std::size_t>(field)][slot] = cell;
    }
    void valuesPut(std::int64_t count);
    // Gives a field the cells of `cells`, one for every slot; `changed` is
    // how many values differ, for the step's report.
    void replaceColumn(int field, Column cells, std::int64_t changed);
    void insertField(int at, std::string name, Cell fill);
    void eraseField(int field);
    void swapFields(int a, int b);
    void renameField(int field, std::string name);
    void appendEmptyRecord();
    void eraseRecord(std::size_t record);
    // Keeps the records whose flag is true, in order, in one pass.
    void keepRecords(const std::vector<std::uint8_t>& keep);
    // Lets `change` reorder the records in place (a sort); it returns
    // whether it moved any. The step keeps the order only then.
    bool reorder(const std::function<bool(Order&)>& change);
    // Moves the last `count` records, in their order, in front of the others.
    void rotateToFront(std::uint32_t count);

    // --- Undo and redo --------------------------------------------------------
    // Each swaps what a step kept with what the table holds, so that the same
    // call undoes and redoes; none runs while a step is open.
    void exchangeCell(std::uint32_t slot, int field, Cell& kept);
    // `kept` may be short of the slots made since; they get empty cells.
    void exchangeColumn(int field, Column& kept);
    void exchangeOrder(Order& kept);
    void exchangeName(int field, std::string& kept);
    void takeOutOfOrder(const RecordEntries& entries);
    void putBackInOrder(const RecordEntries& entries);
    void rotateBack(std::uint32_t count);
    FieldCells takeField(int at);
    void putField(int at, FieldCells field);

    // Building a table from a file: the buffer is kept and cells point into it.
    void adoptBuffer(huge::Bytes buffer, std::size_t size);
    void setNames(std::vector<std::string> names);
    void reserveRecords(std::size_t count);
    // Where a loader keeps the spans of long values; lives as long as the table.
    std::deque<std::string_view>& newSpanList();
    // Appends a record; `cells` holds fieldCount() cells.
    void appendRecord(const Cell* cells)
    {
        if (m_slotCount == std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("The table has no room for another record.");
        Column* column = m_columns.data();
        for (std::size_t f = 0, n = m_columns.size(); f < n; ++f)
            column[f].push_back(cells[f]);
        assert(!m_recorder);
        m_rows.push_back(m_slotCount++);
    }

    // For loaders that fill records in parallel: room for `slots` records,
    // unwritten; each loader writes the cells of its own slot range through
    // column(), and then the used ranges become records, in order.
    void allocateSlots(std::size_t slots);
    Cell* column(int field)
    {
        assert(!m_recorder);
        m_readLinesKept = false;
        return m_columns[static_cast<std::size_t>(field)].data();
    }
    const Cell* column(int field) const { return m_columns[static_cast<std::size_t>(field)].data(); }
    void appendSlotRange(std::uint32_t first, std::uint32_t count);
    // Empties slots that hold no record, so that no unwritten cell remains.
    void clearSlots(std::uint32_t first, std::uint32_t count);

    // Lines kept as they were read. A record whose values all came verbatim
    // from one line of the file, joined by the separator it was read with,
    // is written by copying that line's text from its first value's first
    // byte to its last value's last. A bit per slot, set by the loader; a
    // change to a slot's cells clears its bit, and any change to the fields,
    // or handing out a column to write, clears them all.
    //
    // Loaders: marks a slot. `shared`: another thread may be marking slots
    // of the same word of marks.
    void markReadLine(std::uint32_t slot, bool shared = false)
    {
        std::uint64_t& word = m_readLines[slot >> 6];
        const std::uint64_t bit = std::uint64_t{1} << (slot & 63);
        if (shared)
            std::atomic_ref<std::uint64_t>(word).fetch_or(bit, std::memory_order_relaxed);
        else
            word |= bit;
    }
    // Loaders: the marks are complete and the lines were split at `separator`.
    void keepReadLines(std::string separator)
    {
        m_readSeparator = std::move(separator);
        m_readLinesKept = true;
    }
    // The separator the kept lines were read with, or null when none are kept.
    const std::string* readLineSeparator() const { return m_readLinesKept ? &m_readSeparator : nullptr; }
    bool isReadLine(std::uint32_t slot) const
    {
        return m_readLinesKept && (slot >> 6) < m_readLines.size() && (m_readLines[slot >> 6] >> (slot & 63) & 1);
    }
    void forgetReadLines() { m_readLinesKept = false; }

    const Order& orderView() const { return m_rows; }
    std::uint32_t slot(std::size_t record) const { return m_rows[record]; }
    // Per slot, 1 where a record lives and 0 for a deleted or unused one.
    std::vector<std::uint8_t> liveSlots() const;
    const Cell& cellAtSlot(std::uint32_t slot, int field) const
    {
        return m_columns[static_cast<std::size_t>(field)][slot];
    }

    // A new field list for a table with no history: new fields are empty,
    // surplus ones dropped.
    void resizeFields(std::vector<std::string> names);

    void clear();
    void swap(CellTable& other) noexcept;

    // While an undo history refers to slots and values, compacting would
    // move them from under it.
    void holdSlots(bool held) { m_slotsHeld = held; }
    std::uint32_t slotCount() const { return m_slotCount; }
    // All of one field's cells, indexed by slot.
    const Column& columnCells(int field) const { return m_columns[static_cast<std::size_t>(field)]; }

    // Bytes held for values written after the load, live or not.
    std::size_t editedBytes() const { return m_editedBytes; }
    // Rewrites live values into one fresh buffer and drops unused slots, once
    // edits or deletions have left enough garbage to be worth it.
    void compactIfWasteful();

private:
    void recordCell(std::uint32_t slot, int field);
    void compact();
    std::deque<std::string_view>& editedSpans();

    std::vector<std::string> m_names;
    std::vector<Column> m_columns;
    Order m_rows;
    std::uint32_t m_slotCount = 0;

    std::vector<huge::Bytes> m_buffers;
    std::vector<std::unique_ptr<std::deque<std::string_view>>> m_spans;
    std::size_t m_loadedBytes = 0;
    std::size_t m_editedBytes = 0;
    char* m_chunkPos = nullptr;
    std::size_t m_chunkLeft = 0;
    bool m_slotsHeld = false;
    StepRecorder* m_recorder = nullptr;

    void forgetReadLine(std::uint32_t slot)
    {
        if ((slot >> 6) < m_readLines.size())
            m_readLines[slot >> 6] &= ~(std::uint64_t{1} << (slot & 63));
    }
    std::vector<std::uint64_t> m_readLines;
    std::string m_readSeparator;
    bool m_readLinesKept = false;
};
