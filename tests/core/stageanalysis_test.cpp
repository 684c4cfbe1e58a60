// The analysis of stage models against computations written out here: power iteration with its
// Collatz-Wielandt bounds, finite differences, known spectra, cycles counted by hand, a
// truncated Neumann series for R0, and the Leslie analysis on Leslie tables.
#include "core/projection.h"
#include "core/stageanalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace tarnvale;

StageModel Model(SquareMatrix a)
{
    StageModel model;
    model.a = std::move(a);
    return model;
}

SquareMatrix Matrix(int n, std::vector<double> rowByRow)
{
    SquareMatrix a(n);
    a.values = std::move(rowByRow);
    return a;
}

void ExpectRelative(double actual, double expected, double tolerance, const std::string &what)
{
    EXPECT_LE(std::fabs(actual - expected),
              tolerance * std::max(std::fabs(actual), std::fabs(expected)))
        << what << ": " << actual << " against " << expected;
}

// lambda1 with its right and left vectors by power iteration (w sums to 1, v's first entry is
// 1), and the Collatz-Wielandt bounds min (A w)_i / w_i <= lambda1 <= max (A w)_i / w_i.
struct Power
{
    double lambda = 0, lower = 0, upper = 0;
    std::vector<double> w, v;
};

std::vector<double> Apply(const SquareMatrix &a, const std::vector<double> &x, bool transposed)
{
    std::vector<double> y(x.size(), 0.0);
    for (int i = 0; i < a.n; ++i)
        for (int j = 0; j < a.n; ++j)
            y[i] += (transposed ? a.at(j, i) : a.at(i, j)) * x[j];
    return y;
}

SquareMatrix Product(const SquareMatrix &a, const SquareMatrix &b)
{
    SquareMatrix c(a.n);
    for (int i = 0; i < a.n; ++i)
        for (int j = 0; j < a.n; ++j)
            for (int l = 0; l < a.n; ++l)
                c.at(i, j) += a.at(i, l) * b.at(l, j);
    return c;
}

Power PowerIteration(const SquareMatrix &a)
{
    Power p;
    for (bool transposed : {false, true}) {
        std::vector<double> x(a.n, 1.0);
        for (int step = 0; step < 20000; ++step) {
            std::vector<double> y = Apply(a, x, transposed);
            double sum = 0, change = 0;
            for (double value : y)
                sum += value;
            for (int i = 0; i < a.n; ++i) {
                change = std::max(change, std::fabs(y[i] / sum - x[i]));
                x[i] = y[i] / sum;
            }
            if (change < 1e-17)
                break;
        }
        (transposed ? p.v : p.w) = x;
    }
    const double first = p.v[0];
    for (double &value : p.v)
        value /= first;
    const std::vector<double> aw = Apply(a, p.w, false);
    double sumAw = 0;
    p.lower = INFINITY;
    for (int i = 0; i < a.n; ++i) {
        sumAw += aw[i];
        p.lower = std::min(p.lower, aw[i] / p.w[i]);
        p.upper = std::max(p.upper, aw[i] / p.w[i]);
    }
    p.lambda = sumAw; // w sums to 1
    return p;
}

// A primitive matrix: a cycle through every stage, a loop at the first, and random entries at
// about `density` of the other places.
SquareMatrix RandomPrimitive(std::mt19937 &random, int n, double density)
{
    std::uniform_real_distribution<double> uniform(0, 1);
    SquareMatrix a(n);
    for (double &value : a.values)
        value = uniform(random) < density ? uniform(random) : 0.0;
    for (int j = 0; j < n; ++j)
        a.at((j + 1) % n, j) = 0.1 + uniform(random);
    a.at(0, 0) = 0.1 + uniform(random);
    return a;
}

