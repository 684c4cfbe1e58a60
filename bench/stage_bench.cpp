// The analysis of stage models on dense matrices of every entry random (the eigenvalues of the
// whole matrix dominate), lambda1 alone as a "what if" sweep calls it, and the projection of the
// largest model over the most steps.
#include "commandlinebench.h"
#include "core/projection.h"
#include "core/stageanalysis.h"
#include "databasefile.h"
#include "io/matrixfile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace {

using namespace tarnvale;

// Every entry drawn from 0 ... 2 / n, so that lambda1 is about 1 whatever n.
SquareMatrix denseMatrix(int n)
{
    std::mt19937 random(static_cast<unsigned>(n));
    std::uniform_real_distribution<double> entry(0, 2.0 / n);
    SquareMatrix a(n);
    for (double &value : a.values)
        value = entry(random);
    return a;
}

void analyse(benchmark::State &bench, int n)
{
    StageModel model;
    model.a = denseMatrix(n);
    for (auto _ : bench)
        benchmark::DoNotOptimize(AnalyseStage(model));
}
BENCHMARK_CAPTURE(analyse, 200, 200)
    ->Name("AnalyseStage/200 stages, dense")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(analyse, 500, 500)
    ->Name("AnalyseStage/500 stages, dense")
    ->Unit(benchmark::kMillisecond);

void dominant(benchmark::State &bench)
{
    const SquareMatrix a = denseMatrix(50);
    for (auto _ : bench)
        benchmark::DoNotOptimize(DominantEigenvalue(a));
}
BENCHMARK(dominant)->Name("DominantEigenvalue/50 stages, dense")->Unit(benchmark::kMicrosecond);

void project(benchmark::State &bench)
{
    const SquareMatrix a = denseMatrix(500);
    const std::vector<double> start(500, 1.0 / 500);
    for (auto _ : bench)
        benchmark::DoNotOptimize(ProjectMatrix(a, start, 1000, std::nullopt));
}
BENCHMARK(project)->Name("ProjectMatrix/500 stages x 1000 steps")->Unit(benchmark::kMillisecond);

// `tarnvale --report --json --format M` on 100 files of dense 100-stage matrices.
void commandLine(benchmark::State &bench)
{
    const std::filesystem::path dir
        = std::filesystem::temp_directory_path() / "tarnvale-stage-bench";
    std::filesystem::create_directories(dir);
    std::vector<std::string> arguments = {"--report", "--json", "--format", "M"};
    for (int i = 0; i < 100; ++i) {
        StageModel model;
        model.a = denseMatrix(100 + i % 2);
        const std::string path = (dir / ("matrix" + std::to_string(i) + ".csv")).string();
        if (!SaveMatrixFile(model, path).empty())
            bench.SkipWithError(("cannot write " + path).c_str());
        arguments.push_back(path);
    }
    tarnvale::bench::RunCommandLine(bench, arguments);
    std::filesystem::remove_all(dir);
}
BENCHMARK(commandLine)
    ->Name("tarnvale --report --json/100 files of 100 stages, dense")
    ->Unit(benchmark::kMillisecond);

// `tarnvale --report --csv --format compadre` on a database file of 10,000 records of 2 to 20
// stages, each with its parts.
void database(benchmark::State &bench)
{
    const std::filesystem::path dir
        = std::filesystem::temp_directory_path() / "tarnvale-database-bench";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "records.csv").string();
    test::WriteDatabaseFile(path, 10000);
    tarnvale::bench::RunCommandLine(bench, {"--report", "--csv", "--format", "compadre", path});
    std::filesystem::remove_all(dir);
}
BENCHMARK(database)
    ->Name("tarnvale --report --csv/10,000 database records of 2 to 20 stages")
    ->Unit(benchmark::kMillisecond);

} // namespace
