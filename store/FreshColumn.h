#pragma once

#include "store/CellTable.h"

// A copy of a column in freshly allocated memory, backed by huge pages where
// the kernel allows them: first writes to fresh memory fault page by page,
// and thousands of small faults cost more than copying the cells.
CellTable::Column freshCopy(const CellTable::Column& cells);