TEST(AnalyseStage, agreesWithPowerIterationAndFiniteDifferences)
{
    std::mt19937 random(2024);
    for (int trial = 0; trial < 24; ++trial) {
        const int n = 2 + trial % 12;
        const SquareMatrix a = RandomPrimitive(random, n, trial < 12 ? 1.0 : 0.25);
        const std::string name = "trial " + std::to_string(trial);
        const StageAnalysis analysis = AnalyseStage(Model(a));
        const Power power = PowerIteration(a);
        ASSERT_TRUE(analysis.lambda && analysis.stableDistribution && analysis.reproductiveValues
                    && analysis.sensitivity && analysis.elasticity)
            << name;
        EXPECT_TRUE(analysis.primitive && analysis.irreducible && *analysis.ergodic) << name;
        EXPECT_GE(*analysis.lambda, power.lower * (1 - 1e-14)) << name;
        EXPECT_LE(*analysis.lambda, power.upper * (1 + 1e-14)) << name;
        ExpectRelative(*analysis.lambda, power.lambda, 1e-12, name);
        ExpectRelative(*DominantEigenvalue(a), power.lambda, 1e-12, name);
        double elasticitySum = 0;
        for (int i = 0; i < n; ++i) {
            ExpectRelative((*analysis.stableDistribution)[i], power.w[i], 1e-10, name + " w");
            ExpectRelative((*analysis.reproductiveValues)[i], power.v[i], 1e-10, name + " v");
            for (int j = 0; j < n; ++j)
                elasticitySum += analysis.elasticity->at(i, j);
        }
        EXPECT_NEAR(elasticitySum, 1.0, 1e-12) << name;
        // d lambda1 / d a(i, j) by central differences, at a place that may hold a zero.
        const int i = trial % n, j = (trial * 7 + 3) % n;
        const double h = 1e-5;
        SquareMatrix up = a, down = a;
        up.at(i, j) += h;
        down.at(i, j) -= h; // a zero entry too: lambda1 is smooth in the entries
        const double difference
            = (PowerIteration(up).lambda - PowerIteration(down).lambda) / (2 * h);
        ExpectRelative(analysis.sensitivity->at(i, j), difference, 1e-6, name + " S");
        ExpectRelative(analysis.elasticity->at(i, j),
                       analysis.sensitivity->at(i, j) * a.at(i, j) / *analysis.lambda, 1e-12,
                       name + " E");
    }
}

TEST(AnalyseStage, findsTheSecondModulusOfKnownSpectra)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(0.1, 1);
    const double pi = std::acos(-1.0);
    for (int n = 2; n <= 9; ++n) {
        // A circulant matrix, a(i, j) = c((j - i) mod n): its eigenvalues are the DFT of c.
        std::vector<double> c(n);
        for (double &value : c)
            value = uniform(random);
        SquareMatrix circulant(n);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                circulant.at(i, j) = c[(j - i + n) % n];
        std::vector<double> moduli;
        for (int k = 0; k < n; ++k) {
            std::complex<double> sum = 0;
            for (int j = 0; j < n; ++j)
                sum += c[j] * std::polar(1.0, 2 * pi * j * k / n);
            moduli.push_back(std::abs(sum));
        }
        const double first = moduli[0]; // the sum of c, the largest
        const double second = *std::max_element(moduli.begin() + 1, moduli.end());
        const StageAnalysis circular = AnalyseStage(Model(circulant));
        ExpectRelative(*circular.lambda, first, 1e-13, "circulant lambda1");
        ExpectRelative(*circular.secondModulus, second, 1e-12, "circulant |lambda2|");
        ExpectRelative(*circular.dampingRatio, first / second, 1e-12, "circulant rho");
        ASSERT_EQ(circular.eigenvalues.size(), static_cast<std::size_t>(n));

        // An upper triangular matrix: its eigenvalues are its diagonal, each stage a class.
        SquareMatrix triangle(n);
        std::vector<double> diagonal;
        for (int i = 0; i < n; ++i)
            for (int j = i; j < n; ++j)
                triangle.at(i, j) = uniform(random);
        for (int i = 0; i < n; ++i)
            diagonal.push_back(triangle.at(i, i));
        std::sort(diagonal.rbegin(), diagonal.rend());
        const StageAnalysis triangular = AnalyseStage(Model(triangle));
        EXPECT_EQ(*triangular.lambda, diagonal[0]);
        EXPECT_EQ(*triangular.secondModulus, diagonal[1]);
        for (int k = 0; k < n; ++k)
            EXPECT_EQ(triangular.eigenvalues[k], diagonal[k]);
        EXPECT_FALSE(triangular.irreducible || triangular.period);
    }
}

