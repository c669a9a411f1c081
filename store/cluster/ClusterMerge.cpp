#include "store/cluster/ClusterMerge.h"

#include <stdexcept>
#include <unordered_map>

#include "store/CSVDBS.h"
#include "store/StepScope.h"

namespace cluster {

std::string encodeEdits(const std::vector<Edit>& edits)
{
    std::vector<std::string> values;
    for (const Edit& e : edits) {
        values.push_back(e.from);
        values.push_back(e.to);
    }
    return textList(values);
}

std::vector<Edit> decodeEdits(std::string_view text)
{
    std::vector<std::string> values = textsOfList(text);
    if (values.size() % 2 != 0)
        throw std::invalid_argument("the list of values to merge has an old value without its new one");
    std::vector<Edit> edits;
    for (std::size_t i = 0; i < values.size(); i += 2)
        edits.push_back({std::move(values[i]), std::move(values[i + 1])});
    return edits;
}

std::int64_t mergeValues(CSVDBS& store, int field, const std::vector<Edit>& edits)
{
    const StepScope step(store, "Cluster and Edit", [&] {
        return StepOperation{"ClusterEdit", {{"field", std::to_string(field)}, {"edits", encodeEdits(edits)}}};
    });
    if (field < 1 || field > store.FieldCount())
        throw StoreError("field " + std::to_string(field) + " out of range");
    std::unordered_map<std::string_view, std::string_view> newValue;
    for (const Edit& e : edits)
        if (e.from != e.to)
            newValue.try_emplace(e.from, e.to);
    if (newValue.empty())
        return 0;
    const CSVDBS::RecordNo records = store.RecordsHeld();
    ProgressTicker ticker(store.progressCallback(), records);
    std::int64_t changed = 0;
    for (CSVDBS::RecordNo r = 1; r <= records; ++r) {
        ticker.step(r);
        if (!store.inRowScope(r))
            continue;
        const auto found = newValue.find(store.ValueAt(r, field));
        if (found == newValue.end())
            continue;
        store.PutValue(r, field, found->second);
        ++changed;
    }
    return changed;
}

} // namespace cluster
