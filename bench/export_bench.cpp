// Speed of the grid writers and of one Filter search on a grid of a million
// rows: the grid is the main window's model over a loaded store.
#include <unistd.h>

#include <cstdio>
#include <string>

#include <benchmark/benchmark.h>

#include "app/GridModel.h"
#include "bench/BenchSupport.h"
#include "export/FilterResults.h"
#include "export/GridExport.h"
#include "export/SaveListview.h"
#include "store/CSVDBS.h"

namespace {

constexpr int Rows = 1000000;

struct LoadedGrid {
    CSVDBS store;
    GridModel grid;
    LoadedGrid()
    {
        const GeneratedFile file("tabvane-export-bench-", Rows);
        store.FileName(file.path());
        if (!store.LoadFile())
            std::fprintf(stderr, "load failed: %s\n", store.LastFileError().c_str());
        grid.rebuild(&store, true);
    }
};

const GridModel& grid()
{
    static LoadedGrid loaded;
    return loaded.grid;
}

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

void BM_FilterSearchCommon(benchmark::State& state) { timeSearch(state, "berlin"); }
void BM_FilterSearchNowhere(benchmark::State& state) { timeSearch(state, "zq"); }
void BM_FilterSearchNonAscii(benchmark::State& state) { timeSearch(state, "MÜN"); }

} // namespace

BENCHMARK(BM_SaveListviewToCSV)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveListviewToTXT)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveListviewToHTML)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveListviewToXML)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilterSearchCommon)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilterSearchNowhere)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilterSearchNonAscii)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    grid(); // loaded once, before anything is timed
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
