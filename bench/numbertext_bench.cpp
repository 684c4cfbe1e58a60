// Number texts are written for every box the search fills and every line of the chart export.
#include "core/numbertext.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

std::vector<double> sampleValues()
{
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> share(-2.0, 2.0);
    std::vector<double> values(4096);
    for (double &v : values)
        v = share(random);
    return values;
}

void numberToText(benchmark::State &state)
{
    const std::vector<double> values = sampleValues();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(tarnvale::NumberToText(values[i++ % values.size()]));
}
BENCHMARK(numberToText);

// Exact ties take the slow path through the full decimal expansion.
void numberToTextTie(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(tarnvale::NumberToText(1.219757080078125));
}
BENCHMARK(numberToTextTie);

void textToNumber(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(tarnvale::TextToNumber(" -1.21978759765625E+00 "));
}
BENCHMARK(textToNumber);

} // namespace
