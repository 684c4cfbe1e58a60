#include "core/projection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnvale {

namespace {

// What the start vector's messages call the model, its classes and its stable distribution.
struct StartWords
{
    const char *none; // "the table has no age class"
    const char *eachClass; // "one for each age class"
    const char *stableUndefined; // "the stable age distribution is undefined"
};

template<typename ClassName>
StartVector makeStart(std::size_t n, const std::optional<std::vector<double>> &stable,
                      StartChoice choice, const std::string &typed, const StartWords &words,
                      ClassName className)
{
    StartVector start;
    if (n == 0) {
        start.message = words.none;
        return start;
    }
    switch (choice) {
    case StartChoice::Equal:
        start.shares.assign(n, 1.0 / static_cast<double>(n));
        break;
    case StartChoice::FirstClass:
        start.shares.assign(n, 0.0);
        start.shares[0] = 1.0;
        break;
    case StartChoice::Stable:
        if (!stable || stable->size() != n) {
            start.message = words.stableUndefined;
            return start;
        }
        start.shares = *stable;
        break;
    case StartChoice::Typed: {
        const std::vector<std::string> entries = SplitEntries(typed);
        if (entries.size() != n) {
            start.message = "give " + std::to_string(n) + (n == 1 ? " number" : " numbers") + ", "
                + words.eachClass + "; there " + (entries.size() == 1 ? "is " : "are ")
                + std::to_string(entries.size());
            return start;
        }
        std::vector<double> values(n);
        double sum = 0.0;
        for (std::size_t x = 0; x < n; ++x) {
            const EntryRate rate = ReadEntryRate(entries[x]);
            if (!rate.problem.empty()) {
                start.message = className(x) + ": " + rate.problem;
                return start;
            }
            values[x] = rate.value;
            sum += rate.value;
        }
        if (!(sum > 0) || !std::isfinite(sum)) {
            start.message = sum > 0 ? "the numbers add up beyond the number range"
                                    : "the numbers add up to 0; at least one must be positive";
            return start;
        }
        for (double &value : values)
            value /= sum;
        start.shares = std::move(values);
        break;
    }
    }
    start.ok = true;
    return start;
}

} // namespace

StartVector MakeStartVector(const LeslieAnalysis &analysis, StartChoice choice,
                            const std::string &typed)
{
    const StartWords words {"the table has no age class", "one for each age class",
                            "the stable age distribution is undefined"};
    return makeStart(static_cast<std::size_t>(std::max(analysis.ageClasses, 0)),
                     analysis.stableAgeDistribution, choice, typed, words,
                     [](std::size_t x) { return "age class " + std::to_string(x); });
}

StartVector MakeStartVector(int stages, const std::optional<std::vector<double>> &stable,
                            StartChoice choice, const std::string &typed,
                            const std::vector<std::string> &names)
{
    const StartWords words {"the model has no stage", "one for each stage",
                            "the stable stage distribution is undefined"};
    return makeStart(
        static_cast<std::size_t>(std::max(stages, 0)), stable, choice, typed, words,
        [&names](std::size_t x) { return "stage " + StageName(names, static_cast<int>(x)); });
}

