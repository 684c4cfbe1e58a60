#include "core/search.h"

#include "core/numbertext.h"
#include "searchrun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
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

// A life table in the state: fecundities of ages 0 ... n, survival rates of ages 0 ... n - 1.
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

// 201 age classes: no young at age 0, `fecundity` at every later age, `survival` throughout.
void setLongTable(AnalysisState &state, double fecundity, double survival)
{
    std::vector<double> f(201, fecundity), s(200, survival);
    f[0] = 0;
    setTable(state, f, s);
}

const CellTexts kNoCells {};

TEST(EvaluateCharacteristic, MatrixFormOfTheDefaultPopulation)
{
    // f(x) = x^4 - 0.5 x^2 - x - 0.25; these values are exact in binary.
    struct Case
    {
        double x, f;
    };
    const Case cases[] = {{0, -0.25},
                          {2, 11.75},
                          {1, -0.75},
                          {1.5, 2.1875},
                          {-1, 1.25},
                          {1.25, 0.16015625},
                          {1.2197265625, -0.0002438622750560171}};
    AnalysisState state;
    // Cells that no term reads play no part.
    const CellTexts cells = withCells({{5, "9"}, {7, "abc"}, {15, "1e300"}});
    for (const Case &c : cases) {
        EXPECT_EQ(EvaluateCharacteristic(state, cells, c.x), c.f) << c.x;
        EXPECT_EQ(EvaluateCharacteristic(state, kDefaultCellTexts, c.x), c.f) << c.x;
    }
    EXPECT_FALSE(state.SurvivalProduct.has_value());
}

TEST(EvaluateCharacteristic, MatrixFormUsesDirectPowersInItsOwnOrder)
{
    // With every term present, Horner's scheme and the direct powers round differently at
    // some x; the evaluation must give the direct form's digits.
    const CellTexts cells = withCells(
        {{0, "0.3"}, {1, "1.7"}, {2, "2.9"}, {3, "0.7"}, {4, "0.37"}, {9, "0.91"}, {14, "0.53"}});
    const double m0 = 0.3, m1 = 1.7, m2 = 2.9, m3 = 0.7, m4 = 0.37, m9 = 0.91, m14 = 0.53;
    AnalysisState state;
    int differing = 0;
    for (int k = 1; k <= 400; ++k) {
        const double x = 0.00731 * k + 0.1;
        double direct = std::pow(x, 4) - std::pow(x, 3) * m0;
        direct = direct - std::pow(x, 2) * (m4 * m1);
        direct = direct - m4 * m9 * m2 * x;
        direct = direct - m4 * m9 * m14 * m3;
        const double horner
            = (((x - m0) * x - m4 * m1) * x - m4 * m9 * m2) * x - m4 * m9 * m14 * m3;
        differing += direct != horner;
        ASSERT_EQ(EvaluateCharacteristic(state, cells, x), direct) << x;
    }
    EXPECT_GT(differing, 0) << "the sample does not tell the two schemes apart";
}

TEST(EvaluateCharacteristic, DataFileForm)
{
    struct Case
    {
        const char *what;
        std::vector<double> f, s;
        double x, value, survivalProduct;
    };
    const Case cases[] = {
        {"one age class: x - F(0)", {1.5}, {}, 4, 2.5, 1},
        {"N = 1: x^2 - 1", {0, 2}, {0.5}, 2, 3, 0.5},
        {"N = 1 at 0: x^0 is 1", {0, 2}, {0.5}, 0, -1, 0.5},
        {"zero fecundities still count", {0, 0, 1, 2}, {1, 0.9, 1}, 2, 16 - 0.9 * 2 - 1.8, 0.9},
        {"default matrix as a table", {0, 1, 2, 1}, {0.5, 1, 0.5}, 2, 11.75, 0.25},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        setTable(state, c.f, c.s);
        EXPECT_EQ(EvaluateCharacteristic(state, kDefaultCellTexts, c.x), c.value) << c.what;
        EXPECT_EQ(state.SurvivalProduct, c.survivalProduct) << c.what;
    }
}

TEST(EvaluateCharacteristic, DataFileFormReadsStoredTextsAsNumbers)
{
    AnalysisState state;
    setTable(state, {0, 2}, {0.5});
    state.Fecundity[1] = std::string("2");
    state.Survival[0] = std::string(" .5");
    EXPECT_EQ(EvaluateCharacteristic(state, kNoCells, 3), 8.0);
}

