#include "platform/CursorFile.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace {

// QCursor needs the application object; offscreen, so no screen is needed.
void needApplication()
{
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
}

} // namespace

TEST(CursorFile, TheShippedHandLoadsWithItsHotSpotDamagedFilesGiveNothing)
{
    needApplication();
    const auto hand = loadCursorFile(TABVANE_BIN_DIR "/HAND-M.CUR");
    ASSERT_TRUE(hand.has_value());
    EXPECT_EQ(hand->hotSpot(), QPoint(6, 0));
    EXPECT_EQ(hand->pixmap().size(), QSize(32, 32));

    // Damaged files give nothing.
    const std::string good = readFile(TABVANE_BIN_DIR "/HAND-M.CUR");
    ASSERT_GT(good.size(), 22u);
    std::string farOffset = good;
    farOffset[18] = '\x7f'; // image offset far past the end
    std::string badHotSpot = good;
    badHotSpot[10] = '\x40'; // hot spot outside the 32 x 32 image
    TempDir dir;
    for (const std::string& bytes : {std::string(), good.substr(0, 10), good.substr(0, 40), farOffset, badHotSpot,
                                     std::string("not a cursor at all, just some text")})
        EXPECT_FALSE(loadCursorFile(QString::fromStdString(dir.file("bad.cur", bytes))).has_value());
    EXPECT_FALSE(loadCursorFile(QString::fromStdString(dir.path() + "/missing.cur")).has_value());
}
