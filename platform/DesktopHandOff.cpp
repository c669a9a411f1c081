#include "platform/DesktopHandOff.h"

namespace {

class NoDesktop final : public DesktopHandOff {
public:
    bool hasApplicationFor(const QString&) override { return false; }
    bool openFile(const QString&) override { return false; }
};

NoDesktop g_noDesktop;
DesktopHandOff* g_handOff = &g_noDesktop;

} // namespace

DesktopHandOff& desktopHandOff() { return *g_handOff; }

void installDesktopHandOff(DesktopHandOff* h) { g_handOff = h ? h : &g_noDesktop; }
