// The stage-matrix editor's rules, g(x) = det(I - A/x) and the search on it, and the life-cycle
// graph's arrows.

#include "core/lifecyclegraph.h"
#include "core/numbertext.h"
#include "core/stageeditor.h"
#include "core/stagesearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace tarnvale;

namespace {

SquareMatrix matrix(int n, std::vector<double> values)
{
    SquareMatrix m(n);
    m.values = std::move(values);
    return m;
}

// The loggerhead turtle of Crouse, Crowder & Caswell (1987), Table 4, as examples/ ships it.
SquareMatrix turtle()
{
    return matrix(7, {0,      0,      0,      0,      127,    4,      80, //
                      0.6747, 0.7370, 0,      0,      0,      0,      0, //
                      0,      0.0486, 0.6610, 0,      0,      0,      0, //
                      0,      0,      0.0147, 0.6907, 0,      0,      0, //
                      0,      0,      0,      0.0518, 0,      0,      0, //
                      0,      0,      0,      0,      0.8091, 0,      0, //
                      0,      0,      0,      0,      0,      0.8091, 0.8089});
}

StageEditor editorOf(const SquareMatrix &a)
{
    StageModel model;
    model.a = a;
    return StageEditorFromModel(model);
}

// ----- The editor -----

TEST(StageEditor, ReadsACellAsTheMatrixTextDoes)
{
    struct Case
    {
        const char *text;
        double value;
        const char *problem;
    };
    const Case cases[] = {{"0.5", 0.5, ""},
                          {" 2 ", 2, ""},
                          {"", 0, ""},
                          {"  ", 0, ""},
                          {"1e-3", 0.001, ""},
                          {"1D2", 100, ""},
                          {"-0", 0, ""},
                          {"x", 0, "\"x\" is not a number"},
                          {"1 2", 0, "\"1 2\" is not a number"},
                          {"0,5", 0, "\"0,5\" is not a number: the decimal point is \".\""},
                          {"1,2,3", 0, "\"1,2,3\" is not a number"},
                          {"1e400", 0, "\"1e400\" is a number too large to compute with"},
                          {"-1", 0, "\"-1\" is negative"},
                          {"inf", 0, "\"inf\" is not a finite number"},
                          {"-NaN", 0, "\"-NaN\" is not a finite number"}};
    for (const Case &c : cases) {
        const StageCellReading reading = ReadStageCell(c.text);
        EXPECT_EQ(reading.value, c.value) << c.text;
        EXPECT_EQ(reading.problem, c.problem) << c.text;
    }
}

TEST(StageEditor, NamesTheFirstBadCellAndCountsTheOthers)
{
    StageEditor editor = DefaultStageEditor();
    ASSERT_EQ(editor.n, 3);
    EXPECT_EQ(editor.names, (std::vector<std::string> {"1", "2", "3"}));
    EXPECT_EQ(StageProblemText(editor), "");
    SetStageName(editor, 0, " Seedling ");
    SetStageName(editor, 1, "Juvenile");
    SetStageCell(editor, StagePart::A, 1, 0, "x");
    EXPECT_EQ(StageProblemText(editor), "row 'Juvenile', column 'Seedling': \"x\" is not a number");
    SetStageCell(editor, StagePart::A, 2, 2, "-1");
    SetStageCell(editor, StagePart::A, 0, 2, "?");
    EXPECT_EQ(StageProblemText(editor),
              "row 'Seedling', column '3': \"?\" is not a number (and 2 more cells)");
    EXPECT_EQ(BadStageCellCount(editor), 3u);
    // A fixed cell stops counting; an empty name gives the stage its number back.
    SetStageCell(editor, StagePart::A, 0, 2, "4");
    SetStageCell(editor, StagePart::A, 1, 0, "");
    SetStageName(editor, 1, "  ");
    EXPECT_EQ(StageProblemText(editor), "row '3', column '3': \"-1\" is negative");
    EXPECT_EQ(StageModelOf(editor).a.at(1, 0), 0.0);
}

TEST(StageEditor, ResizingKeepsTheCellsAndNamesThatStay)
{
    StageEditor editor = editorOf(turtle());
    SetStageName(editor, 1, "Small");
    ResizeStages(editor, 2);
    EXPECT_EQ(StageModelOf(editor).a, matrix(2, {0, 0, 0.6747, 0.737}));
    ResizeStages(editor, 4);
    EXPECT_EQ(editor.names, (std::vector<std::string> {"1", "Small", "3", "4"}));
    EXPECT_EQ(StageCellText(editor, StagePart::A, 3, 3), "0");
    ResizeStages(editor, 0);
    EXPECT_EQ(editor.n, 1);
    ResizeStages(editor, 100000);
    EXPECT_EQ(editor.n, kMaxStages);
}

TEST(StageEditor, SplitTakesTheFirstRowAsFAndJoinKeepsA)
{
    StageEditor editor = editorOf(turtle());
    SetStageCell(editor, StagePart::A, 1, 1, "bad");
    SplitStages(editor);
    StageModel model = StageModelOf(editor);
    ASSERT_TRUE(model.split());
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j) {
            EXPECT_EQ(model.f->at(i, j), i == 0 ? turtle().at(i, j) : 0.0);
            // The cell that is not a number keeps its last number.
            EXPECT_EQ(model.u->at(i, j), i == 0 ? 0.0 : turtle().at(i, j));
        }
    EXPECT_EQ(StageProblemText(editor), "U, row '2', column '2': \"bad\" is not a number");
    EXPECT_FALSE(IsEditablePart(editor, StagePart::A));
    // A shows the sum, and nothing where a part is not a number.
    SetStageCell(editor, StagePart::F, 1, 0, "0.25");
    SetStageCell(editor, StagePart::A, 1, 0, "9"); // A cannot be typed into now
    EXPECT_EQ(StageCellText(editor, StagePart::A, 1, 0), "0.9247");
    EXPECT_EQ(StageCellText(editor, StagePart::A, 1, 1), "");
    JoinStages(editor);
    EXPECT_EQ(StageCellText(editor, StagePart::A, 1, 0), "0.9247");
    EXPECT_EQ(StageCellText(editor, StagePart::A, 1, 1), "bad");
    EXPECT_EQ(StageCellText(editor, StagePart::A, 0, 4), "127");
    EXPECT_FALSE(editor.split);
}

