#pragma once

#include <string>

#include <QString>

class Form1;

// Start-up's search for the changes a crash left unsaved: each journal that
// no running process holds is offered, through the prompter, for recovery
// into `window`; one at most is recovered, the others wait for the next
// start. True when one was.
bool offerRecovery(Form1& window, const std::string& folder);

// Once the event loop runs: the recovery offers, then the file named on the
// command line, as openWhenStarted opens it (after asking, if changes were
// recovered meanwhile).
void recoverThenOpen(Form1& window, const QString& file);
