// "What if" against computations written out here: lambda1 and w by power iteration, the closed
// forms of a textbook Leslie matrix, and the true change of lambda1 beside an LTRE's sum.
#include "core/stageanalysis.h"
#include "core/whatif.h"
#include "poweriteration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

using namespace tarnvale;
using tarnvale::test::PowerIteration;

SquareMatrix Matrix(int n, std::vector<double> rowByRow)
{
    SquareMatrix a(n);
    a.values = std::move(rowByRow);
    return a;
}

StageModel Model(SquareMatrix a)
{
    StageModel model;
    model.a = std::move(a);
    return model;
}

Variation Fit(PopulationModel model, const char *target)
{
    const VariationFit fit = FitTarget(std::move(model), *ParseTarget(target));
    EXPECT_TRUE(fit.ok) << target << ": " << fit.message;
    return fit.variation;
}

// The Leslie matrix of the age-specific population growth example in Anton and Rorres,
// Elementary Linear Algebra: Applications Version (Wiley): F = (0, 4, 3), s = (1/2, 1/4). Its
// figures are checked here against the closed forms, not taken from the book: lambda1 = 3/2
// (lambda^3 - 2 lambda - 3/8 = 0) and R0 = 4/2 + 3/8 = 19/8.
const LeslieTable kAnton {{0, 4, 3}, {0.5, 0.25}};

TEST(WhatIf, breaksEvenAtTheClosedForms)
{
    struct Case
    {
        PopulationModel model;
        const char *target;
        double lambdaTarget, value, tolerance;
    };
    const StageModel antonMatrix = Model(ProjectionMatrix(kAnton));
    // Crouse, Crowder & Caswell (1987), Table 4, as examples/StageM-LoggerheadTurtle.csv holds it.
    const StageModel turtle
        = Model(Matrix(7, {0,      0, 0, 0, 127, 4, 80, 0.6747, 0.7370, 0, 0, 0, 0, 0, 0, 0.0486,
                           0.6610, 0, 0, 0, 0,   0, 0,  0.0147, 0.6907, 0, 0, 0, 0, 0, 0, 0.0518,
                           0,      0, 0, 0, 0,   0, 0,  0.8091, 0,      0, 0, 0, 0, 0, 0, 0.8091,
                           0.8089}));
    const Case cases[] = {
        {kAnton, "A", 1, 2.0 / 3, 1e-12}, // lambda1 scales with k: a harvest of 1/3
        {antonMatrix, "A", 1, 2.0 / 3, 1e-12},
        {kAnton, "row[1]", 1, 8.0 / 19, 1e-12}, // 1 / R0: a harvest of the youngest of 11/19
        {antonMatrix, "row[1]", 1, 8.0 / 19, 1e-12},
        {kAnton, "F", 1, 8.0 / 19, 1e-12},
        {kAnton, "A", 3, 2.0, 1e-12},
        {kAnton, "F(1)", 1, (1 - 0.375) / 0.5, 1e-12}, // 0.5 F(1) + 0.375 = 1
        {kAnton, "a[1,2]", 1, (1 - 0.375) / 0.5, 1e-12},
        {turtle, "row[1]", 1, 2.73180, 5e-6},
    };
    for (const Case &c : cases) {
        const Variation v = Fit(c.model, c.target);
        const BreakEven b = FindBreakEven(v, c.lambdaTarget);
        ASSERT_TRUE(b.value) << c.target << ": " << b.reason;
        EXPECT_NEAR(*b.value, c.value, c.tolerance * c.value) << c.target;
        EXPECT_EQ(b.reason, "");
        // lambda1 at the value, by power iteration on the changed matrix, is the target.
        const double lambda = PowerIteration(ProjectionMatrix(ChangedModel(v, *b.value))).first;
        EXPECT_NEAR(lambda, c.lambdaTarget, 1e-9) << c.target;
    }
    EXPECT_NEAR(*LeslieLambda(kAnton), 1.5, 1e-15);

    // The fecundities of a table of 1e300 rates break even below the double range: the smallest
    // positive double is the smallest value that reaches the target (the secant step once gave
    // 0, where lambda1 is 0).
    const Variation huge = Fit(ParseLeslieMatrix("1e300 1e300; 1e300 0").table, "row[1]");
    const BreakEven below = FindBreakEven(huge, 1000);
    ASSERT_TRUE(below.value) << below.reason;
    EXPECT_EQ(*below.value, std::numeric_limits<double>::denorm_min());
    EXPECT_GE(*LambdaAt(huge, *below.value), 1000);
}

