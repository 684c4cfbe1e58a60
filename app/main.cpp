#include "cli/commandline.h"
#include "core/state.h"
#include "ui/common/dialogs.h"
#include "ui/windowowner.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include <unistd.h>

namespace {

// A desktop program needs a display; say so plainly rather than let the toolkit abort.
bool haveDisplay()
{
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char *argv[])
{
    // The command line reports and ends before anything that needs a display.
    if (tarnvale::cli::IsCommandLine(argc, argv))
        return tarnvale::cli::RunCommandLine(argc, argv, std::cout, std::cerr,
                                             isatty(STDERR_FILENO) == 1);
    if (!haveDisplay()) {
        std::fputs("Tarnvale is a desktop program and needs a display, but none is set (DISPLAY "
                   "is empty).\nStart it from a desktop session, or without one under a virtual "
                   "display:\n  xvfb-run -a ./build/app/tarnvale\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnvale"));
    QApplication::setQuitOnLastWindowClosed(false);

    tarnvale::AnalysisState state;
    tarnvale::ui::QtDialogs dialogs;
    tarnvale::ui::WindowOwner windows(state, dialogs);
    windows.start();
    return app.exec();
}
