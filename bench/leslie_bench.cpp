// The analyses beyond lambda on the longest table a file may hold (201 classes): the analysis
// without the projection (the eigenvalues dominate), the projection over the most steps, and the
// command line on a batch of such files.
#include "commandlinebench.h"
#include "core/leslie.h"
#include "core/projection.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace tarnvale;

// No young at age 0, 0.3 at every later age, every survival rate 0.5: a cluster of 200 small
// roots whose coefficients span 60 orders of magnitude, the hardest case for the eigenvalues.
LeslieTable evenTable()
{
    LeslieTable table {std::vector<double>(201, 0.3), std::vector<double>(200, 0.5)};
    table.fecundity[0] = 0;
    return table;
}

// Rates drawn at random, survival 0.8 ... 1: roots the Schur form gets right by itself.
LeslieTable randomTable()
{
    std::mt19937 random(201);
    std::uniform_real_distribution<double> fecundity(0, 0.2), survival(0.8, 1);
    LeslieTable table;
    for (int x = 0; x < 201; ++x) {
        table.fecundity.push_back(fecundity(random));
        if (x < 200)
            table.survival.push_back(survival(random));
    }
    return table;
}

void analyse(benchmark::State &bench, const LeslieTable &table)
{
    for (auto _ : bench)
        benchmark::DoNotOptimize(AnalyseLeslie(table));
}
BENCHMARK_CAPTURE(analyse, even, evenTable())
    ->Name("AnalyseLeslie/201 classes, even rates")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(analyse, random, randomTable())
    ->Name("AnalyseLeslie/201 classes, random rates")
    ->Unit(benchmark::kMillisecond);

void project(benchmark::State &bench)
{
    const LeslieTable table = randomTable();
    const LeslieAnalysis analysis = AnalyseLeslie(table);
    const StartVector start = MakeStartVector(analysis, StartChoice::FirstClass);
    for (auto _ : bench)
        benchmark::DoNotOptimize(
            ProjectLeslie(table, start.shares, 1000, analysis.stableAgeDistribution));
}
BENCHMARK(project)->Name("ProjectLeslie/201 classes x 1000 steps")->Unit(benchmark::kMillisecond);

// `tarnvale --report --json --format A` on 100 files of 201 classes, half of each kind above.
void commandLine(benchmark::State &bench)
{
    const std::filesystem::path dir
        = std::filesystem::temp_directory_path() / "tarnvale-leslie-bench";
    std::filesystem::create_directories(dir);
    std::vector<std::string> arguments = {"--report", "--json", "--format", "A"};
    for (int i = 0; i < 100; ++i) {
        const LeslieTable table = i % 2 ? randomTable() : evenTable();
        const std::string path = (dir / ("table" + std::to_string(i) + ".txt")).string();
        std::ofstream file(path);
        file.precision(17);
        file << "\"age,f(x),s(x)\"\n";
        for (int x = 0; x < 201; ++x)
            file << x << ',' << table.fecundity[x] << ',' << (x < 200 ? table.survival[x] : 0.0)
                 << '\n';
        arguments.push_back(path);
    }
    tarnvale::bench::RunCommandLine(bench, arguments);
    std::filesystem::remove_all(dir);
}
BENCHMARK(commandLine)
    ->Name("tarnvale --report --json/100 files of 201 classes")
    ->Unit(benchmark::kMillisecond);

} // namespace
