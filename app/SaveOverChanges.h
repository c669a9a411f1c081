#pragma once

#include <QString>

class CSVDBS;

// Before "Save Changes" overwrites a file that another program has changed,
// replaced or deleted since it was loaded or last saved, asks whether to go
// on, saying which of these happened. True when the save may go ahead (also
// when nothing happened); a Yes lets the store replace the file as it is now.
bool maySaveOverChangesOnDisk(CSVDBS& store);

// What a save tells the user when it succeeded: "Done.", and what the store
// has to add.
QString savedText(const CSVDBS& store);

// What "Save Changes" tells the user when the save failed: that it failed
// and the store's reason.
QString saveFailureText(const CSVDBS& store);