TEST(EvaluateCharacteristic, TermSumIsTheSizeOfTheTerms)
{
    AnalysisState state;
    // At 2: 16 + 0 + 0.5 * 4 + 0.5 * 2 * 2 + 0.25.
    EXPECT_EQ(EvaluateCharacteristicTerms(state, kDefaultCellTexts, 2).termSum, 20.25);
    EXPECT_EQ(EvaluateCharacteristicTerms(state, kDefaultCellTexts, -1).termSum, 2.75);
    setTable(state, {1, 2}, {0.5});
    EXPECT_EQ(EvaluateCharacteristicTerms(state, kNoCells, -2).termSum, 4 + 2 + 1);
}

TEST(EvaluateCharacteristic, BeyondTheDoubleRangeIsNotFinite)
{
    AnalysisState state;
    EXPECT_FALSE(std::isfinite(EvaluateCharacteristic(state, kDefaultCellTexts, 1e100)));
    EXPECT_FALSE(std::isfinite(EvaluateCharacteristic(state, withCells({{1, "1e999"}}), 0)));
    setLongTable(state, 0.3, 0.5);
    EXPECT_FALSE(std::isfinite(EvaluateCharacteristic(state, kNoCells, 100)));
    state.LastAgeClass.reset();
    EXPECT_FALSE(std::isfinite(EvaluateCharacteristic(state, kNoCells, 1)));
}

TEST(TryBracket, TrialCases)
{
    struct Case
    {
        const char *what;
        CellTexts cells;
        std::vector<double> f, s; // a life table when not empty
        const char *x1, *x2;
        const char *fx1, *fx2, *product;
        bool accepted;
        const char *midpoint;
    };
    const CellTexts zeros {"0", "0", "0", "0", "0", "0", "0", "0",
                           "0", "0", "0", "0", "0", "0", "0", "0"};
    const Case cases[] = {
        {"default pair",
         kDefaultCellTexts,
         {},
         {},
         "0",
         "2",
         "-0.25",
         "11.75",
         "-2.9375",
         true,
         "1"},
        {"negative root",
         kDefaultCellTexts,
         {},
         {},
         "-1",
         "0",
         "1.25",
         "-0.25",
         "-0.3125",
         true,
         "-0.5"},
        {"descending order",
         kDefaultCellTexts,
         {},
         {},
         "2",
         "0",
         "11.75",
         "-0.25",
         "-2.9375",
         true,
         "1"},
        {"leading blank and trailing letters",
         kDefaultCellTexts,
         {},
         {},
         " 0.5abc",
         "2",
         "-0.8125",
         "11.75",
         "-9.546875",
         true,
         "1.25"},
        {"x1 = x2", kDefaultCellTexts, {}, {}, "2", "2", "11.75", "11.75", "138.0625", false, ""},
        {"all cells 0", zeros, {}, {}, "0", "2", "0", "16", "0", false, ""},
        {"no sign change",
         kDefaultCellTexts,
         {},
         {},
         "2",
         "3",
         "11.75",
         "73.25",
         "860.6875",
         false,
         ""},
        {"table with N = 0",
         kDefaultCellTexts,
         {1.5},
         {},
         "0",
         "2",
         "-1.5",
         "0.5",
         "-0.75",
         true,
         "1"},
        {"table with N = 1",
         kDefaultCellTexts,
         {0, 2},
         {0.5},
         "0",
         "2",
         "-1",
         "3",
         "-3",
         true,
         "1"},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        if (!c.f.empty())
            setTable(state, c.f, c.s);
        state.Midpoint = 42;
        state.PointX[1] = 7;
        const TrialResult r = TryBracket(state, c.cells, c.x1, c.x2);
        ASSERT_TRUE(r.ok) << c.what << ": " << r.message;
        EXPECT_EQ(r.fx1Text, c.fx1) << c.what;
        EXPECT_EQ(r.fx2Text, c.fx2) << c.what;
        EXPECT_EQ(r.productText, c.product) << c.what;
        EXPECT_EQ(r.accepted, c.accepted) << c.what;
        EXPECT_EQ(r.midpointText, c.midpoint) << c.what;
        EXPECT_EQ(r.verdictText, c.accepted ? "Well done!" : "Try another value!") << c.what;

        // Every trial, accepted or not, restarts the step history.
        const double x1 = TextToNumber(c.x1).value, x2 = TextToNumber(c.x2).value;
        EXPECT_EQ(state.StepCount, 1) << c.what;
        EXPECT_EQ(state.X1, x1) << c.what;
        EXPECT_EQ(state.X2, x2) << c.what;
        EXPECT_EQ(state.Fx1, TextToNumber(c.fx1).value) << c.what;
        EXPECT_EQ(state.Fx2, TextToNumber(c.fx2).value) << c.what;
        EXPECT_EQ(state.SearchPointX, (std::vector<float> {float(x1), float(x2)})) << c.what;
        EXPECT_EQ(state.PointX[1], 7.0f) << "the curve's points are not the search's";
        EXPECT_EQ(state.Midpoint, c.accepted ? (x1 + x2) / 2 : 42.0) << c.what;
    }
}

