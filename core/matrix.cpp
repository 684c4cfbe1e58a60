#include "core/matrix.h"

#include "core/numbertext.h"

#include <algorithm>

namespace tarnvale {

bool IsRelevantCell(int index)
{
    return std::ranges::find(kFecundityCells, index) != kFecundityCells.end()
        || std::ranges::find(kSurvivalCells, index) != kSurvivalCells.end();
}

std::vector<CellReset> CheckMatrixCells(const CellTexts &cells)
{
    struct Rule
    {
        int cell;
        bool survival;
    };
    static constexpr Rule order[]
        = {{14, true}, {9, true}, {4, true}, {0, false}, {1, false}, {2, false}, {3, false}};

    std::vector<CellReset> resets;
    for (const Rule &rule : order) {
        const ScannedNumber n = TextToNumber(cells[rule.cell]);
        const double v = n.value;
        const bool valid = !n.outOfRange && (rule.survival ? (v > 0 && v <= 1) : v >= 0);
        if (!valid)
            resets.push_back({rule.cell, kDefaultCellTexts[rule.cell]});
    }
    return resets;
}

} // namespace tarnvale
