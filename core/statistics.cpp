#include "core/statistics.h"

#include "core/numbertext.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tarnvale {

namespace {

// The survival rates s(0) ... s(L - 1) of the population the statistics describe.
std::vector<double> survivalRates(const AnalysisState &state, const CellTexts &cells)
{
    if (!state.dataFileMode())
        return {CellNumber(cells, 4), CellNumber(cells, 9), CellNumber(cells, 14)};
    std::vector<double> rates(static_cast<std::size_t>(*state.LastAgeClass));
    for (std::size_t i = 0; i < rates.size(); ++i)
        rates[i] = TableNumber(state.Survival[i]);
    return rates;
}

// The shares with each weight l(x) / lambda^x kept as a sign and a logarithm, for tables whose
// weights leave the double range. Empty when the weights sum to 0.
std::vector<double> sharesOnLogScale(const std::vector<double> &s, double lambda)
{
    const std::size_t count = s.size() + 1;
    std::vector<double> logWeight(count, 0.0);
    std::vector<int> sign(count, 1);
    const double logLambda = std::log(lambda);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (sign[i] == 0 || s[i] == 0) {
            sign[i + 1] = 0;
            continue;
        }
        sign[i + 1] = s[i] < 0 ? -sign[i] : sign[i];
        logWeight[i + 1] = logWeight[i] + std::log(std::fabs(s[i])) - logLambda;
    }
    double top = -std::numeric_limits<double>::infinity();
    for (std::size_t x = 0; x < count; ++x)
        if (sign[x] != 0)
            top = std::max(top, logWeight[x]);
    std::vector<double> shares(count, 0.0);
    double sum = 0.0;
    for (std::size_t x = 0; x < count; ++x) {
        if (sign[x] != 0)
            shares[x] = sign[x] * std::exp(logWeight[x] - top);
        sum += shares[x];
    }
    if (sum == 0 || !std::isfinite(sum))
        return {};
    for (double &share : shares)
        share /= sum;
    return shares;
}

bool allFinite(const std::vector<double> &values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

std::string textOf(const NumberOrEmpty &value)
{
    return value && std::isfinite(*value) ? NumberToText(*value) : kUndefinedText;
}

} // namespace

NetReproduction NetReproductiveRateOf(const AnalysisState &state, const CellTexts &cells)
{
    if (!state.dataFileMode()) {
        const double c0 = CellNumber(cells, 0), c1 = CellNumber(cells, 1),
                     c2 = CellNumber(cells, 2), c3 = CellNumber(cells, 3),
                     c4 = CellNumber(cells, 4), c9 = CellNumber(cells, 9),
                     c14 = CellNumber(cells, 14);
        return {(c0 + c4 * c1) + c4 * c9 * c2 + c4 * c9 * c14 * c3, std::nullopt};
    }
    if (!state.hasLifeTable())
        return {std::nan(""), std::nullopt};
    const int last = *state.LastAgeClass;
    double rate = TableNumber(state.Fecundity[0]);
    double product = 1.0;
    for (int i = 0; i < last; ++i) {
        product = product * TableNumber(state.Survival[i]);
        rate = rate + product * TableNumber(state.Fecundity[i + 1]);
    }
    return {rate, product};
}

double ComputeNetReproductiveRate(AnalysisState &state, const CellTexts &cells)
{
    const NetReproduction r0 = NetReproductiveRateOf(state, cells);
    if (r0.survivalProduct)
        state.SurvivalProduct = r0.survivalProduct;
    return r0.rate;
}

bool ComputeStableAgeDistribution(AnalysisState &state, const CellTexts &cells)
{
    if (!state.dataFileMode())
        state.LastAgeClass = 3;
    else if (!state.hasLifeTable())
        return false;
    const std::size_t count = static_cast<std::size_t>(*state.LastAgeClass) + 1;
    const double lambda = state.Lambda.value_or(0.0);
    const std::vector<double> s = survivalRates(state, cells);

    std::vector<double> shares(count);
    std::optional<double> survivalProduct;
    if (lambda > 0 && !state.dataFileMode()) {
        const double total = ((1 + s[0] / lambda) + (s[0] * s[1] / lambda) / lambda)
            + (s[0] * s[1] * s[2]) / std::pow(lambda, 3);
        shares = {1 / total, (s[0] / lambda) / total, ((s[0] * s[1]) / std::pow(lambda, 2)) / total,
                  ((s[0] * s[1] * s[2]) / std::pow(lambda, 3)) / total};
    } else if (lambda > 0) {
        double total = 1.0;
        double product = 1.0;
        for (double rate : s) {
            product = (product * rate) / lambda;
            total = total + product;
        }
        product = 1.0;
        shares[0] = 1 / total;
        for (std::size_t i = 0; i < s.size(); ++i) {
            product = (product * s[i]) / lambda;
            shares[i + 1] = product / total;
        }
        survivalProduct = product;
    }
    if (lambda > 0 && !allFinite(shares)) {
        shares = sharesOnLogScale(s, lambda);
        survivalProduct.reset();
    }

    const bool defined = lambda > 0 && shares.size() == count && allFinite(shares);
    for (std::size_t x = 0; x < count; ++x)
        state.StableAgeDist[x] = defined ? NumberOrEmpty(shares[x]) : std::nullopt;
    if (defined && survivalProduct)
        state.SurvivalProduct = survivalProduct;
    return defined;
}

bool CanDrawStableAgeDistribution(const AnalysisState &state)
{
    return state.Lambda && std::isfinite(*state.Lambda) && *state.Lambda > 0;
}

PopulationParameterTexts AcceptRoot(AnalysisState &state, const CellTexts &cells)
{
    const double x3 = state.X3.value_or(0.0);
    const double r0 = state.NetReproductiveRate.value_or(0.0);
    // ln x3 is 0 only for x3 = 1, where T and the doubling time divide by it.
    const double logLambda = x3 > 0 ? std::log(x3) : 0.0;
    const bool growthDefined = x3 > 0 && logLambda != 0;

    state.Lambda = x3;
    state.IntrinsicRate = x3 > 0 ? NumberOrEmpty(logLambda) : std::nullopt;
    state.GenerationTime = growthDefined && r0 > 0 && std::isfinite(r0)
        ? NumberOrEmpty(std::log(r0) / logLambda)
        : std::nullopt;
    state.DoublingTime = growthDefined ? NumberOrEmpty(std::log(2.0) / logLambda) : std::nullopt;
    if (ComputeStableAgeDistribution(state, cells)) {
        state.BirthRate = x3 * *state.StableAgeDist[0];
        state.SurvivalRate = x3 - state.BirthRate;
        state.DeathRate = 1 - state.SurvivalRate;
    } else {
        state.BirthRate = state.SurvivalRate = state.DeathRate = 0.0;
    }
    return PopulationParameters(state);
}

PopulationParameterTexts PopulationParameters(const AnalysisState &state)
{
    if (!state.Lambda)
        return {};
    const bool atDistribution = state.StableAgeDist[0].has_value();
    auto rate = [atDistribution](double value) {
        return atDistribution ? textOf(value) : std::string(kUndefinedText);
    };
    return {textOf(state.Lambda),         textOf(state.NetReproductiveRate),
            textOf(state.GenerationTime), textOf(state.DoublingTime),
            textOf(state.IntrinsicRate),  rate(state.BirthRate),
            rate(state.SurvivalRate),     rate(state.DeathRate)};
}

} // namespace tarnvale
