#pragma once

#include "core/leslie.h"
#include "core/stagemodel.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tarnvale {

// A model a "what if" changes: a Leslie table or a stage model. A Leslie table stays one where
// the change keeps it in the Leslie pattern, so that its lambda1 is the one its report gives.
using PopulationModel = std::variant<LeslieTable, StageModel>;

// What a "what if" changes. An entry a(i, j) (row i "to", column j "from"), a fecundity F(x) or
// survival rate s(x) of a Leslie table, or a factor k multiplying a group of entries: every
// entry (All: k = 1 - h is a harvest h of every stage after each step), row i (Row: a harvest of
// stage i), the part F or the part U (of a split stage model, or of a Leslie table, whose F is
// its first row and U its sub-diagonal).
enum class TargetKind { Entry, Fecundity, Survival, All, Row, PartF, PartU };

struct WhatIfTarget
{
    TargetKind kind = TargetKind::All;
    int row = 0; // Entry and Row: i, counted from 0
    int column = 0; // Entry: j, counted from 0
    int age = 0; // Fecundity and Survival: x, counted from 0

    bool operator==(const WhatIfTarget &) const = default;
};

// Whether the target is a factor k on a group of entries (present value 1), and whether that
// factor is a harvest, h = 1 - k (All and Row).
bool IsGroup(const WhatIfTarget &target);
bool IsHarvest(const WhatIfTarget &target);

// Reads a target as the command line writes it: "a[i,j]" and "row[i]" with i, j from 1, "F(x)"
// and "s(x)" with x from 0, "A", "F", "U". Blanks may stand around the numbers. Nothing when the
// text is none of these.
std::optional<WhatIfTarget> ParseTarget(std::string_view text);

// The target as ParseTarget reads it, without blanks: "a[1,2]", "row[1]", "F(0)", "A".
std::string TargetText(const WhatIfTarget &target);

// A target fitted to a model: what a sweep, a break-even search or a slider changes, and its
// present value (the entry, or k = 1 for a group).
struct Variation
{
    PopulationModel model;
    WhatIfTarget target;
    double present = 1.0;
};

// FitTarget's answer: the variation, or why the target does not fit the model ("a[4,1] lies
// outside the 3 x 3 matrix", "F(2) is a fecundity by age, which a stage model does not have",
// "the model is not split into U and F").
struct VariationFit
{
    bool ok = false;
    Variation variation;
    std::string message;
};

// Fits `target` to `model`, which must be one CheckLeslieTable or CheckStageModel accepts.
VariationFit FitTarget(PopulationModel model, const WhatIfTarget &target);

// The model with the target at `value` (>= 0): the entry set to it, or the group multiplied by
// it. A Leslie table whose entry outside its pattern changes becomes a stage model (its Leslie
// matrix). A stage model changes its A; a group changes the parts it scales with it, and an
// entry of a split model drops the parts, which would no longer sum to A. For the part F or U,
// A becomes A + (k - 1) F (or U), so that k = 1 gives A to the last bit.
PopulationModel ChangedModel(const Variation &variation, double value);

// lambda1 of the changed model, as its report gives it: LeslieLambda of a Leslie table,
// DominantEigenvalue of a matrix. At the present value it is the report's lambda1 to the last
// bit (for an entry outside a Leslie table's pattern, to rounding). Empty where undefined (a
// negative value, lambda1 beyond the range).
std::optional<double> LambdaAt(const Variation &variation, double value);

// lambda1, r and the stable distribution of the changed model (LeslieGrowth or StageGrowth),
// what a slider shows after each move.
Growth GrowthAt(const Variation &variation, double value);

inline constexpr int kMinSweepPoints = 2;
inline constexpr int kMaxSweepPoints = 10000;

// lambda1 at `points` values from `from` to `to`, from + (to - from) k / (points - 1) for
// k = 0 ... points - 1 (2 <= points <= kMaxSweepPoints, 0 <= from <= to; otherwise no points).
struct Sweep
{
    WhatIfTarget target;
    std::vector<double> values;
    std::vector<std::optional<double>> lambda;
};
Sweep SweepLambda(const Variation &variation, double from, double to, int points);

// The smallest value of the target at which lambda1 >= lambdaTarget, to a relative 1e-12: as
// lambda1 never decreases while an entry of a non-negative matrix grows, doubling from the
// present value (1 where it is 0), up to a million times that, brackets it and bisection finds
// it. Where there is none, `reason` says why: "already above 1 without it" (lambda1 >= the
// target with the value 0), "this entry does not raise λ1 enough: it lies on no cycle through
// the dominant part" (decided from the life-cycle graph), or that lambda1 stays below the target
// up to the bound.
struct BreakEven
{
    WhatIfTarget target;
    double lambdaTarget = 1.0;
    std::optional<double> value; // k for a group, the entry's value otherwise
    std::string reason; // empty where `value` is found
};
BreakEven FindBreakEven(const Variation &variation, double lambdaTarget = 1.0);

// A life table response experiment of fixed design (Caswell 2001, Matrix Population Models,
// 2nd ed., section 10.1.1): for two models of one size, C(i, j) = (a2(i, j) - a1(i, j)) S(i, j)
// with S the sensitivities of the mean matrix (A1 + A2) / 2. Their sum approximates
// lambda1(2) - lambda1(1) to first order. A Leslie table takes part as its Leslie matrix; the
// lambda1 of each is its report's. Each result is empty where undefined (the contributions
// where lambda1 of the mean matrix is not simple).
struct Ltre
{
    int n = 0;
    std::optional<double> lambdaFirst;
    std::optional<double> lambdaSecond;
    std::optional<SquareMatrix> contributions;
    std::optional<double> sum;
    std::optional<double> lambdaDifference;
};

// AnalyseLtre's answer: the LTRE, or why the two cannot be compared ("the matrix is 3 x 3 where
// the first is 4 x 4").
struct LtreResult
{
    bool ok = false;
    Ltre ltre;
    std::string message;
};

// Compares two models CheckLeslieTable or CheckStageModel accept.
LtreResult AnalyseLtre(const PopulationModel &first, const PopulationModel &second);

// The projection matrix of a model: a stage model's A, a Leslie table's Leslie matrix.
SquareMatrix ProjectionMatrix(const PopulationModel &model);

} // namespace tarnvale
