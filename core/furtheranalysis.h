#pragma once

#include "core/leslie.h"
#include "core/projection.h"
#include "core/results.h"
#include "core/stageanalysis.h"

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
    // For a stage model, that other eigenvalue (real, since the search runs along the real axis).
    std::optional<double> otherEigenvalue;
};

// Compares the accepted `root` (empty: none accepted) with lambda1 of `analysis`.
RootComparison CompareRoots(const LeslieAnalysis &analysis, const std::optional<double> &root);

// The same for the root of the search on a stage model, a root x > 0 of det(I - A / x) and so a
// real eigenvalue of A: where the root lies nearer another real eigenvalue of `analysis` than
// lambda1, that one is `otherEigenvalue`.
RootComparison CompareRoots(const StageAnalysis &analysis, const std::optional<double> &root);

// Said beside the comparison when the search found another root; empty otherwise. For a stage
// model it names the eigenvalue found: "Your search found the eigenvalue 0.5 of the matrix: this
// is not the dominant root λ1, ...".
std::string OtherRootNote(const RootComparison &comparison);

// The convergence time of a projection as shown: "9", "not within 30 steps", or "undefined"
// where no distance to the SAD is defined.
std::string ConvergenceText(const Projection &projection);

// The period d as shown: "3", or "undefined" when no class reproduces (a stage model: when the
// matrix is reducible or has no cycle).
std::string PeriodText(const LeslieAnalysis &analysis);
std::string PeriodText(const StageAnalysis &analysis);

// Shown beside the damping ratio of a stage model of period above 1: "the population cycles
// with period 3; the stage structure does not approach w". Empty otherwise.
std::string PeriodicNote(const StageAnalysis &analysis);

// N(T) / N(T - 1) of the last step; empty once the population has died out.
std::optional<double> FinalGrowthRatio(const Projection &projection);

// The sum of all elasticities, to F(x) and to s(x) (1 up to rounding); empty when they are
// undefined.
std::optional<double> ElasticitySum(const LeslieAnalysis &analysis);
// The sum of a stage model's elasticities E(i, j); empty when they are undefined.
std::optional<double> ElasticitySum(const StageAnalysis &analysis);

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

// A stage model's chart gets a line per stage up to this many stages and one more: its stages
// have names, which say more than ages do.
inline constexpr int kShownStageShares = 7;

// The same for a stage model of `stages` stages: the first `shown` stages each, labelled by
// StageCaption, and the rest summed ("stages 8-50", counted from 1); `stable` is w.
std::vector<ShareLine> GroupedStageShares(const Projection &projection,
                                          const std::optional<std::vector<double>> &stable,
                                          const std::vector<std::string> &names, int stages,
                                          int shown = kShownStageShares);

// Stage i (from 0) where it stands alone, as a chart legend or a file's column: its name, or
// "stage 3" (counted from 1) when the model has no names.
std::string StageCaption(const std::vector<std::string> &names, int i);

// The structure of a stage model's life cycle in sentences a student can follow: whether every
// stage can be reached from every other (irreducible), whether the population cycles (the
// period) or settles (primitive), and whether the long run depends on where it starts
// (ergodic). Empty for a model that was refused.
std::vector<std::string> StructureSentences(const StageAnalysis &analysis);

// Why a stage model has no R0 and T, as a sentence ("R0 and T are undefined, because the model
// is not split into U and F."); empty where R0 is defined or the model was refused.
std::string NoR0Sentence(const StageAnalysis &analysis);

// A per-entry result of a stage model (its sensitivities, its elasticities) as a window's table
// shows it: the values row by row (row i "to" stage i, column j "from" stage j), and the largest
// magnitude among them, which the tint of each cell is measured against.
struct EntryTable
{
    const ResultField *field = nullptr;
    int stages = 0;
    std::optional<std::vector<double>> values; // empty when the result is undefined
    double largest = 0;
};

// The per-entry results of `analysis`, in the order of the list of results.
std::vector<EntryTable> EntryTables(const StageAnalysis &analysis);

// How strongly cell (i, j) of `table` is tinted: its magnitude over the largest, 0 ... 1; 0 where
// the values are undefined or all 0.
double EntryShade(const EntryTable &table, int i, int j);

// An entry as a matrix cell shows it: 4 significant digits, the whole value being in the saved
// files ("0.0123", "1.235E-06"); "undefined" for an empty or non-finite value.
std::string ShortValueText(const std::optional<double> &value);

} // namespace tarnvale
