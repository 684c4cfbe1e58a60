#include "core/matrixtext.h"

#include <gtest/gtest.h>

#include <string>

using namespace tarnvale;

namespace {

SquareMatrix grid(std::initializer_list<std::initializer_list<double>> rows)
{
    SquareMatrix m(static_cast<int>(rows.size()));
    m.values.clear();
    for (const auto &row : rows)
        m.values.insert(m.values.end(), row);
    return m;
}

TEST(ParseMatrixText, readsAnySquareMatrixAndItsParts)
{
    const SquareMatrix a = grid({{0, 1.5}, {0.5, 0.8}});
    const SquareMatrix u = grid({{0, 0}, {0.5, 0.8}}), f = grid({{0, 1.5}, {0, 0}});
    const StageModel plain {a, {}, {}, {}, {}};
    const StageModel split {a, {}, u, f, {}};
    struct Case
    {
        const char *text;
        StageModel model;
    };
    const Case cases[] = {
        {"0 1.5; 0.5 0.8", plain},
        {" 0,1.5 ;0.5\t.8e0 ", plain},
        {"[A] 0 1.5; 0.5 0.8", plain},
        {"[U] 0 0; 0.5 0.8 [F] 0 1.5; 0 -0", split},
        {" [F] 0 1.5; 0 0 [A] 0 1.5; 0.5 0.8000000001 [U] 0 0; 0.5 0.8", split},
        {"[U] 0 0; 0.5 0.8 [F] 0 1.5; 0 0 [C] 0 0; 0.25 0",
         {grid({{0, 1.5}, {0.75, 0.8}}), {}, u, f, grid({{0, 0}, {0.25, 0}})}},
        {"7", {grid({{7}}), {}, {}, {}, {}}},
    };
    for (const Case &c : cases) {
        const MatrixTextParse parse = ParseMatrixText(c.text);
        EXPECT_EQ(parse.message, "") << c.text;
        EXPECT_TRUE(parse.ok && parse.model == c.model) << c.text;
    }
}

TEST(ParseMatrixText, namesThePartRowAndColumnAtFault)
{
    std::string tall = "1";
    for (int i = 1; i < 501; ++i)
        tall += ";1";
    const std::pair<std::string, std::string> cases[] = {
        {"", "the matrix is empty"},
        {"0 1; ;", "row 2 is empty"},
        {"0 1; 0.5", "row 2 has 1 entries where row 1 has 2"},
        {"0 1 2; 0.5 0 0", "the matrix has 2 rows of 3 entries; a projection matrix is square"},
        {"0 1; -0.5 0", "row 2, column 1: -0.5 is negative"},
        {"0 12x; 0.5 0", "row 1, column 2: \"12x\" is not a finite decimal number"},
        {"0,,1; 0.5 0 0; 0 1 0", "row 1, column 2: the entry is empty"},
        {tall, "the matrix has 501 rows; a projection matrix here has at most 500"},
        {"[U] 0 0; 0.5 0.8 [F] 0 -4; 0 0", "F, row 1, column 2: -4 is negative"},
        {"[U] [F] 1", "U: the matrix is empty"},
        {"[U] 1 [F] 1 2; 3 4", "F has 2 rows where U has 1"},
        {"[U] 1 [F] 2 [U] 3", "the part U is given twice"},
        {"[U] 1", "the text has the part U but not F"},
        {"[F] 1", "the text has the part F but not U"},
        {"[C] 1 [A] 1", "the text has the part C but not U and F"},
        {"[X] 1", "\"[X]\" is not a part; the parts are [U], [F], [C] and [A]"},
        {"[U 1", "\"[U\" is not a part; the parts are [U], [F], [C] and [A]"},
        {"1 [U] 1 [F] 1", "the text before [U] belongs to no part"},
        {"[U] 1 [F] 2 [A] 3.5", "A, row 1, column 1: 3.5 is not U + F + C, which is 3"},
        {"[U] 1e308 [F] 1e308", "row 1, column 1: U + F + C lies beyond the double range"},
    };
    for (const auto &[text, message] : cases) {
        const MatrixTextParse parse = ParseMatrixText(text);
        EXPECT_EQ(parse.message, message) << text;
        EXPECT_FALSE(parse.ok) << text;
    }
}

TEST(LeslieTableOf, takesTheFirstRowAndTheSubDiagonalOnly)
{
    EXPECT_EQ(LeslieTableOf(grid({{0, 1, 2}, {0.5, 0, 0}, {0, 0.25, 0}})),
              (LeslieTable {{0, 1, 2}, {0.5, 0.25}}));
    EXPECT_EQ(LeslieTableOf(grid({{3}})), (LeslieTable {{3}, {}}));
    EXPECT_EQ(LeslieTableOf(grid({{0, 1}, {0.5, 0.1}})), std::nullopt);
    EXPECT_EQ(LeslieTableOf(grid({{0, 1, 0}, {0, 0, 0}, {0.5, 0, 0}})), std::nullopt);
}

} // namespace
