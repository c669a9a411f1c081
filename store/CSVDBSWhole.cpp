// Whole-store operations: sorting, find-and-replace and duplicate removal.
#include "store/CSVDBS.h"

#include <algorithm>
#include <utility>

#include "store/table/DuplicateScan.h"
#include "store/ParallelParse.h"
#include "store/table/PrefixSort.h"
#include "store/RecordLimit.h"
#include "store/StepScope.h"
#include "store/table/TextFold.h"

bool CSVDBS::SortData(std::int32_t direction, const std::string& fieldName)
{
    const std::string_view trimmed = trimSpaces(fieldName);
    const int field = FieldIndex(trimmed.empty() ? KeyField() : std::string(trimmed));
    if (field < 1)
        return false;
    return SortDataAt(direction, field);
}

bool CSVDBS::SortDataAt(std::int32_t direction, int field)
{
    requireField(field);
    if (direction != 1 && direction != 2)
        return false;
    const StepScope step(*this, "Sort", [&] {
        return StepOperation{"SortDataAt", {{"direction", std::to_string(direction)}, {"field", std::to_string(field)}}};
    });
    // Stable in both directions: records with equal values keep their order.
    const Cell* column = std::as_const(m_table).column(field - 1);
    if (m_table.reorder([&](CellTable::Order& order) { return prefixSort(order, column, direction == 2, m_progress); }))
        m_changesMade = true;
    return true;
}

void CSVDBS::SwapRecords(RecordNo a, RecordNo b)
{
    m_table.reorder([&](CellTable::Order& order) {
        std::swap(order[static_cast<std::size_t>(a - 1)], order[static_cast<std::size_t>(b - 1)]);
        return a != b;
    });
}

bool CSVDBS::FindAndReplace(std::string_view findValue, std::string_view replaceValue)
{
    if (m_recordCount < 1)
        return false;
    const StepScope step(*this, "Find and Replace", [&] {
        return StepOperation{"FindAndReplace", {{"find", std::string(findValue)}, {"replace", std::string(replaceValue)}}};
    });
    const std::string key = matchKey(findValue);
    // Values are visited in storage order, not record order: after a sort the
    // two differ, and storage order reads memory front to back. The cores
    // share out the slots and only find the matches; the values are then
    // replaced in one pass, where the undo step can see each one go.
    const std::vector<std::uint8_t> live = m_table.liveSlots();
    const std::size_t slots = live.size();
    const std::size_t parts = parallel::partsFor(slots, 1 << 16);
    struct Match {
        std::uint32_t slot;
        std::int32_t field;
    };
    std::vector<std::vector<Match>> matches(parts);
    ProgressTicker ticker(m_progress, static_cast<std::int64_t>(slots) * m_table.fieldCount());
    // A slot holds one record in every field, so the field that chooses the
    // rows is read at the same slot.
    const Cell* chooser = m_rowScope.everyRow() || m_rowScope.field() > FieldCount()
        ? nullptr : std::as_const(m_table).column(m_rowScope.field() - 1);
    const auto chosen = [&](std::size_t s) { return m_rowScope.everyRow() || (chooser && m_rowScope.holds(chooser[s].view())); };
    parallel::run(parts, [&](std::size_t i) {
        const std::size_t begin = slots / parts * i, end = i + 1 == parts ? slots : slots / parts * (i + 1);
        std::int64_t done = 0;
        for (int f = 0; f < m_table.fieldCount(); ++f) {
            const Cell* column = std::as_const(m_table).column(f);
            for (std::size_t s = begin; s < end; ++s) {
                if (i == 0)
                    ticker.step(done += static_cast<std::int64_t>(parts));
                if (live[s] && matchesKey(column[s].view(), key) && chosen(s))
                    matches[i].push_back({static_cast<std::uint32_t>(s), f});
            }
        }
    });
    bool found = false;
    // Every replaced value shares one copy of the replacement.
    Cell replacement{};
    for (const std::vector<Match>& part : matches)
        for (const Match& m : part) {
            if (!found)
                replacement = m_table.intern(replaceValue);
            found = true;
            m_table.setAtSlot(m.slot, m.field, replacement);
        }
    if (found)
        m_changesMade = true;
    return found;
}

