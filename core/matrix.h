#pragma once

#include "core/state.h"

#include <string>
#include <vector>

namespace tarnvale {

// One cell that the Enter check gives back its default text.
struct CellReset
{
    int cell = 0;
    std::string text;
};

// True for the cells that hold fecundities or survival rates.
bool IsRelevantCell(int index);

// The Enter check of the seven relevant cells, in its fixed order m(14), m(9), m(4), m(0), m(1),
// m(2), m(3). A survival rate is valid when 0 < v <= 1, a fecundity when v >= 0, v read with
// TextToNumber; a text beyond the double range is invalid. Returns the resets in that order; the
// other nine cells are never checked.
std::vector<CellReset> CheckMatrixCells(const CellTexts &cells);

} // namespace tarnvale
