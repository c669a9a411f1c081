// Speed and memory of the record store on a file of a million records.
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/BenchSupport.h"
#include "store/CSVDBS.h"
#include "store/modCSV.h"
#include "store/profile/ColumnProfile.h"

namespace {

constexpr int Rows = 1000000;

const GeneratedFile& generated()
{
    static const GeneratedFile file("tabvane-bench-", Rows);
    return file;
}

const std::string& inputFile() { return generated().path(); }
double fileMB() { return generated().megabytes(); }

void loaded(CSVDBS& s)
{
    s.FileName(inputFile());
    if (!s.LoadFile())
        std::fprintf(stderr, "load failed: %s\n", s.LastFileError().c_str());
}

// Times only `operation`, on a store freshly loaded by `prepare`: setting up
// and freeing a million-record store is not part of what is measured.
template <typename Prepare, typename Operation>
void timeOnly(benchmark::State& state, Prepare prepare, Operation operation)
{
    for (auto _ : state) {
        auto s = std::make_unique<CSVDBS>();
        prepare(*s);
        const auto start = std::chrono::steady_clock::now();
        operation(*s);
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
}

void BM_LoadFile(benchmark::State& state)
{
    timeOnly(state, [](CSVDBS&) {}, [](CSVDBS& s) { loaded(s); });
    state.counters["file_MB"] = fileMB();
}

// The standard rule against the simple one on the same file, alternating in
// one run so that both meet the same machine load; the ratio is the figure.
void BM_LoadFileStandardVsSimple(benchmark::State& state)
{
    double simple = 0, standard = 0;
    const auto timedLoad = [](bool standardQuoting) {
        auto s = std::make_unique<CSVDBS>();
        s->StandardQuoting(standardQuoting);
        const auto start = std::chrono::steady_clock::now();
        loaded(*s);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    for (auto _ : state) {
        const double a = timedLoad(false);
        const double b = timedLoad(true);
        simple += a;
        standard += b;
        state.SetIterationTime(b);
    }
    state.counters["simple_ms"] = simple * 1000 / static_cast<double>(state.iterations());
    state.counters["standard_ms"] = standard * 1000 / static_cast<double>(state.iterations());
    state.counters["standard_per_simple"] = standard / simple;
}

// Saving is durable: the new file is flushed to disk before it takes the old
// one's name, so on a real disk the figure is mostly the disk's own speed.
void writeInto(benchmark::State& state, const std::string& folder)
{
    CSVDBS s;
    loaded(s);
    s.FileName(folder + "/tabvane-bench-" + std::to_string(getpid()) + ".out.csv");
    for (auto _ : state)
        if (!s.WriteFile())
            state.SkipWithError(s.LastFileError().c_str());
    std::remove(s.FileName().c_str());
}

void BM_WriteFile(benchmark::State& state)
{
    writeInto(state, std::filesystem::temp_directory_path().string());
}

// The same into memory (tmpfs), where the flush costs nothing: the store's own
// share of saving.
void BM_WriteFileToMemory(benchmark::State& state)
{
    if (!std::filesystem::is_directory("/dev/shm"))
        state.SkipWithError("no /dev/shm");
    writeInto(state, "/dev/shm");
}

void BM_RemoveDuplicateRows(benchmark::State& state)
{
    timeOnly(state, loaded, [](CSVDBS& s) {
        RemoveDuplicateRows(s);
        benchmark::DoNotOptimize(s.RecordCount());
    });
}

void BM_SortData(benchmark::State& state)
{
    timeOnly(state, loaded, [](CSVDBS& s) { benchmark::DoNotOptimize(s.SortData(1, "Last")); });
}

void BM_FindAndReplace(benchmark::State& state)
{
    timeOnly(state, loaded, [](CSVDBS& s) { benchmark::DoNotOptimize(s.FindAndReplace("Berlin", "Potsdam")); });
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
// the file's size.
void BM_LoadedMemory(benchmark::State& state)
{
    double peakMB = 0;
    for (auto _ : state)
        if ((peakMB = childPeakMB("--load-only", inputFile())) < 0)
            state.SkipWithError("the loading process failed");
    state.counters["file_MB"] = fileMB();
    state.counters["peak_MB"] = peakMB;
    state.counters["peak_per_file"] = peakMB / fileMB();
}

// One store for the profiles, which only read it.
const CSVDBS& loadedOnce()
{
    static const std::unique_ptr<CSVDBS> store = [] {
        auto s = std::make_unique<CSVDBS>();
        loaded(*s);
        return s;
    }();
    return *store;
}

// The profile of one column (Id, First, ... Notes by the argument), as the
// panel asks for it after every step.
void BM_ProfileColumn(benchmark::State& state)
{
    const CSVDBS& s = loadedOnce();
    const int field = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(computeProfile(s, field));
    state.SetLabel(s.GetFieldList()[static_cast<std::size_t>(field - 1)]);
}

// Every column, as tabvane --profile works them out.
void BM_ProfileAllColumns(benchmark::State& state)
{
    const CSVDBS& s = loadedOnce();
    for (auto _ : state)
        for (int field = 1; field <= s.FieldCount(); ++field)
            benchmark::DoNotOptimize(computeProfile(s, field));
}

long statusKB(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::string(key).size()));
    return -1;
}

// In a child: each column's profile, with the memory it took beyond what the
// loaded store holds (the peak resident memory, started afresh before each)
// against the column's own bytes (its values and its 8-byte cells). Large
// blocks come fresh from the system, so that memory the load freed does not
// hide the profile's.
int profileMemory(const char* file)
{
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    CSVDBS s;
    s.FileName(file);
    if (!s.LoadFile())
        return 1;
    for (int field = 1; field <= s.FieldCount(); ++field) {
        std::size_t own = 0;
        for (CSVDBS::RecordNo r = 1; r <= s.RecordCount(); ++r)
            own += s.ValueAt(r, field).size() + 8;
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = statusKB("VmRSS:");
        benchmark::DoNotOptimize(computeProfile(s, field));
        std::printf("column %d extra_kB %ld own_kB %zu\n", field, statusKB("VmHWM:") - before, own / 1000);
    }
    return 0;
}

void BM_ProfileMemory(benchmark::State& state)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    double worst = 0;
    for (auto _ : state) {
        FILE* child = popen(("'" + self + "' --profile-memory '" + inputFile() + "'").c_str(), "r");
        if (!child) {
            state.SkipWithError("no child");
            return;
        }
        char line[256];
        int field = 0;
        long extra = 0, own = 0;
        while (std::fgets(line, sizeof line, child))
            if (std::sscanf(line, "column %d extra_kB %ld own_kB %ld", &field, &extra, &own) == 3) {
                state.counters["extra_per_own_" + std::to_string(field)] = double(extra) / double(own);
                worst = std::max(worst, double(extra) / double(own));
            }
        if (pclose(child) != 0)
            state.SkipWithError("the profiling process failed");
    }
    state.counters["worst_extra_per_own"] = worst;
}

} // namespace

BENCHMARK(BM_ProfileColumn)->DenseRange(1, 8)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ProfileAllColumns)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ProfileMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_LoadFileStandardVsSimple)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();
BENCHMARK(BM_WriteFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_WriteFileToMemory)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RemoveDuplicateRows)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_SortData)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_FindAndReplace)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_DeleteFirstRecord)->Unit(benchmark::kMicrosecond)->Iterations(100);
BENCHMARK(BM_InsertSecondField)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadedMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--load-only") {
        CSVDBS s;
        s.FileName(argv[2]);
        if (!s.LoadFile())
            return 1;
        printPeak();
        return 0;
    }
    if (argc == 3 && std::string(argv[1]) == "--profile-memory")
        return profileMemory(argv[2]);
    // The first read of a file this process has just written also waits for
    // its write-back; every figure is for a file in the page cache, as a file
    // the user has just saved or opened is.
    {
        CSVDBS warmUp;
        loaded(warmUp);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
