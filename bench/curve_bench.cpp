// A Plot of 10000 points on a life table of 201 age classes, in its two halves: sampling f(x)
// (PlotCurve) and redrawing the chart (ShowGraph, with and without painting it, offscreen).
// Sampling is timed twice: before the Qt application starts and inside it, as a user meets it.
// On processors with 256-bit AES instructions Qt's start (any string hash) leaves the upper
// halves of the vector registers marked in use, and every std::pow call would then pay for
// switching instruction sets: 265 ms instead of 22. PlotCurve clears them first
// (ResetUpperVectorState), so the two figures agree.
#include "core/curve.h"

#include "bench/benchprogram.h"
#include "ui/Graphfrm/graphfrm.h"
#include "ui/common/dialogs.h"
#include "ui/windowowner.h"

#include <QApplication>
#include <QChartView>

#include <benchmark/benchmark.h>

namespace {

using tarnvale::bench::kPlotFrom;
using tarnvale::bench::kPlotStep;
using tarnvale::bench::kPlotTo;
using tarnvale::bench::StartQt;

void sampleCurve(benchmark::State &run)
{
    tarnvale::AnalysisState state = tarnvale::test::LongTable(tarnvale::bench::kLongTableFecundity,
                                                              tarnvale::bench::kLongTableSurvival);
    for (auto _ : run) {
        const tarnvale::PlotResult result
            = tarnvale::PlotCurve(state, kPlotFrom, kPlotTo, kPlotStep);
        if (!result.ok || state.PlotCount != 10000)
            run.SkipWithError("the range did not give 10000 points");
        benchmark::DoNotOptimize(state.PlotFx.data());
    }
}
BENCHMARK(sampleCurve)->Name("sampleCurve/withoutQt")->Unit(benchmark::kMillisecond);

void updateChart(benchmark::State &run, bool paint)
{
    StartQt();
    tarnvale::AnalysisState state = tarnvale::test::LongTable(tarnvale::bench::kLongTableFecundity,
                                                              tarnvale::bench::kLongTableSurvival);
    tarnvale::PlotCurve(state, kPlotFrom, kPlotTo, kPlotStep);
    FakeDialogs dialogs;
    dialogs.answerYes = false;
    tarnvale::ui::WindowOwner windows(state, dialogs);
    tarnvale::ui::Graphfrm &graph = windows.graphfrm();
    graph.show();
    auto *view = graph.findChild<QChartView *>(QStringLiteral("MSChart1"));
    view->show();
    for (auto _ : run) {
        graph.ShowGraph();
        // The event loop deletes the drawing of the curve replaced; here nothing else would.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
    StartQt();
    sampleCurve(run);
}
BENCHMARK(sampleCurveInsideQt)->Name("sampleCurve/insideQt")->Unit(benchmark::kMillisecond);

} // namespace
