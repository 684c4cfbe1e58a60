#pragma once

#include "core/state.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarnvale {

// The most points one curve may have: PointX has slots 1 ... 10000.
inline constexpr int kMaxPlotPoints = 10000;

// The outcome of PlotCurve. When ok is false nothing in the state was changed and `message` says
// why the range cannot be plotted.
struct PlotResult
{
    bool ok = false;
    std::string message;
};

// f(x) of the matrix as the curve computes it: from the single-precision copies MatrixCell, each
// product of cells rounded to single precision, powers of x and the sums in double precision.
double EvaluateMatrixCurve(const AnalysisState &state, double x);

// Why the curve of a 4 x 4 matrix cannot be drawn from these cell texts, or nothing. The curve
// computes with single-precision copies of the cells and of their products (see
// EvaluateMatrixCurve), so a cell of the first row or the sub-diagonal beyond the single range,
// or a product of them that leaves it, has no curve; the message names the cells, their values
// and the limit.
std::optional<std::string> CheckCurveMatrix(const CellTexts &cells);

// Samples f(x) over the range typed in the graph window: x1Text, x2Text and stepText are read
// with TextToNumber. x runs from x1 by repeated addition of the step while x <= x2 (x >= x2 for a
// negative step); each point's x goes into PointX(i) in single precision and f(x), evaluated in
// double precision at the unrounded x, into PlotFx(i), i = 1 ... PlotCount. Also writes X1, X2,
// PlotStep, PlotX (the running x after the last point), X3 and Fx3 (the last point) and, in
// data-file mode, SurvivalProduct.
// Refuses, changing nothing, a range that needs more than kMaxPlotPoints points or never ends, a
// number beyond the double range, and a range where f(x) or the single-precision x is not finite.
PlotResult PlotCurve(AnalysisState &state, std::string_view x1Text, std::string_view x2Text,
                     std::string_view stepText);

} // namespace tarnvale
