// What the "Further analysis" window shows beside the analysis: the comparison of the user's root
// with lambda1, the grouped shares and the texts of single values.
#include "core/furtheranalysis.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace tarnvale;

// The default matrix: f(x) = x^4 - 0.5 x^2 - x - 0.25.
const LeslieTable kDefault {{0, 1, 2, 1}, {0.5, 1, 0.5}};

double f(double x)
{
    return std::pow(x, 4) - 0.5 * x * x - x - 0.25;
}

// A root of f in [a, b] by plain bisection, written here apart from the analysis.
double bisect(double a, double b)
{
    for (int i = 0; i < 200; ++i) {
        const double m = (a + b) / 2;
        (f(a) < 0) == (f(m) < 0) ? a = m : b = m;
    }
    return (a + b) / 2;
}

TEST(CompareRoots, setsTheSearchBesideLambda1)
{
    const double lambda1 = bisect(1, 2);
    const double negative = bisect(-0.5, 0);
    struct Case
    {
        std::optional<double> root;
        bool otherRoot;
    };
    const Case cases[] = {{1.21978759765625, false}, {lambda1, false}, {1.3, false},
                          {negative, true},          {-0.2, true},     {std::nullopt, false}};
    const LeslieAnalysis analysis = AnalyseLeslie(kDefault);
    for (const Case &c : cases) {
        const RootComparison r = CompareRoots(analysis, c.root);
        EXPECT_EQ(r.otherRoot, c.otherRoot) << c.root.value_or(-99);
        ASSERT_TRUE(r.lambda1);
        EXPECT_NEAR(*r.lambda1, lambda1, 1e-14);
        EXPECT_EQ(r.root, c.root);
        EXPECT_EQ(OtherRootNote(r).empty(), !c.otherRoot);
        if (!c.root) {
            EXPECT_FALSE(r.difference || r.relativeDifference);
            continue;
        }
        EXPECT_NEAR(*r.difference, *c.root - lambda1, 1e-14);
        EXPECT_NEAR(*r.relativeDifference, (*c.root - lambda1) / lambda1, 1e-14);
    }
    // No class reproduces: lambda1 = 0 has no relative difference.
    const RootComparison none = CompareRoots(AnalyseLeslie({{0, 0}, {0.5}}), 0.01);
    EXPECT_EQ(none.lambda1, 0.0);
    EXPECT_EQ(none.difference, 0.01);
    EXPECT_FALSE(none.relativeDifference);
}

TEST(FurtherAnalysisTexts, sayUndefinedWhereNoValueIs)
{
    EXPECT_EQ(ValueText(1.5), "1.5");
    EXPECT_EQ(ValueText(std::nullopt), "undefined");
    EXPECT_EQ(ValueText(INFINITY), "undefined");
    EXPECT_EQ(ValueText(NAN), "undefined");

    const LeslieAnalysis worked = AnalyseLeslie(kDefault);
    EXPECT_EQ(PeriodText(worked), "1");
    EXPECT_EQ(PeriodText(AnalyseLeslie({{0, 0, 6}, {0.5, 1.0 / 3}})), "3");
    EXPECT_EQ(PeriodText(AnalyseLeslie({{0, 0}, {0.5}})), "undefined");
    EXPECT_NEAR(*ElasticitySum(worked), 1, 1e-14);
    EXPECT_FALSE(ElasticitySum(AnalyseLeslie({{-1}, {}})));

    struct Case
    {
        StartChoice start;
        int steps;
        const char *text;
    };
    const Case cases[] = {{StartChoice::Stable, 5, "0"},
                          {StartChoice::Equal, 30, "9"},
                          {StartChoice::Equal, 5, "not within 5 steps"}};
    for (const Case &c : cases) {
        const Projection p = ProjectLeslie(kDefault, MakeStartVector(worked, c.start).shares,
                                           c.steps, worked.stableAgeDistribution);
        EXPECT_EQ(ConvergenceText(p), c.text);
    }
    const Projection noSad = ProjectLeslie({{0, 0}, {0.5}}, {0.5, 0.5}, 3, std::nullopt);
    EXPECT_EQ(ConvergenceText(noSad), "undefined");
}