TEST(StageEditor, PastesABlockGrowingTheGridOrRefusesIt)
{
    struct Case
    {
        const char *name;
        std::string text;
        int row, column;
        int stages; // after, 0: refused
        std::string message;
    };
    std::string wide;
    for (int j = 0; j < 499; ++j)
        wide += "1\t";
    wide += "1\n";
    const Case cases[] = {
        {"tabs", "1\t2\r\n3\t4\r\n", 0, 0, 3, ""},
        {"commas grow", "1,2\n3,4\n\n", 2, 2, 4, ""},
        {"one cell", "7", 2, 1, 3, ""},
        {"ragged", "1\t2\t3\n4\t5\n6\n", 0, 0, 0,
         "Row 2 of the pasted block has 2 cells where row 1 has 3. Nothing has been pasted."},
        {"short first", "1\n4\t5\n", 0, 0, 0,
         "Row 1 of the pasted block has 1 cell where row 2 has 2. Nothing has been pasted."},
        {"empty", "\n\n", 0, 0, 0, "The clipboard holds no cells to paste."},
        {"to 500", wide, 1, 0, 500, ""},
        {"beyond 500", wide, 0, 1, 0,
         "The pasted block needs 501 stages; the matrix has at most 500. Nothing has been "
         "pasted."},
    };
    for (const Case &c : cases) {
        StageEditor editor = DefaultStageEditor();
        const StageEditor before = editor;
        const std::string message
            = PasteStageBlock(editor, StagePart::A, c.row, c.column, ParsePastedBlock(c.text));
        EXPECT_EQ(message, c.message) << c.name;
        if (c.stages == 0) {
            EXPECT_EQ(editor, before) << c.name;
            continue;
        }
        EXPECT_EQ(editor.n, c.stages) << c.name;
        const PastedBlock block = ParsePastedBlock(c.text);
        const int last = c.column + static_cast<int>(block.rows[0].size()) - 1;
        EXPECT_EQ(CopyStageBlock(editor, StagePart::A, c.row, c.column,
                                 c.row + static_cast<int>(block.rows.size()) - 1, last),
                  [&] {
                      std::string copied;
                      for (const auto &row : block.rows) {
                          for (std::size_t j = 0; j < row.size(); ++j)
                              copied += (j ? "\t" : "") + row[j];
                          copied += '\n';
                      }
                      return copied;
                  }())
            << c.name;
    }
    StageEditor split = DefaultStageEditor();
    SplitStages(split);
    EXPECT_EQ(PasteStageBlock(split, StagePart::A, 0, 0, ParsePastedBlock("1")),
              "The grid A is the sum of the parts and cannot be pasted into. Nothing has been "
              "pasted.");
}