TEST(TryBracket, RefusesValuesBeyondTheDoubleRangeAndChangesNothing)
{
    struct Case
    {
        const char *what;
        CellTexts cells;
        double longTableFecundity; // 0: matrix mode
        const char *x1, *x2;
        const char *message;
    };
    const Case cases[] = {
        {"huge x1", kDefaultCellTexts, 0, "1e100", "2",
         "f(x1) could not be computed at x1 = 1E+100: it lies beyond the range of numbers this "
         "program can compute with. Please try a value closer to the root."},
        {"huge x2", kDefaultCellTexts, 0, "0", "-1e80",
         "f(x2) could not be computed at x2 = -1E+80: it lies beyond the range of numbers this "
         "program can compute with. Please try a value closer to the root."},
        {"x1 text beyond the range", kDefaultCellTexts, 0, "1e999", "2",
         "x1 = \"1e999\" lies beyond the range of numbers this program can compute with. Please "
         "type a smaller value."},
        {"x2 text beyond the range", kDefaultCellTexts, 0, "0", "-2e400",
         "x2 = \"-2e400\" lies beyond the range of numbers this program can compute with. Please "
         "type a smaller value."},
        {"huge cell", withCells({{3, "1e999"}}), 0, "0", "2",
         "f(x1) could not be computed at x1 = 0: it lies beyond the range of numbers this program "
         "can compute with. Please try a value closer to the root."},
        {"long table at a large x", kDefaultCellTexts, 0.3, "0", "100",
         "f(x2) could not be computed at x2 = 100: it lies beyond the range of numbers this "
         "program can compute with. Please try a value closer to the root."},
        {"product beyond the range", withCells({{0, "0"}, {1, "0"}, {2, "0"}, {3, "1e300"}}), 0,
         "0", "1e77",
         "f(x1)*f(x2) could not be computed: the product of -2.5E+299 and 9.999999975E+307 lies "
         "beyond the range of numbers this program can compute with. Please try start points "
         "closer to the "
         "root."},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        if (c.longTableFecundity > 0)
            setLongTable(state, c.longTableFecundity, 0.5);
        const AnalysisState before = state;
        const TrialResult r = TryBracket(state, c.cells, c.x1, c.x2);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.message, c.message) << c.what;
        EXPECT_TRUE(r.fx1Text.empty() && r.fx2Text.empty() && r.productText.empty()) << c.what;
        EXPECT_TRUE(state == before) << c.what;
    }
}

TEST(TryBracket, RefusesAnEmptyTable)
{
    AnalysisState state;
    state.DataLoaded = "Yes";
    state.LastAgeClass = -1;
    const AnalysisState before = state;
    const TrialResult r = TryBracket(state, kDefaultCellTexts, "0", "2");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message,
              "The life table has no age classes, so f(x) cannot be computed. Please read a life "
              "table with at least one age class.");
    EXPECT_TRUE(state == before);
}

TEST(BisectStep, FirstStepEvaluatesTheMidpointOfTheTrial)
{
    AnalysisState state;
    ASSERT_TRUE(TryBracket(state, kDefaultCellTexts, "0", "2").accepted);
    const StepResult r = BisectStep(state, kDefaultCellTexts, "0", "2");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.x3Text, "1");
    EXPECT_EQ(r.fx3Text, "-0.75");
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(r.acceptCaption, "");
    EXPECT_EQ(state.StepCount, 2);
    EXPECT_EQ(state.X3, 1.0);
    EXPECT_EQ(state.Fx3, -0.75);
    EXPECT_EQ(state.NetReproductiveRate, 1.75);
    EXPECT_EQ(state.SearchPointX, (std::vector<float> {0, 2, 1}));
}

