#include "app/Operations.h"

#include "combine/CombineReplay.h"
#include "store/RecipeRun.h"
#include "tools/ToolReplay.h"

void addAllOperations()
{
    ColumnEdits::addToolOperations();
    CombineFiles::addCombineOperations();
    addRecipeOperation();
}
