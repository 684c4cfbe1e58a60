#pragma once

#include "core/leslie.h"
#include "core/stagemodel.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnvale {

inline constexpr int kDefaultProjectionSteps = 30;
inline constexpr int kMaxProjectionSteps = 1000;

// Where the projection starts; every start vector has the total N(0) = 1.
enum class StartChoice {
    Equal, // the same share in every class
    FirstClass, // everything in age class 0
    Stable, // the stable age distribution
    Typed, // numbers the user typed, scaled to total 1
};

// A start vector of n shares summing to 1, or a message saying why there is none.
struct StartVector
{
    bool ok = false;
    std::vector<double> shares;
    std::string message;
};

// The start vector of `choice` for `analysis` (Typed reads `typed`: n numbers >= 0 with a
// positive sum, separated as SplitEntries separates them). Refused: Stable where the SAD is
// undefined, typed text with the wrong count, an entry that is not a number, a negative entry, a
// zero sum.
StartVector MakeStartVector(const LeslieAnalysis &analysis, StartChoice choice,
                            const std::string &typed = {});

// The same for a stage model of `stages` stages with the stable stage distribution `stable`
// (FirstClass: everything in the first stage). The messages say "stage" and name the stage as
// StageName does with `names` ("stage juvenile: -1 is negative", "give 3 numbers, one for each
// stage; there are 2", "the stable stage distribution is undefined").
StartVector MakeStartVector(int stages, const std::optional<std::vector<double>> &stable,
                            StartChoice choice, const std::string &typed = {},
                            const std::vector<std::string> &names = {});

// n(t) for t = 0 ... steps under n(t + 1) = A n(t), carried as shares and log N(t) so that a
// fast-growing table never overflows.
struct Projection
{
    int steps = 0;
    // ln N(t), t = 0 ... steps; -infinity once the population has died out.
    std::vector<double> logTotal;
    // N(t); empty where it leaves the double range.
    std::vector<std::optional<double>> total;
    // n(t) / N(t), t = 0 ... steps; empty once N(t) = 0.
    std::vector<std::optional<std::vector<double>>> shares;
    // N(t + 1) / N(t), t = 0 ... steps - 1; empty once N(t) = 0.
    std::vector<std::optional<double>> growthRatio;
    // Keyfitz's distance 1/2 sum |share(x) - SAD(x)|, t = 0 ... steps; empty where the shares or
    // the SAD are undefined.
    std::vector<std::optional<double>> distance;
    // The first t from which the distance stays <= kConvergenceDistance up to `steps`; empty
    // when there is none ("not within T steps").
    std::optional<int> convergenceTime;
};

inline constexpr double kConvergenceDistance = 0.01;

// Projects `start` (n shares, as MakeStartVector gives them) over `steps` steps (1 ... 1000;
// other counts are clamped into that range). `sad` is the stable age distribution the distances
// are measured to (empty: no distances).
Projection ProjectLeslie(const LeslieTable &table, const std::vector<double> &start, int steps,
                         const std::optional<std::vector<double>> &sad);

// The same under n(t + 1) = A n(t) for any projection matrix `a` (entries >= 0), `stable` the
// stable stage distribution the distances are measured to. A Leslie matrix gives what
// ProjectLeslie gives, to rounding (ProjectLeslie sums in another order and touches only the
// first row and the sub-diagonal).
Projection ProjectMatrix(const SquareMatrix &a, const std::vector<double> &start, int steps,
                         const std::optional<std::vector<double>> &stable);

} // namespace tarnvale