TEST(Log10Totals, holdTotalsBeyondTheDoubleRange)
{
    // One class of fecundity 1e300: N(t) = 1e300^t.
    const Projection huge = ProjectLeslie({{1e300}, {}}, {1}, 4, std::nullopt);
    const std::vector<std::optional<double>> logs = Log10Totals(huge);
    ASSERT_EQ(logs.size(), 5u);
    for (int t = 0; t <= 4; ++t)
        EXPECT_NEAR(*logs[t], 300.0 * t, 1e-9) << t;
    EXPECT_NEAR(*FinalGrowthRatio(huge), 1e300, 1e286);

    // Nobody reproduces: N = 1, 0.25, then 0.
    const Projection dying = ProjectLeslie({{0, 0}, {0.5}}, {0.5, 0.5}, 3, std::nullopt);
    const std::vector<std::optional<double>> dyingLogs = Log10Totals(dying);
    EXPECT_NEAR(*dyingLogs[1], std::log10(0.25), 1e-15);
    EXPECT_FALSE(dyingLogs[2] || dyingLogs[3]);
    EXPECT_FALSE(FinalGrowthRatio(dying));
}

TEST(ChartLine, keepsEveryPeakAndTroughOfALongLine)
{
    // A cycle of period 2 over 1001 steps with a spike, and a gap where nothing is defined.
    std::vector<std::optional<double>> values;
    for (int t = 0; t <= 1000; ++t)
        values.push_back(t % 2 ? 1.0 : 0.0);
    values[500] = 5.0;
    values[700] = values[701] = values[702] = values[703] = std::nullopt;
    const std::vector<ChartPoint> line = ChartLine(values, 100);
    EXPECT_LE(line.size(), 100u);
    double low = 9, high = -9, spike = -1;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto t = static_cast<std::size_t>(line[i].t);
        ASSERT_TRUE(values[t]) << t;
        EXPECT_EQ(line[i].value, *values[t]);
        if (i > 0) {
            EXPECT_LT(line[i - 1].t, line[i].t);
        }
        low = std::min(low, line[i].value);
        high = std::max(high, line[i].value);
        if (line[i].value == 5.0)
            spike = line[i].t;
    }
    EXPECT_EQ(low, 0.0);
    EXPECT_EQ(high, 5.0);
    EXPECT_EQ(spike, 500.0);

    // A short line keeps every defined point.
    const std::vector<ChartPoint> short_ = ChartLine({1.0, std::nullopt, 3.0}, 100);
    EXPECT_EQ(short_, (std::vector<ChartPoint> {{0, 1.0}, {2, 3.0}}));
}

TEST(GroupedShares, showsTheFirstClassesAndSumsTheRest)
{
    const LeslieTable table {{0, 0.4, 0.8, 0.6, 0.5, 0.3, 0.2, 0.1},
                             {0.9, 0.8, 0.7, 0.6, 0.5, 0.4, 0.3}};
    const LeslieAnalysis a = AnalyseLeslie(table);
    const Projection p = ProjectLeslie(table, MakeStartVector(a, StartChoice::FirstClass).shares,
                                       10, a.stableAgeDistribution);
    struct Case
    {
        int shown;
        std::vector<std::string> labels;
    };
    const Case cases[]
        = {{5, {"age 0", "age 1", "age 2", "age 3", "age 4", "ages 5-7"}},
           {7, {"age 0", "age 1", "age 2", "age 3", "age 4", "age 5", "age 6", "age 7"}},
           {2, {"age 0", "age 1", "ages 2-7"}}};
    for (const Case &c : cases) {
        const std::vector<ShareLine> lines = GroupedShares(p, a.stableAgeDistribution, 8, c.shown);
        ASSERT_EQ(lines.size(), c.labels.size());
        for (std::size_t l = 0; l < lines.size(); ++l) {
            EXPECT_EQ(lines[l].label, c.labels[l]);
            const int first = static_cast<int>(l);
            const int last = l + 1 == lines.size() ? 7 : first;
            for (int t = 0; t <= 10; ++t) {
                double sum = 0;
                for (int x = first; x <= last; ++x)
                    sum += (*p.shares[t])[x];
                EXPECT_NEAR(*lines[l].shares[t], sum, 1e-15);
            }
            double stable = 0;
            for (int x = first; x <= last; ++x)
                stable += (*a.stableAgeDistribution)[x];
            EXPECT_NEAR(*lines[l].stable, stable, 1e-15);
        }
    }
}

} // namespace
