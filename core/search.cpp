#include "core/search.h"

#include "core/numbertext.h"
#include "core/statistics.h"
#include "core/vectorstate.h"

#include <cmath>
#include <optional>

namespace tarnvale {

namespace {

// A value of f with the survivorship the evaluation ended on (data-file mode).
struct Evaluation
{
    CharacteristicValue value;
    std::optional<double> survivalProduct;
};

Evaluation evaluateMatrix(const CellTexts &cells, double x)
{
    const double m0 = CellNumber(cells, 0), m1 = CellNumber(cells, 1), m2 = CellNumber(cells, 2),
                 m3 = CellNumber(cells, 3), m4 = CellNumber(cells, 4), m9 = CellNumber(cells, 9),
                 m14 = CellNumber(cells, 14);
    const double t0 = std::pow(x, 4);
    const double t1 = std::pow(x, 3) * m0;
    const double t2 = std::pow(x, 2) * (m4 * m1);
    const double t3 = m4 * m9 * m2 * x;
    const double t4 = m4 * m9 * m14 * m3;
    double a = t0 - t1;
    a = a - t2;
    a = a - t3;
    a = a - t4;
    const double sum
        = std::fabs(t0) + std::fabs(t1) + std::fabs(t2) + std::fabs(t3) + std::fabs(t4);
    return {{a, sum}, std::nullopt};
}

Evaluation evaluateTable(const AnalysisState &state, double x)
{
    if (!state.hasLifeTable())
        return {{std::nan(""), std::nan("")}, std::nullopt};
    const int n = *state.LastAgeClass;
    const double top = std::pow(x, n + 1);
    const double first = std::pow(x, n) * TableNumber(state.Fecundity[0]);
    double f = top - first;
    double sum = std::fabs(top) + std::fabs(first);
    double survivalProduct = 1.0;
    for (int i = 0; i < n; ++i) {
        survivalProduct = TableNumber(state.Survival[i]) * survivalProduct;
        const double term
            = std::pow(x, n - i - 1) * (TableNumber(state.Fecundity[i + 1]) * survivalProduct);
        f = f - term;
        sum += std::fabs(term);
    }
    return {{f, sum}, survivalProduct};
}

Evaluation evaluate(const AnalysisState &state, const CellTexts &cells, double x)
{
    // A window's click comes straight from Qt: up to 201 calls of std::pow follow; see
    // ResetUpperVectorState.
    ResetUpperVectorState();
    return state.dataFileMode() ? evaluateTable(state, x) : evaluateMatrix(cells, x);
}

template<typename Result> Result refused(std::string message)
{
    Result result;
    result.message = std::move(message);
    return result;
}

constexpr const char *kBeyondRange
    = "lies beyond the range of numbers this program can compute with";

std::string emptyTableMessage()
{
    return "The life table has no age classes, so f(x) cannot be computed. Please read a life "
           "table with at least one age class.";
}

std::string unreadableMessage(const char *name, const std::string &text)
{
    return std::string(name) + " = \"" + text + "\" " + kBeyondRange
        + ". Please type a smaller value.";
}

std::string valueMessage(const char *value, const char *name, double x)
{
    return std::string(value) + " could not be computed at " + name + " = " + NumberToText(x)
        + ": it " + kBeyondRange + ". Please try a value closer to the root.";
}

} // namespace

CharacteristicValue EvaluateCharacteristicTerms(AnalysisState &state, const CellTexts &cells,
                                                double x)
{
    const Evaluation e = evaluate(state, cells, x);
    if (e.survivalProduct)
        state.SurvivalProduct = e.survivalProduct;
    return e.value;
}

double EvaluateCharacteristic(AnalysisState &state, const CellTexts &cells, double x)
{
    return EvaluateCharacteristicTerms(state, cells, x).value;
}

double EvaluateTable(const AnalysisState &state, double x, double &survivalProduct)
{
    const Evaluation e = evaluateTable(state, x);
    survivalProduct = e.survivalProduct.value_or(survivalProduct);
    return e.value.value;
}

double MidpointOf(double a, double b)
{
    const double m = (a + b) / 2;
    return std::isfinite(m) ? m : a / 2 + b / 2;
}

TrialResult TryBracket(AnalysisState &state, const CellTexts &cells, const std::string &x1Text,
                       const std::string &x2Text)
{
    using Refusal = TrialResult;
    if (state.dataFileMode() && !state.hasLifeTable())
        return refused<Refusal>(emptyTableMessage());
    const ScannedNumber x1 = TextToNumber(x1Text);
    if (x1.outOfRange)
        return refused<Refusal>(unreadableMessage("x1", x1Text));
    const Evaluation f1 = evaluate(state, cells, x1.value);
    if (!std::isfinite(f1.value.value))
        return refused<Refusal>(valueMessage("f(x1)", "x1", x1.value));
    const ScannedNumber x2 = TextToNumber(x2Text);
    if (x2.outOfRange)
        return refused<Refusal>(unreadableMessage("x2", x2Text));
    const Evaluation f2 = evaluate(state, cells, x2.value);
    if (!std::isfinite(f2.value.value))
        return refused<Refusal>(valueMessage("f(x2)", "x2", x2.value));

    TrialResult result;
    result.fx1Text = NumberToText(f1.value.value);
    result.fx2Text = NumberToText(f2.value.value);
    // Matrix mode multiplies what the two boxes show; data-file mode the values themselves.
    const double product = state.dataFileMode()
        ? f1.value.value * f2.value.value
        : TextToNumber(result.fx1Text).value * TextToNumber(result.fx2Text).value;
    if (!std::isfinite(product))
        return refused<Refusal>("f(x1)*f(x2) could not be computed: the product of "
                                + result.fx1Text + " and " + result.fx2Text + " " + kBeyondRange
                                + ". Please try start points closer to the root.");
    result.productText = NumberToText(product);
    result.accepted = TextToNumber(result.productText).value < 0;

    result.ok = true;
    state.StepCount = 1;
    state.X1 = x1.value;
    state.Fx1 = f1.value.value;
    state.X2 = x2.value;
    state.Fx2 = f2.value.value;
    if (f2.survivalProduct)
        state.SurvivalProduct = f2.survivalProduct;
    state.SearchPointX.assign({ToSingle(x1.value), ToSingle(x2.value)});
    if (result.accepted) {
        state.Midpoint = MidpointOf(x1.value, x2.value);
        result.midpointText = NumberToText(state.Midpoint);
        result.verdictText = kWellDoneText;
        // The bracket starts as the typed texts; the x3 row stays blank until the first step.
        state.SearchRecord.assign(1, {1, x1Text, x2Text, {}, {}, SearchEvent::BracketAccepted});
    } else {
        result.verdictText = kTryAnotherText;
    }
    return result;
}

StepResult BisectStep(AnalysisState &state, const CellTexts &cells, const std::string &x1Text,
                      const std::string &x2Text)
{
    using Refusal = StepResult;
    if (state.dataFileMode() && !state.hasLifeTable())
        return refused<Refusal>(emptyTableMessage());
    const std::string x3Text = NumberToText(state.Midpoint);
    const ScannedNumber x3 = TextToNumber(x3Text);
    if (!std::isfinite(state.Midpoint) || x3.outOfRange)
        return refused<Refusal>("x3 = " + x3Text + " " + kBeyondRange
                                + ". Please start again with \"Try\" from start points closer "
                                  "to the root.");
    const NetReproduction r0 = NetReproductiveRateOf(state, cells);
    if (!std::isfinite(r0.rate))
        return refused<Refusal>(
            std::string("The net reproductive rate R0 could not be computed: it ") + kBeyondRange
            + ". Please check the values of the population.");
    const Evaluation f3 = evaluate(state, cells, x3.value);
    if (!std::isfinite(f3.value.value))
        return refused<Refusal>(valueMessage("f(x3)", "x3", x3.value));

    StepResult result;
    result.x3Text = x3Text;
    result.fx3Text = NumberToText(f3.value.value);
    const double size = std::fabs(f3.value.value);
    const bool small = size <= RootTolerance && size <= RootTolerance * f3.value.termSum;
    const double end1 = TextToNumber(x1Text).value, end2 = TextToNumber(x2Text).value;
    const bool stalled = x3.value == end1 || x3.value == end2;
    result.accepted = small || stalled;
    if (result.accepted)
        result.acceptCaption = small ? kToleranceCaption : kStalledCaption;

    result.ok = true;
    state.StepCount = state.StepCount.value_or(0) + 1;
    state.X3 = x3.value;
    state.NetReproductiveRate = r0.rate;
    if (f3.survivalProduct)
        state.SurvivalProduct = f3.survivalProduct;
    state.Fx3 = f3.value.value;
    state.SearchPointX.push_back(ToSingle(x3.value));
    const SearchEvent event = !result.accepted ? SearchEvent::Step
        : small                                ? SearchEvent::RootAccepted
                                               : SearchEvent::RootStalled;
    state.SearchRecord.push_back(
        {*state.StepCount, x1Text, x2Text, result.x3Text, result.fx3Text, event});
    return result;
}

ExchangeResult ExchangedBracket(const BracketTexts &texts, bool signChange)
{
    ExchangeResult result;
    result.texts = texts;
    if (signChange) {
        result.replaced = BracketEnd::X2;
        result.x1Color = EndColor::Black;
        result.x2Color = EndColor::Blue;
        result.texts.x2 = texts.x3;
        result.texts.fx2 = texts.fx3;
    } else {
        result.replaced = BracketEnd::X1;
        result.x1Color = EndColor::Blue;
        result.x2Color = EndColor::Black;
        result.texts.x1 = texts.x3;
        result.texts.fx1 = texts.fx3;
    }
    result.texts.x3.clear();
    result.texts.fx3.clear();
    result.midpoint
        = MidpointOf(TextToNumber(result.texts.x1).value, TextToNumber(result.texts.x2).value);
    return result;
}

ExchangeResult ExchangeBracket(AnalysisState &state, const BracketTexts &texts)
{
    const double fx1 = TextToNumber(texts.fx1).value;
    const double fx3 = TextToNumber(texts.fx3).value;
    const bool signChange = (fx1 < 0 && fx3 > 0) || (fx1 > 0 && fx3 < 0);

    const ExchangeResult result = ExchangedBracket(texts, signChange);
    state.Midpoint = result.midpoint;
    state.SearchRecord.push_back({state.StepCount.value_or(0), result.texts.x1, result.texts.x2,
                                  result.texts.x3, result.texts.fx3,
                                  signChange ? SearchEvent::ReplacesX2 : SearchEvent::ReplacesX1});
    return result;
}

} // namespace tarnvale
