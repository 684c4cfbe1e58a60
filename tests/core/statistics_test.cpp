#include "core/statistics.h"

#include "core/numbertext.h"
#include "tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <random>
#include <utility>
#include <vector>

using namespace tarnvale;

namespace {

TEST(ComputeNetReproductiveRate, BothModes)
{
    AnalysisState state;
    EXPECT_EQ(ComputeNetReproductiveRate(state, kDefaultCellTexts), 1.75);
    EXPECT_FALSE(state.SurvivalProduct.has_value());
    EXPECT_EQ(ComputeNetReproductiveRate(state, withCells({{0, "0.5"}, {14, "1"}})), 2.5);
    state = tableState({0.5, 2, 4}, {0.5, 0.25});
    EXPECT_EQ(ComputeNetReproductiveRate(state, kNoCells), 0.5 + 0.5 * 2 + 0.125 * 4);
    EXPECT_EQ(state.SurvivalProduct, 0.125);
}

TEST(AcceptRoot, WorkedRunFigures)
{
    AnalysisState state;
    const SearchRun run = RunSearch(state, kDefaultCellTexts, "0", "2");
    ASSERT_TRUE(run.accepted);
    EXPECT_EQ(state.Lambda, 1.21978759765625);
    EXPECT_EQ(state.NetReproductiveRate, 1.75);
    EXPECT_NEAR(*state.IntrinsicRate, 0.198677, 5e-7);
    EXPECT_NEAR(*state.GenerationTime, 2.816715, 5e-7);
    EXPECT_NEAR(*state.DoublingTime, 3.488819, 5e-7);
    const double shares[] = {0.530869, 0.217607, 0.178398, 0.073126};
    for (int x = 0; x < 4; ++x)
        EXPECT_NEAR(*state.StableAgeDist[x], shares[x], 5e-7) << x;
    EXPECT_NEAR(state.BirthRate, 0.647547, 5e-7);
    EXPECT_NEAR(state.SurvivalRate, 0.572240, 5e-7);
    EXPECT_NEAR(state.DeathRate, 0.427760, 5e-7);
    EXPECT_EQ(state.LastAgeClass, 3);

    // Each box shows its own value.
    EXPECT_EQ(run.results.finiteRate, "1.21978759765625");
    EXPECT_EQ(run.results.netReproductiveRate, "1.75");
    EXPECT_EQ(run.results.intrinsicRate, NumberToText(*state.IntrinsicRate));
    EXPECT_EQ(run.results.generationTime, NumberToText(*state.GenerationTime));
    EXPECT_EQ(run.results.doublingTime, NumberToText(*state.DoublingTime));
    EXPECT_EQ(run.results.birthRate, NumberToText(state.BirthRate));
    EXPECT_EQ(run.results.survivalRate, NumberToText(state.SurvivalRate));
    EXPECT_EQ(run.results.deathRate, NumberToText(state.DeathRate));
}

TEST(AcceptRoot, EveryoneInTheFirstAgeClass)
{
    // One age class, and a matrix with s(0) = 0 (f(x) = x^4 - 2 x^3): b = lambda, s = 0, d = 1,
    // and T = ln R0 / ln lambda = 1 with R0 = lambda.
    struct Case
    {
        AnalysisState state;
        CellTexts cells;
        double lambda;
        std::vector<double> sad;
    };
    const Case cases[] = {{tableState({1.5}), kNoCells, 1.5, {1}},
                          {AnalysisState {}, withCells({{0, "2"}, {4, "0"}}), 2, {1, 0, 0, 0}}};
    for (const Case &c : cases) {
        AnalysisState state = c.state;
        state.X3 = c.lambda;
        state.NetReproductiveRate = ComputeNetReproductiveRate(state, c.cells);
        AcceptRoot(state, c.cells);
        EXPECT_EQ(state.NetReproductiveRate, c.lambda);
        EXPECT_EQ(sad(state), c.sad);
        EXPECT_EQ(state.BirthRate, c.lambda);
        EXPECT_EQ(state.SurvivalRate, 0.0);
        EXPECT_EQ(state.DeathRate, 1.0);
        EXPECT_EQ(state.GenerationTime, 1.0);
    }
}

TEST(AcceptRoot, DecliningPopulation)
{
    // R0 < 1 and 0 < lambda < 1: r and the doubling time are negative, T stays positive.
    AnalysisState state;
    const SearchRun run = RunSearch(
        state, withCells({{1, "0.5"}, {2, "0.5"}, {3, "0.5"}, {4, "0.5"}, {9, "0.5"}, {14, "0.5"}}),
        "0", "2");
    ASSERT_TRUE(run.accepted);
    EXPECT_EQ(state.NetReproductiveRate, 0.4375);
    EXPECT_TRUE(*state.Lambda > 0 && *state.Lambda < 1) << *state.Lambda;
    EXPECT_GT(*state.GenerationTime, 0);
    EXPECT_EQ(run.results.doublingTime.substr(0, 1), "-");
    EXPECT_EQ(run.results.intrinsicRate.substr(0, 1), "-");
}

TEST(AcceptRoot, UndefinedResultsShowAsUndefined)
{
    struct Case
    {
        double x3, r0;
        std::vector<std::string> texts; // lambda, R0, T, doubling time, r
        bool distribution; // a SAD, and with it the rates at the SAD
    };
    const std::string u = "undefined";
    const Case cases[] = {
        {-0.5, 1.75, {"-0.5", "1.75", u, u, u}, false},
        {1.5, 0, {"1.5", "0", u, "1.70951129135145", "0.405465108108164"}, true},
        {1, 1, {"1", "1", u, u, "0"}, true},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        state.X3 = c.x3;
        state.NetReproductiveRate = c.r0;
        const PopulationParameterTexts t = AcceptRoot(state, kDefaultCellTexts);
        EXPECT_EQ(t, PopulationParameters(state)) << c.x3;
        EXPECT_EQ((std::vector<std::string> {t.finiteRate, t.netReproductiveRate, t.generationTime,
                                             t.doublingTime, t.intrinsicRate}),
                  c.texts);
        for (const std::string &rate : {t.birthRate, t.survivalRate, t.deathRate})
            EXPECT_EQ(rate.empty() || rate == u ? rate : "a number",
                      c.distribution ? "a number" : u)
                << c.x3;
        EXPECT_EQ(state.Lambda, c.x3);
        EXPECT_EQ(state.StableAgeDist[0].has_value(), c.distribution) << c.x3;
    }
}

TEST(AcceptRoot, AcceptingAgainOverwritesEveryResult)
{
    AnalysisState state;
    state.StableAgeDist[10] = 7; // beyond the matrix's four age classes: never touched
    state.NetReproductiveRate = 1.75; // every step writes it; only an acceptance shows it
    EXPECT_EQ(PopulationParameters(state), PopulationParameterTexts {});

    state.X3 = 1.21978759765625;
    AcceptRoot(state, kDefaultCellTexts);
    EXPECT_NEAR(*state.StableAgeDist[3], 0.073126, 5e-7);
    state.X3 = -1;
    const PopulationParameterTexts undefined = AcceptRoot(state, kDefaultCellTexts);
    EXPECT_EQ(undefined.finiteRate, "-1");
    EXPECT_EQ(undefined.birthRate, "undefined");
    EXPECT_EQ(sad(state), std::vector<double>(4, -1));
    EXPECT_EQ(state.StableAgeDist[10], 7.0);
    EXPECT_EQ(state.BirthRate, 0.0);
}

TEST(ComputeStableAgeDistribution, WeightsBeyondTheDoubleRange)
{
    // 201 age classes that all survive, lambda 0.01: l(x) / lambda^x = 100^x leaves the double
    // range at x = 155, yet the shares are a plain geometric series.
    AnalysisState state = tableState(std::vector<double>(201, 0.0), std::vector<double>(200, 1.0));
    state.Lambda = 0.01;
    ASSERT_TRUE(ComputeStableAgeDistribution(state, kNoCells));
    const std::vector<double> shares = sad(state);
    EXPECT_NEAR(std::accumulate(shares.begin(), shares.end(), 0.0), 1.0, 1e-12);
    EXPECT_NEAR(shares[200], 0.99, 1e-12);
    for (int x = 150; x < 200; ++x)
        EXPECT_NEAR(shares[x + 1] / shares[x], 100.0, 1e-9) << x;
    EXPECT_TRUE(std::all_of(shares.begin(), shares.end(), [](double v) { return v >= 0; }));
}

TEST(CanDrawStableAgeDistribution, OnlyAFinitePositiveRoot)
{
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<std::optional<double>, bool> cases[]
        = {{{}, false}, {0.0, false}, {-0.5, false},         {1e-300, true},
           {1.5, true}, {inf, false}, {std::nan(""), false}, {-inf, false}};
    for (const auto &[lambda, drawable] : cases) {
        AnalysisState state;
        state.Lambda = lambda;
        EXPECT_EQ(CanDrawStableAgeDistribution(state), drawable) << lambda.value_or(-99);
    }
}

// The dominant eigenvalue and its eigenvector (scaled to sum 1) of the Leslie matrix with first
// row `f` and sub-diagonal `s`, by power iteration on the matrix itself.
struct Eigen
{
    double value = 0;
    std::vector<double> vector;
    bool converged = false;
};

Eigen powerIteration(const std::vector<double> &f, const std::vector<double> &s)
{
    const std::size_t n = f.size();
    std::vector<double> v(n, 1.0 / n), next(n);
    Eigen e;
    for (int iteration = 0; iteration < 2'000'000 && !e.converged; ++iteration) {
        next[0] = std::inner_product(f.begin(), f.end(), v.begin(), 0.0);
        for (std::size_t i = 0; i + 1 < n; ++i)
            next[i + 1] = s[i] * v[i];
        const double total = std::accumulate(next.begin(), next.end(), 0.0);
        double change = 0;
        for (std::size_t i = 0; i < n; ++i) {
            next[i] /= total;
            change = std::max(change, std::fabs(next[i] - v[i]));
        }
        v.swap(next);
        e.value = total; // v summed to 1 before the product
        e.converged = change < 4e-16;
    }
    e.vector = v;
    return e;
}

// The search's lambda and SAD against the power iteration of the same Leslie matrix, given as a
// table or, when `cells` are given, as the matrix they describe. The true root lies inside the
// bracket the accepting step bisected, so lambda may be off by half its width (and the 15 digits
// of a text); a share of age x moves by about (x + L) times the relative error of lambda.
void compareWithEigen(const std::vector<double> &f, const std::vector<double> &s,
                      const std::string &x2, const CellTexts *cells = nullptr)
{
    const Eigen eigen = powerIteration(f, s);
    ASSERT_TRUE(eigen.converged);
    AnalysisState state = cells ? AnalysisState {} : tableState(f, s);
    const SearchRun run = RunSearch(state, cells ? *cells : kNoCells, "0", x2);
    ASSERT_TRUE(run.accepted);
    const double halfWidth
        = std::fabs(TextToNumber(run.bracket.x2).value - TextToNumber(run.bracket.x1).value) / 2;
    const double reach = halfWidth + 1e-14 * eigen.value;
    EXPECT_NEAR(*state.Lambda, eigen.value, reach);
    const double relative = reach / eigen.value;
    const std::vector<double> shares = sad(state);
    ASSERT_EQ(shares.size(), eigen.vector.size());
    const double last = static_cast<double>(shares.size() - 1);
    for (std::size_t x = 0; x < shares.size(); ++x)
        EXPECT_NEAR(shares[x], eigen.vector[x],
                    2 * (double(x) + last + 1) * relative * eigen.vector[x] + 1e-13)
            << "age " << x;
}

TEST(RootSearch, AgreesWithPowerIterationOnRandomPopulations)
{
    std::mt19937 random(20240531);
    std::uniform_real_distribution<double> fecundity(0.05, 3.0), survival(0.05, 1.0);
    for (int trial = 0; trial < 12; ++trial) {
        SCOPED_TRACE("table " + std::to_string(trial));
        std::vector<double> f(2 + trial % 9), s(f.size() - 1);
        std::generate(f.begin(), f.end(), [&] { return fecundity(random); });
        std::generate(s.begin(), s.end(), [&] { return survival(random); });
        compareWithEigen(f, s, "100");
    }
    for (int trial = 0; trial < 8; ++trial) {
        SCOPED_TRACE("matrix " + std::to_string(trial));
        // The cells carry 15 digits; the matrix is the one those texts describe.
        CellTexts cells = kDefaultCellTexts;
        const auto put = [&cells](int cell, double value) {
            cells[cell] = NumberToText(value);
            return TextToNumber(cells[cell]).value;
        };
        std::vector<double> f(4), s(3);
        for (int i = 0; i < 4; ++i)
            f[i] = put(i, fecundity(random));
        const int survivalCells[] = {4, 9, 14};
        for (int i = 0; i < 3; ++i)
            s[i] = put(survivalCells[i], survival(random));
        compareWithEigen(f, s, "10", &cells);
    }
}

TEST(RootSearch, AgreesWithPowerIterationOnLongTables)
{
    std::mt19937 random(99);
    std::uniform_real_distribution<double> fecundity(0.0, 0.4), survival(0.9, 1.0);
    std::vector<double> f(201), s(200);
    std::generate(f.begin(), f.end(), [&] { return fecundity(random); });
    std::generate(s.begin(), s.end(), [&] { return survival(random); });
    compareWithEigen(f, s, "2");

    // Every term of f is tiny near this root, where the relative test does the work: |f(0.5)|,
    // the second point bisected, is about 4e-59, and the absolute test alone would stop there.
    std::vector<double> declining(201, 0.3);
    declining[0] = 0;
    compareWithEigen(declining, std::vector<double>(200, 0.5), "2");
}

} // namespace
