#include "core/curve.h"

#include "tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

using namespace tarnvale;

namespace {

// The state as start-up leaves it: the default matrix read into MatrixCell, no data file.
AnalysisState defaultState()
{
    AnalysisState state;
    ReadMatrixCells(state, kDefaultCellTexts);
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
    ASSERT_TRUE(PlotCurve(state, "-0.35", "1.5", "0.01").ok);
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

TEST(PlotCurve, NegativeStepSamplesDownwards)
{
    AnalysisState state = defaultState();
    ASSERT_TRUE(PlotCurve(state, "1.5", "0", "-0.25").ok);
    ASSERT_EQ(state.PlotCount, 7);
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(state.PointX[i], 1.75f - 0.25f * i);
        EXPECT_EQ(state.PlotFx[i], defaultPolynomial(1.75 - 0.25 * i));
    }
    EXPECT_EQ(state.PlotFx[1], 2.1875);
    EXPECT_EQ(state.PlotFx[3], -0.75);
    EXPECT_EQ(state.PlotX, -0.25);
}

TEST(PlotCurve, MatrixCurveRoundsEachProductOfCellsToSinglePrecision)
{
    // m(4) = 0.1, whose single-precision copy is 0.100000001490116119384765625.
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
    const double expected = std::pow(1.5, 4) - static_cast<double>(0.1f) * std::pow(1.5, 2)
        - static_cast<double>(s0s1 * 2.0f) * 1.5
        - static_cast<double>(static_cast<float>(s0s1 * 0.5f) * 1.0f);
    EXPECT_EQ(state.PlotFx[1], expected);
    const double inDouble = std::pow(1.5, 4) - 0.1 * 2.25 - 0.1 * 0.3 * 2 * 1.5 - 0.1 * 0.3 * 0.5;
    EXPECT_GT(std::fabs(state.PlotFx[1] - inDouble), 1e-9);
}

TEST(PlotCurve, PlotsUpToTenThousandPointsAndRefusesTheRestChangingNothing)
{
    struct Case
    {
        const char *x1, *x2, *step;
        int count; // when plotted
        std::string message; // when refused
    };
    const Case cases[] = {
        {"2", "1", "0.5", 0, ""}, // positive step, x1 > x2
        {"0", "1", "-0.5", 0, ""}, // negative step, x1 < x2
        {"1", "0", "0", 0, ""}, // a step of 0 past the end
        {"1", "10000", "1", 10000, ""},
        {"1", "10001", "1", 0,
         "The range from 1 to 10001 in steps of 1 would take 10001 points, but a curve can have "
         "at most 10000. Choose a larger step or a smaller range."},
        {"0", "1e12", "1", 0,
         "The range from 0 to 1000000000000 in steps of 1 would take about 1000000000001 points, "
         "but a curve can have at most 10000. Choose a larger step or a smaller range."},
        {"-0.35", "1.5", "0", 0,
         "The range from -0.35 to 1.5 in steps of 0 never ends: x does not move, so the curve "
         "would take endless points, but it can have at most 10000. Choose a step other than 0."},
        {"1e20", "1e20", "1", 0,
         "The range from 1E+20 to 1E+20 in steps of 1 never ends: adding so small a step no "
         "longer changes x, so the curve would take endless points, but it can have at most "
         "10000. Choose a larger step."},
        // Too long to count: adding 1 stalls at 2^53, long before 1E+20.
        {"0", "1e20", "1", 0,
         "The range from 0 to 1E+20 in steps of 1 never ends: adding so small a step no longer "
         "changes x, so the curve would take endless points, but it can have at most 10000. "
         "Choose a larger step."},
        {"1e999", "1", "1", 0,
         "The number \"1e999\" after \"For x=\" lies beyond the range of numbers this program "
         "can compute with."},
        {"0", "-1E400", "1", 0,
         "The number \"-1E400\" after \"to\" lies beyond the range of numbers this program can "
         "compute with."},
        {"0", "1", "1d999", 0,
         "The number \"1d999\" after \"step\" lies beyond the range of numbers this program can "
         "compute with."},
        {"1e39", "2e39", "1e39", 0,
         "x = 1E+39 is too large for the chart, which holds x in single precision (at most "
         "3.402823E+38). The curve was not drawn; choose a smaller range."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.x1) + " to " + c.x2 + " step " + c.step);
        AnalysisState state = defaultState();
        ASSERT_TRUE(PlotCurve(state, "0", "1", "0.5").ok);
        const AnalysisState before = state;
        const PlotResult result = PlotCurve(state, c.x1, c.x2, c.step);
        EXPECT_EQ(result.ok, c.message.empty());
        EXPECT_EQ(result.message, c.message);
        if (!result.ok) {
            EXPECT_TRUE(state == before) << "the last plot stays as it was";
            continue;
        }
        EXPECT_EQ(state.PlotCount, c.count);
        if (c.count > 0) {
            EXPECT_EQ(state.PointX[c.count], std::stof(c.x2));
        } else {
            EXPECT_EQ(state.PlotX, state.X1);
            EXPECT_EQ(state.X3, before.X3) << "no point, so no last point";
        }
    }
}

