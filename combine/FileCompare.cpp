#include "combine/FileCompare.h"

#include <algorithm>
#include <unordered_map>

#include "store/CSVDBS.h"
#include "store/ParallelParse.h"
#include "store/save/CsvLineWriter.h"

namespace FileCompare {

namespace {

using RecordNo = CSVDBS::RecordNo;

std::string retryHint() { return " Compare by row position, or choose another key."; }

// Keys by open addressing over one array of 8-byte slots, so that a million
// look-ups touch a slot each rather than chase nodes, and the index of a
// million keys costs 16 MB.
class KeyIndex {
public:
    KeyIndex(const CSVDBS& store, int field, std::size_t keys) : m_store(store), m_field(field)
    {
        std::size_t size = 16;
        while (size < 2 * keys)
            size *= 2;
        m_slots.assign(size, Slot{});
        m_mask = size - 1;
    }

    // Adds the key of `record`; the record that holds the key already, or 0.
    RecordNo insert(RecordNo record)
    {
        const std::string_view key = m_store.ValueAt(record, m_field);
        const std::uint64_t h = std::hash<std::string_view>{}(key);
        std::size_t i = h & m_mask;
        for (; m_slots[i].record != 0; i = (i + 1) & m_mask)
            if (m_slots[i].tag == tagOf(h) && keyOf(m_slots[i]) == key)
                return m_slots[i].record;
        m_slots[i] = Slot{tagOf(h), record};
        return 0;
    }

    RecordNo find(std::string_view key) const
    {
        const std::uint64_t h = std::hash<std::string_view>{}(key);
        for (std::size_t i = h & m_mask;; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (slot.record == 0)
                return 0;
            if (slot.tag == tagOf(h) && keyOf(slot) == key)
                return slot.record;
        }
    }

private:
    struct Slot {
        std::uint32_t tag = 0; // the hash's high half
        RecordNo record = 0;   // 0: an empty slot
    };
    static std::uint32_t tagOf(std::uint64_t h) { return static_cast<std::uint32_t>(h >> 32); }
    std::string_view keyOf(const Slot& slot) const { return m_store.ValueAt(slot.record, m_field); }