TEST(StageEditor, ModelsComeBackThroughTheEditor)
{
    StageModel model;
    model.names = {"Seeds", "Rosettes"};
    model.u = matrix(2, {0, 0, 0.1, 0.3});
    model.f = matrix(2, {0, 50.5, 0, 0});
    model.c = matrix(2, {0, 0, 0, 0.2});
    model.a = matrix(2, {0, 50.5, 0.1, 0.5});
    const StageEditor editor = StageEditorFromModel(model);
    EXPECT_TRUE(editor.split && editor.hasC);
    EXPECT_EQ(StageModelOf(editor), model);
    EXPECT_EQ(StageExampleTitle("StageM-LoggerheadTurtle.csv"), "Loggerhead turtle");
    EXPECT_EQ(StageExampleTitle("StageM-Teasel.csv"), "Teasel");
}

// ----- g(x) -----

TEST(StageCharacteristic, IsTheEulerLotkaFormOfALeslieMatrix)
{
    // For a Leslie matrix det(I - A/x) = 1 - sum l(x) F(x) x^-(x + 1), computed here on its own.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> rate(0.0, 1.0);
    for (int n : {1, 2, 3, 5, 12, 40, 500}) {
        SquareMatrix a(n);
        std::vector<double> f(n), s(n, 1.0);
        for (int j = 0; j < n; ++j) {
            f[j] = n > 100 ? 0.05 : 2 * rate(random);
            a.at(0, j) = f[j];
            if (j + 1 < n)
                a.at(j + 1, j) = s[j] = n > 100 ? 0.97 : 0.3 + 0.7 * rate(random);
        }
        const StageCharacteristic g = MakeStageCharacteristic(a);
        for (double x : {0.7, 1.0, 1.3, 2.5}) {
            double sum = 0, survivorship = 1;
            for (int j = 0; j < n; ++j) {
                sum += survivorship * f[j] * std::pow(x, -(j + 1));
                survivorship *= s[j];
            }
            const std::optional<double> value = StageCharacteristicAt(g, x);
            ASSERT_TRUE(value) << n << " at " << x;
            EXPECT_NEAR(*value, 1 - sum, 1e-12 * std::max(1.0, sum)) << n << " at " << x;
        }
    }
}

