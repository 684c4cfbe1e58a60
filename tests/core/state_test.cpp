#include "core/state.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tarnvale;

namespace {

TEST(ToSingle, RoundsToSinglePrecisionAndOverflowsToInfinity)
{
    struct Case
    {
        double value;
        float single;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {0.1, 0.1f},
        {-0.35, -0.35f},
        {3.4028234663852886e38, 3.4028234663852886e38f}, // the largest float
        {0x1.fffffefffffffp127, 3.4028234663852886e38f}, // just below the rounding point
        {0x1.ffffffp127, inf}, // halfway: rounds to even, past the range
        {1e39, inf},
        {-1e300, -inf},
        {std::numeric_limits<double>::infinity(), inf},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ToSingle(c.value), c.single) << c.value;
}

TEST(ReadMatrixCells, KeepsSinglePrecisionCopiesOfAllSixteenCells)
{
    AnalysisState state;
    CellTexts cells = kDefaultCellTexts;
    cells[5] = "0.1";
    cells[10] = "1e39";
    cells[15] = "abc";
    ReadMatrixCells(state, cells);
    EXPECT_EQ(state.MatrixCell[4], 0.5f);
    EXPECT_EQ(state.MatrixCell[5], 0.1f);
    EXPECT_EQ(state.MatrixCell[10], std::numeric_limits<float>::infinity());
    EXPECT_EQ(state.MatrixCell[15], 0.0f);
}

TEST(TableValue, ReadsAsANumberAndShowsAsACellText)
{
    EXPECT_EQ(TableNumber(TableValue {}), 0.0);
    EXPECT_EQ(TableNumber(TableValue {2.5}), 2.5);
    EXPECT_EQ(TableNumber(TableValue {std::string(" 3x")}), 3.0);
    EXPECT_EQ(TableText(TableValue {}), "");
    EXPECT_EQ(TableText(TableValue {0.8 / 0.9}), "0.888888888888889");
    EXPECT_EQ(TableText(TableValue {std::string("age")}), "age");
}

} // namespace