TEST(StructureOf, countsTheCyclesOfTheLifeCycle)
{
    struct Case
    {
        const char *name;
        SquareMatrix a;
        bool irreducible;
        std::optional<int> period;
    };
    const Case cases[] = {
        // Age 2 reproduces at no age and leads nowhere back: stage 3 cannot reach stage 1.
        {"post-reproductive stage", Matrix(3, {0, 2, 0, 0.5, 0, 0, 0, 0.3, 0}), false, {}},
        {"two stages swapping", Matrix(2, {0, 4, 0.5, 0}), true, 2},
        {"cycles of 2 and 4", Matrix(4, {0, 1, 0, 1, .5, 0, 0, 0, 0, .5, 0, 0, 0, 0, .5, 0}), true,
         2},
        {"Bernardelli's beetle", Matrix(3, {0, 0, 6, 0.5, 0, 0, 0, 1.0 / 3, 0}), true, 3},
        {"cycles of 2 and 3", Matrix(3, {0, 1, 1, .5, 0, 0, 0, .5, 0}), true, 1},
        {"stasis in a cycle of 3", Matrix(3, {0.1, 0, 6, 0.5, 0, 0, 0, 0.3, 0}), true, 1},
        {"two separate cycles", Matrix(2, {1, 0, 0, 1}), false, {}},
        {"one stage, no young", Matrix(1, {0}), true, {}},
        {"one stage", Matrix(1, {0.7}), true, 1},
    };
    for (const Case &c : cases) {
        const MatrixStructure structure = StructureOf(c.a);
        EXPECT_EQ(structure.irreducible, c.irreducible) << c.name;
        EXPECT_EQ(structure.period, c.period) << c.name;
        EXPECT_EQ(structure.primitive(), c.irreducible && c.period == 1) << c.name;
        const StageAnalysis analysis = AnalyseStage(Model(c.a));
        EXPECT_EQ(analysis.period, c.period) << c.name;
        if (c.period > 1) {
            EXPECT_EQ(analysis.secondModulus, analysis.lambda) << c.name;
            EXPECT_EQ(analysis.dampingRatio, 1.0) << c.name;
        }
    }
}

TEST(AnalyseStage, agreesWithAnalyseLeslieOnLeslieTables)
{
    std::mt19937 random(99);
    std::uniform_real_distribution<double> fecundity(0, 2), survival(0.3, 0.95);
    LeslieTable randomTable;
    for (int x = 0; x < 12; ++x) {
        randomTable.fecundity.push_back(x < 2 ? 0.0 : fecundity(random));
        if (x < 11)
            randomTable.survival.push_back(survival(random));
    }
    const LeslieTable tables[] = {
        {{0, 1.2, 1.5, 0.4, 0}, {0.6, 0.5, 0.4, 0.3}},
        {{0.2, 0.9, 1.4, 1.1}, {0.8, 0.7, 0.5}},
        {{0, 0.5, 0.4}, {0.3, 0.2}},
        {{1.5}, {}},
        randomTable,
    };
    for (const LeslieTable &table : tables) {
        const std::string name = "table of " + std::to_string(table.ageClasses());
        const LeslieAnalysis leslie = AnalyseLeslie(table);
        const StageAnalysis stage = AnalyseStage(StageModelFromLeslie(table));
        ExpectRelative(*stage.lambda, *leslie.lambda, 1e-12, name + " lambda1");
        ExpectRelative(*stage.netReproductiveRate, *leslie.netReproductiveRate, 1e-12,
                       name + " R0");
        if (leslie.generationTime)
            ExpectRelative(*stage.generationTime, *leslie.generationTime, 1e-10, name + " T");
        double lifeExpectancy = 0, survivorship = 1;
        for (int x = 0; x < table.ageClasses(); ++x) {
            const std::string at = name + ", age " + std::to_string(x);
            lifeExpectancy += survivorship;
            if (x + 1 < table.ageClasses())
                survivorship *= table.survival[x];
            ExpectRelative((*stage.stableDistribution)[x], (*leslie.stableAgeDistribution)[x],
                           1e-12, at + " w");
            ExpectRelative((*stage.reproductiveValues)[x], (*leslie.reproductiveValues)[x], 1e-12,
                           at + " v");
            ExpectRelative(stage.elasticity->at(0, x), (*leslie.elasticityFecundity)[x], 1e-12,
                           at + " E(F)");
            if (x + 1 < table.ageClasses())
                ExpectRelative(stage.elasticity->at(x + 1, x), (*leslie.elasticitySurvival)[x],
                               1e-12, at + " E(s)");
        }
        ExpectRelative((*stage.lifeExpectancy)[0], lifeExpectancy, 1e-13, name + " e0");
    }
}