TEST(BisectStep, EvaluatesTheValueOfTheShownText)
{
    AnalysisState state;
    state.StepCount = 1;
    state.Midpoint = 1.0000000000000002; // 17 digits; the box shows 15
    const StepResult r = BisectStep(state, kDefaultCellTexts, "0", "2");
    EXPECT_EQ(r.x3Text, "1");
    EXPECT_EQ(state.X3, 1.0);
    EXPECT_EQ(state.Fx3, -0.75);
}

TEST(BisectStep, ToleranceBoundary)
{
    // f(x) = x^4 - x^3 - m3 with every survival rate 1: at x3 = 1, f = -m3 exactly, and the
    // terms there sum to more than 1, so only |f| <= 0.0001 decides.
    struct Case
    {
        const char *m3;
        bool accepted;
        const char *fx3;
    };
    const Case cases[] = {{"0.0001", true, "-0.0001"},
                          {"0.00010000001", false, "-0.00010000001"},
                          {"0.00009", true, "-0.00009"}};
    for (const Case &c : cases) {
        const CellTexts cells
            = withCells({{0, "1"}, {1, "0"}, {2, "0"}, {3, c.m3}, {4, "1"}, {9, "1"}, {14, "1"}});
        AnalysisState state;
        state.Midpoint = 1;
        state.StepCount = 1;
        const StepResult r = BisectStep(state, cells, "0", "2");
        EXPECT_EQ(r.fx3Text, c.fx3) << c.m3;
        EXPECT_EQ(r.accepted, c.accepted) << c.m3;
        EXPECT_EQ(r.acceptCaption, c.accepted ? "<0.0001" : "") << c.m3;
    }
}

TEST(BisectStep, ExactZeroIsAccepted)
{
    // f(x) = x^4 - x^2 has its root 1 at the midpoint of 0.5 and 1.5.
    const CellTexts cells = withCells({{1, "2"}, {2, "0"}, {3, "0"}});
    AnalysisState state;
    ASSERT_TRUE(TryBracket(state, cells, "0.5", "1.5").accepted);
    const StepResult r = BisectStep(state, cells, "0.5", "1.5");
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.fx3Text, "0");
    EXPECT_EQ(state.Fx3, 0.0);
}

TEST(BisectStep, OneAgeClassAcceptsNearItsFecundity)
{
    struct Case
    {
        double midpoint;
        bool accepted;
    };
    for (const Case c : {Case {1.50005, true}, Case {1.4999, true}, Case {1.5002, false}}) {
        AnalysisState state;
        setTable(state, {1.5}, {});
        state.Midpoint = c.midpoint;
        const StepResult r = BisectStep(state, kNoCells, "1", "2");
        EXPECT_EQ(r.accepted, c.accepted) << c.midpoint;
        EXPECT_EQ(state.NetReproductiveRate, 1.5);
    }
}

TEST(BisectStep, TinyTermsAreNoRoot)
{
    // Every term of this table's f is tiny at 0.5, so |f(0.5)| is far below 0.0001 although the
    // root is 0.711: the step must not accept it.
    AnalysisState state;
    setLongTable(state, 0.3, 0.5);
    state.Midpoint = 0.5;
    const StepResult r = BisectStep(state, kNoCells, "0", "1");
    ASSERT_TRUE(r.ok);
    EXPECT_LT(std::fabs(*state.Fx3), 1e-58);
    EXPECT_FALSE(r.accepted);
}

TEST(BisectStep, AStalledBracketIsAccepted)
{
    // The texts of the two ends differ in the 15th digit only: the midpoint's text is one of
    // them, and the bracket cannot get narrower.
    AnalysisState state;
    state.StepCount = 5;
    BracketTexts table {"1", "1.00000000000001", "", "-0.75", "-0.74999999999993", ""};
    state.Midpoint = (1 + 1.00000000000001) / 2;
    const StepResult r = BisectStep(state, kDefaultCellTexts, table.x1, table.x2);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.x3Text == table.x1 || r.x3Text == table.x2) << r.x3Text;
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.acceptCaption, "15 digits");

    // Ends that still leave room are bisected as usual.
    state.Midpoint = 1.000000000000005;
    EXPECT_FALSE(BisectStep(state, kDefaultCellTexts, "1", "1.00000000000002").accepted);
}

