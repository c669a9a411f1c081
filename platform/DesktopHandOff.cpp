#include "platform/DesktopHandOff.h"

namespace {

class NoDesktop final : public DesktopHandOff {
public:
    bool hasApplicationFor(const QString&) override { return false; }
    bool openFile(const QString&) override { return false; }
};

NoDesktop g_none;
DesktopHandOff* g_current = &g_none;

} // namespace

DesktopHandOff& desktopHandOff() { return *g_current; }

void installDesktopHandOff(DesktopHandOff* h) { g_current = h ? h : &g_none; }