TEST(AnalyseStage, findsR0AsTheSumOverGenerations)
{
    std::mt19937 random(31);
    std::uniform_real_distribution<double> uniform(0, 1);
    for (int trial = 0; trial < 12; ++trial) {
        const int n = 2 + trial % 6;
        StageModel model;
        model.u = SquareMatrix(n);
        model.f = SquareMatrix(n);
        for (int j = 0; j < n; ++j) {
            // Survival of about 0.9 shared out between stasis and growth to later stages.
            double left = 0.95 * uniform(random);
            for (int i = j; i < n && left > 0; ++i) {
                const double share = i + 1 == n ? left : left * uniform(random);
                model.u->at(i, j) = share;
                left -= share;
            }
            model.f->at(0, j) = j > 0 ? 3 * uniform(random) : 0.0;
            if (trial % 2)
                model.f->at(1, j) = uniform(random); // a second newborn stage
        }
        if (trial % 3 == 0)
            model.c = Matrix(n, std::vector<double>(n * n, 0.05));
        model.a = *SumOfParts(model);
        const std::string name = "trial " + std::to_string(trial);
        const StageAnalysis analysis = AnalyseStage(model);
        ASSERT_TRUE(analysis.netReproductiveRate) << name << ": " << analysis.whyNoR0;

        // N = I + U + U^2 + ..., then R0 as the spectral radius of (F + C) N by power iteration.
        SquareMatrix sum(n), term(n), births = *model.f;
        for (int i = 0; i < n; ++i)
            sum.at(i, i) = term.at(i, i) = 1;
        for (int k = 0; k < 2000; ++k) {
            term = Product(*model.u, term);
            for (std::size_t e = 0; e < sum.values.size(); ++e)
                sum.values[e] += term.values[e];
        }
        for (std::size_t e = 0; model.c && e < births.values.size(); ++e)
            births.values[e] += model.c->values[e];
        const SquareMatrix generation = Product(births, sum);
        ExpectRelative(*analysis.netReproductiveRate, PowerIteration(generation).lambda, 1e-12,
                       name);
        for (int j = 0; j < n; ++j) {
            double column = 0;
            for (int i = 0; i < n; ++i)
                column += sum.at(i, j);
            ExpectRelative((*analysis.lifeExpectancy)[j], column, 1e-12, name + " life expectancy");
        }
        EXPECT_EQ(*analysis.netReproductiveRate > 1, *analysis.lambda > 1) << name;
    }

    struct Case
    {
        const char *name;
        SquareMatrix u;
        std::optional<double> r0;
        const char *why;
    };
    const Case cases[] = {
        {"a stage that never dies",
         Matrix(2, {0.4, 0, 0.5, 1}),
         {},
         "U has spectral radius \u2265 1: individuals never die"},
        {"growth above 1 on the way out", Matrix(2, {0, 0, 1.5, 0}), 3.0, ""},
        {"growth above 1 in a loop",
         Matrix(2, {0.5, 2, 0.5, 0}),
         {},
         "U has spectral radius \u2265 1: individuals never die"},
    };
    for (const Case &c : cases) {
        StageModel model;
        model.u = c.u;
        model.f = Matrix(2, {0, 2, 0, 0});
        model.a = *SumOfParts(model);
        const StageAnalysis analysis = AnalyseStage(model);
        EXPECT_EQ(analysis.netReproductiveRate, c.r0) << c.name;
        EXPECT_EQ(analysis.whyNoR0, c.why) << c.name;
    }
    EXPECT_EQ(AnalyseStage(Model(Matrix(1, {2}))).whyNoR0, "the model is not split into U and F");

    // Without births R0 is 0: there are no stages of newborns to solve for (the fuzzer found
    // that solve reading an empty matrix).
    StageModel barren;
    barren.u = Matrix(2, {0, 0, 0.5, 0.3});
    barren.f = SquareMatrix(2);
    barren.a = *SumOfParts(barren);
    EXPECT_EQ(AnalyseStage(barren).netReproductiveRate, 0.0);
}

