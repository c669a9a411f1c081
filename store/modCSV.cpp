#include "store/modCSV.h"

#include <numeric>
#include <vector>

#include "store/CSVDBS.h"
#include "store/StepScope.h"

void RemoveDuplicateRows(CSVDBS& store)
{
    if (store.RecordCount() < 1)
        return;
    std::vector<int> fields(static_cast<std::size_t>(store.FieldCount()));
    std::iota(fields.begin(), fields.end(), 1);
    const StepScope step(store, "Remove Entire Row Duplicates", {"RemoveDuplicateRows", {}});
    store.RemoveDuplicates(fields);
}
