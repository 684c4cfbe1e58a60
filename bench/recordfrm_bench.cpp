// "Database records", offscreen, on a generated database file of 10,000 records: opening the list
// from "Stage matrix" (reading every record once, analysing each for its lambda1) until it is
// drawn, and one keystroke in the filter until the list is redrawn. Timed as click_bench.cpp
// times a click; `cpu_ms` is the processor time, which other processes do not inflate.
#include "bench/benchprogram.h"

#include "databasefile.h"
#include "ui/windowowner.h"

#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

using namespace tarnvale;
using namespace tarnvale::bench;

constexpr int kRecords = 10000;

// The program with "Stage matrix" in front and the database file written.
class Session
{
public:
    Session()
        : m_dir(std::filesystem::temp_directory_path() / "tarnvale-recordfrm-bench")
    {
        std::filesystem::create_directories(m_dir);
        m_path = QString::fromStdString((m_dir / "records.csv").string());
        test::WriteDatabaseFile(m_path.toStdString(), kRecords);
        StartQt();
        m_windows = std::make_unique<ui::WindowOwner>(m_state, m_dialogs);
        m_windows->start();
        catchUp();
        QTest::keyClick(TopLevel("titlform"), Qt::Key_Space);
        m_windows->showStagefrm();
        catchUp();
    }
    ~Session()
    {
        m_windows.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::filesystem::remove_all(m_dir);
    }

    QWidget *list() const { return TopLevel("Recordfrm"); }

    std::pair<double, double> open()
    {
        return TimedUntilPainted([this] { m_windows->showRecordfrm(m_path); });
    }

private:
    std::filesystem::path m_dir;
    QString m_path;
    AnalysisState m_state;
    FakeDialogs m_dialogs;
    std::unique_ptr<ui::WindowOwner> m_windows;
};

int shownRows(QWidget *list)
{
    auto *view = Control<QTableView>(list, "List1");
    return view ? view->model()->rowCount() : -1;
}

// Opening the list of the whole file, built afresh each time (a close through its frame first).
void openList(benchmark::State &run)
{
    Session session;
    double cpu = 0;
    for (auto _ : run) {
        if (QWidget *w = session.list()) {
            run.PauseTiming();
            w->close();
            catchUp();
            run.ResumeTiming();
        }
        const auto [wall, took] = session.open();
        if (wall < 0 || !session.list() || shownRows(session.list()) != kRecords) {
            run.SkipWithError("the list did not open on every record");
            return;
        }
        run.SetIterationTime(wall);
        cpu += took;
    }
    run.counters["cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
}

// One keystroke in the filter: "Species 1" narrowed to "Species 12" and widened back, in turn.
void filterKeystroke(benchmark::State &run)
{
    Session session;
    session.open();
    auto *filter = session.list() ? Control<QLineEdit>(session.list(), "Text1") : nullptr;
    if (!filter) {
        run.SkipWithError("the list did not open");
        return;
    }
    filter->setText("Species 1");
    catchUp();
    double cpu = 0;
    int turn = 0;
    for (auto _ : run) {
        const bool narrow = ++turn % 2 == 1;
        const auto [wall, took] = TimedUntilPainted([&] {
            if (narrow)
                QTest::keyClick(filter, Qt::Key_2);
            else
                QTest::keyClick(filter, Qt::Key_Backspace);
        });
        if (wall < 0) {
            run.SkipWithError("nothing was redrawn");
            return;
        }
        run.SetIterationTime(wall);
        cpu += took;
    }
    run.counters["cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
}

BENCHMARK(openList)
    ->Name("Database records/open/10,000 records")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(filterKeystroke)
    ->Name("Database records/filter keystroke/10,000 records")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