// Every number of an analysis is finite.
bool AllFinite(const StageAnalysis &a)
{
    std::vector<double> numbers;
    for (const auto *value :
         {&a.lambda, &a.intrinsicRate, &a.doublingTime, &a.netReproductiveRate, &a.generationTime,
          &a.conditionNumber, &a.secondModulus, &a.dampingRatio})
        if (*value)
            numbers.push_back(**value);
    for (const auto *values : {&a.lifeExpectancy, &a.stableDistribution, &a.reproductiveValues})
        if (*values)
            numbers.insert(numbers.end(), (*values)->begin(), (*values)->end());
    for (const auto *matrix : {&a.sensitivity, &a.elasticity})
        if (*matrix)
            numbers.insert(numbers.end(), (*matrix)->values.begin(), (*matrix)->values.end());
    for (std::complex<double> e : a.eigenvalues)
        numbers.insert(numbers.end(), {e.real(), e.imag()});
    return std::all_of(numbers.begin(), numbers.end(), [](double x) { return std::isfinite(x); });
}

TEST(AnalyseStage, leavesUndefinedWhatCannotBeComputed)
{
    struct Case
    {
        const char *name;
        SquareMatrix a;
        std::optional<double> lambda;
        bool vectors; // w, v, S and E defined
    };
    const Case cases[] = {
        {"all zero", SquareMatrix(3), 0.0, false},
        {"one stage, zero", SquareMatrix(1), 0.0, false},
        {"singular", Matrix(2, {1, 1, 1, 1}), 2.0, true},
        {"an entry of 1e300", Matrix(2, {0.5, 1e300, 0.2, 0.1}), 0.3 + std::sqrt(0.04 + 2e299),
         true},
        {"entries of 1e300 and 1e-300", Matrix(2, {1e-300, 1e300, 1e-300, 0}), 1.0, true},
        // v of the first stage, 6.7e117 / 1e-300, lies beyond the double range.
        {"a huge entry into a stage of lambda1 1e-300", Matrix(2, {0, 0, 6.7e117, 1e-300}), 1e-300,
         false},
        {"two separate parts alike", Matrix(2, {2, 0, 0, 2}), 2.0, false},
        {"one part feeding a like one", Matrix(2, {2, 0, 1, 2}), 2.0, false},
        {"a part feeding a slower one", Matrix(3, {0, 4, 0, 0.5, 0, 0, 0, 0.5, 0.3}),
         std::sqrt(2.0), true},
    };
    for (const Case &c : cases) {
        const StageAnalysis analysis = AnalyseStage(Model(c.a));
        EXPECT_TRUE(AllFinite(analysis)) << c.name;
        ASSERT_TRUE(analysis.lambda) << c.name;
        ExpectRelative(*analysis.lambda, *c.lambda, 1e-14, c.name);
        EXPECT_EQ(analysis.elasticity.has_value(), c.vectors) << c.name;
        EXPECT_EQ(analysis.sensitivity.has_value(), c.vectors) << c.name;
        EXPECT_EQ(analysis.conditionNumber.has_value(), c.vectors) << c.name;
        EXPECT_EQ(analysis.eigenvalues.size(), static_cast<std::size_t>(c.a.n)) << c.name;
    }
    // Exact zeros from the life cycle: w where the slower part is not reached, v where a stage
    // does not lead back; the feeding part leads the chain of like parts.
    const StageAnalysis chain = AnalyseStage(Model(Matrix(2, {2, 0, 1, 2})));
    EXPECT_EQ(chain.stableDistribution, (std::vector<double> {0, 1}));
    EXPECT_EQ(chain.reproductiveValues, (std::vector<double> {1, 0}));
    EXPECT_EQ(chain.secondModulus, 2.0);
    const StageAnalysis feeding = AnalyseStage(Model(Matrix(3, {0, 4, 0, 0.5, 0, 0, 0, 0.5, 0.3})));
    EXPECT_EQ((*feeding.reproductiveValues)[2], 0.0);
    EXPECT_GT((*feeding.stableDistribution)[2], 0.0);
    EXPECT_EQ(feeding.ergodic, false);
    EXPECT_FALSE(AnalyseStage(Model(SquareMatrix(3))).ergodic);

    // A refused model: nothing at all.
    const StageAnalysis refused = AnalyseStage(Model(Matrix(2, {1, -1, 0, 1})));
    EXPECT_EQ(refused.stages, 2);
    EXPECT_FALSE(refused.lambda || refused.stableDistribution || !refused.eigenvalues.empty());
    EXPECT_FALSE(DominantEigenvalue(Matrix(1, {NAN})));
}

