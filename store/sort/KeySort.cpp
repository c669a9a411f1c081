#include "store/sort/KeySort.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>

#include "store/CSVDBS.h"
#include "store/Replay.h"
#include "store/StepScope.h"
#include "store/sort/KeyRanks.h"

using keysort::SortKey;

namespace {

using Positions = std::vector<std::uint32_t, huge::Allocator<std::uint32_t>>;

// Reorders `positions` stably by `ranks`, in linear time: ranks run from 0
// to below `count`.
void countingSort(Positions& positions, Positions& spare, const keysort::Ranks& ranks, std::uint32_t count)
{
    std::vector<std::uint32_t> starts(static_cast<std::size_t>(count) + 1, 0);
    for (const std::uint32_t p : positions)
        ++starts[ranks[p] + 1];
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    for (const std::uint32_t p : positions)
        spare[starts[ranks[p]]++] = p;
    positions.swap(spare);
}

template <typename Each>
std::string joined(const std::vector<SortKey>& keys, Each each)
{
    std::string out;
    for (const SortKey& key : keys) {
        if (!out.empty())
            out += ',';
        out += each(key);
    }
    return out;
}

} // namespace

bool KeySort::sortByKeys(CSVDBS& store, const std::vector<SortKey>& keys)
{
    for (const SortKey& key : keys)
        if (key.field < 1 || key.field > store.FieldCount())
            throw StoreError();
    if (keys.empty())
        return false;
    const StepScope step(store, "Sort", [&] { return operationOf(keys); });
    const CellTable& table = std::as_const(store.m_table);
    const CellTable::Order& order = table.orderView();
    const std::size_t n = order.size();
    if (n < 2)
        return false;
    ProgressTicker ticker(store.m_progress, static_cast<std::int64_t>(keys.size()) + 1);

    // The keys are applied last first, each a stable pass over the order
    // the later ones left, so the first key decides and the others break
    // its ties. A key under which no two records tie leaves nothing for
    // the keys after it.
    std::vector<keysort::Ranks> ranks(keys.size());
    std::vector<std::uint32_t> counts(keys.size());
    std::size_t used = 0;
    while (used < keys.size()) {
        const SortKey& key = keys[used];
        counts[used] = keysort::keyRanks(table.column(key.field - 1), order, key, ranks[used]);
        ticker.coarseStep(static_cast<std::int64_t>(++used));
        if (counts[used - 1] == n)
            break;
    }
    Positions positions(n), spare(n);
    std::iota(positions.begin(), positions.end(), 0u);
    for (std::size_t k = used; k-- > 0;) {
        countingSort(positions, spare, ranks[k], counts[k]);
        keysort::Ranks().swap(ranks[k]);
    }

    const bool moved = store.m_table.reorder([&](CellTable::Order& records) {
        bool any = false;
        for (std::size_t i = 0; i < n && !any; ++i)
            any = positions[i] != i;
        if (!any)
            return false;
        for (std::size_t i = 0; i < n; ++i)
            spare[i] = records[positions[i]];
        std::copy(spare.begin(), spare.end(), records.begin());
        return true;
    });
    if (moved)
        store.m_changesMade = true;
    return moved;
}

StepOperation KeySort::operationOf(const std::vector<SortKey>& keys)
{
    using namespace keysort;
    return StepOperation{
        "SortByKeys",
        {
            {"fields", joined(keys, [](const SortKey& k) { return std::to_string(k.field); })},
            {"directions", joined(keys, [](const SortKey& k) { return std::string(k.descending ? "2" : "1"); })},
            {"comparisons", joined(keys, [](const SortKey& k) { return std::string(nameOf(k.comparison)); })},
            {"decimalMarks", joined(keys, [](const SortKey& k) { return std::string(nameOf(k.decimalMark)); })},
            {"dateOrders", joined(keys, [](const SortKey& k) { return std::string(nameOf(k.dateOrder)); })},
        }};
}

std::vector<SortKey> KeySort::keysOf(const CSVDBS& store, const replay::Parameters& parameters)
{
    using namespace keysort;
    const std::vector<int> fields = parameters.fields(store, "fields");
    if (fields.empty())
        throw replay::ReplayError("SortByKeys names no column.");
    std::vector<SortKey> keys(fields.size());
    for (std::size_t k = 0; k < keys.size(); ++k)
        keys[k].field = fields[k];
    // Reads one list of words, one for each key.
    const auto each = [&](const char* name, auto read) {
        const std::vector<std::string_view> words = parameters.list(name);
        if (words.size() != keys.size())
            throw replay::ReplayError("SortByKeys: \"" + std::string(name) + "\" has " + std::to_string(words.size())
                                      + " entries for " + std::to_string(keys.size()) + " columns.");
        for (std::size_t k = 0; k < keys.size(); ++k)
            if (!read(words[k], keys[k]))
                throw replay::ReplayError("SortByKeys: \"" + std::string(name) + "\" has \"" + std::string(words[k])
                                          + "\", which it does not know.");
    };
    each("directions", [](std::string_view w, SortKey& key) {
        key.descending = w == "2";
        return w == "1" || w == "2";
    });
    each("comparisons", [](std::string_view w, SortKey& key) {
        const auto c = comparisonNamed(w);
        key.comparison = c.value_or(Comparison::TextIgnoringCase);
        return c.has_value();
    });
    each("decimalMarks", [](std::string_view w, SortKey& key) {
        const auto m = decimalMarkNamed(w);
        key.decimalMark = m.value_or(DecimalMark::Point);
        return m.has_value();
    });
    each("dateOrders", [](std::string_view w, SortKey& key) {
        const auto o = dateOrderNamed(w);
        key.dateOrder = o.value_or(DateOrder::DayMonth);
        return o.has_value();
    });
    return keys;
}
