#include "core/matrix.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace tarnvale;

namespace {

TEST(CheckMatrixCells, ResetsInvalidRelevantCellsInItsFixedOrder)
{
    struct Case
    {
        const char *what;
        std::initializer_list<std::pair<int, const char *>> cells;
        std::vector<std::pair<int, std::string>> resets;
    };
    const Case cases[] = {
        {"defaults are valid", {}, {}},
        {"survival of exactly 1 is valid", {{4, "1"}, {9, "1"}, {14, "1"}}, {}},
        {"survival above 1", {{9, "1.0000001"}}, {{9, "1"}}},
        {"fecundity of exactly 0 is valid", {{0, "0"}, {1, "0"}, {2, "0"}, {3, "0"}}, {}},
        {"text reads as 0: kept as a fecundity", {{1, "abc"}}, {}},
        {"text reads as 0: reset as a survival rate", {{9, "abc"}}, {{9, "1"}}},
        {"beyond the double range", {{0, "1e400"}, {14, "-1e999"}}, {{14, "0.5"}, {0, "0"}}},
        {"every relevant cell, in order",
         {{0, "-1"}, {1, "-1"}, {2, "-1"}, {3, "-1"}, {4, "0"}, {9, "0"}, {14, "0"}},
         {{14, "0.5"}, {9, "1"}, {4, "0.5"}, {0, "0"}, {1, "1"}, {2, "2"}, {3, "1"}}},
        {"the other nine cells are never checked", {{5, "-1"}, {15, "x"}, {10, "1e999"}}, {}},
    };
    for (const Case &c : cases) {
        CellTexts cells = kDefaultCellTexts;
        for (const auto &[index, text] : c.cells)
            cells[index] = text;
        std::vector<std::pair<int, std::string>> resets;
        for (const CellReset &r : CheckMatrixCells(cells))
            resets.emplace_back(r.cell, r.text);
        EXPECT_EQ(resets, c.resets) << c.what;
    }
}

TEST(IsRelevantCell, TheFirstRowAndTheSubDiagonal)
{
    std::vector<int> relevant;
    for (int i = 0; i < 16; ++i)
        if (IsRelevantCell(i))
            relevant.push_back(i);
    EXPECT_EQ(relevant, (std::vector<int> {0, 1, 2, 3, 4, 9, 14}));
}

} // namespace