std::int64_t CSVDBS::DeleteRecords(const std::vector<RecordNo>& records)
{
    std::vector<std::uint8_t> keep(m_table.recordCount(), 1);
    for (RecordNo r : records) {
        if (r < 1 || static_cast<std::size_t>(r) > keep.size())
            throw StoreError();
        keep[static_cast<std::size_t>(r - 1)] = 0;
    }
    if (records.empty())
        return 0;
    const StepScope step(*this, "Delete Rows", [&] { return StepOperation{"DeleteRecords", {{"records", unflaggedRuns(keep)}}}; });
    const auto removed = static_cast<std::int64_t>(std::count(keep.begin(), keep.end(), 0));
    m_table.keepRecords(keep);
    m_table.compactIfWasteful();
    m_recordCount = checkedRecordNumber(m_table.recordCount());
    m_currentRecord = std::min(m_currentRecord, m_recordCount > 0 ? m_recordCount : -1);
    m_changesMade = true;
    return removed;
}

void CSVDBS::ArrangeRecords(const std::vector<RecordNo>& order)
{
    const std::size_t n = m_table.recordCount();
    // Where each kept record goes, by its number now; 0 where it goes.
    std::vector<std::uint32_t> place(n, 0);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const RecordNo r = order[i];
        if (r < 1 || static_cast<std::size_t>(r) > n || place[static_cast<std::size_t>(r - 1)] != 0)
            throw StoreError();
        place[static_cast<std::size_t>(r - 1)] = static_cast<std::uint32_t>(i + 1);
    }
    const StepScope step(*this, "Arrange Rows", [&] { return StepOperation{"ArrangeRecords", {}}; });
    if (order.size() < n) {
        std::vector<std::uint8_t> keep(n);
        for (std::size_t r = 0; r < n; ++r)
            keep[r] = place[r] != 0;
        m_table.keepRecords(keep);
        std::erase(place, 0u);
        m_table.compactIfWasteful();
    }
    // The kept records are in their old order; place[k] is where the k-th goes.
    const bool moved = m_table.reorder([&](CellTable::Order& rows) {
        bool any = false;
        for (std::size_t k = 0; k < place.size() && !any; ++k)
            any = place[k] != k + 1;
        if (!any)
            return false;
        CellTable::Order arranged(rows.size());
        for (std::size_t k = 0; k < place.size(); ++k)
            arranged[place[k] - 1] = rows[k];
        std::copy(arranged.begin(), arranged.end(), rows.begin());
        return true;
    });
    m_recordCount = checkedRecordNumber(m_table.recordCount());
    m_currentRecord = std::min(m_currentRecord, m_recordCount > 0 ? m_recordCount : -1);
    if (moved || order.size() < n)
        m_changesMade = true;
}

std::int64_t CSVDBS::RemoveDuplicates(const std::vector<int>& fields)
{
    if (m_recordCount < 1)
        return 0;
    for (int f : fields)
        requireField(f);
    const StepScope step(*this, "Remove Duplicates",
                         [&] { return StepOperation{"RemoveDuplicates", {{"fields", fieldList(fields)}}}; });

    std::vector<int> columns;
    for (int f : fields)
        columns.push_back(f - 1);
    const std::vector<std::uint8_t> keep = firstOfEachGroup(m_table, columns, m_progress);
    const auto removed = static_cast<std::int64_t>(std::count(keep.begin(), keep.end(), 0));
    if (removed == 0)
        return 0;
    m_table.keepRecords(keep);
    m_table.compactIfWasteful();
    m_recordCount = checkedRecordNumber(m_table.recordCount());
    m_changesMade = true;
    return removed;
}

void CSVDBS::InsertRecordAt(RecordNo at)
{
    requireFieldList();
    const RecordNo count = std::max<RecordNo>(RecordCount(), 0);
    if (at < 1 || at > count + 1)
        throw StoreError();
    const StepScope step(*this, "Insert Row", [&] { return StepOperation{"InsertRecordAt", {{"record", std::to_string(at)}}}; });
    // Empty, a generated key included: a key drawn here would be drawn
    // anew by a replay.
    const bool generating = m_autoGenerateKey;
    m_autoGenerateKey = false;
    const bool added = NewRecord();
    m_autoGenerateKey = generating;
    if (!added || at == count + 1)
        return;
    std::vector<RecordNo> order;
    order.reserve(static_cast<std::size_t>(count + 1));
    for (RecordNo r = 1; r < at; ++r)
        order.push_back(r);
    order.push_back(count + 1);
    for (RecordNo r = at; r <= count; ++r)
        order.push_back(r);
    ArrangeRecords(order);
}