TEST(CheckStageModel, namesThePartRowAndColumn)
{
    const StageModel sound = StageModelFromLeslie({{0, 1, 2}, {0.5, 0.5}});
    EXPECT_EQ(CheckStageModel(sound), std::nullopt);
    EXPECT_EQ(SumOfParts(sound), sound.a);
    EXPECT_EQ(StageName(sound, 2), "2");
    EXPECT_EQ(StageName(Model(SquareMatrix(3)), 2), "3");
    struct Case
    {
        void (*change)(StageModel &);
        const char *message;
    };
    const Case cases[] = {
        {[](StageModel &m) { m.f->at(0, 2) = -2; }, "F, row 1, column 3: -2 is negative"},
        {[](StageModel &m) { m.a.at(1, 0) = INFINITY; },
         "A, row 2, column 1: the entry is not a finite number"},
        {[](StageModel &m) { m.c = SquareMatrix(2); }, "C has 2 stages where A has 3"},
        {[](StageModel &m) { m.u.reset(); }, "F is given without U"},
        {[](StageModel &m) { m.u->values.pop_back(); }, "U holds 8 entries where 3 stages need 9"},
        {[](StageModel &m) { m.names.pop_back(); }, "the model has 2 stage names for 3 stages"},
        {[](StageModel &m) { m = StageModel(); }, "the model has no stage"},
        {[](StageModel &m) { m = Model(SquareMatrix(501)); },
         "the model has 501 stages; at most 500 can be analysed"},
    };
    for (const Case &c : cases) {
        StageModel model = sound;
        c.change(model);
        EXPECT_EQ(CheckStageModel(model), c.message);
    }
}

TEST(ProjectMatrix, followsTheMatrixProductAndNamesStages)
{
    std::mt19937 random(5);
    const SquareMatrix a = RandomPrimitive(random, 4, 0.5);
    const StageAnalysis analysis = AnalyseStage(Model(a));
    const StartVector start
        = MakeStartVector(4, analysis.stableDistribution, StartChoice::FirstClass);
    const Projection p = ProjectMatrix(a, start.shares, 100, analysis.stableDistribution);
    std::vector<double> n = start.shares;
    for (int t = 0; t <= 100; ++t) {
        double total = 0;
        for (double value : n)
            total += value;
        ExpectRelative(*p.total[t], total, 1e-12, "N(" + std::to_string(t) + ")");
        n = Apply(a, n, false);
    }
    EXPECT_TRUE(p.convergenceTime);

    // A Leslie matrix projects as its table does.
    const LeslieTable table {{0, 1.2, 1.5, 0.4, 0}, {0.6, 0.5, 0.4, 0.3}};
    const Projection leslie = ProjectLeslie(table, {1, 0, 0, 0, 0}, 100, std::nullopt);
    const Projection stage
        = ProjectMatrix(StageModelFromLeslie(table).a, {1, 0, 0, 0, 0}, 100, std::nullopt);
    ExpectRelative(stage.logTotal[100], leslie.logTotal[100], 1e-13, "ln N(100)");

    struct Case
    {
        const char *typed;
        std::vector<std::string> names;
        const char *message;
    };
    const Case cases[] = {
        {"1 2", {}, "give 3 numbers, one for each stage; there are 2"},
        {"1 -1 2", {}, "stage 2: -1 is negative"},
        {"1 x 2",
         {"seed", "juvenile", "adult"},
         "stage juvenile: \"x\" is not a finite decimal number"},
        {"1 1 2", {}, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(MakeStartVector(3, std::nullopt, StartChoice::Typed, c.typed, c.names).message,
                  c.message);
    EXPECT_EQ(MakeStartVector(3, std::nullopt, StartChoice::Stable).message,
              "the stable stage distribution is undefined");
    EXPECT_EQ(MakeStartVector(0, std::nullopt, StartChoice::Equal).message,
              "the model has no stage");
}

} // namespace
