#pragma once

#include <QString>

// Asks for the name of a file to write, through the save dialog, and asks
// again before an existing file of that name is replaced. Empty when the
// user cancelled either question. `proposed` is the folder or the full
// name the dialog starts with.
QString askNewFileName(const QString& title, const QString& filter, const QString& proposed);

// True when nothing is called `name` yet, or the user agrees to replace it.
bool mayReplace(const QString& name);
