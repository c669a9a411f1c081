// Speed and memory of the record store on a file of a million records.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/DataGenerator.h"
#include "store/CSVDBS.h"
#include "store/modCSV.h"

namespace {

constexpr int Rows = 1000000;

// The generated file, written once per run into the temp folder.
const std::string& inputFile()
{
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() /
                               ("tabvane-bench-" + std::to_string(getpid()) + ".csv")).string();
        const std::string text = makePeopleCsv(Rows);
        std::ofstream(p, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        std::atexit([] { std::remove(inputFile().c_str()); std::remove((inputFile() + ".out").c_str()); });
        return p;
    }();
    return path;
}

double fileMB() { return static_cast<double>(std::filesystem::file_size(inputFile())) / 1e6; }

void loaded(CSVDBS& s)
{
    s.FileName(inputFile());
    if (!s.LoadFile())
        std::fprintf(stderr, "load failed: %s\n", s.LastFileError().c_str());
}

void BM_LoadFile(benchmark::State& state)
{
    for (auto _ : state) {
        CSVDBS s;
        loaded(s);
        benchmark::DoNotOptimize(s.RecordCount());
    }
    state.counters["file_MB"] = fileMB();
}

void BM_WriteFile(benchmark::State& state)
{
    CSVDBS s;
    loaded(s);
    s.FileName(inputFile() + ".out");
    for (auto _ : state)
        benchmark::DoNotOptimize(s.WriteFile());
}

void BM_RemoveDuplicateRows(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        CSVDBS s;
        loaded(s);
        state.ResumeTiming();
        RemoveDuplicateRows(s);
        benchmark::DoNotOptimize(s.RecordCount());
    }
}

void BM_SortData(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        CSVDBS s;
        loaded(s);
        state.ResumeTiming();
        benchmark::DoNotOptimize(s.SortData(1, "Last"));
    }
}

void BM_FindAndReplace(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        CSVDBS s;
        loaded(s);
        state.ResumeTiming();
        benchmark::DoNotOptimize(s.FindAndReplace("Berlin", "Potsdam"));
    }
}

void BM_DeleteFirstRecord(benchmark::State& state)
{
    CSVDBS s;
    loaded(s);
    for (auto _ : state)
        benchmark::DoNotOptimize(s.DeleteRecord(1));
}

void BM_InsertSecondField(benchmark::State& state)
{
    CSVDBS s;
    loaded(s);
    int n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(s.InsertField("Extra" + std::to_string(++n), "x", 1));
}

// Peak resident memory of a fresh process that only loads the file, against
// the file's size. A new process, so earlier benchmarks do not raise the peak.
void BM_LoadedMemory(benchmark::State& state)
{
    double peakMB = 0;
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0) {
            execl("/proc/self/exe", "store_bench", "--load-only", inputFile().c_str(), nullptr);
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("the loading process failed");
        peakMB = static_cast<double>(usage.ru_maxrss) / 1e3; // kB to MB
    }
    state.counters["file_MB"] = fileMB();
    state.counters["peak_MB"] = peakMB;
    state.counters["peak_per_file"] = peakMB / fileMB();
}

} // namespace

BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RemoveDuplicateRows)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortData)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindAndReplace)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DeleteFirstRecord)->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(BM_InsertSecondField)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadedMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--load-only") {
        CSVDBS s;
        s.FileName(argv[2]);
        return s.LoadFile() ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
