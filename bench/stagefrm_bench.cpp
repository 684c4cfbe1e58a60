// "Stage matrix", offscreen: the time from typing a number into a cell until the window is
// updated (the line under the grid, the buttons that compute, the life-cycle graph), on a dense
// 12-stage matrix, where the graph is drawn, and on 500 stages, where it is not.
//
// An edit between two rates changes an arrow's label, one between 0 and a rate adds or removes
// the arrow. The edit is committed as the grid's editor commits it (setData on the grid's model),
// and timed until the event queue holds no more painting, as click_bench.cpp times a click.
// `cpu_ms` is the processor time, which other processes on a shared machine do not inflate.
#include "bench/benchprogram.h"

#include "core/stageeditor.h"
#include "ui/windowowner.h"

#include <QAbstractItemModel>
#include <QTableView>
#include <QtTest>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

using namespace tarnvale;
using bench::catchUp;
using bench::Control;
using bench::PaintCounter;
using bench::processCpuSeconds;
using bench::settle;
using bench::TopLevel;
using Clock = std::chrono::steady_clock;

// A dense n x n matrix: every entry non-zero, so that the graph has an arrow for each.
StageModel denseModel(int n)
{
    StageModel model;
    model.a = SquareMatrix(n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            model.a.at(i, j) = i == 0 ? 2.0 + j : 0.5 / n + 0.001 * ((i * 7 + j * 3) % 11);
    return model;
}

// An edit of a rate to another rate, or between 0 and a rate, which adds or removes an arrow.
void stageEdit(benchmark::State &run, int stages, bool toZero)
{
    bench::StartQt();
    AnalysisState state;
    FakeDialogs dialogs;
    auto windows = std::make_unique<ui::WindowOwner>(state, dialogs);
    windows->start();
    catchUp();
    QTest::keyClick(TopLevel("titlform"), Qt::Key_Space);
    catchUp();
    windows->stageEditor() = StageEditorFromModel(denseModel(stages));
    windows->showStagefrm();
    catchUp();
    auto *grid = Control<QTableView>(TopLevel("Stagefrm"), "Grid1");
    if (!grid || grid->model()->rowCount() != stages) {
        run.SkipWithError("the stage matrix window did not come up");
        return;
    }
    QAbstractItemModel *model = grid->model();
    const QModelIndex cell = model->index(stages / 2, stages / 3);
    double cpu = 0.0;
    int k = 0;
    for (auto _ : run) {
        PaintCounter counter;
        const Clock::time_point start = Clock::now();
        const double cpuStart = processCpuSeconds();
        model->setData(cell,
                       ++k % 2      ? QStringLiteral("0.25")
                           : toZero ? QStringLiteral("0")
                                    : QStringLiteral("0.125"));
        if (!settle(counter)) {
            run.SkipWithError("nothing was repainted");
            return;
        }
        cpu += processCpuSeconds() - cpuStart;
        run.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    run.counters["cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
    windows.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const bool registered = [] {
    for (int stages : {12, 500})
        for (bool toZero : {false, true})
            benchmark::RegisterBenchmark(("StageEdit/" + std::to_string(stages) + " stages"
                                          + (toZero ? "/to and from 0" : "/rate to rate"))
                                             .c_str(),
                                         stageEdit, stages, toZero)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
