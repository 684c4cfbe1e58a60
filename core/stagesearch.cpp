#include "core/stagesearch.h"

#include "core/numbertext.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>

namespace tarnvale {

// Why g(x) = det(I - A/x) is computed from the Hessenberg form by Gaussian elimination, and not
// as the product of (1 - mu/x) over the eigenvalues mu or from the coefficients of the
// characteristic polynomial:
// - The coefficients lose everything near lambda1 for more than a few stages: the polynomial's
//   terms are huge and cancel (the main window's f(x) shows it on long life tables).
// - The Householder reduction H = Q^T (A + E) Q is backward stable, ||E|| about n eps ||A||, and
//   Gaussian elimination with partial pivoting on a Hessenberg matrix grows its entries at most
//   n-fold, so the determinant computed is that of I - (A + E')/x with E' as small. Near a simple
//   root the sign of g is therefore right except within about n eps ||A|| / |g'(lambda1)| of it,
//   far inside the bracket tolerance of 0.0001 x3 even where stasis terms make g tiny there (the
//   turtle's g is -0.0022 at 0.9 and 0.0033 at 1).
// - The eigenvalues would serve as well (the Schur form is as backward stable), but they cost ten
//   times as much, and the reduction is done once per matrix: the chart's hundreds of points and
//   every click then cost O(n^2), a fraction of a millisecond for 500 stages.
// The determinant is carried as a mantissa and a power of two, so that the product of 500 pivots
// neither overflows nor underflows on its way to a value that fits.
StageCharacteristic MakeStageCharacteristic(const SquareMatrix &a)
{
    StageCharacteristic g;
    g.n = a.n;
    if (a.n <= 0)
        return g;
    Eigen::MatrixXd m(a.n, a.n);
    for (int i = 0; i < a.n; ++i)
        for (int j = 0; j < a.n; ++j)
            m(i, j) = a.at(i, j);
    Eigen::MatrixXd h = m;
    if (a.n > 2)
        h = Eigen::HessenbergDecomposition<Eigen::MatrixXd>(m).matrixH();
    g.hessenberg.resize(static_cast<std::size_t>(a.n) * static_cast<std::size_t>(a.n));
    for (int i = 0; i < a.n; ++i)
        for (int j = 0; j < a.n; ++j)
            g.hessenberg[static_cast<std::size_t>(i) * static_cast<std::size_t>(a.n) + j]
                = j + 1 < i ? 0.0 : h(i, j);
    return g;
}

std::optional<double> StageCharacteristicAt(const StageCharacteristic &g, double x)
{
    if (!(x > 0) || !std::isfinite(x) || g.n <= 0)
        return std::nullopt;
    const int n = g.n;
    const auto entry = [&](int i, int j) {
        const double h
            = g.hessenberg[static_cast<std::size_t>(i) * static_cast<std::size_t>(n) + j];
        return (i == j ? 1.0 : 0.0) - h / x;
    };
    // Row k of the eliminated matrix, from column k on; the rows below it are still untouched.
    std::vector<double> current(static_cast<std::size_t>(n)), next(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j)
        current[j] = entry(0, j);
    double mantissa = 1.0;
    long exponent = 0;
    const auto multiply = [&](double pivot) {
        int e = 0;
        mantissa = std::frexp(mantissa * pivot, &e);
        exponent += e;
    };
    for (int k = 0; k + 1 < n; ++k) {
        for (int j = k; j < n; ++j)
            next[j] = entry(k + 1, j);
        if (std::fabs(next[k]) > std::fabs(current[k])) {
            std::swap(current, next);
            mantissa = -mantissa;
        }
        const double pivot = current[k];
        if (pivot == 0)
            return 0.0;
        if (!std::isfinite(pivot))
            return std::nullopt;
        const double factor = next[k] / pivot;
        for (int j = k + 1; j < n; ++j)
            next[j] -= factor * current[j];
        multiply(pivot);
        std::swap(current, next);
    }
    if (!std::isfinite(current[n - 1]))
        return std::nullopt;
    multiply(current[n - 1]);
    if (mantissa == 0)
        return 0.0;
    if (exponent > 1024)
        return std::nullopt;
    return std::ldexp(mantissa, static_cast<int>(std::max(exponent, -1100L)));
}

bool StageSearchEnds(double x1, double x2, double x3, double gx3)
{
    return gx3 == 0 || std::fabs(x2 - x1) / 2 <= kStageBracketTolerance * x3;
}

namespace {

constexpr const char *kBeyondRange
    = "lies beyond the range of numbers this program can compute with";

std::string valueMessage(const char *value, const char *name, double x)
{
    return std::string(value) + " could not be computed at " + name + " = " + NumberToText(x)
        + ": it " + kBeyondRange + ". Please try a value closer to the root.";
}

// The sign of a number as its text reads: -1, 0 or 1.
int signOf(const std::string &text)
{
    const double value = TextToNumber(text).value;
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

bool isRoot(SearchEvent event)
{
    return event == SearchEvent::RootAccepted || event == SearchEvent::RootStalled
        || event == SearchEvent::RootNarrowBracket;
}

} // namespace

StageTrial TryStageBracket(StageSearch &search, const StageCharacteristic &g,
                           const std::string &x1Text, const std::string &x2Text)
{
    StageTrial trial;
    std::string texts[2];
    const std::string *given[2] = {&x1Text, &x2Text};
    for (int k = 0; k < 2; ++k) {
        const char *name = k == 0 ? "x1" : "x2";
        const ScannedNumber read = TextToNumber(*given[k]);
        if (read.outOfRange) {
            trial.message = std::string(name) + " = \"" + *given[k] + "\" " + kBeyondRange
                + ". Please type a smaller value.";
            return trial;
        }
        if (!(read.value > 0)) {
            trial.message = kStageNotPositiveText;
            return trial;
        }
        const std::optional<double> value = StageCharacteristicAt(g, read.value);
        if (!value) {
            trial.message = valueMessage(k == 0 ? "g(x1)" : "g(x2)", name, read.value);
            return trial;
        }
        texts[k] = NumberToText(*value);
    }
    trial.ok = true;
    trial.gx1Text = texts[0];
    trial.gx2Text = texts[1];
    trial.accepted = signOf(texts[0]) * signOf(texts[1]) < 0;
    trial.verdictText = trial.accepted ? kWellDoneText : kTryAnotherText;
    if (trial.accepted) {
        search.record.assign(1, {1, x1Text, x2Text, {}, {}, SearchEvent::BracketAccepted});
        search.steps = 1;
        search.ended = false;
    }
    return trial;
}

StageStep BisectStageStep(StageSearch &search, const StageCharacteristic &g,
                          const std::string &x1Text, const std::string &x2Text)
{
    StageStep step;
    const double x1 = TextToNumber(x1Text).value, x2 = TextToNumber(x2Text).value;
    const std::string x3Text = NumberToText(MidpointOf(x1, x2));
    const ScannedNumber x3 = TextToNumber(x3Text);
    const std::optional<double> gx3 = StageCharacteristicAt(g, x3.value);
    if (x3Text.empty() || x3.outOfRange || !gx3) {
        step.message = valueMessage("g(x3)", "x3", x3.value);
        return step;
    }
    step.ok = true;
    step.x3Text = x3Text;
    step.gx3Text = NumberToText(*gx3);
    step.ended = StageSearchEnds(x1, x2, x3.value, TextToNumber(step.gx3Text).value);
    ++search.steps;
    search.ended = step.ended;
    search.record.push_back({search.steps, x1Text, x2Text, step.x3Text, step.gx3Text,
                             step.ended ? SearchEvent::RootNarrowBracket : SearchEvent::Step});
    return step;
}

ExchangeResult ExchangeStageBracket(StageSearch &search, const BracketTexts &texts)
{
    const bool signChange = signOf(texts.fx1) * signOf(texts.fx3) < 0;
    const ExchangeResult result = ExchangedBracket(texts, signChange);
    search.record.push_back({search.steps,
                             result.texts.x1,
                             result.texts.x2,
                             {},
                             {},
                             signChange ? SearchEvent::ReplacesX2 : SearchEvent::ReplacesX1});
    return result;
}

bool BracketHoldsLambda1(double x1, double x2, double lambda1)
{
    const double low = std::min(x1, x2), high = std::max(x1, x2);
    const double slack = 1e-9 * std::max(std::fabs(high), std::fabs(lambda1));
    return lambda1 >= low - slack && lambda1 <= high + slack;
}

StageCurve StageCurveAround(const StageCharacteristic &g, double low, double high, int count)
{
    StageCurve curve;
    if (low > high)
        std::swap(low, high);
    double width = high - low;
    if (!(width > 0))
        width = low > 0 ? low / 10 : 1;
    curve.xLow = low - width / 4;
    if (!(curve.xLow > 0))
        curve.xLow = low > 0 ? low / 2 : width / 100;
    curve.xHigh = high + width / 4;
    count = std::max(count, 2);
    double gLow = 0, gHigh = 0;
    for (int i = 0; i < count; ++i) {
        const double x = curve.xLow + (curve.xHigh - curve.xLow) * i / (count - 1);
        const std::optional<double> value = StageCharacteristicAt(g, x);
        if (!value)
            continue;
        curve.x.push_back(x);
        curve.g.push_back(*value);
        if (x >= low && x <= high) {
            gLow = std::min(gLow, *value);
            gHigh = std::max(gHigh, *value);
        }
    }
    for (const double end : {low, high})
        if (const std::optional<double> value = StageCharacteristicAt(g, end)) {
            gLow = std::min(gLow, *value);
            gHigh = std::max(gHigh, *value);
        }
    const double room = gHigh > gLow ? (gHigh - gLow) / 10 : 1;
    curve.gLow = gLow - room;
    curve.gHigh = gHigh + room;
    return curve;
}

std::vector<SearchMark> StageSearchMarks(const StageSearch &search, const StageCharacteristic &g,
                                         const StageCurve &curve)
{
    std::vector<double> xs;
    for (const SearchEntry &entry : search.record) {
        if (entry.event == SearchEvent::BracketAccepted) {
            xs.push_back(TextToNumber(entry.x1).value);
            xs.push_back(TextToNumber(entry.x2).value);
        } else if (entry.event == SearchEvent::Step || isRoot(entry.event)) {
            xs.push_back(TextToNumber(entry.x3).value);
        }
    }
    std::vector<SearchMark> marks;
    for (int i = static_cast<int>(xs.size()) - 1; i >= 0; --i) {
        if (static_cast<int>(marks.size()) == kMaxSearchMarks)
            break;
        if (xs[i] < curve.xLow || xs[i] > curve.xHigh)
            continue;
        if (const std::optional<double> value = StageCharacteristicAt(g, xs[i]))
            marks.push_back({i + 1, xs[i], *value});
    }
    std::reverse(marks.begin(), marks.end());
    return marks;
}

} // namespace tarnvale
