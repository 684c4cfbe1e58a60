#include "core/equation.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace tarnvale;

namespace {

CellTexts withCells(std::initializer_list<std::pair<int, const char *>> changes)
{
    CellTexts cells = kDefaultCellTexts;
    for (const auto &[index, text] : changes)
        cells[index] = text;
    return cells;
}

TEST(BuildEquationText, MatrixFormWritesEachTermAsItsFecundityCellDecides)
{
    struct Case
    {
        const char *what;
        CellTexts cells;
        const char *text;
    };
    const Case cases[] = {
        {"default matrix", kDefaultCellTexts, "x^4 - .5 x^2 - x -  .25"},
        {"m(0) = 1 writes no number", withCells({{0, "1"}}), "x^4 - x^3 - .5 x^2 - x -  .25"},
        {"m(0) writes its own text", withCells({{0, "2.50"}}), "x^4 -2.5 x^3 - .5 x^2 - x -  .25"},
        {"m(0) below one", withCells({{0, ".5"}}), "x^4 -0.5 x^3 - .5 x^2 - x -  .25"},
        {"a zero survival cell leaves the constant bare", withCells({{14, "0"}}),
         "x^4 - .5 x^2 - x - "},
        {"x^2 coefficient of exactly one", withCells({{1, "2"}, {4, "0.5"}}),
         "x^4 - x^2 - x -  .25"},
        {"constant of exactly one keeps its number", withCells({{3, "4"}, {4, "0.5"}, {14, "0.5"}}),
         "x^4 - .5 x^2 - x -  1"},
        {"zero fecundities drop their terms", withCells({{1, "0"}, {2, "0"}, {3, "0"}}), "x^4 "},
        {"text reads as zero", withCells({{2, "abc"}}), "x^4 - .5 x^2  -  .25"},
        {"negative coefficient", withCells({{1, "-2"}}), "x^4 --1 x^2 - x -  .25"},
        {"cells outside the seven play no part", withCells({{5, "9"}, {15, "7"}}),
         "x^4 - .5 x^2 - x -  .25"},
        {"large coefficient in exponent form", withCells({{3, "1e20"}}),
         "x^4 - .5 x^2 - x -  2.5E+19"},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        CellTexts cells = c.cells;
        const EquationResult result = BuildEquationText(state, cells);
        EXPECT_TRUE(result.ok) << c.what;
        EXPECT_EQ(result.text, c.text) << c.what;
    }
}

TEST(BuildEquationText, MatrixFormNormalisesEveryCellFirst)
{
    AnalysisState state;
    CellTexts cells = withCells({{4, "0.50"}, {7, ""}, {9, " 1 "}, {12, "1e2"}, {13, "-0"}});
    const EquationResult result = BuildEquationText(state, cells);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(cells[4], "0.5");
    EXPECT_EQ(cells[7], "0");
    EXPECT_EQ(cells[9], "1");
    EXPECT_EQ(cells[12], "100");
    EXPECT_EQ(cells[13], "0");
    EXPECT_EQ(cells[0], "0");
    EXPECT_EQ(result.text, "x^4 - .5 x^2 - x -  .25");
    EXPECT_FALSE(state.SurvivalProduct.has_value()) << "matrix mode has no working product";
}

TEST(BuildEquationText, MatrixFormRefusesValuesBeyondTheDoubleRangeAndChangesNothing)
{
    struct Case
    {
        CellTexts cells;
        const char *message;
    };
    const Case cases[] = {
        {withCells({{7, "1e999"}}),
         "Cell m(7) holds \"1e999\", a number too large to compute "
         "with. Please type a smaller value in it."},
        {withCells({{0, "1.7976931348623157e308"}}),
         "Cell m(0) holds \"1.7976931348623157e308\", a number too large to compute with. Please "
         "type a smaller value in it."},
        {withCells({{1, "1e200"}, {4, "1e200"}, {0, "0.50"}}),
         "The coefficient of the x^2 term is too large to compute with. Please use smaller values "
         "in the matrix."},
        {withCells({{2, "1e300"}, {9, "1e300"}}),
         "The coefficient of the x term is too large to compute with. Please use smaller values in "
         "the matrix."},
        {withCells({{3, "1e300"}, {14, "1e300"}}),
         "The coefficient of the constant term is too large to compute with. Please use smaller "
         "values in the matrix."},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        CellTexts cells = c.cells;
        const EquationResult result = BuildEquationText(state, cells);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(cells, c.cells) << "a refused equation normalises no cell";
    }
}

struct Table
{
    std::vector<double> fecundity;
    std::vector<double> survival;
};

AnalysisState dataFileState(const Table &table)
{
    AnalysisState state;
    state.DataLoaded = "Yes";
    state.LastAgeClass = static_cast<int>(table.fecundity.size()) - 1;
    for (std::size_t i = 0; i < table.fecundity.size(); ++i)
        state.Fecundity[i] = table.fecundity[i];
    for (std::size_t i = 0; i < table.survival.size(); ++i)
        state.Survival[i] = table.survival[i];
    return state;
}

TEST(BuildEquationText, DataFileFormWritesEveryPositiveTermWithItsPower)
{
    struct Case
    {
        const char *what;
        Table table;
        const char *text;
        double survivalProduct;
    };
    const Case cases[] = {
        {"format A example", {{0, 0, 1, 2}, {1, 0.9, 1, 0.5}}, "x^ 4- .9x- 1.8", 0.9},
        {"format B example",
         {{0, 0, 1, 1, 3}, {1, 0.9, 0.8 / 0.9, 0.625}},
         "x^ 5- .9x^ 2- .8x- 1.5",
         0.5},
        {"age 0 with fecundity one", {{1, 0, 2}, {0.5, 0.5}}, "x^ 3-x^ 2- .5", 0.25},
        {"last coefficient of one written as a number", {{0, 0, 1}, {1, 1}}, "x^ 3- 1", 1.0},
        {"negative and zero terms left out", {{0, -1, 0, 2}, {1, 1, 0.5}}, "x^ 4- 1", 0.5},
        {"long table", {{0, 0, 0, 0, 2, 0}, {1, 1, 1, 0.5, 1}}, "x^ 6-x", 0.5},
        // Fewer than three age classes: each age class once, as its power calls for.
        {"one age class", {{2}, {}}, "x^ 1- 2", 1.0},
        {"one age class of fecundity one", {{1}, {}}, "x^ 1- 1", 1.0},
        {"one age class without offspring", {{0}, {}}, "x^ 1", 1.0},
        {"two age classes", {{0, 2}, {0.5}}, "x^ 2- 1", 0.5},
        {"two age classes, both bearing", {{3, 2}, {0.5}}, "x^ 2- 3x- 1", 0.5},
        {"two age classes, first of fecundity one", {{1, 0.5}, {1}}, "x^ 2-x- .5", 1.0},
        {"three age classes", {{0, 1, 1}, {0.5, 1}}, "x^ 3- .5x- .5", 0.5},
    };
    for (const Case &c : cases) {
        AnalysisState state = dataFileState(c.table);
        CellTexts cells = withCells({{4, "0.50"}});
        const EquationResult result = BuildEquationText(state, cells);
        EXPECT_TRUE(result.ok) << c.what;
        EXPECT_EQ(result.text, c.text) << c.what;
        EXPECT_EQ(state.SurvivalProduct, c.survivalProduct) << c.what;
        EXPECT_EQ(cells[4], "0.50") << "data-file mode leaves the cells alone: " << c.what;
    }
}

TEST(BuildEquationText, DataFileFormReadsTextAndEmptySlotsAsNumbers)
{
    AnalysisState state = dataFileState({{0, 0, 0}, {1, 1}});
    state.Fecundity[1] = std::string("2");
    state.Fecundity[2] = TableValue {};
    CellTexts cells = kDefaultCellTexts;
    const EquationResult result = BuildEquationText(state, cells);
    EXPECT_EQ(result.text, "x^ 3- 2x");
}

TEST(BuildEquationText, DataFileFormRefusesTablesItCannotWrite)
{
    struct Case
    {
        const char *what;
        AnalysisState state;
        const char *message;
    };
    AnalysisState empty = dataFileState({{}, {}});
    AnalysisState unset = dataFileState({{1}, {}});
    unset.LastAgeClass.reset();
    AnalysisState huge = dataFileState({{0, 1e300, 1}, {1e300, 1}});
    const Case cases[] = {
        {"no age class", empty,
         "The life table has no age classes, so it has no characteristic equation."},
        {"no table", unset,
         "The life table has no age classes, so it has no characteristic equation."},
        {"overflowing coefficient", huge,
         "The coefficient of age class 1 is too large to compute with. Please check the life "
         "table."},
    };
    for (const Case &c : cases) {
        AnalysisState state = c.state;
        state.SurvivalProduct = 7.0;
        CellTexts cells = kDefaultCellTexts;
        const EquationResult result = BuildEquationText(state, cells);
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_EQ(result.message, c.message) << c.what;
        EXPECT_EQ(state.SurvivalProduct, 7.0) << c.what;
    }
}

} // namespace
