// A Plot of 10000 points on a life table of 201 age classes, in its two halves: sampling f(x)
// (PlotCurve) and redrawing the chart (ShowGraph, with and without painting it, offscreen).
// Sampling is timed twice: before the Qt application starts and inside it, as a user meets it.
// On some machines the start of Qt leaves the processor's wide vector registers marked in use,
// and every std::pow call then pays for switching instruction sets.
#include "core/curve.h"
#include "ui/Graphfrm/graphfrm.h"
#include "ui/common/dialogs.h"
#include "ui/common/windowowner.h"

#include <QApplication>
#include <QChartView>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

// 0 to 9999/8192 in steps of 1/8192: exactly 10000 points, the most a curve may have.
constexpr const char *kFrom = "0";
constexpr const char *kTo = "1.2205810546875";
constexpr const char *kStep = "0.0001220703125";

tarnvale::AnalysisState longTable()
{
    tarnvale::AnalysisState state;
    state.DataLoaded = "Yes";
    state.LastAgeClass = 200;
    for (int i = 0; i <= 200; ++i) {
        state.Fecundity[i] = i == 0 ? 0.0 : 0.05;
        state.Survival[i] = 0.97;
    }
    return state;
}

// The benchmark answers no dialog: nothing in it asks one.
class NoDialogs : public tarnvale::ui::Dialogs
{
public:
    bool askYesNo(const QString &, const QString &) override { return false; }
    void inform(const QString &, const QString &) override { }
    QString chooseOpenFile() override { return {}; }
    QString chooseSaveFile(const QString &, const QString &) override { return {}; }
};

// Started by the first benchmark that needs windows, so that sampling is timed without Qt first.
void startQt()
{
    static int argc = 1;
    static char name[] = "tarnvale_graph_bench";
    static char *argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app;
    if (!app)
        app = std::make_unique<QApplication>(argc, argv);
}

void sampleCurve(benchmark::State &run)
{
    tarnvale::AnalysisState state = longTable();
    for (auto _ : run) {
        const tarnvale::PlotResult result = tarnvale::PlotCurve(state, kFrom, kTo, kStep);
        if (!result.ok || state.PlotCount != 10000)
            run.SkipWithError("the range did not give 10000 points");
        benchmark::DoNotOptimize(state.PlotFx.data());
    }
}
BENCHMARK(sampleCurve)->Name("sampleCurve/withoutQt")->Unit(benchmark::kMillisecond);

void updateChart(benchmark::State &run, bool paint)
{
    startQt();
    tarnvale::AnalysisState state = longTable();
    tarnvale::PlotCurve(state, kFrom, kTo, kStep);
    NoDialogs dialogs;
    tarnvale::ui::WindowOwner windows(state, dialogs);
    tarnvale::ui::Graphfrm &graph = windows.graphfrm();
    graph.show();
    auto *view = graph.findChild<QChartView *>(QStringLiteral("MSChart1"));
    view->show();
    for (auto _ : run) {
        graph.ShowGraph();
        if (paint)
            benchmark::DoNotOptimize(view->grab());
    }
}
void chartUpdate(benchmark::State &run)
{
    updateChart(run, false);
}
void chartUpdateAndPaint(benchmark::State &run)
{
    updateChart(run, true);
}
BENCHMARK(chartUpdate)->Unit(benchmark::kMillisecond);
BENCHMARK(chartUpdateAndPaint)->Unit(benchmark::kMillisecond);

void sampleCurveInsideQt(benchmark::State &run)
{
    startQt();
    sampleCurve(run);
}
BENCHMARK(sampleCurveInsideQt)->Name("sampleCurve/insideQt")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The chart is drawn without a display.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
