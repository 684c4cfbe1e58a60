#pragma once

#include "core/leslie.h"
#include "core/projection.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnvale {

// A value as the windows show it: NumberToText, or "undefined" for an empty or non-finite one.
std::string ValueText(const std::optional<double> &value);

// The root the user's search accepted beside the dominant root lambda1 of the same table.
struct RootComparison
{
    std::optional<double> root; // lambda of the search
    std::optional<double> lambda1;
    std::optional<double> difference; // lambda - lambda1
    std::optional<double> relativeDifference; // (lambda - lambda1) / lambda1; empty for lambda1 = 0
    // The search accepted a root of f(x) = 0 that lies nearer another eigenvalue of the matrix
    // than lambda1: its bracket held another root.
    bool otherRoot = false;
};

// Compares the accepted `root` (empty: none accepted) with lambda1 of `analysis`.
RootComparison CompareRoots(const LeslieAnalysis &analysis, const std::optional<double> &root);

// Said beside the comparison when the search found another root; empty otherwise.
std::string OtherRootNote(const RootComparison &comparison);

// The convergence time of a projection as shown: "9", "not within 30 steps", or "undefined"
// where no distance to the SAD is defined.
std::string ConvergenceText(const Projection &projection);

// The period d as shown: "3", or "undefined" when no class reproduces.
std::string PeriodText(const LeslieAnalysis &analysis);

// N(T) / N(T - 1) of the last step; empty once the population has died out.
std::optional<double> FinalGrowthRatio(const Projection &projection);

// The sum of all elasticities, to F(x) and to s(x) (1 up to rounding); empty when they are
// undefined.
std::optional<double> ElasticitySum(const LeslieAnalysis &analysis);

// log10 N(t), t = 0 ... steps: a logarithmic scale that holds any total, also one beyond the
// double range; empty once the population has died out.
std::vector<std::optional<double>> Log10Totals(const Projection &projection);

// A point of a chart line: t and the value there.
struct ChartPoint
{
    double t = 0;
    double value = 0;
    bool operator==(const ChartPoint &) const = default;
};

inline constexpr int kMaxChartPoints = 480;

// The defined values of `values` (index t) as points of a chart line of at most about
// `maxPoints` points: all of them when they are that few, else per run of consecutive t the
// smallest and the largest value in the order they come, so that the line keeps every peak and
// trough a chart a few hundred pixels wide can show (a cycle of period 2 stays a band, it is not
// sampled into a flat line).
std::vector<ChartPoint> ChartLine(const std::vector<std::optional<double>> &values,
                                  int maxPoints = kMaxChartPoints);

// One line of the chart of the class shares: an age class, or the remaining classes summed.
struct ShareLine
{
    std::string label; // "age 2", "ages 5-200"
    std::vector<std::optional<double>> shares; // t = 0 ... steps; empty where N(t) = 0
    std::optional<double> stable; // the same classes' share of the SAD
};

inline constexpr int kShownShareClasses = 5;

// The shares of the first `shown` age classes over time, and the rest summed into one line; a
// table of at most shown + 1 classes gets a line per class.
std::vector<ShareLine> GroupedShares(const Projection &projection,
                                     const std::optional<std::vector<double>> &sad, int ageClasses,
                                     int shown = kShownShareClasses);

} // namespace tarnvale
