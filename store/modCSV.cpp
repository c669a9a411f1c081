#include "store/modCSV.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "store/CSVDBS.h"
#include "store/StepScope.h"
#include "store/StoreError.h"
#include "store/history/StepOperation.h"

void RemoveDuplicateRows(CSVDBS& store)
{
    if (store.RecordCount() < 1)
        return;
    std::vector<int> fields(static_cast<std::size_t>(store.FieldCount()));
    std::iota(fields.begin(), fields.end(), 1);
    const StepScope step(store, "Remove Entire Row Duplicates", {"RemoveDuplicateRows", {}});
    store.RemoveDuplicates(fields);
}

void InsertRowOf(CSVDBS& store, const std::vector<std::string>& values)
{
    if (static_cast<std::int64_t>(values.size()) > store.FieldCount())
        throw StoreError("more values than fields");
    const StepScope step(store, "Insert Row", StepOperation{"InsertRow", {{"values", textList(values)}}});
    // A truly empty record: a key drawn for it would come out different
    // when the step is made again.
    store.InsertRecordAt(std::max<CSVDBS::RecordNo>(store.RecordCount(), 0) + 1);
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!values[i].empty())
            store.PutValue(store.RecordCount(), static_cast<int>(i) + 1, values[i]);
}
