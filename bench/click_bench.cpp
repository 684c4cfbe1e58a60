// The time from a click to the window updated, offscreen: "Formula", "Try", "Bisection" and
// "Exchange" on the default matrix and on a life table of 201 age classes, a whole root search
// click by click, and "Plot" of 10000 points and "SAD" on that table in the graph window; and,
// with 10000 steps in the record of the search, "Plot" (which marks the search on the curve), a
// search click and "Steps" (which shows the whole record).
//
// The program is started as main() starts it, the splash passed with a key and the table read
// through "Datafile A". A click is timed from the mouse press (or the Enter key) until the event
// queue holds no more painting: the handler, the repaint of every widget it changed, and the
// flush of the window to the (offscreen) screen. Wall-clock time is the benchmark's time;
// `cpu_ms` is the processor time, which other processes on a shared machine do not inflate.
#include "bench/benchprogram.h"

#include "ui/windowowner.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace tarnvale;
using bench::catchUp;
using bench::Control;
using bench::PaintCounter;
using bench::processCpuSeconds;
using bench::settle;
using bench::TopLevel;
using Clock = std::chrono::steady_clock;

// A click's wall-clock time, which a user waits, and the processor time the program spent on it,
// which other processes on a shared machine do not inflate; in seconds.
struct ClickTime
{
    double wall = 0.0;
    double cpu = 0.0;
};

// The analysis buttons of the main window in the order a search uses them.
enum Step { Formula, Try, Bisection, Exchange };
constexpr const char *kStepButton[] = {"Command1", "Command2", "Command3", "Command4"};
constexpr const char *kStepCaption[] = {"Formula", "Try", "Bisection", "Exchange"};

