#include "store/ColumnFixes.h"

#include <string>
#include <string_view>
#include <unordered_map>

#include "store/CSVDBS.h"
#include "store/StepScope.h"
#include "store/StoreError.h"
#include "store/profile/ProfileCounts.h"
#include "store/profile/ValueBlemish.h"

namespace columnfixes {

namespace {

void requireField(const CSVDBS& store, int field)
{
    if (field < 1 || field > store.FieldCount())
        throw StoreError("field " + std::to_string(field) + " out of range");
}

// Puts fixed(value) into every record of `field` whose value it changes, as
// one step named `name`.
template <typename Fix>
std::int64_t rewrite(CSVDBS& store, int field, const char* name, const char* operation, const Fix& fixed)
{
    const StepScope step(store, name, [&] { return StepOperation{operation, {{"field", std::to_string(field)}}}; });
    requireField(store, field);
    const CSVDBS::RecordNo records = store.RecordsHeld();
    ProgressTicker ticker(store.progressCallback(), records);
    std::int64_t changed = 0;
    for (CSVDBS::RecordNo r = 1; r <= records; ++r) {
        ticker.step(r);
        if (!store.inRowScope(r))
            continue;
        const std::string_view now = store.ValueAt(r, field);
        const auto value = fixed(now);
        if (value != now) {
            store.PutValue(r, field, value);
            ++changed;
        }
    }
    return changed;
}

} // namespace

std::int64_t trimSpaces(CSVDBS& store, int field)
{
    return rewrite(store, field, "Trim Spaces", "TrimSpaces", [](std::string_view v) { return withoutEdgeSpaces(v); });
}

std::int64_t collapseSpaces(CSVDBS& store, int field)
{
    return rewrite(store, field, "Collapse Inner Spaces", "CollapseSpaces",
                   [](std::string_view v) { return withSingleSpaces(v); });
}

std::int64_t removeUnprintable(CSVDBS& store, int field)
{
    return rewrite(store, field, "Remove Characters That Don't Print", "RemoveUnprintable",
                   [](std::string_view v) { return withoutUnprintable(v); });
}

std::int64_t consistentCase(CSVDBS& store, int field)
{
    requireField(store, field);
    using profilecounts::CountTable;
    const auto valueOf = [&](std::uint32_t record) { return store.ValueAt(static_cast<CSVDBS::RecordNo>(record), field); };
    const CSVDBS::RecordNo records = store.RecordsHeld();
    CountTable counts;
    for (CSVDBS::RecordNo r = 1; r <= records; ++r)
        if (const std::string_view v = store.ValueAt(r, field); !v.empty() && store.inRowScope(r))
            counts.add(static_cast<std::uint32_t>(r), v, profilecounts::foldHash(v), valueOf, [](std::string_view) { return 0; });
    // Each spelling that loses to another of its group, and the winner. The
    // views are of bytes that stay where they are while the column changes.
    std::unordered_map<std::string_view, std::string_view> spelling;
    counts.forEach(valueOf, [&](std::string_view v, std::int64_t, std::uint8_t facts) {
        if (!(facts & CountTable::CaseVariant))
            return true;
        std::string_view best;
        std::int64_t most = 0;
        counts.forEachAlike(v, valueOf, [&](std::string_view w, std::int64_t m) {
            if (m > most || (m == most && w < best)) {
                best = w;
                most = m;
            }
        });
        if (best != v)
            spelling.emplace(v, best);
        return true;
    });
    counts = CountTable();
    return rewrite(store, field, "Make Case Consistent", "ConsistentCase", [&](std::string_view v) {
        const auto found = spelling.find(v);
        return found == spelling.end() ? v : found->second;
    });
}

} // namespace columnfixes
