#pragma once

#include "platform/DesktopHandOff.h"

// The desktop's own hand-off: the freedesktop MIME associations
// (mimeapps.list, then the installed applications' cache), an office program
// on the PATH as a last resort, and xdg-open through Qt.
class FreedesktopHandOff final : public DesktopHandOff {
public:
    bool hasApplicationFor(const QString& mimeType) override;
    bool openFile(const QString& path) override;
};