// The program on screen with its main window up, on the default matrix or on the long table.
class Session
{
public:
    explicit Session(bool table)
    {
        // No to "see the format of the datafile?": only the click itself is timed.
        m_dialogs.answerYes = false;
        m_windows = std::make_unique<ui::WindowOwner>(m_state, m_dialogs);
        m_windows->start();
        catchUp();
        QTest::keyClick(TopLevel("titlform"), Qt::Key_Space);
        catchUp();
        if (table) {
            const QString path = m_folder.filePath(QStringLiteral("long.txt"));
            m_ok = bench::WriteLongTableFile(path.toStdString());
            m_dialogs.files << path;
            m_ok = m_ok && click(form1(), "Command11") && m_state.dataFileMode();
        }
    }
    ~Session()
    {
        m_windows.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // False when the program did not come up as the benchmark needs it.
    bool ok() const { return m_ok && form1() && form1()->isVisible(); }

    QWidget *form1() const { return TopLevel("Form1"); }
    QWidget *graphfrm() const { return TopLevel("Graphfrm"); }
    const AnalysisState &state() const { return m_state; }

    // Lengthens the record of the search to `entries` by repeating its last step and exchange,
    // as a user who went on clicking after the root would.
    bool recordSteps(std::size_t entries)
    {
        std::vector<SearchEntry> &record = m_state.SearchRecord;
        if (record.size() < 3)
            return false;
        const SearchEntry step = record[record.size() - 3], exchange = record[record.size() - 2];
        record.reserve(entries);
        while (record.size() < entries)
            record.push_back(record.size() % 2 ? step : exchange);
        return true;
    }

    // What a user does to start over: retypes the first cell, which clears every result, and
    // presses Enter in it, which offers "Formula" again.
    void restart()
    {
        auto *cell = Control<QLineEdit>(form1(), "m(0)");
        const QString text = cell->text();
        cell->setText(QString());
        cell->setText(text);
        QTest::keyClick(cell, Qt::Key_Return);
        catchUp();
    }

    // Clicks an enabled button and waits for the update; the seconds it took, or nothing when
    // the button was missing or disabled, the click was refused with a message, or nothing was
    // repainted.
    std::optional<ClickTime> timedClick(QWidget *window, const char *name)
    {
        auto *button = Control<QAbstractButton>(window, name);
        if (!button || !button->isEnabled() || !button->isVisible())
            return std::nullopt;
        const qsizetype messages = m_dialogs.informed.size();
        PaintCounter counter;
        const Clock::time_point start = Clock::now();
        const double cpuStart = processCpuSeconds();
        if (byKey)
            QTest::keyClick(button, Qt::Key_Return);
        else
            QTest::mouseClick(button, Qt::LeftButton);
        const bool painted = settle(counter);
        const double cpu = processCpuSeconds() - cpuStart;
        const std::chrono::duration<double> wall = Clock::now() - start;
        if (!painted || m_dialogs.informed.size() != messages)
            return std::nullopt;
        return ClickTime {wall.count(), cpu};
    }
    bool click(QWidget *window, const char *name) { return timedClick(window, name).has_value(); }

    // Runs the search from "Formula" until a bisection step accepts its point; the time of each
    // click, or nothing when a click failed or the search did not end.
    std::optional<std::vector<ClickTime>> search()
    {
        std::vector<ClickTime> times;
        restart();
        for (Step step : {Formula, Try}) {
            const std::optional<ClickTime> took = timedClick(form1(), kStepButton[step]);
            if (!took)
                return std::nullopt;
            times.push_back(*took);
        }
        for (int i = 0; i < 200; ++i) {
            const std::optional<ClickTime> bisected = timedClick(form1(), kStepButton[Bisection]);
            if (!bisected)
                return std::nullopt;
            times.push_back(*bisected);
            if (Control<QWidget>(form1(), "Label16")->isVisible())
                return times;
            const std::optional<ClickTime> exchanged = timedClick(form1(), kStepButton[Exchange]);
            if (!exchanged)
                return std::nullopt;
            times.push_back(*exchanged);
        }
        return std::nullopt;
    }

    // Opens the graph window through "Graph" and types the range of 10000 points.
    bool openGraph()
    {
        if (!click(form1(), "Command6") || !graphfrm())
            return false;
        Control<QLineEdit>(graphfrm(), "txtx1")->setText(QString::fromLatin1(bench::kPlotFrom));
        Control<QLineEdit>(graphfrm(), "txtx2")->setText(QString::fromLatin1(bench::kPlotTo));
        Control<QLineEdit>(graphfrm(), "txtstepx")->setText(QString::fromLatin1(bench::kPlotStep));
        catchUp();
        return true;
    }

    // Whether a button is pressed with Enter, as the keyboard-only search does, rather than
    // clicked with the mouse. The two take different ways through Qt, and only the key's ended,
    // when this was written, with the upper halves of the vector registers marked in use (see
    // core/vectorstate.h): Plot then took six times as long.
    bool byKey = false;

private:
    AnalysisState m_state;
    FakeDialogs m_dialogs;
    std::unique_ptr<ui::WindowOwner> m_windows;
    QTemporaryDir m_folder;
    bool m_ok = true;
};

// One timed iteration: the click's wall-clock time for the benchmark, its processor time added to
// `cpu`; a failed click ends the run with an error.
bool timeIteration(benchmark::State &run, const std::optional<ClickTime> &took, double &cpu)
{
    if (!took) {
        run.SkipWithError("the click failed");
        return false;
    }
    run.SetIterationTime(took->wall);
    cpu += took->cpu;
    return true;
}

// One analysis click, after the clicks that bring its button up.
void analysisClick(benchmark::State &run, bool table, Step step, bool key)
{
    bench::StartQt();
    Session session(table);
    session.byKey = key;
    if (!session.ok()) {
        run.SkipWithError("the program did not come up");
        return;
    }
    double cpu = 0.0;
    for (auto _ : run) {
        session.restart();
        for (int before = Formula; before < step; ++before) {
            if (!session.click(session.form1(), kStepButton[before])) {
                run.SkipWithError("a click before the timed one failed");
                return;
            }
        }
        if (!timeIteration(run, session.timedClick(session.form1(), kStepButton[step]), cpu))
            return;
    }
    run.counters["cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
}

// Every click of a whole search: the time is their sum; `slowest_cpu_ms` the processor time of
// the most expensive click (its wall-clock time on a shared machine is mostly other processes').
void searchClicks(benchmark::State &run, bool table, bool key)
{
    bench::StartQt();
    Session session(table);
    session.byKey = key;
    if (!session.ok()) {
        run.SkipWithError("the program did not come up");
        return;
    }
    double slowest = 0.0;
    double cpu = 0.0;
    std::size_t clicks = 0;
    for (auto _ : run) {
        const std::optional<std::vector<ClickTime>> times = session.search();
        if (!times) {
            run.SkipWithError("the search did not end with an accepted root");
            return;
        }
        double wall = 0.0;
        for (const ClickTime &t : *times) {
            wall += t.wall;
            cpu += t.cpu;
            slowest = std::max(slowest, t.cpu);
        }
        clicks = times->size();
        run.SetIterationTime(wall);
    }
    run.counters["clicks"] = static_cast<double>(clicks);
    run.counters["cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
    run.counters["slowest_cpu_ms"] = slowest * 1e3;
}

// "Plot" of 10000 points on the long table, or "SAD" after a search on it.
void graphClick(benchmark::State &run, bool sad, bool key)
{
    bench::StartQt();
    Session session(true);
    if (!session.ok()) {
        run.SkipWithError("the program did not come up");
        return;
    }
    if (sad) {
        if (!session.search()) {
            run.SkipWithError("the search did not end with an accepted root");
            return;
        }
    } else {
        session.restart();
        session.click(session.form1(), kStepButton[Formula]);
    }
    if (!session.openGraph()) {
        run.SkipWithError("the graph window did not open");
        return;
    }
    const char *button = sad ? "Command6" : "Command1";
    session.byKey = key;
    double cpu = 0.0;
    for (auto _ : run) {
        const std::optional<ClickTime> took = session.timedClick(session.graphfrm(), button);
        const bool plotted = sad || session.state().PlotCount == 10000;
        if (!timeIteration(run, plotted ? took : std::nullopt, cpu))
            return;
    }
    run.counters["cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
}

// A search on the long table with 10000 steps in its record, then: "Plot" of 10000 points; a
// click of "Exchange" or "Bisection", in turn, each adding to the record; or "Steps" and back.
enum class WithRecord { Plot, SearchClick, Steps };
void clickWithRecord(benchmark::State &run, WithRecord what)
{
    bench::StartQt();
    Session session(true);
    if (!session.ok() || !session.search() || !session.recordSteps(10000)) {
        run.SkipWithError("the search did not end with an accepted root");
        return;
    }
    if (what == WithRecord::Plot && !session.openGraph()) {
        run.SkipWithError("the graph window did not open");
        return;
    }
    double cpu = 0.0;
    for (auto _ : run) {
        std::optional<ClickTime> took;
        if (what == WithRecord::Plot) {
            took = session.timedClick(session.graphfrm(), "Command1");
        } else if (what == WithRecord::Steps) {
            took = session.timedClick(session.form1(), "Command15");
            if (took && !session.click(TopLevel("Stepsfrm"), "Command1"))
                took.reset();
        } else {
            const bool exchange = Control<QWidget>(session.form1(), "Command4")->isEnabled();
            took = session.timedClick(session.form1(), exchange ? "Command4" : "Command3");
        }
        if (!timeIteration(run, took, cpu))
            return;
    }
    run.counters["cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
    run.counters["recorded"] = static_cast<double>(session.state().SearchRecord.size());
}

const bool registered = [] {
    const auto add = [](const std::string &name, auto function, auto... arguments) {
        benchmark::RegisterBenchmark(name.c_str(), function, arguments...)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    };
    for (bool key : {false, true}) {
        const std::string after = key ? "/by Enter" : "";
        for (bool table : {false, true}) {
            const std::string data = table ? "/table N=200" : "/matrix";
            for (Step step : {Formula, Try, Bisection, Exchange})
                add("Click/" + std::string(kStepCaption[step]) + data + after, analysisClick, table,
                    step, key);
            add("Click/whole search" + data + after, searchClicks, table, key);
        }
        add("Click/Plot 10000 points/table N=200" + after, graphClick, false, key);
        add("Click/SAD/table N=200" + after, graphClick, true, key);
    }
    add("Click/Plot 10000 points/table N=200/10000 steps recorded", clickWithRecord,
        WithRecord::Plot);
    add("Click/Exchange or Bisection/table N=200/10000 steps recorded", clickWithRecord,
        WithRecord::SearchClick);
    add("Click/Steps/10000 steps recorded", clickWithRecord, WithRecord::Steps);
    return true;
}();

} // namespace
