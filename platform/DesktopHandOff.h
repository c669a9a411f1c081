#pragma once

#include <QString>

// Hands a finished file to the desktop: which application opens a file type,
// and opening a file with it. The desktop implementation asks the freedesktop
// MIME defaults; tests install one that records what would be opened.
class DesktopHandOff {
public:
    virtual ~DesktopHandOff() = default;

    // Whether some application on this desktop opens files of `mimeType`.
    virtual bool hasApplicationFor(const QString& mimeType) = 0;
    // Opens `path` with the desktop's application for its type; false when
    // none would take it.
    virtual bool openFile(const QString& path) = 0;
};

// The hand-off in force. Until one is installed there is no application for
// anything and nothing is opened, so nothing headless ever starts a program.
DesktopHandOff& desktopHandOff();
// Installs `h` (not owned); nullptr goes back to the default.
void installDesktopHandOff(DesktopHandOff* h);
