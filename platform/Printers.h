#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <QString>

// What the program asks of the printing system: the installed printers, the
// user's default printer, and a print program run to its end. The desktop
// implementation talks to CUPS; tests install a scripted one.
//
// Printers are known by their device name: the description the system shows
// for them when there is one, otherwise the queue name.
class Printers {
public:
    struct Default {
        bool read = false;     // false: the printing system could not be asked
        std::string name;      // empty when the user has no default printer
        int error = 0;         // when not read: the system's error number...
        std::string errorText; // ...and its description
    };

    virtual ~Printers() = default;

    // Device names, in the system's order.
    virtual std::vector<std::string> installed() = 0;
    // The default printer in force for this user.
    virtual Default userDefault() = 0;
    // Makes the printer with this device name this user's own default; other
    // users and the system-wide default are left alone. False when there is
    // no such printer or the setting cannot be written.
    virtual bool makeUserDefault(const std::string& deviceName) = 0;
    // Removes this user's own default, so the system's is in force again.
    virtual bool clearUserDefault() = 0;
    // Starts `commandLine` (a program and its arguments, double quotes
    // grouping words) and waits for the program to end, at most `limit`; a
    // program still running then is stopped. Returns its exit status, -1 when
    // stopped or crashed. Throws std::runtime_error when it cannot be started.
    virtual int runToEnd(const QString& commandLine, std::chrono::milliseconds limit) = 0;
};

// The printing system in force: CUPS until another is installed.
Printers& printers();
// Installs `p` (not owned); nullptr goes back to CUPS.
void installPrinters(Printers* p);