TEST(StageCharacteristic, IsTheDeterminantOfAnyMatrix)
{
    // A 3 x 3 matrix with every kind of entry, against the rule of Sarrus.
    const SquareMatrix a = matrix(3, {0.2, 1.5, 3, 0.4, 0.3, 0.1, 0.05, 0.6, 0.7});
    const StageCharacteristic g = MakeStageCharacteristic(a);
    for (double x : {0.1, 0.5, 1.0, 1.7, 10.0}) {
        double m[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                m[i][j] = (i == j) - a.at(i, j) / x;
        const double det = m[0][0] * m[1][1] * m[2][2] + m[0][1] * m[1][2] * m[2][0]
            + m[0][2] * m[1][0] * m[2][1] - m[0][2] * m[1][1] * m[2][0]
            - m[0][0] * m[1][2] * m[2][1] - m[0][1] * m[1][0] * m[2][2];
        EXPECT_NEAR(StageCharacteristicAt(g, x).value(), det, 1e-12 * std::max(1.0, std::fabs(det)))
            << x;
    }
    EXPECT_FALSE(StageCharacteristicAt(g, 0));
    EXPECT_FALSE(StageCharacteristicAt(g, -1));
    // Far below lambda1 the determinant of 500 stages leaves the double range.
    SquareMatrix big(500, 0.0);
    for (int i = 0; i < 500; ++i)
        big.at(i, i) = 100;
    EXPECT_FALSE(StageCharacteristicAt(MakeStageCharacteristic(big), 1e-3));
    EXPECT_NEAR(StageCharacteristicAt(MakeStageCharacteristic(big), 100.5).value(),
                std::pow(1 - 100 / 100.5, 500), 1e-10 * std::pow(1 - 100 / 100.5, 500));
}

TEST(StageCharacteristic, IsTinyNearTheTurtlesLambda)
{
    const StageCharacteristic g = MakeStageCharacteristic(turtle());
    EXPECT_NEAR(StageCharacteristicAt(g, 0.9).value(), -0.0022, 0.0001);
    EXPECT_NEAR(StageCharacteristicAt(g, 1.0).value(), 0.0033, 0.0001);
}

// ----- The search -----

TEST(StageSearch, EndsWhenHalfTheBracketIsWithinTheTolerance)
{
    struct Case
    {
        double x1, x2, x3, gx3;
        bool ends;
    };
    const Case cases[]
        = {{1, 1.0002, 1.0001, 0.5, true},     {1, 1.00021, 1.000105, 0.5, false},
           {2, 1.99962, 1.99981, -1e-9, true}, {0.5, 1, 0.75, 0, true},
           {0.5, 1, 0.75, 1e-300, false},      {1e-6, 1.0000002e-6, 1.0000001e-6, 1, true}};
    for (const Case &c : cases)
        EXPECT_EQ(StageSearchEnds(c.x1, c.x2, c.x3, c.gx3), c.ends) << c.x1 << ' ' << c.x2;
}

// Try, then Bisection and Exchange until the search ends; the last bracket and x3.
struct SearchEnd
{
    std::string x1, x2, x3;
    int bisections = 0;
    StageSearch search;
};
SearchEnd searchFrom(const StageCharacteristic &g, const std::string &x1, const std::string &x2)
{
    SearchEnd end;
    const StageTrial trial = TryStageBracket(end.search, g, x1, x2);
    EXPECT_TRUE(trial.ok && trial.accepted) << trial.message;
    BracketTexts texts {x1, x2, "", trial.gx1Text, trial.gx2Text, ""};
    for (int i = 0; i < 100 && !end.search.ended; ++i) {
        const StageStep step = BisectStageStep(end.search, g, texts.x1, texts.x2);
        EXPECT_TRUE(step.ok);
        ++end.bisections;
        end.x1 = texts.x1;
        end.x2 = texts.x2;
        end.x3 = step.x3Text;
        texts.x3 = step.x3Text;
        texts.fx3 = step.gx3Text;
        if (!step.ended)
            texts = ExchangeStageBracket(end.search, texts).texts;
    }
    return end;
}

TEST(StageSearch, FindsTheTurtlesLambdaOrAnotherRootAndSaysWhich)
{
    const double lambda1 = 0.9450309806910045; // from power iteration on the matrix
    const StageCharacteristic g = MakeStageCharacteristic(turtle());
    const SearchEnd dominant = searchFrom(g, "0.5", "1");
    ASSERT_TRUE(dominant.search.ended);
    EXPECT_NEAR(TextToNumber(dominant.x3).value, lambda1, 1e-4 * lambda1);
    EXPECT_TRUE(BracketHoldsLambda1(TextToNumber(dominant.x1).value,
                                    TextToNumber(dominant.x2).value, lambda1));
    // Two start points and one point per bisection, the last one accepted.
    EXPECT_EQ(dominant.search.record.back().event, SearchEvent::RootNarrowBracket);
    EXPECT_EQ(dominant.search.steps, dominant.bisections + 1);

    const SearchEnd other = searchFrom(g, "0.3", "0.5");
    ASSERT_TRUE(other.search.ended);
    EXPECT_NEAR(TextToNumber(other.x3).value, 0.3717, 0.0001);
    EXPECT_FALSE(
        BracketHoldsLambda1(TextToNumber(other.x1).value, TextToNumber(other.x2).value, lambda1));
    EXPECT_EQ(SearchEventText(SearchEvent::RootNarrowBracket),
              "root accepted (bracket \u2264 0.0001\u00b7x3)");

    const StageCurve curve = StageCurveAround(g, 0.5, 1, 101);
    EXPECT_EQ(curve.x.size(), 101u);
    EXPECT_LT(curve.gLow, 0);
    EXPECT_GT(curve.gHigh, 0);
    const std::vector<SearchMark> marks = StageSearchMarks(dominant.search, g, curve);
    ASSERT_FALSE(marks.empty());
    EXPECT_EQ(marks.back().number, dominant.bisections + 2);
    EXPECT_EQ(marks.front().number, 1);
}

TEST(StageSearch, TryRefusesPointsAtOrBelowZero)
{
    const StageCharacteristic g = MakeStageCharacteristic(turtle());
    StageSearch search;
    for (const char *x : {"0", "-1", "abc"}) {
        const StageTrial trial = TryStageBracket(search, g, x, "2");
        EXPECT_FALSE(trial.ok);
        EXPECT_EQ(trial.message, "x must be above 0");
    }
    const StageTrial same = TryStageBracket(search, g, "1", "2");
    EXPECT_TRUE(same.ok);
    EXPECT_EQ(same.verdictText, "Try another value!");
    EXPECT_TRUE(search.record.empty());
}

// ----- The life-cycle graph -----

TEST(LifeCycleGraph, HasAnArrowForEveryEntryAndALoopForEveryStasis)
{
    StageModel model;
    model.a = turtle();
    model.names = {"E", "S", "L", "Sub", "N", "R", "M"};
    LifeCycleGraph graph = LayoutLifeCycleGraph(model);
    int arrows = 0, loops = 0, reproduction = 0;
    for (const GraphArrow &arrow : graph.arrows) {
        (arrow.loop ? loops : arrows) += 1;
        reproduction += arrow.kind == ArrowKind::Reproduction;
        EXPECT_EQ(arrow.value, model.a.at(arrow.to, arrow.from));
        EXPECT_EQ(arrow.loop, arrow.to == arrow.from);
    }
    EXPECT_EQ(graph.nodes.size(), 7u);
    EXPECT_EQ(graph.layout, GraphLayout::Row);
    EXPECT_EQ(arrows, 9); // 6 transitions, 3 reproductions
    EXPECT_EQ(loops, 4);
    EXPECT_EQ(reproduction, 3);
    EXPECT_EQ(graph.arrows[0].label, "0.675");

    // Split, an entry in U and F at one place gives two arrows; growth past a neighbour makes a
    // circle.
    StageEditor editor = editorOf(turtle());
    SplitStages(editor);
    SetStageCell(editor, StagePart::F, 1, 6, "0.5");
    SetStageCell(editor, StagePart::U, 1, 6, "0.01");
    SetStageCell(editor, StagePart::U, 0, 0, "0.1");
    graph = LayoutLifeCycleGraph(StageModelOf(editor));
    EXPECT_EQ(graph.layout, GraphLayout::Circle);
    EXPECT_EQ(graph.arrows.size(), 9u + 4u + 3u);

    // Elasticities: labels and widths in proportion.
    SquareMatrix e(7);
    e.at(1, 0) = 0.2;
    e.at(0, 4) = 0.1;
    graph = LayoutLifeCycleGraph(model, e);
    EXPECT_TRUE(graph.elasticities);
    EXPECT_EQ(graph.arrows[0].label, "0.2");
    EXPECT_DOUBLE_EQ(graph.arrows[0].width, 9);
    const auto eggs = std::find_if(graph.arrows.begin(), graph.arrows.end(),
                                   [](const GraphArrow &a) { return a.from == 4 && a.to == 0; });
    ASSERT_NE(eggs, graph.arrows.end());
    EXPECT_DOUBLE_EQ(eggs->width, 5);

    model.a = SquareMatrix(13);
    model.names.clear();
    EXPECT_TRUE(LayoutLifeCycleGraph(model).tooMany);
}

} // namespace
