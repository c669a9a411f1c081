// Widget tests run headless, with their own settings folder, so that they
// neither need a screen nor touch the user's settings.
#include <cstdlib>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "window/GuardedApplication.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settingsHome;
    qputenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit());
    // Office exports land in a cache folder of the test's own.
    qputenv("XDG_CACHE_HOME", (settingsHome.path() + "/cache").toLocal8Bit());
    // Crash journals too, so that a window left open by a failed test leaves none among the user's.
    qputenv("XDG_STATE_HOME", (settingsHome.path() + "/state").toLocal8Bit());
    GuardedApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsHome.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
