// "Further analysis" on the longest table there is (201 age classes), offscreen: opening the
// window from the results until it is drawn, and a new step count or start vector until the
// projection is redrawn. Timed as the click benchmarks time a click: from the action until a
// pass over the event queue paints nothing more.
#include "bench/benchprogram.h"

#include "ui/windowowner.h"

#include <QAbstractButton>
#include <QSpinBox>
#include <QtTest>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

using namespace tarnvale;
using namespace tarnvale::bench;

// The program on the long table, its root accepted, with "Population parameters" in front.
class Session
{
public:
    Session()
        : m_state(test::LongTable(kLongTableFecundity, kLongTableSurvival))
    {
        StartQt();
        m_state.Lambda = 1.01765531921812;
        m_windows = std::make_unique<ui::WindowOwner>(m_state, m_dialogs);
        m_windows->start();
        catchUp();
        QTest::keyClick(TopLevel("titlform"), Qt::Key_Space);
        m_windows->showResultFrm();
        catchUp();
    }
    ~Session()
    {
        m_windows.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QWidget *results() const { return TopLevel("ResultFrm"); }
    QWidget *analysis() const { return TopLevel("Analysisfrm"); }

    // Runs `action` and waits until the windows are repainted; the wall-clock and processor
    // seconds it took, or a negative wall time when nothing was painted.
    template<typename Action> std::pair<double, double> timed(Action action)
    {
        PaintCounter counter;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = processCpuSeconds();
        action();
        const bool painted = settle(counter);
        const double cpu = processCpuSeconds() - cpuStart;
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        return {painted ? wall.count() : -1.0, cpu};
    }

    // "Further analysis" on the results, timed.
    std::pair<double, double> open()
    {
        return timed([this] { QTest::mouseClick(Control(results(), "Command2"), Qt::LeftButton); });
    }

private:
    AnalysisState m_state;
    FakeDialogs m_dialogs;
    std::unique_ptr<ui::WindowOwner> m_windows;
};

void report(benchmark::State &run, double cpu)
{
    run.counters["cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
}

// Opening the window: built afresh after a close through its frame, or shown again after Back.
void openWindow(benchmark::State &run, bool fresh)
{
    Session session;
    double cpu = 0;
    for (auto _ : run) {
        if (QWidget *w = session.analysis()) {
            run.PauseTiming();
            if (fresh)
                w->close();
            else
                QTest::mouseClick(Control(w, "Command1"), Qt::LeftButton);
            catchUp();
            run.ResumeTiming();
        }
        const auto [wall, took] = session.open();
        if (wall < 0 || !session.analysis() || !session.analysis()->isVisible()) {
            run.SkipWithError("the window did not open");
            return;
        }
        run.SetIterationTime(wall);
        cpu += took;
    }
    report(run, cpu);
}

// A new step count (alternately `steps` and one less) or start vector (alternately equal shares
// and all in age class 0, over `steps` steps), until the projection is redrawn.
void redraw(benchmark::State &run, bool startVector, int steps)
{
    Session session;
    session.open();
    QWidget *w = session.analysis();
    auto *count = Control<QSpinBox>(w, "txtSteps");
    if (!count) {
        run.SkipWithError("the window did not open");
        return;
    }
    count->setValue(steps);
    catchUp();
    double cpu = 0;
    int turn = 0;
    for (auto _ : run) {
        ++turn;
        const auto [wall, took] = session.timed([&] {
            if (startVector) {
                auto *option
                    = Control<QAbstractButton>(w, turn % 2 ? "optStart(1)" : "optStart(0)");
                QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
            } else {
                count->setValue(turn % 2 ? steps - 1 : steps);
            }
        });
        if (wall < 0) {
            run.SkipWithError("nothing was redrawn");
            return;
        }
        run.SetIterationTime(wall);
        cpu += took;
    }
    report(run, cpu);
}

const bool registered = [] {
    const auto add = [](const char *name, auto function, auto... arguments) {
        benchmark::RegisterBenchmark(name, function, arguments...)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    };
    add("Further analysis/open afresh/table N=200", openWindow, true);
    add("Further analysis/open again/table N=200", openWindow, false);
    add("Further analysis/steps 30/table N=200", redraw, false, 30);
    add("Further analysis/steps 1000/table N=200", redraw, false, 1000);
    add("Further analysis/start vector, 30 steps/table N=200", redraw, true, 30);
    add("Further analysis/start vector, 1000 steps/table N=200", redraw, true, 1000);
    return true;
}();

} // namespace
