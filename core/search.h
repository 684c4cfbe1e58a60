#pragma once

#include "core/state.h"

#include <string>

namespace tarnvale {

// A bisection point is accepted as the root when |f(x3)| is at most this, and also at most this
// times the sum of the magnitudes of the terms of f at x3 (see BisectStep).
inline constexpr double RootTolerance = 0.0001;

// Captions of the verdict line of "Try" and of the acceptance mark beside f(x3).
inline constexpr const char *kWellDoneText = "Well done!";
inline constexpr const char *kTryAnotherText = "Try another value!";
inline constexpr const char *kToleranceCaption = "<0.0001";
// Shown instead when x3 was accepted because the bracket's texts cannot get any narrower.
inline constexpr const char *kStalledCaption = "15 digits";

// f(x) at one point together with the scale it has there.
struct CharacteristicValue
{
    double value = 0.0; // f(x)
    double termSum = 0.0; // |x^(n+1)| + sum of |c(j) * x^(n-j)|: the size of the terms whose
                          // difference f is
};

// f(x) = x^(n+1) - sum of c(j) * x^(n-j), c(j) = F(j) * l(j), of the current population.
// Matrix mode (DataLoaded is not "Yes"): n = 3, F and S read with TextToNumber from the cells
// m(0)...m(3) and m(4), m(9), m(14) of `cells`, evaluated as
//   ((((x^4 - x^3 * m0) - x^2 * (m4 * m1)) - m4 * m9 * m2 * x) - m4 * m9 * m14 * m3.
// Data-file mode: n = LastAgeClass, F = Fecundity, S = Survival, evaluated term by term from the
// highest power down; SurvivalProduct is left at l(n). Every power is a direct power, not
// Horner's scheme: the last digits shown depend on it.
// The result is infinite or NaN when the arithmetic leaves the double range or the life table
// has no age class; callers must not show or use such a value.
double EvaluateCharacteristic(AnalysisState &state, const CellTexts &cells, double x);
CharacteristicValue EvaluateCharacteristicTerms(AnalysisState &state, const CellTexts &cells,
                                                double x);

// f(x) of the life table alone (data-file mode), in the order EvaluateCharacteristic uses; reads
// the table only, and `survivalProduct` receives l(n). NaN when the table has no age class.
double EvaluateTable(const AnalysisState &state, double x, double &survivalProduct);

// (a + b) / 2, also for ends whose sum leaves the double range.
double MidpointOf(double a, double b);

// The outcome of "Try".
struct TrialResult
{
    bool ok = false; // false: refused, nothing changed; `message` names the value
    std::string message;
    bool accepted = false; // the product shown is below 0
    std::string fx1Text; // f(x1), for Text4
    std::string fx2Text; // f(x2), for Text5
    std::string productText; // f(x1) * f(x2), for Text6
    std::string verdictText; // "Well done!" or "Try another value!", for Label12
    std::string midpointText; // (x1 + x2) / 2 when accepted, for Text7
};

// "Try" on the start-point texts x1 (Text2) and x2 (Text3). Sets StepCount = 1, X1, X2, Fx1, Fx2,
// restarts SearchPointX with x1 and x2 (single precision) and, when f(x1) * f(x2) < 0, Midpoint
// and a new SearchRecord holding the one entry "bracket accepted".
// The product is formed from the two value texts in matrix mode and from Fx1 * Fx2 in data-file
// mode, and the verdict is read back from its text. Refused, changing nothing, when a start
// point, a value of f or the product lies beyond the double range, or the table is empty.
TrialResult TryBracket(AnalysisState &state, const CellTexts &cells, const std::string &x1Text,
                       const std::string &x2Text);

// The outcome of one "Bisection" step.
struct StepResult
{
    bool ok = false; // false: refused, nothing changed; `message` names the value
    std::string message;
    std::string x3Text; // NumberToText(Midpoint), for Text10
    std::string fx3Text; // f(x3), for Text13
    bool accepted = false; // x3 is taken as the root: AcceptRoot follows
    std::string acceptCaption; // when accepted: "<0.0001", or "15 digits" for a stalled bracket
};

// One bisection step at Midpoint, the bracket's ends being the texts `x1Text` (Text8) and
// `x2Text` (Text9). StepCount grows by 1; X3 is the value of the text NumberToText(Midpoint);
// NetReproductiveRate is computed afresh, then Fx3 = f(X3); X3 is appended to SearchPointX and
// the step to SearchRecord.
// Accepted when |f(x3)| <= RootTolerance and |f(x3)| <= RootTolerance * termSum(x3): near a
// root termSum is about 2 * x3^(n+1), so where that is at least 1 only the first test counts,
// while on a long table where every term is tiny a false root is refused. Also accepted when
// x3 reads as the same number as one end, because the texts cannot narrow the bracket any more.
// Refused, changing nothing, when x3, R0 or f(x3) lies beyond the double range.
StepResult BisectStep(AnalysisState &state, const CellTexts &cells, const std::string &x1Text,
                      const std::string &x2Text);

// The bisection table as its six boxes show it.
struct BracketTexts
{
    std::string x1; // Text8
    std::string x2; // Text9
    std::string x3; // Text10
    std::string fx1; // Text11
    std::string fx2; // Text12
    std::string fx3; // Text13
};

enum class BracketEnd { X1, X2 };
enum class EndColor { Black, Blue };

struct ExchangeResult
{
    BracketEnd replaced = BracketEnd::X1; // the end that x3 took the place of
    BracketTexts texts; // the table afterwards: the x3 row is empty
    EndColor x1Color = EndColor::Black; // fore colour of Text8 and Text11
    EndColor x2Color = EndColor::Black; // fore colour of Text9 and Text12
    double midpoint = 0.0; // the next point to bisect, also stored in Midpoint
};

// "Exchange": x3 replaces x2 when f(x1) * f(x3) < 0 (the signs of the two texts differ and
// neither is 0), otherwise x1; the replaced end turns blue, the kept one black. The sign is
// decided from the signs themselves, so that tiny values whose product underflows to 0 still
// keep the root inside. Midpoint = the midpoint of the two new ends as their texts read; the
// exchange is appended to SearchRecord.
ExchangeResult ExchangeBracket(AnalysisState &state, const BracketTexts &texts);

// The exchange itself, for any search: x3 replaces x2 where `signChange` (f(x1) and f(x3) of
// opposite signs), otherwise x1, with the colours and the next midpoint as above.
ExchangeResult ExchangedBracket(const BracketTexts &texts, bool signChange);

} // namespace tarnvale