    const CSVDBS& m_store;
    int m_field;
    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
};

// The first record, in file order, whose key is empty or repeats one before
// it; none when every key is there and unique.
struct KeyFault {
    RecordNo empty = 0, repeat = 0;
};

void checkKeys(const CSVDBS& store, KeyFault fault, int field, const std::string& key, const std::string& file)
{
    if (fault.empty != 0)
        throw CompareError("The key column \"" + key + "\" is empty in row " + std::to_string(fault.empty) + " of "
                           + file + "." + retryHint());
    if (fault.repeat == 0)
        return;
    const std::string_view repeated = store.ValueAt(fault.repeat, field);
    std::int64_t times = 0;
    for (RecordNo r = 1; r <= store.RecordsHeld(); ++r)
        times += store.ValueAt(r, field) == repeated;
    throw CompareError("The key column \"" + key + "\" repeats \"" + std::string(repeated) + "\" in " + file + " ("
                       + std::to_string(times) + " times)." + retryHint());
}

std::vector<Column> unionOfColumns(const CSVDBS& older, const CSVDBS& newer, Counts& counts)
{
    const std::vector<std::string> oldNames = older.GetFieldList();
    const std::vector<std::string> newNames = newer.GetFieldList();
    std::unordered_map<std::string_view, std::vector<int>> oldFields; // heading -> fields, last first
    for (int f = static_cast<int>(oldNames.size()); f >= 1; --f)
        oldFields[oldNames[static_cast<std::size_t>(f - 1)]].push_back(f);
    std::vector<int> newOfOld(oldNames.size() + 1, 0);
    std::vector<Column> matched;
    for (int f = 1; f <= static_cast<int>(newNames.size()); ++f) {
        const std::string& heading = newNames[static_cast<std::size_t>(f - 1)];
        Column column{0, f, heading};
        const auto at = oldFields.find(heading);
        if (at != oldFields.end() && !at->second.empty()) {
            column.oldField = at->second.back();
            at->second.pop_back();
            newOfOld[static_cast<std::size_t>(column.oldField)] = f;
        } else {
            ++counts.addedColumns;
        }
        matched.push_back(std::move(column));
    }
    // Each column only the older file has goes after the newer column its
    // predecessor there became (or first, when none did).
    std::vector<std::vector<int>> after(newNames.size() + 1);
    int anchor = 0;
    for (int f = 1; f <= static_cast<int>(oldNames.size()); ++f) {
        if (newOfOld[static_cast<std::size_t>(f)] != 0) {
            anchor = newOfOld[static_cast<std::size_t>(f)];
            continue;
        }
        after[static_cast<std::size_t>(anchor)].push_back(f);
        ++counts.removedColumns;
    }
    std::vector<Column> columns;
    columns.reserve(matched.size() + static_cast<std::size_t>(counts.removedColumns));
    for (std::size_t n = 0; n <= newNames.size(); ++n) {
        if (n > 0)
            columns.push_back(std::move(matched[n - 1]));
        for (int f : after[n])
            columns.push_back(Column{f, 0, oldNames[static_cast<std::size_t>(f - 1)]});
    }
    return columns;
}

// Marks each paired row changed or the same, one part of the rows a core.
void markPairs(const CSVDBS& older, const CSVDBS& newer, const std::vector<Column>& columns, std::vector<Row>& rows)
{
    std::vector<const Column*> shared;
    for (const Column& column : columns)
        if (column.oldField != 0 && column.newField != 0)
            shared.push_back(&column);
    const std::size_t parts = parallel::partsFor(rows.size(), 100'000);
    parallel::run(parts, [&](std::size_t part) {
        const std::size_t begin = rows.size() * part / parts, end = rows.size() * (part + 1) / parts;
        for (std::size_t i = begin; i < end; ++i) {
            Row& row = rows[i];
            if (row.oldRecord == 0 || row.newRecord == 0)
                continue;
            const bool differs = std::any_of(shared.begin(), shared.end(), [&](const Column* c) {
                return older.ValueAt(row.oldRecord, c->oldField) != newer.ValueAt(row.newRecord, c->newField);
            });
            row.change = differs ? Change::Changed : Change::Same;
        }
    });
}

std::vector<Row> byPosition(RecordNo oldCount, RecordNo newCount)
{
    std::vector<Row> rows(static_cast<std::size_t>(std::max(oldCount, newCount)));
    for (RecordNo r = 1; r <= static_cast<RecordNo>(rows.size()); ++r) {
        Row& row = rows[static_cast<std::size_t>(r - 1)];
        row.oldRecord = r <= oldCount ? r : 0;
        row.newRecord = r <= newCount ? r : 0;
        row.change = row.oldRecord == 0 ? Change::Added : row.newRecord == 0 ? Change::Removed : Change::Same;
    }
    return rows;
}

std::vector<Row> byKey(const CSVDBS& older, const CSVDBS& newer, const std::string& key, const std::string& oldName,
                       const std::string& newName)
{
    const int oldKey = older.FieldIndex(key), newKey = newer.FieldIndex(key);
    for (const auto& [field, file] : {std::pair{oldKey, &oldName}, std::pair{newKey, &newName}})
        if (field < 1)
            throw CompareError("The key column \"" + key + "\" is not in " + *file + "." + retryHint());

    // Only the older file's keys are indexed. A newer key repeats when the
    // older record it finds was found before, or, among the keys the older
    // file lacks (the added rows, usually few), when their own index has it.
    const RecordNo oldCount = older.RecordsHeld(), newCount = newer.RecordsHeld();
    KeyIndex oldIndex(older, oldKey, static_cast<std::size_t>(oldCount));
    KeyFault oldFault;
    for (RecordNo r = 1; r <= oldCount && !oldFault.empty && !oldFault.repeat; ++r) {
        if (older.ValueAt(r, oldKey).empty())
            oldFault.empty = r;
        else if (oldIndex.insert(r) != 0)
            oldFault.repeat = r;
    }
    checkKeys(older, oldFault, oldKey, key, oldName);

    std::vector<RecordNo> oldOfNew(static_cast<std::size_t>(newCount) + 1, 0);
    const std::size_t parts = parallel::partsFor(static_cast<std::size_t>(newCount), 100'000);
    parallel::run(parts, [&](std::size_t part) {
        const RecordNo begin = static_cast<RecordNo>(newCount * static_cast<std::int64_t>(part) / static_cast<std::int64_t>(parts)) + 1;
        const RecordNo end = static_cast<RecordNo>(newCount * static_cast<std::int64_t>(part + 1) / static_cast<std::int64_t>(parts));
        for (RecordNo r = begin; r <= end; ++r)
            oldOfNew[static_cast<std::size_t>(r)] = oldIndex.find(newer.ValueAt(r, newKey));
    });
    std::vector<RecordNo> newOfOld(static_cast<std::size_t>(oldCount) + 1, 0);
    std::vector<RecordNo> added;
    for (RecordNo r = 1; r <= newCount; ++r)
        if (oldOfNew[static_cast<std::size_t>(r)] == 0)
            added.push_back(r);
    KeyIndex addedIndex(newer, newKey, added.size());
    KeyFault newFault;
    for (RecordNo r = 1; r <= newCount && !newFault.empty && !newFault.repeat; ++r) {
        const RecordNo match = oldOfNew[static_cast<std::size_t>(r)];
        if (match != 0) {
            RecordNo& paired = newOfOld[static_cast<std::size_t>(match)];
            if (paired != 0)
                newFault.repeat = r;
            paired = r;
        } else if (newer.ValueAt(r, newKey).empty()) {
            newFault.empty = r;
        } else if (addedIndex.insert(r) != 0) {
            newFault.repeat = r;
        }
    }
    checkKeys(newer, newFault, newKey, key, newName);

    // Each removed row goes after the newer row its predecessor in the older
    // file became (0: before the first).
    std::vector<std::pair<RecordNo, RecordNo>> removed; // (that newer row, the removed row)
    RecordNo anchor = 0;
    for (RecordNo r = 1; r <= oldCount; ++r) {
        if (newOfOld[static_cast<std::size_t>(r)] != 0)
            anchor = newOfOld[static_cast<std::size_t>(r)];
        else
            removed.emplace_back(anchor, r);
    }
    std::stable_sort(removed.begin(), removed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(newCount) + removed.size());
    auto next = removed.begin();
    for (RecordNo n = 0; n <= newCount; ++n) {
        if (n > 0) {
            const RecordNo o = oldOfNew[static_cast<std::size_t>(n)];
            rows.push_back(Row{o, n, o == 0 ? Change::Added : Change::Same});
        }
        for (; next != removed.end() && next->first == n; ++next)
            rows.push_back(Row{next->second, 0, Change::Removed});
    }
    return rows;
}

std::string grouped(std::int64_t n)
{
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

} // namespace

Result compare(const CSVDBS& older, const CSVDBS& newer, const std::string& key, const std::string& oldName,
               const std::string& newName)
{
    Result result;
    result.rows = key.empty() ? byPosition(older.RecordsHeld(), newer.RecordsHeld())
                              : byKey(older, newer, key, oldName, newName);
    result.columns = unionOfColumns(older, newer, result.counts);
    markPairs(older, newer, result.columns, result.rows);
    for (const Row& row : result.rows) {
        switch (row.change) {
        case Change::Added: ++result.counts.added; break;
        case Change::Removed: ++result.counts.removed; break;
        case Change::Changed: ++result.counts.changed; break;
        case Change::Same: ++result.counts.same; break;
        }
    }
    return result;
}

bool cellChanged(const CSVDBS& older, const CSVDBS& newer, const Row& row, const Column& column)
{
    return row.change == Change::Changed && column.oldField != 0 && column.newField != 0
        && older.ValueAt(row.oldRecord, column.oldField) != newer.ValueAt(row.newRecord, column.newField);
}

std::string describe(const Counts& counts)
{
    if (!counts.added && !counts.removed && !counts.changed && !counts.addedColumns && !counts.removedColumns)
        return "No differences";
    std::string text = grouped(counts.added) + " added · " + grouped(counts.removed) + " removed · "
        + grouped(counts.changed) + " changed · " + grouped(counts.same) + " the same";
    if (counts.addedColumns)
        text += " · " + grouped(counts.addedColumns) + (counts.addedColumns == 1 ? " column" : " columns") + " added";
    if (counts.removedColumns)
        text += " · " + grouped(counts.removedColumns) + (counts.removedColumns == 1 ? " column" : " columns")
            + " removed";
    return text;
}

void writeDifferences(const CSVDBS& older, const CSVDBS& newer, const Result& result, const std::string& lineEnd,
                      const std::function<void(std::string_view)>& write)
{
    const CsvLineWriter writer(",", true, false, lineEnd);
    std::vector<std::string_view> line;
    line.reserve(result.columns.size() + 1);
    std::string out;
    line.push_back("change");
    for (const Column& column : result.columns)
        line.push_back(column.heading);
    writer.append(out, line, true);
    const auto values = [&](std::string_view change, const Row& row, bool old) {
        line.assign(1, change);
        for (const Column& column : result.columns) {
            const int field = old ? column.oldField : column.newField;
            const RecordNo record = old ? row.oldRecord : row.newRecord;
            line.push_back(field != 0 && record != 0 ? (old ? older : newer).ValueAt(record, field) : std::string_view());
        }
        writer.append(out, line);
    };
    for (const Row& row : result.rows) {
        switch (row.change) {
        case Change::Same: continue;
        case Change::Added: values("added", row, false); break;
        case Change::Removed: values("removed", row, true); break;
        case Change::Changed:
            values("changed", row, false);
            values("was", row, true);
            break;
        }
        if (out.size() > (1 << 20)) {
            write(out);
            out.clear();
        }
    }
    write(out);
}

} // namespace FileCompare
