#pragma once

#include "core/state.h"

#include <optional>
#include <string>

namespace tarnvale {

// Shown in a box of "Population parameters" whose value the accepted root does not define.
inline constexpr const char *kUndefinedText = "undefined";

// R0 with the survivorship l(L) its sum ended on (data-file mode only).
struct NetReproduction
{
    double rate = 0.0;
    std::optional<double> survivalProduct;
};

// R0 = sum of F(x) * l(x) over age classes 0 ... L, without touching the state. Matrix mode reads
// the cells (c0 + c4 * c1) + c4 * c9 * c2 + c4 * c9 * c14 * c3 from `cells`; data-file mode sums
// the life table in age order. Infinite or NaN when the sum leaves the double range.
NetReproduction NetReproductiveRateOf(const AnalysisState &state, const CellTexts &cells);

// As NetReproductiveRateOf, leaving SurvivalProduct = l(L) in data-file mode. The caller stores
// the result in NetReproductiveRate.
double ComputeNetReproductiveRate(AnalysisState &state, const CellTexts &cells);

// StableAgeDist(0 ... L) = (l(x) / Lambda^x) / sum of l(y) / Lambda^y; matrix mode first sets
// LastAgeClass = 3 and reads s(0), s(1), s(2) from the cells m(4), m(9), m(14). Where l(x) /
// Lambda^x leaves the double range (a long table and a small Lambda) the shares are formed on a
// logarithmic scale instead. Returns false, emptying entries 0 ... L, when there is no
// distribution: Lambda empty or <= 0 (shares of a negative root are not a distribution), or
// weights that sum to 0. Entries above L are left as they are.
bool ComputeStableAgeDistribution(AnalysisState &state, const CellTexts &cells);

// Whether the accepted root has a stable age distribution to draw: Lambda finite and above 0.
bool CanDrawStableAgeDistribution(const AnalysisState &state);

// The eight boxes of "Population parameters", in the window's names.
struct PopulationParameterTexts
{
    std::string finiteRate; // Text1: lambda
    std::string netReproductiveRate; // Text2: R0
    std::string generationTime; // Text3: T
    std::string doublingTime; // Text4
    std::string intrinsicRate; // Text5: r
    std::string birthRate; // Text6: b at the SAD
    std::string survivalRate; // Text7: s at the SAD
    std::string deathRate; // Text8: d at the SAD

    bool operator==(const PopulationParameterTexts &) const = default;
};

// The acceptance of X3 as the root: Lambda = X3, IntrinsicRate = ln X3, GenerationTime =
// ln R0 / ln Lambda (R0 = NetReproductiveRate as the step left it), DoublingTime = ln 2 / ln
// Lambda, the stable age distribution, BirthRate = Lambda * SAD(0), SurvivalRate = Lambda -
// BirthRate, DeathRate = 1 - SurvivalRate. A result that X3 <= 0, R0 <= 0 or X3 = 1 leaves
// undefined is stored empty (the three rates at the SAD as 0) and shown as "undefined". Returns the
// texts of the eight boxes.
PopulationParameterTexts AcceptRoot(AnalysisState &state, const CellTexts &cells);

// The texts of the eight boxes for the results in `state`: all empty before the first accepted
// root, "undefined" where that acceptance left a result undefined.
PopulationParameterTexts PopulationParameters(const AnalysisState &state);

} // namespace tarnvale