TEST(BisectStep, RefusesValuesBeyondTheDoubleRangeAndChangesNothing)
{
    struct Case
    {
        const char *what;
        double midpoint;
        std::vector<double> f, s; // a life table when not empty
        const char *message;
    };
    const Case cases[] = {
        {"f(x3) overflows",
         1e100,
         {},
         {},
         "f(x3) could not be computed at x3 = 1E+100: it lies beyond the range of numbers this "
         "program can compute with. Please try a value closer to the root."},
        {"x3 text reads beyond the range",
         1.7976931348623157e308,
         {},
         {},
         "x3 = 1.79769313486232E+308 lies beyond the range of numbers this program can compute "
         "with. Please start again with \"Try\" from start points closer to the root."},
        {"R0 overflows",
         1,
         {1e308, 1e308},
         {1},
         "The net reproductive rate R0 could not be computed: it lies beyond the range of "
         "numbers this program can compute with. Please check the values of the population."},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        if (!c.f.empty())
            setTable(state, c.f, c.s);
        state.StepCount = 3;
        state.Midpoint = c.midpoint;
        const AnalysisState before = state;
        const StepResult r = BisectStep(state, kDefaultCellTexts, "0", "2");
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.message, c.message) << c.what;
        EXPECT_TRUE(r.x3Text.empty() && r.fx3Text.empty()) << c.what;
        EXPECT_TRUE(state == before) << c.what;
    }
}

TEST(BisectStep, KeepsCountingBeyondTenThousandSteps)
{
    // After an acceptance the user may go on exchanging and bisecting for ever.
    AnalysisState state;
    ASSERT_TRUE(TryBracket(state, kDefaultCellTexts, "0", "2").accepted);
    BracketTexts table {"0", "2", "", "-0.25", "11.75", ""};
    const int steps = 10050;
    for (int i = 0; i < steps; ++i) {
        const StepResult r = BisectStep(state, kDefaultCellTexts, table.x1, table.x2);
        ASSERT_TRUE(r.ok) << i;
        table.x3 = r.x3Text;
        table.fx3 = r.fx3Text;
        table = ExchangeBracket(state, table).texts;
    }
    EXPECT_EQ(state.StepCount, steps + 1);
    ASSERT_EQ(state.SearchPointX.size(), std::size_t(steps + 2));
    EXPECT_NEAR(state.SearchPointX.back(), 1.2197, 1e-4);
    EXPECT_EQ(state.PointX, std::vector<float>(kPointSlots, 0.0f));
}

