#include "core/state.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tarnvale;

namespace {

TEST(ToSingle, RoundsToSinglePrecisionAndOverflowsToInfinity)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float largest = 3.4028234663852886e38f;
    EXPECT_EQ(ToSingle(0.1), 0.1f);
    EXPECT_EQ(ToSingle(largest), largest);
    // Just below the point halfway past the largest float, and that point itself, which rounds
    // to even: past the range.
    EXPECT_EQ(ToSingle(0x1.fffffefffffffp127), largest);
    EXPECT_EQ(ToSingle(0x1.ffffffp127), inf);
    EXPECT_EQ(ToSingle(-1e300), -inf);

    // The matrix cells are kept in single precision, all sixteen of them.
    AnalysisState state;
    CellTexts cells = kDefaultCellTexts;
    cells[10] = "1e39";
    cells[15] = "0.1";
    ReadMatrixCells(state, cells);
    EXPECT_EQ(state.MatrixCell[4], 0.5f);
    EXPECT_EQ(state.MatrixCell[10], inf);
    EXPECT_EQ(state.MatrixCell[15], 0.1f);
}

} // namespace
