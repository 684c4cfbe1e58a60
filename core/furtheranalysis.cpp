#include "core/furtheranalysis.h"

#include "core/numbertext.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace tarnvale {

std::string ValueText(const std::optional<double> &value)
{
    return value && std::isfinite(*value) ? NumberToText(*value) : std::string("undefined");
}

namespace {

std::optional<double> finite(double value)
{
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

} // namespace

RootComparison CompareRoots(const LeslieAnalysis &analysis, const std::optional<double> &root)
{
    RootComparison c;
    if (root && std::isfinite(*root))
        c.root = root;
    c.lambda1 = analysis.lambda;
    if (!c.root || !c.lambda1)
        return c;
    c.difference = finite(*c.root - *c.lambda1);
    if (*c.lambda1 > 0)
        c.relativeDifference = finite((*c.root - *c.lambda1) / *c.lambda1);
    // The roots of f(x) = 0 are the eigenvalues of the matrix: the accepted point belongs to the
    // one it lies nearest to. A periodic table has other eigenvalues of lambda1's modulus, but
    // none of them equals lambda1.
    const double toLambda1 = std::fabs(*c.root - *c.lambda1);
    for (std::size_t i = 1; i < analysis.eigenvalues.size(); ++i) {
        const std::complex<double> mu = analysis.eigenvalues[i];
        if (std::abs(mu - *c.lambda1) <= 1e-12 * std::max(1.0, *c.lambda1))
            continue;
        if (std::abs(mu - *c.root) < toLambda1)
            c.otherRoot = true;
    }
    return c;
}

std::string OtherRootNote(const RootComparison &comparison)
{
    if (!comparison.otherRoot)
        return {};
    return "Your search found another root of f(x) = 0, not the dominant one: the dominant root "
           "\u03bb1 is the largest, and the population grows by it.";
}

std::string ConvergenceText(const Projection &projection)
{
    if (projection.convergenceTime)
        return std::to_string(*projection.convergenceTime);
    for (const std::optional<double> &d : projection.distance)
        if (d)
            return "not within " + std::to_string(projection.steps) + " steps";
    return "undefined";
}

std::string PeriodText(const LeslieAnalysis &analysis)
{
    return analysis.period ? std::to_string(*analysis.period) : std::string("undefined");
}

std::optional<double> FinalGrowthRatio(const Projection &projection)
{
    return projection.growthRatio.empty() ? std::nullopt : projection.growthRatio.back();
}

std::optional<double> ElasticitySum(const LeslieAnalysis &analysis)
{
    if (!analysis.elasticityFecundity || !analysis.elasticitySurvival)
        return std::nullopt;
    double sum = 0;
    for (double e : *analysis.elasticityFecundity)
        sum += e;
    for (double e : *analysis.elasticitySurvival)
        sum += e;
    return finite(sum);
}

std::vector<std::optional<double>> Log10Totals(const Projection &projection)
{
    std::vector<std::optional<double>> logs;
    logs.reserve(projection.logTotal.size());
    for (double ln : projection.logTotal)
        logs.push_back(finite(ln / std::numbers::ln10));
    return logs;
}

std::vector<ChartPoint> ChartLine(const std::vector<std::optional<double>> &values, int maxPoints)
{
    std::vector<ChartPoint> points;
    const std::size_t count = values.size();
    const std::size_t runs = static_cast<std::size_t>(std::max(maxPoints / 2, 1));
    if (count <= static_cast<std::size_t>(std::max(maxPoints, 1))) {
        for (std::size_t t = 0; t < count; ++t)
            if (values[t])
                points.push_back({static_cast<double>(t), *values[t]});
        return points;
    }
    for (std::size_t run = 0; run < runs; ++run) {
        const std::size_t first = run * count / runs, end = (run + 1) * count / runs;
        std::optional<std::size_t> low, high;
        for (std::size_t t = first; t < end; ++t) {
            if (!values[t])
                continue;
            if (!low || *values[t] < *values[*low])
                low = t;
            if (!high || *values[t] > *values[*high])
                high = t;
        }
        if (!low)
            continue;
        const std::size_t a = std::min(*low, *high), b = std::max(*low, *high);
        points.push_back({static_cast<double>(a), *values[a]});
        if (b != a)
            points.push_back({static_cast<double>(b), *values[b]});
    }
    return points;
}

std::vector<ShareLine> GroupedShares(const Projection &projection,
                                     const std::optional<std::vector<double>> &sad, int ageClasses,
                                     int shown)
{
    if (ageClasses <= shown + 1)
        shown = ageClasses;
    std::vector<ShareLine> lines;
    const bool rest = shown < ageClasses;
    for (int line = 0; line < shown + (rest ? 1 : 0); ++line) {
        // Line `line` covers the classes [first, last].
        const int first = line;
        const int last = line < shown ? line : ageClasses - 1;
        ShareLine l;
        l.label = first == last ? "age " + std::to_string(first)
                                : "ages " + std::to_string(first) + "-" + std::to_string(last);
        l.shares.reserve(projection.shares.size());
        for (const std::optional<std::vector<double>> &shares : projection.shares) {
            if (!shares || static_cast<int>(shares->size()) != ageClasses) {
                l.shares.push_back(std::nullopt);
                continue;
            }
            double sum = 0;
            for (int x = first; x <= last; ++x)
                sum += (*shares)[x];
            l.shares.push_back(sum);
        }
        if (sad && static_cast<int>(sad->size()) == ageClasses) {
            double sum = 0;
            for (int x = first; x <= last; ++x)
                sum += (*sad)[x];
            l.stable = sum;
        }
        lines.push_back(std::move(l));
    }
    return lines;
}

} // namespace tarnvale
