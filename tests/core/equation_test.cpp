#include "core/equation.h"

#include "tables.h"

#include <gtest/gtest.h>

using namespace tarnvale;

namespace {

TEST(BuildEquationText, MatrixFormWritesEachTermAsItsFecundityCellDecides)
{
    struct Case
    {
        CellTexts cells;
        bool ok;
        const char *text; // the equation, or the message of a refusal
    };
    const Case cases[] = {
        {kDefaultCellTexts, true, "x^4 - .5 x^2 - x -  .25"},
        {withCells({{0, "1"}}), true, "x^4 - x^3 - .5 x^2 - x -  .25"},
        {withCells({{0, "2.50"}}), true, "x^4 -2.5 x^3 - .5 x^2 - x -  .25"},
        {withCells({{0, ".5"}}), true, "x^4 -0.5 x^3 - .5 x^2 - x -  .25"},
        // A zero survival cell leaves the constant bare; its fecundity cell decides the term.
        {withCells({{14, "0"}}), true, "x^4 - .5 x^2 - x - "},
        {withCells({{1, "2"}, {4, "0.5"}}), true, "x^4 - x^2 - x -  .25"},
        {withCells({{3, "4"}, {14, "0.5"}}), true, "x^4 - .5 x^2 - x -  1"},
        {withCells({{1, "0"}, {2, "0"}, {3, "0"}}), true, "x^4 "},
        {withCells({{1, "-2"}}), true, "x^4 --1 x^2 - x -  .25"},
        {withCells({{7, "1e999"}}), false,
         "Cell m(7) holds \"1e999\", a number too large to compute with. Please type a smaller "
         "value in it."},
        // Its 15-digit text would read back beyond the range.
        {withCells({{0, "1.7976931348623157e308"}}), false,
         "Cell m(0) holds \"1.7976931348623157e308\", a number too large to compute with. Please "
         "type a smaller value in it."},
        {withCells({{1, "1e200"}, {4, "1e200"}, {0, "0.50"}}), false,
         "The coefficient of the x^2 term is too large to compute with. Please use smaller values "
         "in the matrix."},
        {withCells({{2, "1e300"}, {9, "1e300"}}), false,
         "The coefficient of the x term is too large to compute with. Please use smaller values in "
         "the matrix."},
        {withCells({{3, "1e300"}, {14, "1e300"}}), false,
         "The coefficient of the constant term is too large to compute with. Please use smaller "
         "values in the matrix."},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        CellTexts cells = c.cells;
        const EquationResult result = BuildEquationText(state, cells);
        EXPECT_EQ(result.ok, c.ok) << c.text;
        EXPECT_EQ(c.ok ? result.text : result.message, c.text);
        if (!c.ok) {
            EXPECT_EQ(cells, c.cells) << "a refused equation normalises no cell: " << c.text;
        }
    }
}

TEST(BuildEquationText, MatrixFormNormalisesEveryCellFirst)
{
    AnalysisState state;
    CellTexts cells = withCells({{4, "0.50"}, {7, ""}, {9, " 1 "}, {12, "1e2"}, {13, "-0"}});
    EXPECT_EQ(BuildEquationText(state, cells).text, "x^4 - .5 x^2 - x -  .25");
    EXPECT_EQ(cells, withCells({{4, "0.5"}, {7, "0"}, {9, "1"}, {12, "100"}, {13, "0"}}));
    EXPECT_FALSE(state.SurvivalProduct.has_value()) << "matrix mode has no working product";
}

TEST(BuildEquationText, DataFileFormWritesEveryPositiveTermWithItsPower)
{
    struct Case
    {
        std::vector<double> f, s;
        bool ok;
        const char *text; // the equation, or the message of a refusal
        double survivalProduct; // 7 where it must stay as it was
    };
    const Case cases[] = {
        {{0, 0, 1, 2}, {1, 0.9, 1, 0.5}, true, "x^ 4- .9x- 1.8", 0.9}, // format A example
        {{0, 0, 1, 1, 3}, {1, 0.9, 0.8 / 0.9, 0.625}, true, "x^ 5- .9x^ 2- .8x- 1.5", 0.5},
        {{1, 0, 2}, {0.5, 0.5}, true, "x^ 3-x^ 2- .5", 0.25},
        {{0, 0, 1}, {1, 1}, true, "x^ 3- 1", 1.0}, // the last coefficient 1 is written
        {{0, -1, 0, 2}, {1, 1, 0.5}, true, "x^ 4- 1", 0.5},
        {{0, 0, 0, 0, 2, 0}, {1, 1, 1, 0.5, 1}, true, "x^ 6-x", 0.5},
        {{1}, {}, true, "x^ 1- 1", 1.0},
        {{3, 2}, {0.5}, true, "x^ 2- 3x- 1", 0.5},
        {{},
         {},
         false,
         "The life table has no age classes, so it has no characteristic equation.",
         7},
        {{0, 1e300, 1},
         {1e300, 1},
         false,
         "The coefficient of age class 1 is too large to compute with. Please check the life "
         "table.",
         7},
    };
    for (const Case &c : cases) {
        AnalysisState state = tableState(c.f, c.s);
        state.SurvivalProduct = 7.0;
        CellTexts cells = withCells({{4, "0.50"}});
        const EquationResult result = BuildEquationText(state, cells);
        EXPECT_EQ(result.ok, c.ok) << c.text;
        EXPECT_EQ(c.ok ? result.text : result.message, c.text);
        EXPECT_EQ(state.SurvivalProduct, c.survivalProduct) << c.text;
        EXPECT_EQ(cells[4], "0.50") << "data-file mode leaves the cells alone: " << c.text;
    }

    // Text and empty slots read as numbers; a table never read has no equation.
    AnalysisState state = tableState({0, 0, 0}, {1, 1});
    state.Fecundity[1] = std::string("2");
    state.Fecundity[2] = TableValue {};
    CellTexts cells = kDefaultCellTexts;
    EXPECT_EQ(BuildEquationText(state, cells).text, "x^ 3- 2x");
    state.LastAgeClass.reset();
    EXPECT_FALSE(BuildEquationText(state, cells).ok);
}

} // namespace
