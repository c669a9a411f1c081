#pragma once

// Makes every operation a step can record known to the replay of steps: the
// store's own, the column tools', appending and merging, and a recipe run as
// one step. Start-up calls it once, before a recipe or a journal is read.
void addAllOperations();
