// "Further analysis" on the longest table there is (201 age classes), offscreen: opening the
// window from the results until it is drawn, and a new step count or start vector until the
// projection is redrawn; and opened on a stage model of 50 stages, where "What if" moves its
// slider (lambda1, r and w of the changed model, the point on the chart) or takes another target
// (its sweep of 201 points and its break-even). Timed as the click benchmarks
// time a click: from the action until a pass over the event queue paints nothing more.
#include "bench/benchprogram.h"

#include "core/stagemodel.h"
#include "ui/windowowner.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

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

    // "Further analysis" on the results, timed.
    std::pair<double, double> open()
    {
        return TimedUntilPainted(
            [this] { QTest::mouseClick(Control(results(), "Command2"), Qt::LeftButton); });
    }

    // "Further analysis" on a stage model, opened from the results as the window of the stage
    // matrix opens it, timed.
    std::pair<double, double> open(const StageModel &model)
    {
        return TimedUntilPainted(
            [this, &model] { m_windows->showAnalysisfrm(model, 1.0, results()); });
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

// A size-classified model of `n` stages: each stage stays (0.5), grows by one (0.3) or two
// (0.1) stages or shrinks by one (0.05), and the upper two thirds reproduce, all into the first
// stage. Its life cycle is one class, so lambda1 comes from the eigenvalues of the whole matrix.
StageModel sizeClassified(int n)
{
    StageModel model;
    model.a = SquareMatrix(n);
    for (int i = 0; i < n; ++i) {
        model.a.at(i, i) = 0.5;
        if (i + 1 < n)
            model.a.at(i + 1, i) = 0.3;
        if (i + 2 < n)
            model.a.at(i + 2, i) = 0.1;
        if (i > 0)
            model.a.at(i - 1, i) = 0.05;
        if (i >= n / 3)
            model.a.at(0, i) += 0.2 + 0.01 * i;
        model.names.push_back("size class " + std::to_string(i + 1));
    }
    return model;
}

// Opening the window: built afresh after a close through its frame, or shown again after Back;
// on the long table from the results, or on a size-classified model of `stages` stages.
void openWindow(benchmark::State &run, bool fresh, int stages = 0)
{
    Session session;
    const std::optional<StageModel> model
        = stages > 0 ? std::optional<StageModel>(sizeClassified(stages)) : std::nullopt;
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
        const auto [wall, took] = model ? session.open(*model) : session.open();
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
        const auto [wall, took] = TimedUntilPainted([&] {
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

// "What if" on a model of `stages` stages, every entry its target: a slider move (alternately
// to 0.9 and 1.1 times every entry) or another target (alternately every entry and row 1),
// until the page is redrawn.
void whatIf(benchmark::State &run, bool slider, int stages)
{
    Session session;
    session.open(sizeClassified(stages));
    QWidget *w = session.analysis();
    auto *pages = Control<QTabWidget>(w, "fraPages");
    auto *list = Control<QComboBox>(w, "WhatIfTarget");
    auto *move = Control<QSlider>(w, "WhatIfSlider");
    if (!pages || !list || !move) {
        run.SkipWithError("the window did not open");
        return;
    }
    pages->setCurrentIndex(1);
    catchUp();
    const int every = list->findText(QStringLiteral("A  "), Qt::MatchStartsWith);
    const int row = list->findText(QStringLiteral("row[1]  "), Qt::MatchStartsWith);
    double cpu = 0;
    int turn = 0;
    for (auto _ : run) {
        ++turn;
        const auto [wall, took] = TimedUntilPainted([&] {
            if (slider)
                move->setValue(turn % 2 ? 180 : 220);
            else
                list->setCurrentIndex(turn % 2 ? row : every);
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
    add("Further analysis/open afresh/table N=200", openWindow, true, 0);
    add("Further analysis/open again/table N=200", openWindow, false, 0);
    add("Further analysis/steps 30/table N=200", redraw, false, 30);
    add("Further analysis/steps 1000/table N=200", redraw, false, 1000);
    add("Further analysis/start vector, 30 steps/table N=200", redraw, true, 30);
    add("Further analysis/start vector, 1000 steps/table N=200", redraw, true, 1000);
    add("Further analysis/open afresh/stages 50", openWindow, true, 50);
    add("Further analysis/open again/stages 50", openWindow, false, 50);
    add("Further analysis/open again/stages 500", openWindow, false, 500);
    add("Further analysis/what if, slider/stages 50", whatIf, true, 50);
    add("Further analysis/what if, target/stages 50", whatIf, false, 50);
    return true;
}();

} // namespace
