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

// One file's keys: open addressing over one array, so that a million
// look-ups touch a slot each rather than chase nodes.
class KeyIndex {
public:
    void build(const CSVDBS& store, int field)
    {
        const RecordNo records = store.RecordsHeld();
        std::size_t size = 16;
        while (size < 2 * static_cast<std::size_t>(records))
            size *= 2;
        m_slots.assign(size, Slot{});
        m_mask = size - 1;
        m_store = &store;
        m_field = field;
        for (RecordNo r = 1; r <= records; ++r) {
            const std::string_view key = store.ValueAt(r, field);
            if (key.empty()) {
                m_empty = r;
                return;
            }
            const std::uint64_t h = std::hash<std::string_view>{}(key);
            std::size_t i = h & m_mask;
            while (m_slots[i].record != 0 && !(m_slots[i].hash == h && keyOf(m_slots[i]) == key))
                i = (i + 1) & m_mask;
            if (m_slots[i].record != 0) {
                m_repeat = r;
                return;
            }
            m_slots[i] = Slot{h, r};
        }
    }

    RecordNo find(std::string_view key) const
    {
        const std::uint64_t h = std::hash<std::string_view>{}(key);
        for (std::size_t i = h & m_mask;; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (slot.record == 0)
                return 0;
            if (slot.hash == h && keyOf(slot) == key)
                return slot.record;
        }
    }

    // The first record, in file order, whose key is empty or repeats one
    // before it; 0 when every key is there and unique.
    RecordNo emptyAt() const { return m_empty; }
    RecordNo repeatAt() const { return m_repeat; }

private:
    struct Slot {
        std::uint64_t hash = 0;
        RecordNo record = 0; // 0: an empty slot
    };
    std::string_view keyOf(const Slot& slot) const { return m_store->ValueAt(slot.record, m_field); }

    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    const CSVDBS* m_store = nullptr;
    int m_field = 0;
    RecordNo m_empty = 0, m_repeat = 0;
};

void checkKeys(const CSVDBS& store, const KeyIndex& index, int field, const std::string& key,
               const std::string& file)
{
    if (index.emptyAt() != 0)
        throw CompareError("The key column \"" + key + "\" is empty in row " + std::to_string(index.emptyAt()) + " of "
                           + file + "." + retryHint());
    if (index.repeatAt() == 0)
        return;
    const std::string_view repeated = store.ValueAt(index.repeatAt(), field);
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

    // The two files' keys are indexed side by side, a core each.
    KeyIndex oldIndex, newIndex;
    const std::size_t sides = older.RecordsHeld() + newer.RecordsHeld() >= 200'000 ? parallel::partsFor(2, 1) : 1;
    parallel::run(sides, [&](std::size_t part) {
        if (part == 0)
            oldIndex.build(older, oldKey);
        if (part == 1 || sides == 1)
            newIndex.build(newer, newKey);
    });
    checkKeys(older, oldIndex, oldKey, key, oldName);
    checkKeys(newer, newIndex, newKey, key, newName);

    const RecordNo oldCount = older.RecordsHeld(), newCount = newer.RecordsHeld();
    std::vector<RecordNo> oldOfNew(static_cast<std::size_t>(newCount) + 1, 0);
    std::vector<RecordNo> newOfOld(static_cast<std::size_t>(oldCount) + 1, 0);
    const std::size_t parts = parallel::partsFor(static_cast<std::size_t>(newCount), 100'000);
    parallel::run(parts, [&](std::size_t part) {
        // Keys are unique, so no two parts write the same old record's entry.
        const RecordNo begin = static_cast<RecordNo>(newCount * static_cast<std::int64_t>(part) / static_cast<std::int64_t>(parts)) + 1;
        const RecordNo end = static_cast<RecordNo>(newCount * static_cast<std::int64_t>(part + 1) / static_cast<std::int64_t>(parts));
        for (RecordNo r = begin; r <= end; ++r) {
            const RecordNo match = oldIndex.find(newer.ValueAt(r, newKey));
            oldOfNew[static_cast<std::size_t>(r)] = match;
            if (match != 0)
                newOfOld[static_cast<std::size_t>(match)] = r;
        }
    });

    // Each removed row goes after the newer row its predecessor in the older
    // file became: a counting sort by that row, so the whole is one pass.
    std::vector<RecordNo> anchorOf(static_cast<std::size_t>(oldCount) + 1, 0);
    std::vector<RecordNo> start(static_cast<std::size_t>(newCount) + 2, 0);
    RecordNo anchor = 0;
    for (RecordNo r = 1; r <= oldCount; ++r) {
        if (newOfOld[static_cast<std::size_t>(r)] != 0) {
            anchor = newOfOld[static_cast<std::size_t>(r)];
            continue;
        }
        anchorOf[static_cast<std::size_t>(r)] = anchor;
        ++start[static_cast<std::size_t>(anchor) + 1];
    }
    for (std::size_t a = 1; a < start.size(); ++a)
        start[a] += start[a - 1];
    std::vector<RecordNo> removed(static_cast<std::size_t>(start.back()));
    {
        std::vector<RecordNo> fill(start.begin(), start.end() - 1);
        for (RecordNo r = 1; r <= oldCount; ++r)
            if (newOfOld[static_cast<std::size_t>(r)] == 0)
                removed[static_cast<std::size_t>(fill[static_cast<std::size_t>(anchorOf[static_cast<std::size_t>(r)])]++)] = r;
    }

    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(newCount) + removed.size());
    for (RecordNo n = 0; n <= newCount; ++n) {
        if (n > 0) {
            const RecordNo o = oldOfNew[static_cast<std::size_t>(n)];
            rows.push_back(Row{o, n, o == 0 ? Change::Added : Change::Same});
        }
        for (RecordNo i = start[static_cast<std::size_t>(n)]; i < start[static_cast<std::size_t>(n) + 1]; ++i)
            rows.push_back(Row{removed[static_cast<std::size_t>(i)], 0, Change::Removed});
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
