// Whole-store operations: sorting, find-and-replace and duplicate removal.
#include "store/CSVDBS.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory_resource>
#include <unordered_set>

#include "store/RecordLimit.h"
#include "store/Recorders.h"
#include "store/StepScope.h"
#include "store/TextFold.h"

namespace {

// The first eight bytes of a value as a big-endian number: comparing two of
// these orders values as their bytes do, and UTF-8 byte order is code point
// order, so most comparisons never touch the values themselves.
std::uint64_t prefixOf(std::string_view v)
{
    unsigned char bytes[8] = {};
    if (!v.empty()) // an empty value may have no bytes at all
        std::memcpy(bytes, v.data(), std::min<std::size_t>(v.size(), 8));
    std::uint64_t p = 0;
    for (unsigned char b : bytes)
        p = (p << 8) | b;
    return p;
}

struct SortEntry {
    std::uint64_t prefix;
    std::uint32_t slot;
    Cell cell;
};

int compareEntries(const SortEntry& a, const SortEntry& b)
{
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix ? -1 : 1;
    return a.cell.view().compare(b.cell.view());
}

// A stable sort in steps, so that a long sort can report progress: sorted runs
// first, then merged pairwise. std::merge puts equal entries of the left run
// first, so the result is the one a single std::stable_sort gives.
template <typename Less>
void stableSortInSteps(std::vector<SortEntry>& entries, Less less, const ProgressCallback& progress)
{
    const std::size_t n = entries.size();
    const std::size_t runs = std::clamp<std::size_t>(n / 16384, 1, 64);
    const std::size_t runLength = (n + runs - 1) / runs;
    ProgressTicker ticker(progress, static_cast<std::int64_t>(2 * runs));
    std::int64_t done = 0;
    const auto at = [](std::vector<SortEntry>& v, std::size_t i) { return v.begin() + static_cast<std::ptrdiff_t>(i); };
    for (std::size_t start = 0; start < n; start += runLength) {
        std::stable_sort(at(entries, start), at(entries, std::min(n, start + runLength)), less);
        ticker.coarseStep(++done);
    }
    if (runs == 1)
        return;
    std::vector<SortEntry> merged(n);
    for (std::size_t width = runLength; width < n; width *= 2) {
        for (std::size_t low = 0; low < n; low += 2 * width) {
            const std::size_t mid = std::min(low + width, n), high = std::min(low + 2 * width, n);
            std::merge(at(entries, low), at(entries, mid), at(entries, mid), at(entries, high), at(merged, low), less);
            ticker.coarseStep(++done);
        }
        entries.swap(merged);
    }
}

} // namespace

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
    const OrderRecorder recorder(recording(), m_table);

    std::vector<std::uint32_t>& order = m_table.order();
    std::vector<SortEntry> entries;
    entries.reserve(order.size());
    for (std::uint32_t slot : order) {
        const Cell& c = m_table.cellAtSlot(slot, field - 1);
        entries.push_back({prefixOf(c.view()), slot, c});
    }
    // Stable in both directions: records with equal values keep their order.
    if (direction == 1)
        stableSortInSteps(
            entries, [](const SortEntry& a, const SortEntry& b) { return compareEntries(a, b) < 0; }, m_progress);
    else
        stableSortInSteps(
            entries, [](const SortEntry& a, const SortEntry& b) { return compareEntries(a, b) > 0; }, m_progress);

    bool moved = false;
    for (std::size_t i = 0; i < order.size(); ++i) {
        moved = moved || order[i] != entries[i].slot;
        order[i] = entries[i].slot;
    }
    if (moved)
        m_changesMade = true;
    return true;
}

void CSVDBS::SwapRecords(RecordNo a, RecordNo b)
{
    auto& order = m_table.order();
    std::swap(order[static_cast<std::size_t>(a - 1)], order[static_cast<std::size_t>(b - 1)]);
}

bool CSVDBS::FindAndReplace(std::string_view findValue, std::string_view replaceValue)
{
    if (m_recordCount < 1)
        return false;
    const StepScope step(*this, "Find and Replace", [&] {
        return StepOperation{"FindAndReplace", {{"find", std::string(findValue)}, {"replace", std::string(replaceValue)}}};
    });
    StepRecorder* const recorded = recording();
    const std::string key = matchKey(findValue);
    // Every replaced value shares one copy of the replacement.
    Cell replacement{};
    bool interned = false;
    bool found = false;
    const std::size_t records = m_table.recordCount();
    ProgressTicker ticker(m_progress, static_cast<std::int64_t>(records) * m_table.fieldCount());
    std::int64_t done = 0;
    for (int f = 0; f < m_table.fieldCount(); ++f) {
        for (std::size_t r = 0; r < records; ++r) {
            ticker.step(++done);
            Cell& c = m_table.cell(r, f);
            if (!matchesKey(c.view(), key))
                continue;
            if (!interned) {
                replacement = m_table.intern(replaceValue);
                interned = true;
            }
            if (recorded)
                recorded->cellChanging(m_table, m_table.slot(r), f);
            c = replacement;
            found = true;
        }
    }
    if (found)
        m_changesMade = true;
    return found;
}

std::int64_t CSVDBS::RemoveDuplicates(const std::vector<int>& fields)
{
    if (m_recordCount < 1)
        return 0;
    for (int f : fields)
        requireField(f);
    const StepScope step(*this, "Remove Duplicates", [&] {
        std::string list;
        for (int f : fields)
            list += (list.empty() ? "" : ",") + std::to_string(f);
        return StepOperation{"RemoveDuplicates", {{"fields", list}}};
    });
    const RemovalRecorder recorder(recording(), m_table);

    const std::size_t records = m_table.recordCount();
    std::vector<std::size_t> hashes(records);
    const std::hash<std::string_view> hashValue;
    for (std::size_t r = 0; r < records; ++r) {
        std::size_t h = 0x9E3779B97F4A7C15ull;
        for (int f : fields)
            h = (h ^ hashValue(m_table.value(r, f - 1))) * 0x100000001B3ull + (h >> 29);
        hashes[r] = h;
    }
    const auto hashOf = [&](std::uint32_t r) { return hashes[r]; };
    const auto sameValues = [&](std::uint32_t a, std::uint32_t b) {
        for (int f : fields)
            if (m_table.value(a, f - 1) != m_table.value(b, f - 1))
                return false;
        return true;
    };
    // Nodes come from one arena: a million small allocations would cost more
    // than the hashing.
    std::pmr::monotonic_buffer_resource arena(records * 32 + 1024);
    std::pmr::unordered_set<std::uint32_t, decltype(hashOf), decltype(sameValues)> seen(
        records, hashOf, sameValues, &arena);
    // Records are told apart by 32-bit slots below.
    checkedRecordNumber(records);
    std::vector<bool> keep(records);
    std::int64_t removed = 0;
    ProgressTicker ticker(m_progress, static_cast<std::int64_t>(records));
    for (std::size_t r = 0; r < records; ++r) {
        ticker.step(static_cast<std::int64_t>(r));
        keep[r] = seen.insert(static_cast<std::uint32_t>(r)).second;
        removed += keep[r] ? 0 : 1;
    }
    if (removed == 0)
        return 0;
    m_table.keepRecords(keep);
    m_table.compactIfWasteful();
    m_recordCount = checkedRecordNumber(m_table.recordCount());
    m_changesMade = true;
    return removed;
}
