#pragma once

// Makes the column tools' operations known to the replay of steps.
namespace ColumnEdits {
void addToolOperations();
} // namespace ColumnEdits
