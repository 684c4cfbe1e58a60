#include "core/statistics.h"

#include "core/numbertext.h"
#include "searchrun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numeric>
#include <random>
#include <vector>

using namespace tarnvale;

namespace {

CellTexts withCells(std::initializer_list<std::pair<int, const char *>> changes)
{
    CellTexts cells = kDefaultCellTexts;
    for (const auto &[index, text] : changes)
        cells[index] = text;
    return cells;
}

void setTable(AnalysisState &state, const std::vector<double> &fecundity,
              const std::vector<double> &survival)
{
    state.DataLoaded = "Yes";
    state.LastAgeClass = static_cast<int>(fecundity.size()) - 1;
    for (std::size_t i = 0; i < fecundity.size(); ++i)
        state.Fecundity[i] = fecundity[i];
    for (std::size_t i = 0; i < survival.size(); ++i)
        state.Survival[i] = survival[i];
}

const CellTexts kNoCells {};

std::vector<double> sad(const AnalysisState &state)
{
    std::vector<double> shares;
    for (int x = 0; x <= *state.LastAgeClass; ++x)
        shares.push_back(state.StableAgeDist[x].value_or(-1));
    return shares;
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
    for (int iteration = 0; iteration < 2'000'000; ++iteration) {
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
        if (change < 4e-16) {
            e.converged = true;
            break;
        }
    }
    e.vector = v;
    return e;
}

TEST(ComputeNetReproductiveRate, BothModes)
{
    AnalysisState state;
    EXPECT_EQ(ComputeNetReproductiveRate(state, kDefaultCellTexts), 1.75);
    EXPECT_FALSE(state.SurvivalProduct.has_value());
    EXPECT_EQ(ComputeNetReproductiveRate(state, withCells({{0, "0.5"}, {14, "1"}})), 2.5);

    setTable(state, {0.5, 2, 4}, {0.5, 0.25});
    EXPECT_EQ(ComputeNetReproductiveRate(state, kNoCells), 0.5 + 0.5 * 2 + 0.125 * 4);
    EXPECT_EQ(state.SurvivalProduct, 0.125);
    setTable(state, {3}, {});
    EXPECT_EQ(ComputeNetReproductiveRate(state, kNoCells), 3.0);
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

    EXPECT_EQ(run.results.finiteRate, "1.21978759765625");
    EXPECT_EQ(run.results.netReproductiveRate, "1.75");
    EXPECT_EQ(run.results.intrinsicRate, NumberToText(*state.IntrinsicRate));
    EXPECT_EQ(run.results.generationTime, NumberToText(*state.GenerationTime));
    EXPECT_EQ(run.results.doublingTime, NumberToText(*state.DoublingTime));
    EXPECT_EQ(run.results.birthRate, NumberToText(state.BirthRate));
    EXPECT_EQ(run.results.survivalRate, NumberToText(state.SurvivalRate));
    EXPECT_EQ(run.results.deathRate, NumberToText(state.DeathRate));
    EXPECT_EQ(run.results, PopulationParameters(state));
}

TEST(AcceptRoot, OneAgeClass)
{
    AnalysisState state;
    setTable(state, {1.5}, {});
    state.X3 = 1.5;
    state.NetReproductiveRate = ComputeNetReproductiveRate(state, kNoCells);
    AcceptRoot(state, kNoCells);
    EXPECT_EQ(state.NetReproductiveRate, 1.5);
    EXPECT_EQ(sad(state), std::vector<double> {1});
    EXPECT_EQ(state.BirthRate, 1.5);
    EXPECT_EQ(state.SurvivalRate, 0.0);
    EXPECT_EQ(state.DeathRate, 1.0);
    EXPECT_EQ(state.GenerationTime, 1.0);
}

TEST(AcceptRoot, NoSurvivalFromTheFirstAgeClass)
{
    // s(0) = 0: f(x) = x^4 - 2 x^3, lambda = 2, everyone is in the first age class.
    const CellTexts cells = withCells({{0, "2"}, {4, "0"}});
    AnalysisState state;
    state.X3 = 2;
    state.NetReproductiveRate = ComputeNetReproductiveRate(state, cells);
    AcceptRoot(state, cells);
    EXPECT_EQ(sad(state), (std::vector<double> {1, 0, 0, 0}));
    EXPECT_EQ(state.BirthRate, 2.0);
    EXPECT_EQ(state.SurvivalRate, 0.0);
    EXPECT_EQ(state.DeathRate, 1.0);
}

TEST(AcceptRoot, DecliningPopulation)
{
    const CellTexts cells
        = withCells({{1, "0.5"}, {2, "0.5"}, {3, "0.5"}, {4, "0.5"}, {9, "0.5"}, {14, "0.5"}});
    AnalysisState state;
    const SearchRun run = RunSearch(state, cells, "0", "2");
    ASSERT_TRUE(run.accepted);
    EXPECT_EQ(state.NetReproductiveRate, 0.4375);
    EXPECT_GT(*state.Lambda, 0);
    EXPECT_LT(*state.Lambda, 1);
    EXPECT_LT(*state.IntrinsicRate, 0);
    EXPECT_LT(*state.DoublingTime, 0);
    EXPECT_GT(*state.GenerationTime, 0);
    EXPECT_EQ(run.results.doublingTime.substr(0, 1), "-");
    EXPECT_EQ(run.results.intrinsicRate.substr(0, 1), "-");
}

TEST(AcceptRoot, UndefinedResultsShowAsUndefined)
{
    struct Case
    {
        const char *what;
        double x3, r0;
        PopulationParameterTexts texts;
    };
    const std::string u = "undefined";
    const Case cases[] = {
        {"negative root", -0.5, 1.75, {"-0.5", "1.75", u, u, u, u, u, u}},
        {"root 0", 0, 1.75, {"0", "1.75", u, u, u, u, u, u}},
        {"R0 of 0", 1.5, 0, {"1.5", "0", u, "1.70951129135145", "0.405465108108164", "", "", ""}},
        {"negative R0",
         1.5,
         -2,
         {"1.5", "-2", u, "1.70951129135145", "0.405465108108164", "", "", ""}},
        {"root 1", 1, 1, {"1", "1", u, u, "0", "", "", ""}},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        state.X3 = c.x3;
        state.NetReproductiveRate = c.r0;
        const PopulationParameterTexts texts = AcceptRoot(state, kDefaultCellTexts);
        EXPECT_EQ(texts.finiteRate, c.texts.finiteRate) << c.what;
        EXPECT_EQ(texts.netReproductiveRate, c.texts.netReproductiveRate) << c.what;
        EXPECT_EQ(texts.generationTime, c.texts.generationTime) << c.what;
        EXPECT_EQ(texts.doublingTime, c.texts.doublingTime) << c.what;
        EXPECT_EQ(texts.intrinsicRate, c.texts.intrinsicRate) << c.what;
        const bool noDistribution = c.x3 <= 0;
        for (const std::string *rate : {&texts.birthRate, &texts.survivalRate, &texts.deathRate}) {
            if (noDistribution)
                EXPECT_EQ(*rate, u) << c.what;
            else
                EXPECT_TRUE(!rate->empty() && *rate != u) << c.what;
        }
        EXPECT_EQ(state.StableAgeDist[0].has_value(), !noDistribution) << c.what;
        EXPECT_EQ(state.Lambda, c.x3) << c.what;
        EXPECT_EQ(texts, PopulationParameters(state)) << c.what;
    }
}

TEST(AcceptRoot, AcceptingAgainOverwritesEveryResult)
{
    AnalysisState state;
    state.StableAgeDist[10] = 7; // beyond the matrix's four age classes: never touched
    state.X3 = -0.5;
    state.NetReproductiveRate = 1.75;
    AcceptRoot(state, kDefaultCellTexts);
    EXPECT_FALSE(state.StableAgeDist[3].has_value());

    state.X3 = 1.21978759765625;
    const PopulationParameterTexts defined = AcceptRoot(state, kDefaultCellTexts);
    for (const std::string *text :
         {&defined.finiteRate, &defined.netReproductiveRate, &defined.generationTime,
          &defined.doublingTime, &defined.intrinsicRate, &defined.birthRate, &defined.survivalRate,
          &defined.deathRate})
        EXPECT_TRUE(!text->empty() && *text != "undefined") << *text;
    EXPECT_NEAR(*state.StableAgeDist[3], 0.073126, 5e-7);

    state.X3 = -1;
    const PopulationParameterTexts undefined = AcceptRoot(state, kDefaultCellTexts);
    EXPECT_EQ(undefined.finiteRate, "-1");
    EXPECT_EQ(undefined.birthRate, "undefined");
    for (int x = 0; x < 4; ++x)
        EXPECT_FALSE(state.StableAgeDist[x].has_value()) << x;
    EXPECT_EQ(state.StableAgeDist[10], 7.0);
    EXPECT_EQ(state.BirthRate, 0.0);
}

TEST(PopulationParameters, EmptyBeforeTheFirstAcceptance)
{
    AnalysisState state;
    state.NetReproductiveRate = 1.75; // every step writes it; only an acceptance shows it
    EXPECT_EQ(PopulationParameters(state), PopulationParameterTexts {});
}

TEST(ComputeStableAgeDistribution, WeightsBeyondTheDoubleRange)
{
    // 201 age classes that all survive, lambda 0.01: l(x) / lambda^x = 100^x leaves the double
    // range at x = 155, yet the shares are a plain geometric series.
    AnalysisState state;
    setTable(state, std::vector<double>(201, 0.0), std::vector<double>(200, 1.0));
    state.Lambda = 0.01;
    ASSERT_TRUE(ComputeStableAgeDistribution(state, kNoCells));
    const std::vector<double> shares = sad(state);
    EXPECT_NEAR(std::accumulate(shares.begin(), shares.end(), 0.0), 1.0, 1e-12);
    EXPECT_NEAR(shares[200], 0.99, 1e-12);
    for (int x = 150; x < 200; ++x)
        EXPECT_NEAR(shares[x + 1] / shares[x], 100.0, 1e-9) << x;
    EXPECT_TRUE(std::all_of(shares.begin(), shares.end(),
                            [](double v) { return std::isfinite(v) && v >= 0; }));
}

TEST(ComputeStableAgeDistribution, NoDistributionForARootAtOrBelowZero)
{
    AnalysisState state;
    setTable(state, {0, 1, 1}, {0.5, 0.5});
    state.StableAgeDist[1] = 0.4;
    state.Lambda = 0;
    EXPECT_FALSE(ComputeStableAgeDistribution(state, kNoCells));
    EXPECT_FALSE(state.StableAgeDist[1].has_value());
    state.Lambda.reset();
    EXPECT_FALSE(ComputeStableAgeDistribution(state, kNoCells));
}

// The search's lambda and SAD against the power iteration of the same Leslie matrix. The true
// root lies inside the bracket the accepting step bisected, so lambda may be off by half its
// width (and the 15 digits of a text); a share of age x moves by about (x + L) times the
// relative error of lambda.
void compareWithEigen(AnalysisState &state, const CellTexts &cells, const std::vector<double> &f,
                      const std::vector<double> &s, const std::string &x2, const std::string &what)
{
    const Eigen eigen = powerIteration(f, s);
    ASSERT_TRUE(eigen.converged) << what;
    const SearchRun run = RunSearch(state, cells, "0", x2);
    ASSERT_TRUE(run.accepted) << what;
    const double halfWidth
        = std::fabs(TextToNumber(run.bracket.x2).value - TextToNumber(run.bracket.x1).value) / 2;
    const double reach = halfWidth + 1e-14 * eigen.value;
    EXPECT_NEAR(*state.Lambda, eigen.value, reach) << what;
    const double relative = reach / eigen.value;
    const std::vector<double> shares = sad(state);
    ASSERT_EQ(shares.size(), eigen.vector.size()) << what;
    const double last = static_cast<double>(shares.size() - 1);
    for (std::size_t x = 0; x < shares.size(); ++x)
        EXPECT_NEAR(shares[x], eigen.vector[x],
                    2 * (double(x) + last + 1) * relative * eigen.vector[x] + 1e-13)
            << what << " age " << x;
}

TEST(RootSearch, AgreesWithTheEigenvectorsOfRandomLeslieMatrices)
{
    std::mt19937 random(20240531);
    std::uniform_real_distribution<double> fecundity(0.05, 3.0), survival(0.05, 1.0);
    for (int trial = 0; trial < 12; ++trial) {
        const std::size_t n = 2 + trial % 9;
        std::vector<double> f(n), s(n - 1);
        for (double &v : f)
            v = fecundity(random);
        for (double &v : s)
            v = survival(random);
        AnalysisState state;
        setTable(state, f, s);
        compareWithEigen(state, kNoCells, f, s, "100", "table of " + std::to_string(n));
    }
}

TEST(RootSearch, AgreesWithTheEigenvectorsOfRandomMatrices)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> fecundity(0.0, 3.0), survival(0.05, 1.0);
    for (int trial = 0; trial < 8; ++trial) {
        std::vector<double> f(4), s(3);
        CellTexts cells = kDefaultCellTexts;
        // Cell texts carry 15 digits; the matrix is the one those texts describe.
        for (int i = 0; i < 4; ++i) {
            cells[i] = NumberToText(fecundity(random));
            f[i] = TextToNumber(cells[i]).value;
        }
        f[3] = std::max(f[3], 0.01);
        cells[3] = NumberToText(f[3]);
        const int survivalCells[] = {4, 9, 14};
        for (int i = 0; i < 3; ++i) {
            cells[survivalCells[i]] = NumberToText(survival(random));
            s[i] = TextToNumber(cells[survivalCells[i]]).value;
        }
        AnalysisState state;
        compareWithEigen(state, cells, f, s, "10", "matrix " + std::to_string(trial));
    }
}

TEST(RootSearch, AgreesWithTheEigenvectorOfALongTable)
{
    std::mt19937 random(99);
    std::uniform_real_distribution<double> fecundity(0.0, 0.4), survival(0.9, 1.0);
    std::vector<double> f(201), s(200);
    for (double &v : f)
        v = fecundity(random);
    for (double &v : s)
        v = survival(random);
    AnalysisState state;
    setTable(state, f, s);
    compareWithEigen(state, kNoCells, f, s, "2", "201 age classes");
}

TEST(RootSearch, AgreesWithTheEigenvectorOfADecliningLongTable)
{
    // Every term of f is tiny near this root, where the relative test does the work.
    std::vector<double> f(201, 0.3), s(200, 0.5);
    f[0] = 0;
    AnalysisState state;
    setTable(state, f, s);
    compareWithEigen(state, kNoCells, f, s, "2", "false-root table");
}

} // namespace
