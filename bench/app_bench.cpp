// Speed and memory of the main window on a file of a million records, headless:
// opening it up to the first painted grid, refilling the grid after an
// operation, and scrolling to the last row.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <string>

#include <QTableView>

#include <benchmark/benchmark.h>

#include "app/Form1.h"
#include "app/GridModel.h"
#include "bench/BenchSupport.h"
#include "bench/ChoosesFile.h"
#include "bench/WindowBench.h"

namespace {

constexpr int Rows = 1000000;

const GeneratedFile& generated()
{
    static const GeneratedFile file("tabvane-app-bench-", Rows);
    return file;
}

const std::string& inputFile() { return generated().path(); }
double fileMB() { return generated().megabytes(); }

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
    QTableView* view = gridView(*window);
    for (auto _ : state) {
        state.PauseTiming();
        view->scrollToTop();
        paintGrid(*window);
        state.ResumeTiming();
        view->scrollToBottom();
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

// Also prints the time from the file's choice to the painted grid, so that a
// file of any size can be timed as a whole program: `--open-only FILE ROWS`.
int openOnly(const char* path, int rows)
{
    ChoosesFile chooses(path);
    auto window = shownWindow();
    // A notice at start-up (no PDF printer on this machine) is not the open's.
    chooses.failed = false;
    const auto start = Clock::now();
    openFile(*window);
    const double opened = seconds(start);
    gridView(*window)->scrollToBottom();
    paintGrid(*window);
    if (chooses.failed || window->grid().rowCount() != rows)
        return 1;
    std::printf("open_to_paint_s %.3f\n", opened);
    printPeak();
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
    BenchApplication app(argc, argv);
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--open-only")
        return openOnly(argv[2], argc == 4 ? std::atoi(argv[3]) : Rows);
    warmPageCache(inputFile());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
