#include "core/curve.h"

#include "core/search.h"

#include "core/numbertext.h"
#include "core/vectorstate.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace tarnvale {

namespace {

// Additions counted one by one to tell the exact size of a range that is too long; beyond this
// the size is estimated from its length.
constexpr std::int64_t kCountedAdditions = 10'000'000;

// The x values of a range, or why there are too many of them.
struct Sampling
{
    enum class Verdict { Fits, TooMany, Endless };
    Verdict verdict = Verdict::Fits;
    std::vector<double> xs; // Fits: the x of each point, in order
    double total = 0.0; // TooMany: the number of points the range would take
    bool estimated = false; // TooMany: total comes from the range's length, not from counting
};

bool inRange(double x, double end, double step)
{
    return step >= 0 ? x <= end : x >= end;
}

// Runs the sampling loop on x alone: x = x1, then x = x + step while x has not passed x2. Stops
// after kMaxPlotPoints points, and then finds out how many the whole range would take.
Sampling sampleRange(double x1, double x2, double step)
{
    Sampling s;
    double x = x1;
    if (step == 0.0) {
        if (inRange(x, x2, step))
            s.verdict = Sampling::Verdict::Endless;
        return s;
    }
    while (inRange(x, x2, step)) {
        if (static_cast<int>(s.xs.size()) == kMaxPlotPoints)
            break;
        s.xs.push_back(x);
        const double next = x + step;
        if (next == x) {
            s.verdict = Sampling::Verdict::Endless;
            return s;
        }
        x = next;
    }
    if (!inRange(x, x2, step))
        return s;

    // The range goes on past the last slot: count on without storing anything.
    std::int64_t count = kMaxPlotPoints;
    while (count < kCountedAdditions && inRange(x, x2, step)) {
        ++count;
        const double next = x + step;
        if (next == x) {
            s.verdict = Sampling::Verdict::Endless;
            return s;
        }
        x = next;
    }
    s.verdict = Sampling::Verdict::TooMany;
    s.total = static_cast<double>(count);
    if (inRange(x, x2, step)) {
        // Too long to count. Adding the step stalls for good once x is so large that the step is
        // below half its last digit; the largest x still to come is one of the two ends.
        const double far = std::fmax(std::fabs(x), std::fabs(x2));
        const double remaining = std::floor(x2 / step - x / step) + 1.0;
        if (far + std::fabs(step) == far || !std::isfinite(remaining)) {
            s.verdict = Sampling::Verdict::Endless;
            return s;
        }
        s.total += remaining;
        s.estimated = true;
    }
    s.xs.clear();
    return s;
}

std::string rangeText(double x1, double x2, double step)
{
    return "The range from " + NumberToText(x1) + " to " + NumberToText(x2) + " in steps of "
        + NumberToText(step);
}

std::string refusal(const Sampling &s, double x1, double x2, double step)
{
    const std::string limit = std::to_string(kMaxPlotPoints);
    if (s.verdict == Sampling::Verdict::TooMany) {
        const std::string total = s.estimated ? "about " + NumberToText(s.total)
                                              : std::to_string(static_cast<std::int64_t>(s.total));
        return rangeText(x1, x2, step) + " would take " + total
            + " points, but a curve can have at most " + limit
            + ". Choose a larger step or a smaller range.";
    }
    if (step == 0.0)
        return rangeText(x1, x2, step)
            + " never ends: x does not move, so the curve would take endless points, but it can "
              "have at most "
            + limit + ". Choose a step other than 0.";
    return rangeText(x1, x2, step)
        + " never ends: adding so small a step no longer changes x, so the curve would take "
          "endless points, but it can have at most "
        + limit + ". Choose a larger step.";
}

std::string unreadable(std::string_view text, const char *caption)
{
    return "The number \"" + std::string(text) + "\" after \"" + caption
        + "\" lies beyond the range of numbers this program can compute with.";
}

// A factor of a product of cells: the names of its cells ("m(4)·m(9)") and its single value.
struct Factor
{
    std::string names;
    float value = 0.0f;
};

Factor times(const Factor &a, const Factor &b)
{
    return {a.names + "\u00B7" + b.names, static_cast<float>(a.value * b.value)};
}

std::string singleLimit()
{
    return "\u00B1" + NumberToText(FLT_MAX);
}

} // namespace