TEST(ExchangeBracket, KeepsTheHalfWithTheSignChange)
{
    struct Case
    {
        const char *what;
        BracketTexts before, after;
        BracketEnd replaced;
        EndColor x1Color, x2Color;
        double midpoint;
    };
    const Case cases[] = {
        {"f(1) < 0 replaces x1",
         {"0", "2", "1", "-0.25", "11.75", "-0.75"},
         {"1", "2", "", "-0.75", "11.75", ""},
         BracketEnd::X1,
         EndColor::Blue,
         EndColor::Black,
         1.5},
        {"f(1.5) > 0 replaces x2",
         {"1", "2", "1.5", "-0.75", "11.75", "2.1875"},
         {"1", "1.5", "", "-0.75", "2.1875", ""},
         BracketEnd::X2,
         EndColor::Black,
         EndColor::Blue,
         1.25},
        {"a product of exactly 0 replaces x1",
         {"0.5", "1.5", "1", "-0.1875", "2.8125", "0"},
         {"1", "1.5", "", "0", "2.8125", ""},
         BracketEnd::X1,
         EndColor::Blue,
         EndColor::Black,
         1.25},
        {"descending order",
         {"2", "0", "1", "11.75", "-0.25", "-0.75"},
         {"2", "1", "", "11.75", "-0.75", ""},
         BracketEnd::X2,
         EndColor::Black,
         EndColor::Blue,
         1.5},
        {"a typed end keeps its text",
         {" 0.5abc", "2", "1.25", "-0.8125", "11.75", "0.16015625"},
         {" 0.5abc", "1.25", "", "-0.8125", "0.16015625", ""},
         BracketEnd::X2,
         EndColor::Black,
         EndColor::Blue,
         0.875},
        {"values whose product underflows keep their signs",
         {"0.1", "0.3", "0.2", "1E-200", "-3E-190", "-2E-200"},
         {"0.1", "0.2", "", "1E-200", "-2E-200", ""},
         BracketEnd::X2,
         EndColor::Black,
         EndColor::Blue,
         0.15000000000000002},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        state.StepCount = 4;
        state.X3 = 1;
        AnalysisState expected = state;
        expected.Midpoint = c.midpoint;
        const ExchangeResult r = ExchangeBracket(state, c.before);
        EXPECT_EQ(r.replaced, c.replaced) << c.what;
        EXPECT_EQ(r.texts.x1, c.after.x1) << c.what;
        EXPECT_EQ(r.texts.x2, c.after.x2) << c.what;
        EXPECT_EQ(r.texts.x3, c.after.x3) << c.what;
        EXPECT_EQ(r.texts.fx1, c.after.fx1) << c.what;
        EXPECT_EQ(r.texts.fx2, c.after.fx2) << c.what;
        EXPECT_EQ(r.texts.fx3, c.after.fx3) << c.what;
        EXPECT_EQ(r.x1Color, c.x1Color) << c.what;
        EXPECT_EQ(r.x2Color, c.x2Color) << c.what;
        EXPECT_EQ(r.midpoint, c.midpoint) << c.what;
        EXPECT_TRUE(state == expected) << c.what << ": only Midpoint changes";
    }
}

TEST(RootSearch, WorkedRunOfTheDefaultMatrix)
{
    AnalysisState state;
    const SearchRun run = RunSearch(state, kDefaultCellTexts, "0", "2");
    ASSERT_TRUE(run.accepted);
    const std::vector<std::string> expected = {"1",
                                               "1.5",
                                               "1.25",
                                               "1.125",
                                               "1.1875",
                                               "1.21875",
                                               "1.234375",
                                               "1.2265625",
                                               "1.22265625",
                                               "1.220703125",
                                               "1.2197265625",
                                               "1.22021484375",
                                               "1.219970703125",
                                               "1.2198486328125",
                                               "1.21978759765625"};
    EXPECT_EQ(run.x3Texts, expected);
    EXPECT_EQ(state.StepCount, 16);
    EXPECT_EQ(run.caption, "<0.0001");
    EXPECT_EQ(run.fx3Texts[10].substr(0, 11), "-0.00024386");
    EXPECT_EQ(run.fx3Texts.back().substr(0, 9), "0.0000637");
    EXPECT_EQ(state.Lambda, 1.21978759765625);
    EXPECT_EQ(state.SearchPointX.size(), 17u);
}

TEST(RootSearch, FalseRootOfALongTableIsRefused)
{
    // With the absolute test alone this search would stop at 0.5, |f| being about 4e-59 there.
    AnalysisState state;
    setLongTable(state, 0.3, 0.5);
    const SearchRun run = RunSearch(state, kNoCells, "0", "2");
    ASSERT_TRUE(run.accepted);
    EXPECT_EQ(run.x3Texts[1], "0.5");
    EXPECT_NEAR(*state.Lambda, 0.710977222864644, 5e-5);
    EXPECT_EQ(run.caption, "<0.0001");
}

TEST(RootSearch, StalledMidpointOfALongTableEndsTheSearch)
{
    // f cannot get below 0.0001 in 15 digits near this table's root: the midpoint stops moving
    // and the step accepts it instead of leaving the user clicking for ever.
    AnalysisState state;
    setLongTable(state, 0.2, 0.99);
    const SearchRun run = RunSearch(state, kNoCells, "0", "2");
    ASSERT_TRUE(run.accepted);
    EXPECT_EQ(run.caption, "15 digits");
    EXPECT_GT(std::fabs(*state.Fx3), RootTolerance);
    EXPECT_NEAR(*state.Lambda, 1.16060123197001, 1e-13);
    EXPECT_LT(run.x3Texts.size(), 60u);
    EXPECT_TRUE(run.bracket.x3 == run.bracket.x1 || run.bracket.x3 == run.bracket.x2);
}

} // namespace
