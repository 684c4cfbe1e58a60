#include "core/projection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnvale {

StartVector MakeStartVector(const LeslieAnalysis &analysis, StartChoice choice,
                            const std::string &typed)
{
    StartVector start;
    const std::size_t n = static_cast<std::size_t>(std::max(analysis.ageClasses, 0));
    if (n == 0) {
        start.message = "the table has no age class";
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
        if (!analysis.stableAgeDistribution) {
            start.message = "the stable age distribution is undefined";
            return start;
        }
        start.shares = *analysis.stableAgeDistribution;
        break;
    case StartChoice::Typed: {
        const std::vector<std::string> entries = SplitEntries(typed);
        if (entries.size() != n) {
            start.message = "give " + std::to_string(n) + (n == 1 ? " number" : " numbers")
                + ", one for each age class; there " + (entries.size() == 1 ? "is " : "are ")
                + std::to_string(entries.size());
            return start;
        }
        std::vector<double> values(n);
        double sum = 0.0;
        for (std::size_t x = 0; x < n; ++x) {
            const EntryRate rate = ReadEntryRate(entries[x]);
            if (!rate.problem.empty()) {
                start.message = "age class " + std::to_string(x) + ": " + rate.problem;
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

Projection ProjectLeslie(const LeslieTable &table, const std::vector<double> &start, int steps,
                         const std::optional<std::vector<double>> &sad)
{
    Projection projection;
    steps = std::clamp(steps, 1, kMaxProjectionSteps);
    projection.steps = steps;
    const std::size_t n = table.fecundity.size();
    if (n == 0 || start.size() != n || table.survival.size() + 1 != n)
        return projection;
    const bool haveSad = sad && sad->size() == n;

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
        if (haveSad) {
            double distance = 0.0;
            for (std::size_t x = 0; x < n; ++x)
                distance += std::fabs(p[x] - (*sad)[x]);
            projection.distance.emplace_back(0.5 * distance);
        } else {
            projection.distance.emplace_back();
        }
    };

    // The step runs on the rates divided by their largest (at least 1), so that the shares and
    // their sum stay within the double range whatever the rates; the scale returns in the log.
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
    const double logScale = std::log(scale);

    record();
    for (int t = 0; t < steps; ++t) {
        if (!alive) {
            projection.growthRatio.emplace_back();
            record();
            continue;
        }
        double births = 0.0;
        for (std::size_t x = 0; x < n; ++x)
            births += f[x] * p[x];
        next[0] = births;
        for (std::size_t x = 0; x + 1 < n; ++x)
            next[x + 1] = s[x] * p[x];
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

} // namespace tarnvale
