// The program started as app/main.cpp starts it, in a process of its own, telling on standard
// output when it has painted its windows; the start benchmark launches it and times it from the
// outside. It presses a key once the title splash is painted, as a user would, and then either
// ends once the main window is painted or first runs a whole analysis and tells how much memory
// the process holds.
//
//   tarnvale_start_probe start
//   tarnvale_start_probe run TABLE      TABLE: a life table read with "Datafile A", or "-" for the
//                                       default matrix
//
// Each report line is a name and a number: the moments "splash", "key", "main", "done" in
// nanoseconds of the monotonic clock (std::chrono::steady_clock, which the launching process
// shares), and "rss_main", "rss", "hwm" in KiB (VmRSS when the main window is up, VmRSS and
// VmHWM after the run). Anything that goes wrong is told on standard error and ends the process
// with status 1.
#include "bench/benchprogram.h"

#include "ui/windowowner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>

#include <unistd.h>

namespace {

using namespace tarnvale;
using bench::Control;
using bench::TopLevel;

long long now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void report(const char *name, long long value)
{
    std::printf("%s %lld\n", name, value);
    std::fflush(stdout);
}

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "tarnvale_start_probe: %s\n", what);
    std::fflush(stdout);
    std::_Exit(1);
}

// A line "VmRSS:   123456 kB" of /proc/self/status, in KiB; -1 when there is none.
long long statusKiB(const char *field)
{
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long long value = -1;
    const std::size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            value = std::atoll(line + length + 1);
            break;
        }
    }
    std::fclose(status);
    return value;
}

// Tells which top-level windows have finished a paint: once the outermost event that painted
// one of them (an expose or an update request) has been handled, the window's pixels are
// complete and handed to the screen.
class ProbeApplication : public QApplication
{
public:
    using QApplication::QApplication;

    std::function<void(QWidget *)> painted;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && receiver->isWidgetType())
            m_paintedNow.insert(static_cast<QWidget *>(receiver)->window());
        ++m_depth;
        const bool handled = QApplication::notify(receiver, event);
        --m_depth;
        if (m_depth == 0 && !m_paintedNow.empty()) {
            const std::set<QWidget *> windows = std::move(m_paintedNow);
            m_paintedNow.clear();
            // A window may have gone while the event was handled.
            const QWidgetList alive = QApplication::topLevelWidgets();
            for (QWidget *window : windows) {
                if (painted && alive.contains(window))
                    painted(window);
            }
        }
        return handled;
    }

private:
    int m_depth = 0;
    std::set<QWidget *> m_paintedNow;
};

// Clicks a button of a window, and lets the program catch up as its event loop would.
void click(const char *window, const char *name)
{
    auto *button = Control<QAbstractButton>(TopLevel(window), name);
    if (!button || !button->isEnabled() || !button->isVisible())
        fail((std::string("cannot click ") + window + " " + name).c_str());
    button->click();
    QCoreApplication::processEvents();
    // What the event loop would delete before the next click.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Datafile (when given), Formula, Try, Bisection and Exchange until a root is accepted, Graph,
// Plot of 10000 points, SAD and Save.
void wholeRun(FakeDialogs &dialogs, const QString &table, const QString &saved)
{
    if (!table.isEmpty()) {
        dialogs.files << table;
        click("Form1", "Command11");
    }
    auto *cell = Control<QLineEdit>(TopLevel("Form1"), "m(0)");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(cell, &enter);
    click("Form1", "Command1");
    click("Form1", "Command2");
    for (int step = 0;; ++step) {
        if (step == 200)
            fail("the search did not end");
        click("Form1", "Command3");
        if (Control<QWidget>(TopLevel("Form1"), "Label16")->isVisible())
            break;
        click("Form1", "Command4");
    }
    click("Form1", "Command6");
    QWidget *graph = TopLevel("Graphfrm");
    Control<QLineEdit>(graph, "txtx1")->setText(QString::fromLatin1(bench::kPlotFrom));
    Control<QLineEdit>(graph, "txtx2")->setText(QString::fromLatin1(bench::kPlotTo));
    Control<QLineEdit>(graph, "txtstepx")->setText(QString::fromLatin1(bench::kPlotStep));
    click("Graphfrm", "Command1");
    click("Graphfrm", "Command6");
    dialogs.files << saved;
    click("Graphfrm", "Command5");
    if (!dialogs.informed.isEmpty())
        fail(dialogs.informed.join(QStringLiteral("; ")).toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    const bool run = argc == 3 && std::strcmp(argv[1], "run") == 0;
    if (!run && !(argc == 2 && std::strcmp(argv[1], "start") == 0))
        fail("usage: tarnvale_start_probe start | run TABLE");
    const QString table
        = run && std::strcmp(argv[2], "-") != 0 ? QString::fromLocal8Bit(argv[2]) : QString();

    // As main() does.
    ProbeApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnvale"));
    QApplication::setQuitOnLastWindowClosed(false);

    AnalysisState state;
    FakeDialogs dialogs;
    // No to "see the format of the datafile?": only the run itself is measured.
    dialogs.answerYes = false;
    ui::WindowOwner windows(state, dialogs);

    bool splashDone = false;
    bool mainDone = false;
    app.painted = [&](QWidget *window) {
        if (!splashDone && window->objectName() == QLatin1String("titlform")) {
            splashDone = true;
            report("splash", now());
            // The key goes to the splash's window as one from the keyboard would.
            report("key", now());
            QCoreApplication::postEvent(window->windowHandle(),
                                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Space,
                                                      Qt::NoModifier, QStringLiteral(" ")));
        } else if (splashDone && !mainDone && window->objectName() == QLatin1String("Form1")) {
            mainDone = true;
            report("main", now());
            report("rss_main", statusKiB("VmRSS"));
            QTimer::singleShot(0, &app, [&] {
                if (run) {
                    const QString saved = QDir::temp().filePath(
                        QStringLiteral("tarnvale_start_probe_%1.txt").arg(getpid()));
                    wholeRun(dialogs, table, saved);
                    QFile::remove(saved);
                    report("done", now());
                    report("rss", statusKiB("VmRSS"));
                    report("hwm", statusKiB("VmHWM"));
                }
                QCoreApplication::exit(0);
            });
        }
    };

    windows.start();
    return app.exec();
}
