// Speed of appending and merging a second file, headless: the OK of each
// dialog, from the click (which reads the second file) until the store is
// changed, and the grid refilled and painted afterwards.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <benchmark/benchmark.h>

#include "bench/BenchSupport.h"
#include "bench/ChoosesFile.h"
#include "bench/WindowBench.h"
#include "combine/Form11.h"
#include "combine/Form12.h"
#include "store/CSVDBS.h"

namespace {

const GeneratedFile& halfMillion()
{
    static const GeneratedFile file("tabvane-combine-half-", 500000);
    return file;
}

const GeneratedFile& million()
{
    static const GeneratedFile file("tabvane-combine-million-", 1000000);
    return file;
}

// A four-column file of a million records to merge beside the people file.
const std::string& fourColumns()
{
    static const struct File {
        std::string path =
            (std::filesystem::temp_directory_path() / ("tabvane-combine-four-" + std::to_string(getpid()) + ".csv"))
                .string();
        File()
        {
            std::string text = "Street,House,Country,Code\r\n";
            for (int i = 0; i < 1000000; ++i)
                text += "Lindenweg " + std::to_string(i % 97) + "," + std::to_string(i % 211) + ",Deutschland,D" +
                        std::to_string(100000 + i) + "\r\n";
            std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        }
        ~File() { std::remove(path.c_str()); }
    } file;
    return file.path;
}

// For each iteration: a window with `open` loaded (not timed), the dialog set
// to `second` by `setUp`, the OK click timed, then the grid refill timed on
// its own and reported as grid_ms.
template <typename Dialog, typename SetUp>
void timeOk(benchmark::State& state, const std::string& open, const std::string& second, SetUp setUp)
{
    ChoosesFile chooses(open);
    double gridSeconds = 0;
    for (auto _ : state) {
        auto window = shownWindow();
        openFile(*window);
        const int before = window->store().RecordCount();
        Dialog dialog(window.get(), window->store(), QStringLiteral(","));
        dialog.Text1->setText(QString::fromStdString(second));
        setUp(dialog);
        dialog.show();
        const auto start = Clock::now();
        dialog.PushButton1->click();
        state.SetIterationTime(seconds(start));
        if (dialog.isVisible() || !window->store().ChangesMade())
            state.SkipWithError("the dialog did not do its work");
        const auto refill = Clock::now();
        window->loadCSVToListview();
        paintGrid(*window);
        gridSeconds += seconds(refill);
        state.counters["records_before"] = before;
        state.counters["records_after"] = window->store().RecordCount();
        state.counters["fields_after"] = window->store().FieldCount();
        window->hide();
    }
    state.counters["grid_ms"] = 1000 * gridSeconds / static_cast<double>(state.iterations());
}

void BM_AppendHalfMillionAboveHalfMillion(benchmark::State& state)
{
    timeOk<Form11>(state, halfMillion().path(), halfMillion().path(), [](Form11& d) { d.Option1->setChecked(true); });
}

void BM_AppendHalfMillionBelowHalfMillion(benchmark::State& state)
{
    timeOk<Form11>(state, halfMillion().path(), halfMillion().path(), [](Form11& d) { d.Option2->setChecked(true); });
}

void BM_MergeFourColumnsLeftOfEight(benchmark::State& state)
{
    timeOk<Form12>(state, million().path(), fourColumns(), [](Form12& d) { d.Option1->setChecked(true); });
}

void BM_MergeFourColumnsRightOfEight(benchmark::State& state)
{
    timeOk<Form12>(state, million().path(), fourColumns(), [](Form12& d) { d.Option2->setChecked(true); });
}

} // namespace

BENCHMARK(BM_AppendHalfMillionAboveHalfMillion)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();
BENCHMARK(BM_AppendHalfMillionBelowHalfMillion)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();
BENCHMARK(BM_MergeFourColumnsLeftOfEight)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();
BENCHMARK(BM_MergeFourColumnsRightOfEight)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();

int main(int argc, char** argv)
{
    BenchApplication app(argc, argv);
    for (const std::string& path : {halfMillion().path(), million().path(), fourColumns()})
        warmPageCache(path);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
