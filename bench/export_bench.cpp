// Speed of the grid writers and of one Filter search on a grid of a million
// rows: the grid is the main window's model over a loaded store.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "app/GridModel.h"
#include "bench/BenchSupport.h"
#include "export/FilterResults.h"
#include "export/GridExport.h"
#include "export/OfficeExport.h"
#include "export/SaveListview.h"
#include "platform/DesktopHandOff.h"
#include "store/CSVDBS.h"

namespace {

constexpr int Rows = 1000000;

struct LoadedGrid {
    CSVDBS store;
    GridModel grid;
    explicit LoadedGrid(int rows)
    {
        const GeneratedFile file("tabvane-export-bench-", rows);
        store.FileName(file.path());
        if (!store.LoadFile())
            std::fprintf(stderr, "load failed: %s\n", store.LastFileError().c_str());
        grid.rebuild(&store, true);
    }
};

const GridModel& grid()
{
    static LoadedGrid loaded(Rows);
    return loaded.grid;
}

// The office exports are measured on a tenth of the rows.
const GridModel& officeGrid()
{
    static LoadedGrid loaded(100000);
    return loaded.grid;
}

// Stands for the desktop: every file type has a program; nothing is started.
class NoStart final : public DesktopHandOff {
public:
    bool hasApplicationFor(const QString&) override { return true; }
    bool openFile(const QString&) override { return true; }
};

// Into memory-backed /dev/shm, so the figure is the writer's, not the disk's.
void timeWriter(benchmark::State& state, GridWriter write)
{
    const std::string path = "/dev/shm/tabvane-export-bench-" + std::to_string(getpid());
    for (auto _ : state)
        write(grid(), path);
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::remove(path.c_str());
}

void BM_SaveListviewToCSV(benchmark::State& state) { timeWriter(state, SaveListviewToCSV); }
void BM_SaveListviewToTXT(benchmark::State& state) { timeWriter(state, SaveListviewToTXT); }
void BM_SaveListviewToHTML(benchmark::State& state) { timeWriter(state, SaveListviewToHTML); }
void BM_SaveListviewToXML(benchmark::State& state) { timeWriter(state, SaveListviewToXML); }

// One keystroke: a text found in about one row in twelve, one found nowhere
// (every cell read), and one with a non-ASCII letter.
void timeSearch(benchmark::State& state, const std::string& text)
{
    FilterResults results(grid());
    for (auto _ : state)
        results.search(text);
    state.counters["rows_found"] = results.shownRows();
}

// The export as the menu entry runs it, from the first cell to the file
// written; progress_reports counts how often the window could repaint.
template <typename Export>
void timeOffice(benchmark::State& state, Export exportGrid)
{
    int reports = 0;
    QString file;
    for (auto _ : state)
        file = exportGrid(officeGrid(), [&](std::int64_t, std::int64_t) { ++reports; });
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file.toStdString())) / 1e6;
    state.counters["progress_reports"] = reports / static_cast<double>(state.iterations());
}

void BM_OfficeSpreadsheet100k(benchmark::State& state) { timeOffice(state, OfficeExport::exportToSpreadsheet); }
void BM_OfficeDocument100k(benchmark::State& state) { timeOffice(state, OfficeExport::exportToDocument); }

void BM_FilterSearchCommon(benchmark::State& state) { timeSearch(state, "berlin"); }
void BM_FilterSearchNowhere(benchmark::State& state) { timeSearch(state, "zq"); }
void BM_FilterSearchNonAscii(benchmark::State& state) { timeSearch(state, "MÜN"); }

} // namespace

BENCHMARK(BM_SaveListviewToCSV)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveListviewToTXT)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveListviewToHTML)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveListviewToXML)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OfficeSpreadsheet100k)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_OfficeDocument100k)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FilterSearchCommon)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilterSearchNowhere)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilterSearchNonAscii)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    // The workbooks and documents go to memory, and are removed at the end.
    const std::string cache = "/dev/shm/tabvane-export-bench-cache-" + std::to_string(getpid());
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    NoStart desktop;
    installDesktopHandOff(&desktop);
    grid(); // loaded once, before anything is timed
    officeGrid();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(cache);
    return 0;
}
