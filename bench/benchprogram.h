#pragma once

// What the window benchmarks share: the long life table they load, the range that gives the most
// points a curve may have, dialogs answered from a script, and a way to find the program's
// windows and controls by name.

#include "core/state.h"
#include "fakedialogs.h"
#include "longtable.h"

#include <QApplication>
#include <QEvent>
#include <QStringList>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <utility>

namespace tarnvale::bench {

// 0 to 9999/8192 in steps of 1/8192: exactly 10000 points, the most a curve may have.
inline constexpr const char *kPlotFrom = "0";
inline constexpr const char *kPlotTo = "1.2205810546875";
inline constexpr const char *kPlotStep = "0.0001220703125";

// The longest life table there is, 201 age classes (N = 200): no young at age 0, 0.05 at every
// later age, every survival rate 0.97 (lambda a little above 1).
inline constexpr int kLongTableLastAgeClass = 200;
inline constexpr double kLongTableFecundity = 0.05;
inline constexpr double kLongTableSurvival = 0.97;

// The same table as a life-table file of format A ("age, f(x), s(x)"), as "Datafile A" reads
// it. False when the file cannot be written.
inline bool WriteLongTableFile(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    std::fputs("\"age,f(x),s(x)\"\n", file);
    for (int i = 0; i <= kLongTableLastAgeClass; ++i)
        std::fprintf(file, "%d,%s,%s\n", i, i == 0 ? "0" : "0.05", "0.97");
    return std::fclose(file) == 0;
}

// The Qt application of a benchmark executable, made on first use, so that what runs before needs
// none runs without one.
inline void StartQt()
{
    static int argc = 1;
    static char name[] = "tarnvale_window_bench";
    static char *argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app;
    if (!app)
        app = std::make_unique<QApplication>(argc, argv);
}

// One of the program's windows by its name ("Form1", "Graphfrm"), or null.
inline QWidget *TopLevel(const char *name)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String(name))
            return window;
    }
    return nullptr;
}

// A control of `window` by its name, or null.
template<typename T = QWidget> T *Control(QWidget *window, const char *name)
{
    return window ? window->findChild<T *>(QString::fromLatin1(name)) : nullptr;
}

// ----- Timing a click until its window is repainted -----

inline double processCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Counts the paint events of every widget: a click's update is over once a pass over the event
// queue paints nothing more.
class PaintCounter : public QObject
{
public:
    PaintCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~PaintCounter() override { QCoreApplication::instance()->removeEventFilter(this); }

    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Delivers what is queued, and deletes the objects left for deletion, as the event loop does
// once an event is handled (the chart leaves the drawing of a replaced curve so); without an
// event loop they would pile up and slow every later click.
inline void catchUp()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Catches up with what a click left queued, repaints included, until a pass paints nothing more.
// False when nothing at all was painted within a second.
inline bool settle(PaintCounter &counter)
{
    const std::chrono::steady_clock::time_point deadline
        = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (;;) {
        const int before = counter.paints;
        catchUp();
        if (counter.paints > 0 && counter.paints == before)
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return counter.paints > 0;
    }
}

// Runs `action` and waits until the windows are repainted: the wall-clock and processor seconds
// it took, or a negative wall time when nothing was painted.
template<typename Action> std::pair<double, double> TimedUntilPainted(Action action)
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

} // namespace tarnvale::bench
