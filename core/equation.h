#pragma once

#include "core/state.h"

#include <string>

namespace tarnvale {

// The outcome of BuildEquationText. When ok is false nothing was changed and `message` says
// which value could not be written.
struct EquationResult
{
    bool ok = false;
    std::string text; // the equation without " = 0"
    std::string message; // why it could not be built
};

// Each cell text becomes NumberToText(TextToNumber(text)), cells 0 to 15 in order.
void NormalizeMatrixCells(CellTexts &cells);

// The characteristic equation of the current population, as text.
// Matrix mode (state.DataLoaded is not "Yes"): normalises `cells` first and builds the text from
// the seven relevant cells. Data-file mode: builds it from Fecundity and Survival of age classes
// 0 ... LastAgeClass, leaves SurvivalProduct = l(n) and does not touch `cells`.
// Refuses, changing nothing, when a cell or a coefficient lies beyond the double range, or the
// life table has no age class.
EquationResult BuildEquationText(AnalysisState &state, CellTexts &cells);

} // namespace tarnvale
