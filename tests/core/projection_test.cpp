// The projection against the plain product n(t + 1) = A n(t) written out here.
#include "core/projection.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace tarnvale;

TEST(ProjectLeslie, followsTheMatrixProduct)
{
    const LeslieTable table {{0, 1.2, 1.5, 0.4, 0}, {0.6, 0.5, 0.4, 0.3}};
    const LeslieAnalysis analysis = AnalyseLeslie(table);
    for (StartChoice choice : {StartChoice::Equal, StartChoice::FirstClass, StartChoice::Stable}) {
        const StartVector start = MakeStartVector(analysis, choice);
        ASSERT_TRUE(start.ok);
        const int steps = 60;
        const Projection p
            = ProjectLeslie(table, start.shares, steps, analysis.stableAgeDistribution);
        ASSERT_EQ(p.total.size(), steps + 1u);
        ASSERT_EQ(p.growthRatio.size(), static_cast<std::size_t>(steps));
        std::vector<double> n = start.shares;
        std::optional<int> converged;
        for (int t = 0; t <= steps; ++t) {
            double total = 0, distance = 0;
            for (double v : n)
                total += v;
            for (std::size_t x = 0; x < n.size(); ++x)
                distance += std::fabs(n[x] / total - (*analysis.stableAgeDistribution)[x]) / 2;
            EXPECT_NEAR(*p.total[t], total, 1e-12 * total) << t;
            EXPECT_NEAR(std::exp(p.logTotal[t]), total, 1e-12 * total);
            EXPECT_NEAR(*p.distance[t], distance, 1e-12);
            EXPECT_NEAR((*p.shares[t])[1], n[1] / total, 1e-13);
            if (distance > kConvergenceDistance)
                converged.reset();
            else if (!converged)
                converged = t;
            std::vector<double> next(n.size(), 0.0);
            for (std::size_t x = 0; x < n.size(); ++x)
                next[0] += table.fecundity[x] * n[x];
            for (std::size_t x = 0; x + 1 < n.size(); ++x)
                next[x + 1] = table.survival[x] * n[x];
            if (t < steps) {
                double nextTotal = 0;
                for (double v : next)
                    nextTotal += v;
                EXPECT_NEAR(*p.growthRatio[t], nextTotal / total, 1e-13);
            }
            n = next;
        }
        EXPECT_EQ(p.convergenceTime, converged);
        if (choice == StartChoice::Stable) {
            EXPECT_EQ(p.convergenceTime, 0);
        }
    }
}

TEST(ProjectLeslie, keepsSharesWhereTotalsLeaveTheRange)
{
    // lambda1 = 3: after 1000 steps N is about 3^1000, beyond the double range.
    const LeslieTable table {{3}, {}};
    const Projection p = ProjectLeslie(table, {1.0}, 1000, std::vector<double> {1.0});
    EXPECT_NEAR(p.logTotal[1000], 1000 * std::log(3.0), 1e-9);
    EXPECT_FALSE(p.total[1000]);
    EXPECT_NEAR(*p.total[10], std::pow(3.0, 10), 1e-9);
    EXPECT_EQ(p.shares[1000], std::vector<double> {1.0});
    EXPECT_EQ(p.growthRatio[999], 3.0);
}

TEST(ProjectLeslie, cyclesWithoutConvergingAndEndsWhenThePopulationDiesOut)
{
    // Bernardelli's beetle from age class 0 returns to the start every third step.
    const LeslieTable beetle {{0, 0, 6}, {0.5, 0.33333333333333331}};
    const LeslieAnalysis analysis = AnalyseLeslie(beetle);
    const Projection p = ProjectLeslie(beetle, {1, 0, 0}, 30, analysis.stableAgeDistribution);
    EXPECT_NEAR(*p.total[30], 1.0, 1e-14);
    EXPECT_NEAR(*p.total[31 - 2], 1.0 / 6, 1e-14);
    EXPECT_FALSE(p.convergenceTime);

    // Nothing reproduces: the last class dies and the shares are gone.
    const Projection end = ProjectLeslie({{0, 0}, {0.5}}, {0, 1}, 3, std::nullopt);
    EXPECT_EQ(end.total[1], 0.0);
    EXPECT_FALSE(end.shares[1] || end.growthRatio[1] || end.distance[0]);
    EXPECT_EQ(end.growthRatio[0], 0.0);
}

TEST(MakeStartVector, scalesTypedNumbersAndSaysWhatIsWrong)
{
    const LeslieAnalysis analysis = AnalyseLeslie({{0, 1, 2}, {0.5, 0.5}});
    struct Case
    {
        const char *typed;
        const char *message;
        std::vector<double> shares;
    };
    const Case cases[] = {
        {"1 1 2", "", {0.25, 0.25, 0.5}},
        {"0, 3, 0", "", {0, 1, 0}},
        {"1 2", "give 3 numbers, one for each age class; there are 2", {}},
        {"1 x 2", "age class 1: \"x\" is not a finite decimal number", {}},
        {"1 -1 2", "age class 1: -1 is negative", {}},
        {"0 0 0", "the numbers add up to 0; at least one must be positive", {}},
        {"1,,2", "age class 1: the entry is empty", {}},
    };
    for (const Case &c : cases) {
        const StartVector start = MakeStartVector(analysis, StartChoice::Typed, c.typed);
        EXPECT_EQ(start.message, c.message) << c.typed;
        EXPECT_EQ(start.shares, c.shares) << c.typed;
    }
    EXPECT_EQ(MakeStartVector(AnalyseLeslie({{0, 0}, {0.5}}), StartChoice::Stable).message,
              "the stable age distribution is undefined");
}

} // namespace
