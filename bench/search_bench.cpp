// The root search evaluates f at every step, and the graph window's curve evaluates it at every
// plotted point; a long life table makes each evaluation some 200 direct powers.
#include "core/search.h"
#include "core/statistics.h"
#include "longtable.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace tarnvale;

void evaluateMatrix(benchmark::State &bench)
{
    AnalysisState state;
    double x = 1.21978759765625;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(EvaluateCharacteristic(state, kDefaultCellTexts, x));
    }
}
BENCHMARK(evaluateMatrix)->Name("EvaluateCharacteristic/matrix N=3");

void evaluateTable(benchmark::State &bench)
{
    // No young at age 0, 0.3 at every later age, every survival rate 0.5 (lambda about 0.711).
    AnalysisState state = test::LongTable(0.3, 0.5, static_cast<int>(bench.range(0)));
    double x = 0.711;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(EvaluateCharacteristic(state, kDefaultCellTexts, x));
    }
}
BENCHMARK(evaluateTable)->Name("EvaluateCharacteristic/table")->ArgName("N")->Arg(3)->Arg(200);

// "Try" from 0 and 2, then "Bisection" and "Exchange" on the table's texts until a step accepts
// its point, then the statistics: what a user's whole run of clicks costs.
void wholeSearch(benchmark::State &bench)
{
    const AnalysisState table = test::LongTable(0.3, 0.5);
    int steps = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        AnalysisState state = table;
        bench.ResumeTiming();
        const TrialResult trial = TryBracket(state, kDefaultCellTexts, "0", "2");
        BracketTexts texts {"0", "2", "", trial.fx1Text, trial.fx2Text, ""};
        for (;;) {
            const StepResult step = BisectStep(state, kDefaultCellTexts, texts.x1, texts.x2);
            texts.x3 = step.x3Text;
            texts.fx3 = step.fx3Text;
            if (!step.ok || step.accepted)
                break;
            texts = ExchangeBracket(state, texts).texts;
        }
        benchmark::DoNotOptimize(AcceptRoot(state, kDefaultCellTexts));
        steps = *state.StepCount - 1;
    }
    bench.counters["steps"] = steps;
}
BENCHMARK(wholeSearch)->Name("Whole search/table N=200")->Unit(benchmark::kMicrosecond);

} // namespace
