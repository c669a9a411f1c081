// Speed and memory of the main window on a file of a million records, headless:
// opening it up to the first painted grid, refilling the grid after an
// operation, and scrolling to the last row.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include <QApplication>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "app/Form1.h"
#include "app/GridModel.h"
#include "bench/BenchSupport.h"
#include "platform/Prompter.h"

namespace {

constexpr int Rows = 1000000;

const GeneratedFile& generated()
{
    static const GeneratedFile file("tabvane-app-bench-", Rows);
    return file;
}

const std::string& inputFile() { return generated().path(); }
double fileMB() { return generated().megabytes(); }

// The user's choice in the open dialog is `path`; nothing else should be
// asked while a benchmark runs, and a message means the open failed.
class ChoosesFile final : public Prompter {
public:
    explicit ChoosesFile(std::string path) : m_path(QString::fromStdString(path)) { installPrompter(this); }
    ~ChoosesFile() override { installPrompter(nullptr); }
    void message(const QString& text, const QString&, Icon) override
    {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        failed = true;
    }
    bool askYesNo(const QString&, const QString&, Icon) override { return true; }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QString openFileName(const QString&, const QString&, const QString&) override { return m_path; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }

    bool failed = false;

private:
    QString m_path;
};

// Paints the grid now, as the screen would on the next frame.
void paintGrid(Form1& window)
{
    window.ListView1->viewport()->repaint();
}

using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::unique_ptr<Form1> shownWindow()
{
    auto window = std::make_unique<Form1>();
    window->show();
    QApplication::processEvents();
    return window;
}

void openFile(Form1& window)
{
    window.PushButton2_Click();
    paintGrid(window);
}

void BM_OpenToFirstPaint(benchmark::State& state)
{
    ChoosesFile chooses(inputFile());
    for (auto _ : state) {
        auto window = shownWindow();
        const auto start = Clock::now();
        openFile(*window);
        state.SetIterationTime(seconds(start));
        if (window->grid().rowCount() != Rows)
            state.SkipWithError("the file did not open");
        // Unsaved-change questions and freeing the store are not part of it.
        window->hide();
        window.reset();
    }
    state.counters["file_MB"] = fileMB();
}

void BM_RebuildGrid(benchmark::State& state)
{
    ChoosesFile chooses(inputFile());
    auto window = shownWindow();
    openFile(*window);
    for (auto _ : state) {
        window->loadCSVToListview();
        paintGrid(*window);
    }
}

void BM_ScrollToLastRow(benchmark::State& state)
{
    ChoosesFile chooses(inputFile());
    auto window = shownWindow();
    openFile(*window);
    for (auto _ : state) {
        state.PauseTiming();
        window->ListView1->scrollToTop();
        paintGrid(*window);
        state.ResumeTiming();
        window->ListView1->scrollToBottom();
        paintGrid(*window);
    }
}

// Peak resident memory of a fresh program that only opens and paints the
// file, against the file's size.
void BM_OpenedMemory(benchmark::State& state)
{
    double peakMB = 0;
    for (auto _ : state)
        if ((peakMB = childPeakMB("--open-only", inputFile())) < 0)
            state.SkipWithError("the opening process failed");
    state.counters["file_MB"] = fileMB();
    state.counters["peak_MB"] = peakMB;
    state.counters["peak_per_file"] = peakMB / fileMB();
}

int openOnly(const char* path)
{
    ChoosesFile chooses(path);
    auto window = shownWindow();
    openFile(*window);
    window->ListView1->scrollToBottom();
    paintGrid(*window);
    if (chooses.failed || window->grid().rowCount() != Rows)
        return 1;
    std::printf("%ld\n", peakResidentKB());
    // The peak is measured; leave without tearing down a million records.
    std::fflush(stdout);
    _exit(0);
}

} // namespace

BENCHMARK(BM_OpenToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_RebuildGrid)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ScrollToLastRow)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenedMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings of its own, so the benchmark neither reads nor changes the user's.
    QTemporaryDir settingsHome;
    qputenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsHome.path());
    if (argc == 3 && std::string(argv[1]) == "--open-only")
        return openOnly(argv[2]);
    // Read the file once, so every figure is for a file in the page cache, as
    // a file the user has just saved or copied is.
    {
        std::ifstream in(inputFile(), std::ios::binary);
        std::string chunk(1 << 20, '\0');
        while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())))
            ;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
