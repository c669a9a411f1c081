#pragma once

// Makes appending and merging a second file known to the replay of steps.
namespace CombineFiles {
void addCombineOperations();
} // namespace CombineFiles
