#pragma once

#include "core/search.h"
#include "core/searchrecord.h"
#include "core/stagemodel.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnvale {

// The characteristic equation of a projection matrix A divided by x^n, ready to be evaluated at
// many x: g(x) = det(I - A / x), whose roots x > 0 are the real positive eigenvalues of A. For a
// Leslie matrix g(x) = 1 - sum of l(x) F(x) x^-(x + 1), the main window's f(x) / x^(n + 1).
// Holds the upper Hessenberg form H = Q^T A Q of A (n * n values, row by row), which has the same
// determinant at every x and costs O(n^2) per evaluation instead of O(n^3).
struct StageCharacteristic
{
    int n = 0;
    std::vector<double> hessenberg;
};

// Reduces `a` to its Hessenberg form; of order n^3, about a tenth of a second for 500 stages.
StageCharacteristic MakeStageCharacteristic(const SquareMatrix &a);

// g(x) for x > 0; empty for x <= 0, a non-finite x, and where the value lies beyond the double
// range.
std::optional<double> StageCharacteristicAt(const StageCharacteristic &g, double x);

// ----- The search by hand -----

// The search ends at the bisection after which half the bracket, |x2 - x1| / 2, is at most this
// times x3, or where g(x3) = 0. A bound on |g(x3)| would not do: stasis terms make g tiny near
// lambda1 over a wide range of x.
inline constexpr double kStageBracketTolerance = 0.0001;
// Shown when the search ends.
inline constexpr const char *kStageEndCaption = "bracket \u2264 0.0001\u00b7x3";
// "Try" refuses a start point at or below 0.
inline constexpr const char *kStageNotPositiveText = "x must be above 0";
// Beside lambda1 when the search ended on another root.
inline constexpr const char *kNotDominantText = "this is not the dominant root \u03bb1";

// Whether a bisection ends the search: |x2 - x1| / 2 <= kStageBracketTolerance * x3, or g(x3) = 0.
bool StageSearchEnds(double x1, double x2, double x3, double gx3);

// The search on a stage matrix: its record (the entries as the main window's search makes them,
// shown by "Steps"), the number of points evaluated, and whether it has ended.
struct StageSearch
{
    std::vector<SearchEntry> record;
    int steps = 0;
    bool ended = false;

    bool operator==(const StageSearch &) const = default;
};

// The outcome of "Try".
struct StageTrial
{
    bool ok = false; // false: refused, nothing changed; `message` says why
    std::string message;
    bool accepted = false; // g(x1) * g(x2) < 0, as the two texts read
    std::string gx1Text; // g(x1), for Text4
    std::string gx2Text; // g(x2), for Text5
    std::string verdictText; // "Well done!" or "Try another value!"
};

// "Try" on the texts x1 and x2, read with TextToNumber. Refused with "x must be above 0" for a
// start point at or below 0, and when a start point or g there lies beyond the double range.
// When accepted, the search starts afresh: its record holds the one entry "bracket accepted".
StageTrial TryStageBracket(StageSearch &search, const StageCharacteristic &g,
                           const std::string &x1Text, const std::string &x2Text);

// The outcome of one "Bisection".
struct StageStep
{
    bool ok = false;
    std::string message;
    std::string x3Text; // NumberToText of the midpoint of the two ends as their texts read
    std::string gx3Text; // g(x3), x3 read from its text
    bool ended = false; // StageSearchEnds: x3 is lambda of the search
};

// One bisection step on the bracket texts x1 and x2: x3 is their midpoint, g is evaluated at x3
// as its text reads, and the step appended to the record ("step", or "root accepted (bracket
// <= 0.0001*x3)" when it ends the search). Refused, changing nothing, where g(x3) cannot be
// computed.
StageStep BisectStageStep(StageSearch &search, const StageCharacteristic &g,
                          const std::string &x1Text, const std::string &x2Text);

// "Exchange": x3 replaces x2 when the texts of g(x1) and g(x3) have opposite signs, otherwise
// x1, as on the main window; the x3 row empties. Appended to the record.
ExchangeResult ExchangeStageBracket(StageSearch &search, const BracketTexts &texts);

// Whether the search's last bracket [x1, x2] (either order) holds `lambda1`, allowing for the
// rounding of lambda1: the search then found the dominant root.
bool BracketHoldsLambda1(double x1, double x2, double lambda1);

// ----- The chart of g -----

// g over a range around the bracket, and the range of g the chart shows.
struct StageCurve
{
    std::vector<double> x;
    std::vector<double> g; // the defined values; x where g is undefined is left out
    double xLow = 0.0, xHigh = 1.0;
    double gLow = -1.0, gHigh = 1.0; // g inside the bracket and 0, with some room
};

// `count` points of g from below to above [low, high] (a quarter of its width either side, never
// reaching 0).
StageCurve StageCurveAround(const StageCharacteristic &g, double low, double high, int count);

// The points of the search's record inside [curve.xLow, curve.xHigh], numbered as the main
// window's graph numbers them, the newest kMaxSearchMarks at most.
std::vector<SearchMark> StageSearchMarks(const StageSearch &search, const StageCharacteristic &g,
                                         const StageCurve &curve);

} // namespace tarnvale
