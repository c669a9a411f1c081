#pragma once

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include <QApplication>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>

#include "app/Form1.h"

// The application object of a window benchmark: offscreen, with settings of
// its own, so a run neither needs a screen nor reads or changes the user's.
class BenchApplication {
public:
    BenchApplication(int& argc, char** argv) : m_app(prepared(argc, m_settingsHome), argv)
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsHome.path());
    }

private:
    // The environment must be set before the application object reads it.
    static int& prepared(int& argc, const QTemporaryDir& settingsHome)
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit());
        return argc;
    }

    QTemporaryDir m_settingsHome;
    QApplication m_app;
};

// Reads the file once, so every figure is for a file in the page cache, as a
// file the user has just saved or copied is.
inline void warmPageCache(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string chunk(1 << 20, '\0');
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())))
        ;
}

// The main window's grid, found as its user finds it: by its name.
inline QTableView* gridView(Form1& window) { return window.findChild<QTableView*>(QStringLiteral("ListView1")); }

// Paints the grid now, as the screen would on the next frame.
inline void paintGrid(Form1& window) { gridView(window)->viewport()->repaint(); }

using Clock = std::chrono::steady_clock;
inline double seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

inline std::unique_ptr<Form1> shownWindow()
{
    auto window = std::make_unique<Form1>();
    window->show();
    QApplication::processEvents();
    return window;
}

inline void openFile(Form1& window)
{
    window.PushButton2_Click();
    paintGrid(window);
}
