#include "core/curve.h"
#include "core/search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace tarnvale;

namespace {

// The state as start-up leaves it: the default matrix read into MatrixCell, no data file.
AnalysisState defaultState()
{
    AnalysisState state;
    ReadMatrixCells(state, kDefaultCellTexts);
    return state;
}

// A life table of age classes 0 ... fecundity.size() - 1.
AnalysisState tableState(const std::vector<double> &fecundity, const std::vector<double> &survival)
{
    AnalysisState state = defaultState();
    state.DataLoaded = "Yes";
    state.LastAgeClass = static_cast<int>(fecundity.size()) - 1;
    for (std::size_t i = 0; i < fecundity.size(); ++i)
        state.Fecundity[i] = fecundity[i];
    for (std::size_t i = 0; i < survival.size(); ++i)
        state.Survival[i] = survival[i];
    return state;
}

// f(x) = x^4 - 0.5 x^2 - x - 0.25 of the default matrix.
double defaultPolynomial(double x)
{
    return std::pow(x, 4) - 0.5 * std::pow(x, 2) - x - 0.25;
}

TEST(PlotCurve, DefaultRangeGives185PointsByRepeatedAddition)
{
    AnalysisState state = defaultState();
    const PlotResult result = PlotCurve(state, "-0.35", "1.5", "0.01");
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(state.PlotCount, 185);
    EXPECT_EQ(state.X1, -0.35);
    EXPECT_EQ(state.X2, 1.5);
    EXPECT_EQ(state.PlotStep, 0.01);
    // The x column is single precision: -0.35 is stored as the nearest float.
    EXPECT_EQ(static_cast<double>(state.PointX[1]), -0.3499999940395355);
    EXPECT_EQ(state.PointX[185], 1.49f);
    // After 185 additions the running x lies just above 1.5, so 1.5 itself is not plotted.
    EXPECT_GT(state.PlotX, 1.5);
    EXPECT_LT(state.PlotX, 1.5 + 1e-12);

    double x = -0.35, last = 0;
    for (int i = 1; i <= 185; ++i) {
        EXPECT_EQ(state.PointX[i], static_cast<float>(x)) << i;
        // f is evaluated at the unrounded x, not at the single-precision one.
        EXPECT_NEAR(state.PlotFx[i], defaultPolynomial(x), 1e-14) << i;
        last = x;
        x += 0.01;
    }
    EXPECT_EQ(state.PlotX, x);
    EXPECT_EQ(state.X3, last);
    EXPECT_EQ(state.Fx3, state.PlotFx[185]);
}

TEST(PlotCurve, MatrixCurveAtOneAndOneAndAHalf)
{
    AnalysisState state = defaultState();
    ASSERT_TRUE(PlotCurve(state, "1", "1.5", "0.5").ok);
    ASSERT_EQ(state.PlotCount, 2);
    EXPECT_EQ(state.PlotFx[1], -0.75);
    EXPECT_EQ(state.PlotFx[2], 2.1875);
}

TEST(PlotCurve, MatrixCurveRoundsEachProductOfCellsToSinglePrecision)
{
    // state: m(4) = 0.1, whose single-precision copy is 0.100000001490116119384765625.
    // f(1) = 1 - s0*f1 - s0*s1*f2 - s0*s1*s2*f3 with every product a float:
    // 1 - 0.100000001490116119384765625 - 0.20000000298023223876953125
    //   - 0.0500000007450580596923828125 = 0.6499999947845935821533203125,
    // where the double-precision cells would give 0.65.
    AnalysisState state = defaultState();
    state.MatrixCell[4] = 0.1f;
    ASSERT_TRUE(PlotCurve(state, "1", "1", "1").ok);
    EXPECT_EQ(state.PlotFx[1], 0.6499999947845935821533203125);

    // A product whose float rounding differs from the double one: s0 = 0.1, s1 = 0.3.
    state.MatrixCell[9] = 0.3f;
    ASSERT_TRUE(PlotCurve(state, "1.5", "1.5", "1").ok);
    const float s0s1 = 0.1f * 0.3f;
    const double expected = std::pow(1.5, 4) - 0.0 * std::pow(1.5, 3)
        - static_cast<double>(0.1f) * std::pow(1.5, 2) - static_cast<double>(s0s1 * 2.0f) * 1.5
        - static_cast<double>(static_cast<float>(s0s1 * 0.5f) * 1.0f);
    EXPECT_EQ(state.PlotFx[1], expected);
    const double inDouble = std::pow(1.5, 4) - 0.1 * 2.25 - 0.1 * 0.3 * 2 * 1.5 - 0.1 * 0.3 * 0.5;
    EXPECT_GT(std::fabs(state.PlotFx[1] - inDouble), 1e-9);
}

TEST(PlotCurve, NegativeStepSamplesDownwards)
{
    AnalysisState state = defaultState();
    ASSERT_TRUE(PlotCurve(state, "1", "0", "-0.25").ok);
    ASSERT_EQ(state.PlotCount, 5);
    const float xs[] = {1.0f, 0.75f, 0.5f, 0.25f, 0.0f};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(state.PointX[i + 1], xs[i]);
        EXPECT_EQ(state.PlotFx[i + 1], defaultPolynomial(xs[i]));
    }
    EXPECT_EQ(state.PlotX, -0.25);
}

