// Speed of the column tools on a file of a million records, headless: the OK
// of each tool dialog, from the click until the store is changed, and the grid
// refilled and painted afterwards.
#include <memory>
#include <string>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include "app/GridModel.h"
#include "bench/BenchSupport.h"
#include "bench/ChoosesFile.h"
#include "bench/WindowBench.h"
#include "store/CSVDBS.h"
#include "tools/Form10.h"
#include "tools/Form2.h"
#include "tools/Form3.h"
#include "tools/Form4.h"
#include "tools/Form5.h"
#include "tools/Form6.h"
#include "tools/Form7.h"
#include "tools/Form9.h"

namespace {

constexpr int Rows = 1000000;
// Fields of the generated file.
enum Field { Id, First, Last, City, Zip, Phone, Email, Notes };

const GeneratedFile& generated()
{
    static const GeneratedFile file("tabvane-tools-bench-", Rows);
    return file;
}

void tick(QTreeWidget* list, std::initializer_list<int> fields)
{
    for (int field : fields)
        list->topLevelItem(field)->setCheckState(0, Qt::Checked);
}

// For each iteration: a window with the file open (not timed), the dialog
// set up by `setUp`, then the OK click timed, then the grid refill timed on
// its own and reported as grid_ms.
template <typename Tool, typename SetUp>
void timeOk(benchmark::State& state, SetUp setUp)
{
    ChoosesFile chooses(generated().path());
    double gridSeconds = 0;
    for (auto _ : state) {
        auto window = shownWindow();
        openFile(*window);
        Tool dialog(window.get(), window->store());
        setUp(dialog);
        dialog.show();
        const auto start = Clock::now();
        dialog.PushButton2->click();
        state.SetIterationTime(seconds(start));
        if (dialog.isVisible())
            state.SkipWithError("the dialog did not close");
        const auto refill = Clock::now();
        window->loadCSVToListview();
        paintGrid(*window);
        gridSeconds += seconds(refill);
        window->hide();
    }
    state.counters["grid_ms"] = 1000 * gridSeconds / static_cast<double>(state.iterations());
}

void BM_PartialDuplicatesTwoColumns(benchmark::State& state)
{
    timeOk<Form2>(state, [](Form2& d) { tick(d.ListView1, {First, Last}); });
}

void BM_SortOneColumn(benchmark::State& state)
{
    timeOk<Form3>(state, [](Form3& d) { d.Combo1->setCurrentIndex(Last); });
}

void BM_SplitIntoThreePieces(benchmark::State& state)
{
    // "+49 30 1234567" becomes three columns.
    timeOk<Form6>(state, [](Form6& d) { tick(d.ListView1, {Phone}); });
}

void BM_PrefixAndSuffixOneColumn(benchmark::State& state)
{
    timeOk<Form5>(state, [](Form5& d) {
        d.Text1->setText(QStringLiteral("mailto:"));
        d.Text2->setText(QStringLiteral(";"));
        tick(d.ListView1, {Email});
    });
}

void BM_ProperCaseOneColumn(benchmark::State& state)
{
    timeOk<Form4>(state, [](Form4& d) { tick(d.ListView1, {Notes}); });
}

void BM_SentenceCaseOneColumn(benchmark::State& state)
{
    timeOk<Form4>(state, [](Form4& d) {
        d.Option4->setChecked(true);
        tick(d.ListView1, {Notes});
    });
}

void BM_JoinTwoColumnsIntoANewOne(benchmark::State& state)
{
    timeOk<Form7>(state, [](Form7& d) { tick(d.ListView1, {First, Last}); });
}

void BM_RearrangeAllEightColumns(benchmark::State& state)
{
    timeOk<Form9>(state, [](Form9& d) {
        // Reversed: every field moves.
        QTreeWidget* list = d.ListView1;
        for (int i = 1; i < list->topLevelItemCount(); ++i)
            list->insertTopLevelItem(0, list->takeTopLevelItem(i));
    });
}

void BM_FindAndReplace(benchmark::State& state)
{
    timeOk<Form10>(state, [](Form10& d) {
        d.Text1->setText(QStringLiteral("berlin"));
        d.Text2->setText(QStringLiteral("Bonn"));
    });
}

} // namespace

BENCHMARK(BM_PartialDuplicatesTwoColumns)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();
BENCHMARK(BM_SortOneColumn)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();
BENCHMARK(BM_SplitIntoThreePieces)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();
BENCHMARK(BM_PrefixAndSuffixOneColumn)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();
BENCHMARK(BM_ProperCaseOneColumn)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();
BENCHMARK(BM_SentenceCaseOneColumn)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();
BENCHMARK(BM_JoinTwoColumnsIntoANewOne)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();
BENCHMARK(BM_RearrangeAllEightColumns)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();
BENCHMARK(BM_FindAndReplace)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();

int main(int argc, char** argv)
{
    BenchApplication app(argc, argv);
    warmPageCache(generated().path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
