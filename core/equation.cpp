#include "core/equation.h"

#include "core/numbertext.h"

#include <cmath>

namespace tarnvale {

namespace {

std::string cellName(int index)
{
    return "m(" + std::to_string(index) + ")";
}

EquationResult refused(std::string message)
{
    return {false, {}, std::move(message)};
}

EquationResult matrixEquation(CellTexts &cells)
{
    // A text beyond the double range has no digits to normalise to; so does the largest double,
    // whose 15-digit text reads back beyond the range.
    CellTexts normalized = cells;
    NormalizeMatrixCells(normalized);
    std::array<double, 16> v {};
    for (int i = 0; i < 16; ++i) {
        const ScannedNumber n = TextToNumber(normalized[i]);
        if (TextToNumber(cells[i]).outOfRange || n.outOfRange)
            return refused("Cell " + cellName(i) + " holds \"" + cells[i]
                           + "\", a number too large to compute with. Please type a smaller "
                             "value in it.");
        v[i] = n.value;
    }

    auto tooLarge = [](const char *term) {
        return refused(std::string("The coefficient of the ") + term
                       + " term is too large to compute with. Please use smaller values in the "
                         "matrix.");
    };

    std::string e = "x^4 ";
    if (v[0] != 0) {
        const std::string s = v[0] == 1 ? std::string() : normalized[0];
        e += "-" + s + " x^3 ";
    }
    if (v[1] != 0) {
        const double c = v[4] * v[1];
        if (!std::isfinite(c))
            return tooLarge("x^2");
        e += "-" + (c == 1 ? std::string() : NumberToPaddedText(c)) + " x^2 ";
    }
    if (v[2] != 0) {
        const double c = (v[4] * v[9]) * v[2];
        if (!std::isfinite(c))
            return tooLarge("x");
        e += "-" + (c == 1 ? std::string() : NumberToPaddedText(c)) + " x";
    }
    if (v[3] != 0) {
        const double c = ((v[4] * v[9]) * v[14]) * v[3];
        if (!std::isfinite(c))
            return tooLarge("constant");
        e += " - " + (c == 0 ? std::string() : NumberToPaddedText(c));
    }
    cells = normalized;
    return {true, e, {}};
}

// One term of the data-file form: "-", the coefficient, and the power of x it calls for.
std::string dataTerm(double c, int power)
{
    const std::string P = power == 0 || c != 1 ? NumberToPaddedText(c) : std::string();
    if (power == 0)
        return "-" + P;
    if (power == 1)
        return "-" + P + "x";
    return "-" + P + "x^" + NumberToPaddedText(static_cast<double>(power));
}

EquationResult dataFileEquation(AnalysisState &state)
{
    if (!state.hasLifeTable())
        return refused("The life table has no age classes, so it has no characteristic equation.");
    const int n = *state.LastAgeClass;
    auto tooLarge = [](int age) {
        return refused("The coefficient of age class " + std::to_string(age)
                       + " is too large to compute with. Please check the life table.");
    };

    std::string e = "x^" + NumberToPaddedText(static_cast<double>(n + 1));
    const double f0 = TableNumber(state.Fecundity[0]);
    if (!std::isfinite(f0))
        return tooLarge(0);
    if (f0 > 0)
        e += dataTerm(f0, n);

    // Every later age class j has the coefficient F(j) * l(j), l(j) = S(0) * ... * S(j - 1).
    double survivalProduct = 1.0;
    for (int j = 1; j <= n; ++j) {
        survivalProduct = TableNumber(state.Survival[j - 1]) * survivalProduct;
        const double c = TableNumber(state.Fecundity[j]) * survivalProduct;
        if (!std::isfinite(c))
            return tooLarge(j);
        if (c > 0)
            e += dataTerm(c, n - j);
    }
    state.SurvivalProduct = survivalProduct;
    return {true, e, {}};
}

} // namespace

void NormalizeMatrixCells(CellTexts &cells)
{
    for (std::string &text : cells)
        text = NumberToText(TextToNumber(text).value);
}

EquationResult BuildEquationText(AnalysisState &state, CellTexts &cells)
{
    return state.dataFileMode() ? dataFileEquation(state) : matrixEquation(cells);
}

} // namespace tarnvale
