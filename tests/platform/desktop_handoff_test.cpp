// Which desktop application opens a file type, read from the freedesktop
// MIME associations.
#include <QByteArray>

#include <gtest/gtest.h>

#include "platform/FreedesktopHandOff.h"
#include "tests/support/TempDir.h"

namespace {

// Points the MIME lookup and the PATH at folders of the test's own.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name), m_old(qgetenv(name))
    {
        qputenv(name, QByteArray::fromStdString(value));
    }
    ~ScopedEnv() { qputenv(m_name, m_old); }

private:
    const char* m_name;
    QByteArray m_old;
};

} // namespace

TEST(DesktopHandOffTest, AnAssociationCountsUnlessRemoved)
{
    TempDir config, data;
    config.file("mimeapps.list", "[Default Applications]\napplication/x-sheet=calc.desktop;\n"
                                 "[Removed Associations]\napplication/x-gone=old.desktop;\n");
    std::filesystem::create_directories(data.path() + "/applications");
    data.file("applications/mimeinfo.cache", "[MIME Cache]\napplication/x-text=writer.desktop;\n"
                                             "application/x-none=\n");
    const ScopedEnv c("XDG_CONFIG_HOME", config.path()), d("XDG_DATA_DIRS", data.path()),
        h("XDG_DATA_HOME", data.path() + "/none"), p("PATH", data.path());
    FreedesktopHandOff desktop;
    EXPECT_TRUE(desktop.hasApplicationFor("application/x-sheet"));
    EXPECT_TRUE(desktop.hasApplicationFor("application/x-text"));
    EXPECT_FALSE(desktop.hasApplicationFor("application/x-gone"));
    EXPECT_FALSE(desktop.hasApplicationFor("application/x-none"));
    EXPECT_FALSE(desktop.hasApplicationFor("application/x-other"));
}