TEST(CheckCurveMatrix, NamesTheCellOrTheProductBeyondTheSingleRange)
{
    // Each case changes the default cells; single precision ends at 3.402823E+38.
    struct Case
    {
        std::vector<std::pair<int, const char *>> cells;
        const char *message; // empty: the curve can be computed
    };
    const Case cases[] = {
        {{}, ""},
        {{{3, "1E+39"}},
         "The cell m(3) holds 1E+39, but the graph needs matrix values within "
         "\u00B13.402823E+38."},
        {{{1, "-4e38"}},
         "The cell m(1) holds -4E+38, but the graph needs matrix values within "
         "\u00B13.402823E+38."},
        // The other cells never enter the curve.
        {{{5, "1E+39"}}, ""},
        {{{3, "3.4e38"}}, ""},
        {{{4, "1e20"}, {1, "1e19"}},
         "The product of the cells m(4) and m(1) (1E+20 \u00D7 1E+19) lies beyond "
         "\u00B13.402823E+38, but the graph needs matrix values within that range."},
        {{{4, "1e20"}, {1, "0"}, {9, "1e10"}, {2, "1e10"}},
         "The product of the cells m(4)\u00B7m(9) and m(2) (1E+30 \u00D7 1E+10) lies beyond "
         "\u00B13.402823E+38, but the graph needs matrix values within that range."},
    };
    for (const Case &c : cases) {
        CellTexts cells = kDefaultCellTexts;
        for (const auto &[index, text] : c.cells)
            cells[index] = text;
        EXPECT_EQ(CheckCurveMatrix(cells).value_or(""), c.message) << c.message;
        // Whatever the check lets through gives a curve of finite values.
        if (*c.message == '\0') {
            AnalysisState state;
            ReadMatrixCells(state, cells);
            EXPECT_TRUE(PlotCurve(state, "-2", "2", "0.5").ok) << c.message;
        }
    }
}

TEST(PlotCurve, DataFileModeUsesTheLifeTable)
{
    // N = 1, F = (0, 2), S(0) = 0.5: f(x) = x^2 - 1, whatever the matrix holds.
    AnalysisState state = tableState({0, 2}, {0.5});
    ReadMatrixCells(state, kDefaultCellTexts);
    ASSERT_TRUE(PlotCurve(state, "0", "2", "1").ok);
    ASSERT_EQ(state.PlotCount, 3);
    EXPECT_EQ(state.PlotFx[1], -1.0);
    EXPECT_EQ(state.PlotFx[2], 0.0);
    EXPECT_EQ(state.PlotFx[3], 3.0);
    EXPECT_EQ(state.SurvivalProduct, 0.5);

    // 101 age classes: x^101 overflows from x of about 1123 on; 1100 still fits, 1200 does not.
    std::vector<double> fecundity(101, 0.0);
    fecundity[100] = 1.0;
    state = tableState(fecundity, std::vector<double>(100, 0.5));
    PlotResult result = PlotCurve(state, "1000", "2000", "100");
    EXPECT_EQ(result.message,
              "f(x) cannot be computed at x = 1200: its value lies beyond the range of numbers. "
              "The curve was not drawn; choose a smaller range.");
    EXPECT_EQ(state.PlotCount, 0);
    EXPECT_FALSE(state.SurvivalProduct.has_value());

    state = tableState({});
    result = PlotCurve(state, "0", "1", "0.5");
    EXPECT_EQ(result.message, "The life table holds no age class, so there is no curve to draw.");
}

} // namespace