std::optional<std::string> CheckCurveMatrix(const CellTexts &cells)
{
    std::array<Factor, 16> cell;
    for (int i : {0, 1, 2, 3, 4, 9, 14}) {
        const std::string name = "m(" + std::to_string(i) + ")";
        const ScannedNumber n = TextToNumber(cells[i]);
        const float single = ToSingle(n.value);
        if (n.outOfRange || !std::isfinite(single))
            return "The cell " + name + " holds "
                + (n.outOfRange ? std::string(cells[i]) : NumberToText(n.value))
                + ", but the graph needs matrix values within " + singleLimit() + ".";
        cell[i] = {name, single};
    }
    // The products in the order EvaluateMatrixCurve forms them.
    const Factor s0s1 = times(cell[4], cell[9]);
    const Factor s0s1s2 = times(s0s1, cell[14]);
    const std::pair<Factor, Factor> products[] = {{cell[4], cell[1]},
                                                  {cell[4], cell[9]},
                                                  {s0s1, cell[2]},
                                                  {s0s1, cell[14]},
                                                  {s0s1s2, cell[3]}};
    for (const auto &[a, b] : products) {
        if (!std::isfinite(times(a, b).value))
            return "The product of the cells " + a.names + " and " + b.names + " ("
                + NumberToText(a.value) + " \u00D7 " + NumberToText(b.value) + ") lies beyond "
                + singleLimit() + ", but the graph needs matrix values within that range.";
    }
    return std::nullopt;
}

double EvaluateMatrixCurve(const AnalysisState &state, double x)
{
    const std::array<float, 16> &a = state.MatrixCell;
    // A product of two single-precision cells is itself rounded to single precision; the casts
    // keep that so on any floating-point unit.
    const float s0f1 = static_cast<float>(a[4] * a[1]);
    const float s0s1 = static_cast<float>(a[4] * a[9]);
    const float s0s1f2 = static_cast<float>(s0s1 * a[2]);
    const float s0s1s2 = static_cast<float>(s0s1 * a[14]);
    const float s0s1s2f3 = static_cast<float>(s0s1s2 * a[3]);

    double f = std::pow(x, 4) - static_cast<double>(a[0]) * std::pow(x, 3);
    f = f - static_cast<double>(s0f1) * std::pow(x, 2);
    f = f - static_cast<double>(s0s1f2) * x;
    f = f - static_cast<double>(s0s1s2f3);
    return f;
}

PlotResult PlotCurve(AnalysisState &state, std::string_view x1Text, std::string_view x2Text,
                     std::string_view stepText)
{
    const ScannedNumber x1 = TextToNumber(x1Text);
    const ScannedNumber x2 = TextToNumber(x2Text);
    const ScannedNumber step = TextToNumber(stepText);
    if (x1.outOfRange)
        return {false, unreadable(x1Text, "For x=")};
    if (x2.outOfRange)
        return {false, unreadable(x2Text, "to")};
    if (step.outOfRange)
        return {false, unreadable(stepText, "step")};

    const bool table = state.dataFileMode();
    if (table && !state.hasLifeTable())
        return {false, "The life table holds no age class, so there is no curve to draw."};

    const Sampling sampling = sampleRange(x1.value, x2.value, step.value);
    if (sampling.verdict != Sampling::Verdict::Fits)
        return {false, refusal(sampling, x1.value, x2.value, step.value)};

    const std::size_t count = sampling.xs.size();
    std::vector<float> pointX(count);
    std::vector<double> plotFx(count);
    double survivalProduct = 0.0;
    // Up to two million calls of std::pow follow; see ResetUpperVectorState.
    ResetUpperVectorState();
    for (std::size_t i = 0; i < count; ++i) {
        const double x = sampling.xs[i];
        // Beyond the single-precision range the x column could only hold an infinity.
        if (std::fabs(x) > FLT_MAX)
            return {false,
                    "x = " + NumberToText(x)
                        + " is too large for the chart, which holds x in single precision (at "
                          "most "
                        + NumberToText(FLT_MAX)
                        + "). The curve was not drawn; choose a smaller range."};
        pointX[i] = ToSingle(x);
        plotFx[i]
            = table ? EvaluateTable(state, x, survivalProduct) : EvaluateMatrixCurve(state, x);
        if (!std::isfinite(plotFx[i]))
            return {false,
                    "f(x) cannot be computed at x = " + NumberToText(x)
                        + ": its value lies beyond the range of numbers. The curve was not "
                          "drawn; choose a smaller range."};
    }

    state.X1 = x1.value;
    state.X2 = x2.value;
    state.PlotStep = step.value;
    state.PlotX = count ? sampling.xs.back() + step.value : x1.value;
    state.PlotCount = static_cast<std::int16_t>(count);
    for (std::size_t i = 0; i < count; ++i) {
        state.PointX[i + 1] = pointX[i];
        state.PlotFx[i + 1] = plotFx[i];
    }
    if (count) {
        state.X3 = sampling.xs.back();
        state.Fx3 = plotFx.back();
        if (table)
            state.SurvivalProduct = survivalProduct;
    }
    return {true, {}};
}

} // namespace tarnvale