TEST(PlotCurve, EmptyRangesGiveNoPoints)
{
    struct Case
    {
        const char *x1, *x2, *step;
    };
    const Case cases[] = {
        {"2", "1", "0.5"}, // positive step, x1 > x2
        {"0", "1", "-0.5"}, // negative step, x1 < x2
        {"1", "0", "0"}, // a step of 0 past the end
        {"abc", "-1", "1"}, // text reads as 0
    };
    for (const Case &c : cases) {
        AnalysisState state = defaultState();
        state.PlotCount = 7;
        const PlotResult result = PlotCurve(state, c.x1, c.x2, c.step);
        EXPECT_TRUE(result.ok) << c.x1 << " " << c.x2 << " " << c.step;
        EXPECT_EQ(state.PlotCount, 0) << c.x1;
        EXPECT_EQ(state.PlotX, state.X1) << c.x1;
        EXPECT_FALSE(state.X3.has_value()) << c.x1;
    }
}

TEST(PlotCurve, TenThousandPointsAreTheMost)
{
    AnalysisState state = defaultState();
    ASSERT_TRUE(PlotCurve(state, "1", "10000", "1").ok);
    EXPECT_EQ(state.PlotCount, 10000);
    EXPECT_EQ(state.PointX[10000], 10000.0f);
}

TEST(PlotCurve, RefusesRangesItCannotPlot)
{
    struct Case
    {
        const char *x1, *x2, *step;
        std::string message;
    };
    const Case cases[] = {
        {"1", "10001", "1",
         "The range from 1 to 10001 in steps of 1 would take 10001 points, but a curve can have "
         "at most 10000. Choose a larger step or a smaller range."},
        // 2^-14 adds up exactly: 0, 2^-14, ... 1.
        {"0", "1", "0.00006103515625",
         "The range from 0 to 1 in steps of 0.00006103515625 would take 16385 points, but a "
         "curve can have at most 10000. Choose a larger step or a smaller range."},
        {"0", "1e12", "1",
         "The range from 0 to 1000000000000 in steps of 1 would take about 1000000000001 points, "
         "but a curve can have at most 10000. Choose a larger step or a smaller range."},
        {"-0.35", "1.5", "0",
         "The range from -0.35 to 1.5 in steps of 0 never ends: x does not move, so the curve "
         "would take endless points, but it can have at most 10000. Choose a step other than 0."},
        {"1", "1", "", // an empty step reads as 0
         "The range from 1 to 1 in steps of 0 never ends: x does not move, so the curve would "
         "take endless points, but it can have at most 10000. Choose a step other than 0."},
        {"1e20", "1e20", "1",
         "The range from 1E+20 to 1E+20 in steps of 1 never ends: adding so small a step no "
         "longer changes x, so the curve would take endless points, but it can have at most "
         "10000. Choose a larger step."},
        // Too long to count: adding 1 stalls at 2^53, long before 1E+20.
        {"0", "1e20", "1",
         "The range from 0 to 1E+20 in steps of 1 never ends: adding so small a step no longer "
         "changes x, so the curve would take endless points, but it can have at most 10000. "
         "Choose a larger step."},
        {"1e999", "1", "1",
         "The number \"1e999\" after \"For x=\" lies beyond the range of numbers this program "
         "can compute with."},
        {"0", "-1E400", "1",
         "The number \"-1E400\" after \"to\" lies beyond the range of numbers this program can "
         "compute with."},
        {"0", "1", "1d999",
         "The number \"1d999\" after \"step\" lies beyond the range of numbers this program can "
         "compute with."},
        {"1e39", "2e39", "1e39",
         "x = 1E+39 is too large for the chart, which holds x in single precision (at most "
         "3.402823E+38). The curve was not drawn; choose a smaller range."},
    };
    for (const Case &c : cases) {
        AnalysisState state = defaultState();
        ASSERT_TRUE(PlotCurve(state, "0", "1", "0.5").ok);
        const AnalysisState before = state;
        const PlotResult result = PlotCurve(state, c.x1, c.x2, c.step);
        EXPECT_FALSE(result.ok) << c.x1 << " " << c.x2 << " " << c.step;
        EXPECT_EQ(result.message, c.message);
        // Nothing of the last plot changes.
        EXPECT_EQ(state.PlotCount, before.PlotCount);
        EXPECT_EQ(state.PointX, before.PointX);
        EXPECT_EQ(state.PlotFx, before.PlotFx);
        EXPECT_EQ(state.X1, before.X1);
        EXPECT_EQ(state.X2, before.X2);
        EXPECT_EQ(state.PlotStep, before.PlotStep);
        EXPECT_EQ(state.PlotX, before.PlotX);
        EXPECT_EQ(state.X3, before.X3);
        EXPECT_EQ(state.Fx3, before.Fx3);
    }
}