namespace {

// The projection of `start` (n shares) under a step next = (A / scale) p that `step` makes,
// with the scale (the largest rate, at least 1) returned in the logarithm of the total, so
// that the shares and their sum stay within the double range whatever the rates.
template<typename Step>
Projection project(std::size_t n, const std::vector<double> &start, int steps,
                   const std::optional<std::vector<double>> &stable, double scale, Step step)
{
    Projection projection;
    projection.steps = steps;
    const bool haveStable = stable && stable->size() == n;

    projection.logTotal.reserve(static_cast<std::size_t>(steps) + 1);
    projection.total.reserve(static_cast<std::size_t>(steps) + 1);
    projection.shares.reserve(static_cast<std::size_t>(steps) + 1);
    projection.growthRatio.reserve(static_cast<std::size_t>(steps));
    projection.distance.reserve(static_cast<std::size_t>(steps) + 1);

    double startSum = 0.0;
    for (double value : start)
        startSum += value;
    bool alive = startSum > 0 && std::isfinite(startSum);
    std::vector<double> p(n, 0.0);
    for (std::size_t x = 0; alive && x < n; ++x)
        p[x] = start[x] / startSum;
    double logTotal = alive ? std::log(startSum) : 0.0;
    std::vector<double> next(n);

    auto record = [&] {
        projection.logTotal.push_back(alive ? logTotal : -std::numeric_limits<double>::infinity());
        const double total = alive ? std::exp(logTotal) : 0.0;
        projection.total.push_back(std::isfinite(total) ? std::optional<double>(total)
                                                        : std::nullopt);
        if (!alive) {
            projection.shares.emplace_back();
            projection.distance.emplace_back();
            return;
        }
        projection.shares.emplace_back(p);
        if (haveStable) {
            double distance = 0.0;
            for (std::size_t x = 0; x < n; ++x)
                distance += std::fabs(p[x] - (*stable)[x]);
            projection.distance.emplace_back(0.5 * distance);
        } else {
            projection.distance.emplace_back();
        }
    };

    const double logScale = std::log(scale);
    record();
    for (int t = 0; t < steps; ++t) {
        if (!alive) {
            projection.growthRatio.emplace_back();
            record();
            continue;
        }
        step(p, next);
        double sum = 0.0;
        for (double value : next)
            sum += value;
        const double ratio = sum * scale;
        projection.growthRatio.emplace_back(std::isfinite(ratio) ? std::optional<double>(ratio)
                                                                 : std::nullopt);
        if (sum > 0) {
            for (std::size_t x = 0; x < n; ++x)
                p[x] = next[x] / sum;
            logTotal += std::log(sum) + logScale;
        } else {
            alive = false;
        }
        record();
    }

    // The first t from which every distance up to the last step is <= 0.01.
    for (int t = steps; t >= 0; --t) {
        const std::optional<double> &d = projection.distance[static_cast<std::size_t>(t)];
        if (!d || *d > kConvergenceDistance)
            break;
        projection.convergenceTime = t;
    }
    return projection;
}

} // namespace

Projection ProjectLeslie(const LeslieTable &table, const std::vector<double> &start, int steps,
                         const std::optional<std::vector<double>> &sad)
{
    steps = std::clamp(steps, 1, kMaxProjectionSteps);
    const std::size_t n = table.fecundity.size();
    if (n == 0 || start.size() != n || table.survival.size() + 1 != n) {
        Projection projection;
        projection.steps = steps;
        return projection;
    }
    double scale = 1.0;
    for (double f : table.fecundity)
        scale = std::max(scale, f);
    for (double rate : table.survival)
        scale = std::max(scale, rate);
    std::vector<double> f(n), s(n - 1);
    for (std::size_t x = 0; x < n; ++x) {
        f[x] = table.fecundity[x] / scale;
        if (x + 1 < n)
            s[x] = table.survival[x] / scale;
    }
    // The Leslie step touches only the first row and the sub-diagonal: n products, not n^2.
    return project(n, start, steps, sad, scale,
                   [&](const std::vector<double> &p, std::vector<double> &next) {
                       double births = 0.0;
                       for (std::size_t x = 0; x < n; ++x)
                           births += f[x] * p[x];
                       next[0] = births;
                       for (std::size_t x = 0; x + 1 < n; ++x)
                           next[x + 1] = s[x] * p[x];
                   });
}

Projection ProjectMatrix(const SquareMatrix &a, const std::vector<double> &start, int steps,
                         const std::optional<std::vector<double>> &stable)
{
    steps = std::clamp(steps, 1, kMaxProjectionSteps);
    const std::size_t n = static_cast<std::size_t>(std::max(a.n, 0));
    if (n == 0 || start.size() != n || a.values.size() != n * n) {
        Projection projection;
        projection.steps = steps;
        return projection;
    }
    double scale = 1.0;
    for (double value : a.values)
        scale = std::max(scale, value);
    std::vector<double> scaled(a.values);
    for (double &value : scaled)
        value /= scale;
    return project(n, start, steps, stable, scale,
                   [&](const std::vector<double> &p, std::vector<double> &next) {
                       for (std::size_t i = 0; i < n; ++i) {
                           const double *row = scaled.data() + i * n;
                           double sum = 0.0;
                           for (std::size_t j = 0; j < n; ++j)
                               sum += row[j] * p[j];
                           next[i] = sum;
                       }
                   });
}

} // namespace tarnvale