TEST(WhatIf, saysWhyABreakEvenIsUnreachable)
{
    struct Case
    {
        PopulationModel model;
        const char *target;
        const char *reason;
    };
    // A cycle of ten stages whose rates multiply to 1e-18 F: F must reach 1e18, beyond a
    // million times its present 1.
    SquareMatrix longCycle(10);
    for (int j = 0; j + 1 < 10; ++j)
        longCycle.at(j + 1, j) = 0.01;
    longCycle.at(0, 9) = 1;
    const Case cases[] = {
        {Model(Matrix(2, {1.5, 1, 0.5, 0})), "a[1,2]", "already above 1 without it"},
        {Model(Matrix(2, {0.5, 0, 0.3, 0.2})), "a[2,1]",
         "this entry does not raise \u03bb1 enough: it lies on no cycle through the dominant part"},
        {Model(Matrix(2, {0.5, 0, 0, 0})), "row[2]",
         "these entries do not raise \u03bb1 enough: they lie on no cycle through the dominant "
         "part"},
        {LeslieTable {{0, 1, 5}, {0, 0.5}}, "F(2)",
         "this entry does not raise \u03bb1 enough: it lies on no cycle through the dominant part"},
        {Model(longCycle), "a[1,10]",
         "\u03bb1 stays below 1 up to 1000000, a million times the present value"},
    };
    for (const Case &c : cases) {
        const BreakEven b = FindBreakEven(Fit(c.model, c.target));
        EXPECT_FALSE(b.value) << c.target;
        EXPECT_EQ(b.reason, c.reason) << c.target;
    }
}

TEST(WhatIf, sweepsLambdaAsPowerIterationFindsIt)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(0, 1);
    SquareMatrix a(6);
    for (double &value : a.values)
        value = uniform(random) < 0.5 ? uniform(random) : 0.0;
    for (int j = 0; j < 6; ++j)
        a.at((j + 1) % 6, j) = 0.2 + uniform(random); // irreducible
    StageModel split = Model(a);
    split.f = SquareMatrix(6);
    split.u = a;
    for (int j = 0; j < 6; ++j)
        std::swap(split.f->at(0, j), split.u->at(0, j)); // F is the first row
    const LeslieTable table {{0, 0.5, 1.2, 0.8}, {0.6, 0.7, 0.4}};

    for (const auto &[model, target] :
         std::vector<std::pair<PopulationModel, const char *>> {{split, "a[3,2]"},
                                                                {split, "row[4]"},
                                                                {split, "F"},
                                                                {split, "U"},
                                                                {split, "A"},
                                                                {table, "s(1)"},
                                                                {table, "a[3,4]"},
                                                                {table, "U"}}) {
        const Variation v = Fit(model, target);
        const Sweep sweep = SweepLambda(v, 0.25, 2.5, 4);
        ASSERT_EQ(sweep.values, (std::vector<double> {0.25, 1.0, 1.75, 2.5})) << target;
        for (std::size_t k = 0; k < sweep.values.size(); ++k) {
            const auto [lambda, w]
                = PowerIteration(ProjectionMatrix(ChangedModel(v, sweep.values[k])));
            ASSERT_TRUE(sweep.lambda[k]) << target;
            EXPECT_NEAR(*sweep.lambda[k], lambda, 1e-12 * lambda) << target << " at " << k;
            const Growth growth = GrowthAt(v, sweep.values[k]);
            EXPECT_EQ(growth.lambda, sweep.lambda[k]) << target;
            EXPECT_NEAR(*growth.intrinsicRate, std::log(lambda), 1e-12) << target;
            for (std::size_t i = 0; i < w.size(); ++i)
                EXPECT_NEAR((*growth.stableDistribution)[i], w[i], 1e-10) << target;
        }
    }
    // At its present value the target gives the report's lambda1 to the last bit.
    EXPECT_EQ(LambdaAt(Fit(table, "F(2)"), 1.2), AnalyseLeslie(table).lambda);
    EXPECT_EQ(LambdaAt(Fit(split, "U"), 1.0), AnalyseStage(split).lambda);
    EXPECT_EQ(GrowthAt(Fit(split, "a[1,1]"), a.at(0, 0)).stableDistribution,
              AnalyseStage(split).stableDistribution);
    EXPECT_TRUE(SweepLambda(Fit(table, "A"), 0, 1, 1).values.empty());
}