TEST(PlotCurve, RefusesAnInfiniteValueNamingTheFirstX)
{
    // 101 age classes: x^101 overflows from x of about 1123 on; 1100 still fits, 1200 does not.
    std::vector<double> fecundity(101, 0.0), survival(100, 0.5);
    fecundity[100] = 1.0;
    AnalysisState state = tableState(fecundity, survival);
    const PlotResult result = PlotCurve(state, "1000", "2000", "100");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message,
              "f(x) cannot be computed at x = 1200: its value lies beyond the range of numbers. "
              "The curve was not drawn; choose a smaller range.");
    EXPECT_EQ(state.PlotCount, 0);
    EXPECT_FALSE(state.SurvivalProduct.has_value());
}

TEST(PlotCurve, RefusesALifeTableWithoutAgeClasses)
{
    AnalysisState state = defaultState();
    state.DataLoaded = "Yes";
    state.LastAgeClass = -1;
    const PlotResult result = PlotCurve(state, "0", "1", "0.5");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "The life table holds no age class, so there is no curve to draw.");
}

TEST(PlotCurve, DataFileModeUsesTheLifeTable)
{
    // N = 1, F = (0, 2), S(0) = 0.5: f(x) = x^2 - 1, whatever the matrix holds.
    AnalysisState state = tableState({0, 2}, {0.5});
    ASSERT_TRUE(PlotCurve(state, "0", "2", "1").ok);
    ASSERT_EQ(state.PlotCount, 3);
    EXPECT_EQ(state.PlotFx[1], -1.0);
    EXPECT_EQ(state.PlotFx[2], 0.0);
    EXPECT_EQ(state.PlotFx[3], 3.0);
    EXPECT_EQ(state.SurvivalProduct, 0.5);
}

TEST(EvaluateTable, FollowsTheTermByTermOrder)
{
    struct Case
    {
        std::vector<double> fecundity, survival;
        double x, f, survivorship;
    };
    const Case cases[] = {
        {{3}, {}, 5, 2, 1}, // N = 0: f(x) = x - F(0)
        {{0, 2}, {0.5}, 2, 3, 0.5},
        {{0, 2}, {0.5}, 0, -1, 0.5}, // x^0 is 1 at x = 0
        // The default matrix as a table: x^4 - 0.5x^2 - x - 0.25.
        {{0, 1, 2, 1}, {0.5, 1, 0.5}, 2, 11.75, 0.25},
        {{0, 1, 2, 1}, {0.5, 1, 0.5}, -1, 1.25, 0.25},
        // Zero fecundities still contribute their (zero) terms.
        {{0, 0, 1, 2}, {1, 0.9, 1}, 1, 1 - 0.9 - 1.8, 0.9},
    };
    for (const Case &c : cases) {
        const AnalysisState state = tableState(c.fecundity, c.survival);
        double survivorship = -1;
        EXPECT_NEAR(EvaluateTable(state, c.x, survivorship), c.f, 1e-15) << c.x;
        EXPECT_EQ(survivorship, c.survivorship) << c.x;
    }
}

TEST(EvaluateTable, ReadsTextValuesAsNumbers)
{
    AnalysisState state = tableState({0, 0}, {0});
    state.Fecundity[1] = std::string("2");
    state.Survival[0] = std::string(" .5x");
    double survivorship = 0;
    EXPECT_EQ(EvaluateTable(state, 3, survivorship), 8.0);
    EXPECT_EQ(survivorship, 0.5);
}

} // namespace
