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

// The root beside lambda1, and how far apart they are, where both are known.
RootComparison comparedWithLambda1(const std::optional<double> &lambda1,
                                   const std::optional<double> &root)
{
    RootComparison c;
    if (root && std::isfinite(*root))
        c.root = root;
    c.lambda1 = lambda1;
    if (!c.root || !c.lambda1)
        return c;
    c.difference = finite(*c.root - *c.lambda1);
    if (*c.lambda1 > 0)
        c.relativeDifference = finite((*c.root - *c.lambda1) / *c.lambda1);
    return c;
}

} // namespace

RootComparison CompareRoots(const LeslieAnalysis &analysis, const std::optional<double> &root)
{
    RootComparison c = comparedWithLambda1(analysis.lambda, root);
    if (!c.root || !c.lambda1)
        return c;
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

RootComparison CompareRoots(const StageAnalysis &analysis, const std::optional<double> &root)
{
    RootComparison c = comparedWithLambda1(analysis.lambda, root);
    if (!c.root || !c.lambda1)
        return c;
    // Another class of the life cycle may share lambda1 exactly; that is still lambda1.
    double nearest = std::fabs(*c.root - *c.lambda1);
    for (std::size_t i = 1; i < analysis.eigenvalues.size(); ++i) {
        const std::complex<double> mu = analysis.eigenvalues[i];
        const bool real = std::fabs(mu.imag()) <= 1e-9 * std::abs(mu);
        if (!real || std::fabs(mu.real() - *c.lambda1) <= 1e-12 * std::max(1.0, *c.lambda1))
            continue;
        if (std::fabs(mu.real() - *c.root) < nearest) {
            nearest = std::fabs(mu.real() - *c.root);
            c.otherRoot = true;
            c.otherEigenvalue = mu.real();
        }
    }
    return c;
}

std::string OtherRootNote(const RootComparison &comparison)
{
    if (!comparison.otherRoot)
        return {};
    if (comparison.otherEigenvalue)
        return "Your search found the eigenvalue " + NumberToText(*comparison.otherEigenvalue)
            + " of the matrix: this is not the dominant root \u03bb1, the largest eigenvalue, by "
              "which the population grows.";
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

std::string PeriodText(const StageAnalysis &analysis)
{
    return analysis.period ? std::to_string(*analysis.period) : std::string("undefined");
}

std::string PeriodicNote(const StageAnalysis &analysis)
{
    if (!analysis.period || *analysis.period <= 1)
        return {};
    return "the population cycles with period " + std::to_string(*analysis.period)
        + "; the stage structure does not approach w";
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

std::optional<double> ElasticitySum(const StageAnalysis &analysis)
{
    if (!analysis.elasticity)
        return std::nullopt;
    double sum = 0;
    for (double e : analysis.elasticity->values)
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

namespace {

// The lines of the share chart, each labelled by `label(first, last)` for the classes it covers.
template<typename Label>
std::vector<ShareLine> groupShares(const Projection &projection,
                                   const std::optional<std::vector<double>> &sad, int ageClasses,
                                   int shown, Label label)
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
        l.label = label(first, last);
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

} // namespace

std::vector<ShareLine> GroupedShares(const Projection &projection,
                                     const std::optional<std::vector<double>> &sad, int ageClasses,
                                     int shown)
{
    return groupShares(projection, sad, ageClasses, shown, [](int first, int last) {
        return first == last ? "age " + std::to_string(first)
                             : "ages " + std::to_string(first) + "-" + std::to_string(last);
    });
}

std::vector<ShareLine> GroupedStageShares(const Projection &projection,
                                          const std::optional<std::vector<double>> &stable,
                                          const std::vector<std::string> &names, int stages,
                                          int shown)
{
    return groupShares(projection, stable, stages, shown, [&names](int first, int last) {
        return first == last
            ? StageCaption(names, first)
            : "stages " + std::to_string(first + 1) + "-" + std::to_string(last + 1);
    });
}

std::string StageCaption(const std::vector<std::string> &names, int i)
{
    if (i >= 0 && static_cast<std::size_t>(i) < names.size())
        return names[static_cast<std::size_t>(i)];
    return "stage " + std::to_string(i + 1);
}

std::vector<std::string> StructureSentences(const StageAnalysis &a)
{
    if (!a.lambda)
        return {};
    std::vector<std::string> sentences;
    sentences.push_back(
        a.irreducible ? "Every stage can be reached from every other: the matrix is irreducible."
                      : "Some stages cannot be reached from others: the matrix is reducible.");
    if (a.primitive)
        sentences.push_back("It is primitive: some power of the matrix has no zero entry, so from "
                            "any start the stage structure settles to the stable distribution w.");
    else if (a.period && *a.period > 1)
        sentences.push_back(
            "The population cycles with period " + std::to_string(*a.period)
            + ": the life cycle leads back to a stage only in multiples of "
            + std::to_string(*a.period)
            + " steps, so the matrix is not primitive, and the stage structure keeps "
              "oscillating instead of settling to w.");
    else if (a.irreducible)
        sentences.push_back("It is not primitive: its one stage does not lead back to itself.");
    else
        sentences.push_back("It is not primitive: as some stages cannot be reached from others, "
                            "every power of the matrix keeps a zero entry.");
    if (!a.ergodic)
        sentences.push_back("Whether it is ergodic is undefined: the population dies out "
                            "(\u03bb1 = 0).");
    else if (*a.ergodic)
        sentences.push_back("It is ergodic: every stage leads to the fastest-growing part of the "
                            "life cycle, so the long-run growth rate \u03bb1 does not depend on "
                            "the stages the population starts in.");
    else if (!a.sensitivity)
        sentences.push_back("It is not ergodic: two parts of the life cycle grow equally fast, so "
                            "the long-run structure depends on the stages the population starts "
                            "in.");
    else
        sentences.push_back("It is not ergodic: some stages do not lead to the fastest-growing "
                            "part of the life cycle, so the long-run growth depends on the stages "
                            "the population starts in.");
    return sentences;
}

std::string NoR0Sentence(const StageAnalysis &analysis)
{
    if (analysis.netReproductiveRate || analysis.whyNoR0.empty())
        return {};
    return "R0 and T are undefined, because " + analysis.whyNoR0 + ".";
}

std::vector<EntryTable> EntryTables(const StageAnalysis &analysis)
{
    std::vector<EntryTable> tables;
    for (const ResultField *field : ResultsOf(ModelKind::Stage, ResultKind::PerEntry)) {
        EntryTable table;
        table.field = field;
        table.stages = analysis.stages;
        const ResultValue value = ValueOf(*field, analysis);
        if (const std::vector<double> *values = NumbersOf(value); values
            && values->size() == static_cast<std::size_t>(analysis.stages) * analysis.stages) {
            table.values = *values;
            for (double v : *values)
                if (std::isfinite(v))
                    table.largest = std::max(table.largest, std::fabs(v));
        }
        tables.push_back(std::move(table));
    }
    return tables;
}

double EntryShade(const EntryTable &table, int i, int j)
{
    if (!table.values || !(table.largest > 0) || i < 0 || j < 0 || i >= table.stages
        || j >= table.stages)
        return 0;
    const double v
        = (*table.values)[static_cast<std::size_t>(i) * table.stages + static_cast<std::size_t>(j)];
    return std::isfinite(v) ? std::min(std::fabs(v) / table.largest, 1.0) : 0.0;
}

std::string ShortValueText(const std::optional<double> &value)
{
    return value && std::isfinite(*value) ? NumberToShortText(*value, 4) : std::string("undefined");
}

} // namespace tarnvale
