#include "core/search.h"

#include "core/numbertext.h"
#include "longtable.h"
#include "tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

using namespace tarnvale;

namespace {

TEST(EvaluateCharacteristic, MatrixFormUsesDirectPowersAndOnlyTheSevenCells)
{
    // With every term present, Horner's scheme and the direct powers round differently at some
    // x; the evaluation must give the direct form's digits. The cells outside the seven hold
    // values that would show if read.
    const CellTexts cells = {"0.3",  "1.7",  "2.9",  "0.7", //
                             "0.37", "9",    "0",    "0", //
                             "0",    "0.91", "0",    "0", //
                             "0",    "0",    "0.53", "1e300"};
    const double m0 = 0.3, m1 = 1.7, m2 = 2.9, m3 = 0.7, m4 = 0.37, m9 = 0.91, m14 = 0.53;
    AnalysisState state;
    int differing = 0;
    for (int k = 1; k <= 400; ++k) {
        const double x = 0.00731 * k + 0.1;
        const double direct = std::pow(x, 4) - std::pow(x, 3) * m0 - std::pow(x, 2) * (m4 * m1)
            - m4 * m9 * m2 * x - m4 * m9 * m14 * m3;
        const double horner
            = (((x - m0) * x - m4 * m1) * x - m4 * m9 * m2) * x - m4 * m9 * m14 * m3;
        differing += direct != horner;
        ASSERT_EQ(EvaluateCharacteristic(state, cells, x), direct) << x;
    }
    EXPECT_GT(differing, 0) << "the sample does not tell the two schemes apart";
    EXPECT_FALSE(state.SurvivalProduct.has_value());

    // The size of the terms of the default population's f at -1: 1 + 0 + 0.5 + 1 + 0.25.
    EXPECT_EQ(EvaluateCharacteristicTerms(state, kDefaultCellTexts, -1).termSum, 2.75);
}

TEST(EvaluateCharacteristic, DataFileFormTermByTerm)
{
    struct Case
    {
        std::vector<double> f, s;
        double x, value, termSum, survivalProduct;
    };
    const Case cases[] = {
        {{1.5}, {}, 4, 2.5, 5.5, 1}, // one age class: x - F(0)
        {{1, 2}, {0.5}, -2, 5, 4 + 2 + 1, 0.5},
        {{0, 2}, {0.5}, 0, -1, 1, 0.5}, // x^0 is 1 at 0 too
        {{0, 0, 1, 2}, {1, 0.9, 1}, 2, 16 - 1.8 - 1.8, 16 + 1.8 + 1.8, 0.9},
        {{0, 1, 2, 1}, {0.5, 1, 0.5}, -1, 1.25, 2.75, 0.25}, // the default matrix as a table
    };
    for (const Case &c : cases) {
        AnalysisState state = tableState(c.f, c.s);
        const CharacteristicValue v = EvaluateCharacteristicTerms(state, kNoCells, c.x);
        EXPECT_EQ(v.value, c.value) << c.x;
        EXPECT_EQ(v.termSum, c.termSum) << c.x;
        EXPECT_EQ(state.SurvivalProduct, c.survivalProduct) << c.x;
        // The curve's evaluation of the table is the same.
        double survivalProduct = -1;
        EXPECT_EQ(EvaluateTable(state, c.x, survivalProduct), c.value) << c.x;
        EXPECT_EQ(survivalProduct, c.survivalProduct) << c.x;
    }

    // Texts the reader stored read as numbers.
    AnalysisState state = tableState({0, 0}, {0});
    state.Fecundity[1] = std::string("2");
    state.Survival[0] = std::string(" .5x");
    EXPECT_EQ(EvaluateCharacteristic(state, kNoCells, 3), 8.0);
}

TEST(TryBracket, AcceptsASignChangeOfTheShownProduct)
{
    struct Case
    {
        const char *what;
        std::vector<double> f, s; // a life table when not empty
        const char *x1, *x2, *fx1, *fx2, *product;
        const char *midpoint; // empty when rejected
    };
    const Case cases[] = {
        {"default pair", {}, {}, "0", "2", "-0.25", "11.75", "-2.9375", "1"},
        {"negative root", {}, {}, "-1", "0", "1.25", "-0.25", "-0.3125", "-0.5"},
        {"descending order", {}, {}, "2", "0", "11.75", "-0.25", "-2.9375", "1"},
        {"typed text", {}, {}, " 0.5abc", "2", "-0.8125", "11.75", "-9.546875", "1.25"},
        {"x1 = x2", {}, {}, "2", "2", "11.75", "11.75", "138.0625", ""},
        {"no sign change", {}, {}, "2", "3", "11.75", "73.25", "860.6875", ""},
        {"f(x1) = 0", {0}, {}, "0", "2", "0", "2", "0", ""},
        {"one age class", {1.5}, {}, "0", "2", "-1.5", "0.5", "-0.75", "1"},
        {"two age classes", {0, 2}, {0.5}, "0", "2", "-1", "3", "-3", "1"},
    };
    for (const Case &c : cases) {
        AnalysisState state = c.f.empty() ? AnalysisState {} : tableState(c.f, c.s);
        state.Midpoint = 42;
        state.PointX[1] = 7;
        const TrialResult r = TryBracket(state, kDefaultCellTexts, c.x1, c.x2);
        const bool accepted = *c.midpoint != '\0';
        ASSERT_TRUE(r.ok) << c.what << ": " << r.message;
        EXPECT_EQ(r.accepted, accepted) << c.what;
        EXPECT_EQ((std::vector<std::string> {r.fx1Text, r.fx2Text, r.productText, r.midpointText,
                                             r.verdictText}),
                  (std::vector<std::string> {c.fx1, c.fx2, c.product, c.midpoint,
                                             accepted ? "Well done!" : "Try another value!"}))
            << c.what;

        // Every trial, accepted or not, restarts the step history.
        const double x1 = TextToNumber(c.x1).value, x2 = TextToNumber(c.x2).value;
        EXPECT_EQ(state.StepCount, 1) << c.what;
        EXPECT_EQ(state.X1, x1) << c.what;
        EXPECT_EQ(state.X2, x2) << c.what;
        EXPECT_EQ(state.Fx1, TextToNumber(c.fx1).value) << c.what;
        EXPECT_EQ(state.Fx2, TextToNumber(c.fx2).value) << c.what;
        EXPECT_EQ(state.SearchPointX, (std::vector<float> {float(x1), float(x2)})) << c.what;
        EXPECT_EQ(state.PointX[1], 7.0f) << "the curve's points are not the search's";
        EXPECT_EQ(state.Midpoint, accepted ? (x1 + x2) / 2 : 42.0) << c.what;
    }
}

TEST(RootSearch, RefusesValuesBeyondTheDoubleRangeAndChangesNothing)
{
    // A row with start points is a "Try"; one without, a "Bisection" step at its midpoint.
    struct Case
    {
        CellTexts cells;
        const char *x1, *x2;
        double midpoint;
        const char *message;
    };
    const CellTexts &defaults = kDefaultCellTexts;
    const Case cases[] = {
        {defaults, "1e100", "2", 0,
         "f(x1) could not be computed at x1 = 1E+100: it lies beyond the range of numbers this "
         "program can compute with. Please try a value closer to the root."},
        {defaults, "0", "-1e80", 0,
         "f(x2) could not be computed at x2 = -1E+80: it lies beyond the range of numbers this "
         "program can compute with. Please try a value closer to the root."},
        {defaults, "1e999", "2", 0,
         "x1 = \"1e999\" lies beyond the range of numbers this program can compute with. Please "
         "type a smaller value."},
        {defaults, "0", "-2e400", 0,
         "x2 = \"-2e400\" lies beyond the range of numbers this program can compute with. Please "
         "type a smaller value."},
        {withCells({{0, "0"}, {1, "0"}, {2, "0"}, {3, "1e300"}}), "0", "1e77", 0,
         "f(x1)*f(x2) could not be computed: the product of -2.5E+299 and 9.999999975E+307 lies "
         "beyond the range of numbers this program can compute with. Please try start points "
         "closer to the root."},
        {defaults, nullptr, nullptr, 1e100,
         "f(x3) could not be computed at x3 = 1E+100: it lies beyond the range of numbers this "
         "program can compute with. Please try a value closer to the root."},
        {defaults, nullptr, nullptr, 1.7976931348623157e308,
         "x3 = 1.79769313486232E+308 lies beyond the range of numbers this program can compute "
         "with. Please start again with \"Try\" from start points closer to the root."},
        {withCells({{0, "1e308"}, {1, "1e308"}, {4, "1"}}), nullptr, nullptr, 1,
         "The net reproductive rate R0 could not be computed: it lies beyond the range of "
         "numbers this program can compute with. Please check the values of the population."},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        state.Midpoint = c.midpoint;
        const AnalysisState before = state;
        const auto outcome = [&]() -> std::pair<bool, std::string> {
            if (c.x1) {
                const TrialResult r = TryBracket(state, c.cells, c.x1, c.x2);
                return {r.ok, r.message};
            }
            const StepResult r = BisectStep(state, c.cells, "0", "2");
            return {r.ok, r.message};
        };
        EXPECT_EQ(outcome(), std::pair(false, std::string(c.message)));
        EXPECT_TRUE(state == before) << c.message;
    }

    // A life table without age classes is refused by both.
    AnalysisState state = tableState({});
    const AnalysisState before = state;
    const char *message = "The life table has no age classes, so f(x) cannot be computed. Please "
                          "read a life table with at least one age class.";
    EXPECT_EQ(TryBracket(state, kNoCells, "0", "2").message, message);
    EXPECT_EQ(BisectStep(state, kNoCells, "0", "2").message, message);
    EXPECT_TRUE(state == before);
}

TEST(BisectStep, AcceptsAtTheToleranceInclusive)
{
    // f(x) = x^4 - x^3 - m3 with every survival rate 1: at x3 = 1, f = -m3 exactly, and the
    // terms there sum to more than 1, so only |f| <= 0.0001 decides. x3 is the value of the text
    // the box shows: a midpoint of 17 digits is evaluated at its 15.
    struct Case
    {
        double midpoint;
        const char *m3;
        bool accepted;
        const char *fx3;
    };
    const Case cases[] = {{1, "0.0001", true, "-0.0001"},
                          {1, "0.00010000001", false, "-0.00010000001"},
                          {1, "0", true, "0"},
                          {1.0000000000000002, "0.0001", true, "-0.0001"}};
    for (const Case &c : cases) {
        const CellTexts cells
            = withCells({{0, "1"}, {1, "0"}, {2, "0"}, {3, c.m3}, {4, "1"}, {9, "1"}, {14, "1"}});
        AnalysisState state;
        state.Midpoint = c.midpoint;
        const StepResult r = BisectStep(state, cells, "0", "2");
        EXPECT_EQ(r.x3Text, "1");
        EXPECT_EQ(state.X3, 1.0);
        EXPECT_EQ(r.fx3Text, c.fx3) << c.m3;
        EXPECT_EQ(r.accepted, c.accepted) << c.m3;
        EXPECT_EQ(r.acceptCaption, c.accepted ? "<0.0001" : "") << c.m3;
    }

    // One age class: f(x) = x - F(0).
    AnalysisState state = tableState({1.5});
    state.Midpoint = 1.50005;
    EXPECT_TRUE(BisectStep(state, kNoCells, "1", "2").accepted);
    state.Midpoint = 1.5002;
    EXPECT_FALSE(BisectStep(state, kNoCells, "1", "2").accepted);
}

TEST(BisectStep, KeepsCountingBeyondTenThousandSteps)
{
    // After an acceptance the user may go on exchanging and bisecting for ever.
    AnalysisState state;
    const SearchRun run = RunSearch(state, kDefaultCellTexts, "0", "2", 10050);
    EXPECT_EQ(run.x3Texts.size(), 10050u);
    EXPECT_EQ(state.StepCount, 10051);
    ASSERT_EQ(state.SearchPointX.size(), 10052u);
    EXPECT_NEAR(state.SearchPointX.back(), 1.2197, 1e-4);
    EXPECT_EQ(state.PointX, std::vector<float>(kPointSlots, 0.0f));
}

std::vector<std::string> boxes(const BracketTexts &t)
{
    return {t.x1, t.x2, t.x3, t.fx1, t.fx2, t.fx3};
}

TEST(ExchangeBracket, KeepsTheHalfWithTheSignChange)
{
    struct Case
    {
        BracketTexts before;
        BracketEnd replaced;
        double midpoint;
    };
    const Case cases[] = {
        {{"0", "2", "1", "-0.25", "11.75", "-0.75"}, BracketEnd::X1, 1.5},
        {{"1", "2", "1.5", "-0.75", "11.75", "2.1875"}, BracketEnd::X2, 1.25},
        {{"0.5", "1.5", "1", "-0.1875", "2.8125", "0"}, BracketEnd::X1, 1.25}, // a product of 0
        {{"2", "0", "1", "11.75", "-0.25", "-0.75"}, BracketEnd::X2, 1.5}, // descending order
        {{" 0.5abc", "2", "1.25", "-0.8125", "11.75", "0.16015625"}, BracketEnd::X2, 0.875},
        // Values whose product underflows keep their signs.
        {{"0.1", "0.3", "0.2", "1E-200", "-3E-190", "-2E-200"},
         BracketEnd::X2,
         0.15000000000000002},
    };
    for (const Case &c : cases) {
        const BracketTexts &b = c.before;
        SCOPED_TRACE(b.x1 + ", " + b.x2 + ", " + b.x3);
        AnalysisState state;
        state.StepCount = 4;
        AnalysisState expected = state;
        expected.Midpoint = c.midpoint;
        const ExchangeResult r = ExchangeBracket(state, b);
        expected.SearchRecord.push_back(
            {4, r.texts.x1, r.texts.x2, "", "",
             c.replaced == BracketEnd::X1 ? SearchEvent::ReplacesX1 : SearchEvent::ReplacesX2});
        // x3 takes the place of the replaced end, which turns blue; the other end, black, keeps
        // its texts verbatim; the x3 row is emptied.
        const bool x1 = c.replaced == BracketEnd::X1;
        EXPECT_EQ(r.replaced, c.replaced);
        EXPECT_EQ(boxes(r.texts),
                  x1 ? boxes({b.x3, b.x2, "", b.fx3, b.fx2, ""})
                     : boxes({b.x1, b.x3, "", b.fx1, b.fx3, ""}));
        EXPECT_EQ(r.x1Color, x1 ? EndColor::Blue : EndColor::Black);
        EXPECT_EQ(r.x2Color, x1 ? EndColor::Black : EndColor::Blue);
        EXPECT_EQ(r.midpoint, c.midpoint);
        EXPECT_TRUE(state == expected) << "only Midpoint and the record of the search change";
    }
}

TEST(RootSearch, WorkedRunOfTheDefaultMatrix)
{
    AnalysisState state;
    const SearchRun run = RunSearch(state, kDefaultCellTexts, "0", "2");
    ASSERT_TRUE(run.accepted);
    std::string shown;
    for (const std::string &x3 : run.x3Texts)
        shown += (shown.empty() ? "" : ", ") + x3;
    EXPECT_EQ(shown,
              "1, 1.5, 1.25, 1.125, 1.1875, 1.21875, 1.234375, 1.2265625, 1.22265625, "
              "1.220703125, 1.2197265625, 1.22021484375, 1.219970703125, 1.2198486328125, "
              "1.21978759765625");
    EXPECT_EQ(run.fx3Texts[0], "-0.75");
    EXPECT_EQ(run.fx3Texts[10].substr(0, 11), "-0.00024386");
    EXPECT_EQ(run.fx3Texts.back().substr(0, 9), "0.0000637");
    EXPECT_EQ(run.caption, "<0.0001");
    EXPECT_EQ(state.StepCount, 16);
    EXPECT_EQ(state.Lambda, 1.21978759765625);
    ASSERT_EQ(state.SearchPointX.size(), 17u);
    EXPECT_EQ(state.SearchPointX[2], 1.0f);
}

TEST(RootSearch, StalledMidpointOfALongTableEndsTheSearch)
{
    // f cannot get below 0.0001 in 15 digits near this table's root: the midpoint stops moving
    // and the step accepts it instead of leaving the user clicking for ever.
    AnalysisState state = test::LongTable(0.2, 0.99);
    const SearchRun run = RunSearch(state, kNoCells, "0", "2");
    ASSERT_TRUE(run.accepted);
    EXPECT_EQ(run.caption, "15 digits");
    EXPECT_GT(std::fabs(*state.Fx3), RootTolerance);
    EXPECT_NEAR(*state.Lambda, 1.16060123197001, 1e-13);
    EXPECT_LT(run.x3Texts.size(), 60u);
    EXPECT_TRUE(run.bracket.x3 == run.bracket.x1 || run.bracket.x3 == run.bracket.x2);

    // Ends whose texts still leave room in 15 digits are bisected as usual.
    AnalysisState room;
    room.Midpoint = 1.000000000000005;
    EXPECT_FALSE(BisectStep(room, kDefaultCellTexts, "1", "1.00000000000002").accepted);
}

} // namespace
