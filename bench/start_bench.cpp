// A cold start is a new process: each run launches tarnvale_start_probe (the program started as
// main() starts it, offscreen) and times it from just before the launch to the moments it
// reports, on the monotonic clock both processes share. Loading and linking the program and Qt,
// the Qt application, the main window's Form_Load and the first paint all count. The files the
// process reads are in the page cache after a first, untimed launch, as on a machine where the
// program has run before.
//
// The memory figures come from the same probe after a whole run (search, Plot of 10000 points,
// SAD, Save), from /proc/self/status of that process: VmRSS, what it holds in memory then, and
// VmHWM, the most it ever held.
#include "bench/benchprogram.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

struct ProbeReport
{
    long long launched = 0; // ns, monotonic clock
    std::map<std::string, long long> values;
    std::string error; // empty when the probe ran and ended well

    double secondsBetween(long long from, const char *to) const
    {
        return static_cast<double>(values.at(to) - from) / 1e9;
    }
    double mebibytes(const char *name) const { return static_cast<double>(values.at(name)) / 1024; }
};

long long now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs the probe with `arguments` and collects its report lines.
ProbeReport launch(const std::vector<std::string> &arguments)
{
    ProbeReport report;
    int out[2];
    if (pipe(out) != 0) {
        report.error = "no pipe";
        return report;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);

    std::vector<std::string> words {TARNVALE_START_PROBE};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_t child = 0;
    report.launched = now();
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        report.error = "the probe could not be started";
        return report;
    }

    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        report.error = "the probe failed";

    char name[32];
    long long value = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        if (std::sscanf(line.c_str(), "%31s %lld", name, &value) == 2)
            report.values[name] = value;
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return report;
}

bool hasAll(const ProbeReport &report, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        if (!report.values.count(name))
            return false;
    }
    return true;
}

// Once per benchmark executable: the program's files into the page cache.
void warmUp()
{
    static const bool warm = [] {
        launch({"start"});
        return true;
    }();
    (void)warm;
}

void coldStart(benchmark::State &run, bool toMainWindow)
{
    warmUp();
    for (auto _ : run) {
        const ProbeReport report = launch({"start"});
        if (!report.error.empty() || !hasAll(report, {"splash", "key", "main"})) {
            run.SkipWithError(report.error.empty() ? "no report" : report.error.c_str());
            return;
        }
        run.SetIterationTime(
            report.secondsBetween(report.launched, toMainWindow ? "main" : "splash"));
        if (toMainWindow)
            run.counters["key_to_main_ms"]
                = report.secondsBetween(report.values.at("key"), "main") * 1e3;
    }
}

// The time is the run itself, from the main window shown to the file saved.
void wholeRunMemory(benchmark::State &run, bool table)
{
    warmUp();
    std::string file = "-";
    if (table) {
        file = (std::filesystem::temp_directory_path()
                / ("tarnvale_start_bench_" + std::to_string(getpid()) + ".txt"))
                   .string();
        if (!tarnvale::bench::WriteLongTableFile(file)) {
            run.SkipWithError("cannot write the life table");
            return;
        }
    }
    for (auto _ : run) {
        const ProbeReport report = launch({"run", file});
        if (!report.error.empty() || !hasAll(report, {"main", "done", "rss_main", "rss", "hwm"})) {
            run.SkipWithError(report.error.empty() ? "no report" : report.error.c_str());
            break;
        }
        run.SetIterationTime(report.secondsBetween(report.values.at("main"), "done"));
        run.counters["rss_main_MiB"] = report.mebibytes("rss_main");
        run.counters["rss_MiB"] = report.mebibytes("rss");
        run.counters["hwm_MiB"] = report.mebibytes("hwm");
    }
    if (table)
        std::remove(file.c_str());
}

void coldStartToSplash(benchmark::State &run)
{
    coldStart(run, false);
}
void coldStartToMainWindow(benchmark::State &run)
{
    coldStart(run, true);
}
BENCHMARK(coldStartToSplash)
    ->Name("Cold start/to splash shown")
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(coldStartToMainWindow)
    ->Name("Cold start/to main window shown after a key")
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

void matrixRun(benchmark::State &run)
{
    wholeRunMemory(run, false);
}
void tableRun(benchmark::State &run)
{
    wholeRunMemory(run, true);
}
BENCHMARK(matrixRun)
    ->Name("Whole run/matrix")
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(tableRun)
    ->Name("Whole run/table N=200")
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

} // namespace