// The contributions sum to lambda1(2) - lambda1(1) to first order: for a change of size e the
// error of the fixed design, built on the mean matrix, falls as e^3.
TEST(WhatIf, ltreSumsToTheChangeOfLambda)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> uniform(0, 1);
    SquareMatrix a1(5), d(5);
    for (std::size_t e = 0; e < a1.values.size(); ++e) {
        a1.values[e] = uniform(random);
        d.values[e] = uniform(random) - 0.3;
    }
    for (double e : {1e-2, 1e-3}) {
        SquareMatrix a2 = a1;
        for (std::size_t i = 0; i < a2.values.size(); ++i)
            a2.values[i] = std::max(0.0, a1.values[i] + e * d.values[i]);
        const LtreResult r = AnalyseLtre(Model(a1), Model(a2));
        ASSERT_TRUE(r.ok) << r.message;
        const double change = PowerIteration(a2).first - PowerIteration(a1).first;
        EXPECT_NEAR(*r.ltre.sum, change, 10 * e * e * std::fabs(change)) << e;
        EXPECT_NEAR(*r.ltre.lambdaDifference, change, 1e-13) << e;
    }
    // A Leslie table takes part as its Leslie matrix, its lambda1 the report's.
    const LtreResult leslie = AnalyseLtre(kAnton, Model(ProjectionMatrix(kAnton)));
    ASSERT_TRUE(leslie.ok);
    EXPECT_EQ(leslie.ltre.lambdaFirst, AnalyseLeslie(kAnton).lambda);
    EXPECT_EQ(*leslie.ltre.sum, 0.0);
    EXPECT_EQ(AnalyseLtre(kAnton, Model(a1)).message,
              "the matrix is 5 x 5 where the first is 3 x 3");
}

TEST(WhatIf, readsTargetsAndRefusesThoseThatDoNotFit)
{
    for (const char *text : {"a[1,2]", "row[3]", "F(0)", "s(12)", "A", "F", "U"})
        EXPECT_EQ(TargetText(*ParseTarget(text)), text);
    EXPECT_EQ(TargetText(*ParseTarget("a[ 10 , 2 ]")), "a[10,2]");
    for (const char *text : {"", "a", "a[0,1]", "a[1,2", "a[1,2]x", "a[1;2]", "row[0]", "row[]",
                             "F(-1)", "f(1)", "s()", "B", "A ", "row[1234567]"})
        EXPECT_FALSE(ParseTarget(text)) << text;

    struct Case
    {
        PopulationModel model;
        const char *target, *message;
    };
    const Case cases[] = {
        {kAnton, "a[4,1]", "a[4,1] lies outside the 3 x 3 matrix"},
        {kAnton, "row[4]", "row[4] lies outside the 3 x 3 matrix"},
        {kAnton, "F(3)", "F(3) lies beyond the last age class of the table, F(2)"},
        {kAnton, "s(2)", "s(2) lies beyond the last survival rate of the table, s(1)"},
        {LeslieTable {{2}, {}}, "s(0)", "s(0): the table has no survival rate"},
        {Model(SquareMatrix(2)), "F(0)",
         "F(0) is a fecundity by age, which a stage model does not have"},
        {Model(SquareMatrix(2)), "U", "the model is not split into U and F, so it has no part U"},
    };
    for (const Case &c : cases) {
        const VariationFit fit = FitTarget(c.model, *ParseTarget(c.target));
        EXPECT_FALSE(fit.ok) << c.target;
        EXPECT_EQ(fit.message, c.message);
    }
}

} // namespace
