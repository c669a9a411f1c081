#include "store/ColumnFixes.h"

#include <string>
#include <string_view>
#include <unordered_map>

#include "store/CSVDBS.h"
#include "store/Replay.h"
#include "store/StepScope.h"
#include "store/profile/ValueBlemish.h"
#include "store/table/TextFold.h"

namespace columnfixes {

namespace {

// Puts fixed(value) into every record of `field` where it differs, as one
// step named `name`.
template <typename Fix>
std::int64_t rewrite(CSVDBS& store, int field, const char* name, const char* operation, Fix fixed)
{
    if (field < 1 || field > store.FieldCount())
        return 0;
    const StepScope step(store, name, {operation, {{"field", std::to_string(field)}}});
    std::int64_t changed = 0;
    std::string value;
    for (CSVDBS::RecordNo r = 1; r <= store.RecordsHeld(); ++r) {
        const std::string_view now = store.ValueAt(r, field);
        value = fixed(now);
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
    return rewrite(store, field, "Trim Spaces", "TrimSpaces",
                   [](std::string_view v) { return std::string(withoutEdgeSpaces(v)); });
}

std::int64_t collapseSpaces(CSVDBS& store, int field)
{
    return rewrite(store, field, "Collapse Inner Spaces", "CollapseSpaces", [](std::string_view v) { return withSingleSpaces(v); });
}

std::int64_t removeUnprintable(CSVDBS& store, int field)
{
    return rewrite(store, field, "Remove Characters That Don't Print", "RemoveUnprintable",
                   [](std::string_view v) { return withoutUnprintable(v); });
}

std::int64_t consistentCase(CSVDBS& store, int field)
{
    if (field < 1 || field > store.FieldCount())
        return 0;
    // Each spelling's count, then per case-folded key the spelling to keep.
    std::unordered_map<std::string_view, std::int64_t> counts;
    for (CSVDBS::RecordNo r = 1; r <= store.RecordsHeld(); ++r)
        ++counts[store.ValueAt(r, field)];
    std::unordered_map<std::string, std::pair<std::string, std::int64_t>> kept;
    for (const auto& [value, n] : counts) {
        auto [it, fresh] = kept.try_emplace(upperCased(value), std::string(value), n);
        auto& [spelling, most] = it->second;
        if (!fresh && (n > most || (n == most && value < spelling))) {
            spelling = std::string(value);
            most = n;
        }
    }
    return rewrite(store, field, "Make Case Consistent", "ConsistentCase",
                   [&](std::string_view v) { return kept.at(upperCased(v)).first; });
}

void addFixOperations()
{
    using P = const replay::Parameters&;
    replay::add("TrimSpaces", [](CSVDBS& s, P p) { trimSpaces(s, p.field(s, "field")); });
    replay::add("CollapseSpaces", [](CSVDBS& s, P p) { collapseSpaces(s, p.field(s, "field")); });
    replay::add("RemoveUnprintable", [](CSVDBS& s, P p) { removeUnprintable(s, p.field(s, "field")); });
    replay::add("ConsistentCase", [](CSVDBS& s, P p) { consistentCase(s, p.field(s, "field")); });
}

} // namespace columnfixes
