// "What if" on a dense 50-stage model (every entry random, lambda1 about 1): a sweep of 1000
// points, a break-even search, and lambda1, r and w after one slider move; and lambda1 of a
// 201-class Leslie table from its Euler-Lotka root against its matrix's Perron root.
#include "core/stageanalysis.h"
#include "core/whatif.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace tarnvale;

// Every entry drawn from 0 ... 2 / n; the first row split off as F, the rest as U.
StageModel denseModel(int n)
{
    std::mt19937 random(static_cast<unsigned>(n));
    std::uniform_real_distribution<double> entry(0, 2.0 / n);
    StageModel model;
    model.a = SquareMatrix(n);
    for (double &value : model.a.values)
        value = entry(random);
    model.u = model.a;
    model.f = SquareMatrix(n);
    for (int j = 0; j < n; ++j)
        std::swap(model.f->at(0, j), model.u->at(0, j));
    return model;
}

LeslieTable randomTable(int n)
{
    std::mt19937 random(static_cast<unsigned>(n));
    std::uniform_real_distribution<double> fecundity(0, 0.2), survival(0.8, 1);
    LeslieTable table;
    for (int x = 0; x < n; ++x) {
        table.fecundity.push_back(fecundity(random));
        if (x + 1 < n)
            table.survival.push_back(survival(random));
    }
    return table;
}

Variation variation(PopulationModel model, const char *target)
{
    return FitTarget(std::move(model), *ParseTarget(target)).variation;
}

void sweep(benchmark::State &bench, const char *target)
{
    const Variation v = variation(denseModel(50), target);
    for (auto _ : bench)
        benchmark::DoNotOptimize(SweepLambda(v, 0, 2, 1000));
}
BENCHMARK_CAPTURE(sweep, entry, "a[3,7]")
    ->Name("SweepLambda/50 stages, dense, a[3,7], 1000 points")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(sweep, part, "F")
    ->Name("SweepLambda/50 stages, dense, F, 1000 points")
    ->Unit(benchmark::kMillisecond);

void breakEven(benchmark::State &bench, const char *target, double lambdaTarget)
{
    const Variation v = variation(denseModel(50), target);
    for (auto _ : bench)
        benchmark::DoNotOptimize(FindBreakEven(v, lambdaTarget));
}
BENCHMARK_CAPTURE(breakEven, row, "row[1]", 1.5)
    ->Name("FindBreakEven/50 stages, dense, row[1] to lambda1 1.5")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(breakEven, entry, "a[50,1]", 1.2)
    ->Name("FindBreakEven/50 stages, dense, a[50,1] to lambda1 1.2")
    ->Unit(benchmark::kMillisecond);

// One slider move: the model changed and lambda1, r and w recomputed.
void sliderMove(benchmark::State &bench)
{
    const Variation v = variation(denseModel(50), "a[3,7]");
    double value = 0;
    for (auto _ : bench) {
        value = value < 1 ? value + 0.01 : 0;
        benchmark::DoNotOptimize(GrowthAt(v, value));
    }
}
BENCHMARK(sliderMove)->Name("GrowthAt/50 stages, dense, one move")->Unit(benchmark::kMicrosecond);

void leslieLambda(benchmark::State &bench)
{
    const LeslieTable table = randomTable(201);
    for (auto _ : bench)
        benchmark::DoNotOptimize(LeslieLambda(table));
}
BENCHMARK(leslieLambda)->Name("LeslieLambda/201 classes")->Unit(benchmark::kMicrosecond);

void leslieMatrixLambda(benchmark::State &bench)
{
    const SquareMatrix a = ProjectionMatrix(randomTable(201));
    for (auto _ : bench)
        benchmark::DoNotOptimize(DominantEigenvalue(a));
}
BENCHMARK(leslieMatrixLambda)
    ->Name("DominantEigenvalue/201-class Leslie matrix")
    ->Unit(benchmark::kMicrosecond);

void leslieSweep(benchmark::State &bench)
{
    const Variation v = variation(randomTable(201), "F");
    for (auto _ : bench)
        benchmark::DoNotOptimize(SweepLambda(v, 0, 2, 1000));
}
BENCHMARK(leslieSweep)
    ->Name("SweepLambda/201 classes, F, 1000 points")
    ->Unit(benchmark::kMillisecond);

} // namespace
