// What the "Further analysis" window shows beside the analysis: the comparison of the user's root
// with lambda1, the grouped shares and the texts of single values.
#include "core/furtheranalysis.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace tarnvale;

// The default matrix: f(x) = x^4 - 0.5 x^2 - x - 0.25.
const LeslieTable kDefault {{0, 1, 2, 1}, {0.5, 1, 0.5}};

double f(double x)
{
    return std::pow(x, 4) - 0.5 * x * x - x - 0.25;
}

// A root of f in [a, b] by plain bisection, written here apart from the analysis.
double bisect(double a, double b)
{
    for (int i = 0; i < 200; ++i) {
        const double m = (a + b) / 2;
        (f(a) < 0) == (f(m) < 0) ? a = m : b = m;
    }
    return (a + b) / 2;
}

TEST(CompareRoots, setsTheSearchBesideLambda1)
{
    const double lambda1 = bisect(1, 2);
    const double negative = bisect(-0.5, 0);
    struct Case
    {
        std::optional<double> root;
        bool otherRoot;
    };
    const Case cases[] = {{1.21978759765625, false}, {lambda1, false}, {1.3, false},
                          {negative, true},          {-0.2, true},     {std::nullopt, false}};
    const LeslieAnalysis analysis = AnalyseLeslie(kDefault);
    for (const Case &c : cases) {
        const RootComparison r = CompareRoots(analysis, c.root);
        EXPECT_EQ(r.otherRoot, c.otherRoot) << c.root.value_or(-99);
        ASSERT_TRUE(r.lambda1);
        EXPECT_NEAR(*r.lambda1, lambda1, 1e-14);
        EXPECT_EQ(r.root, c.root);
        EXPECT_EQ(OtherRootNote(r).empty(), !c.otherRoot);
        if (!c.root) {
            EXPECT_FALSE(r.difference || r.relativeDifference);
            continue;
        }
        EXPECT_NEAR(*r.difference, *c.root - lambda1, 1e-14);
        EXPECT_NEAR(*r.relativeDifference, (*c.root - lambda1) / lambda1, 1e-14);
    }
    // No class reproduces: lambda1 = 0 has no relative difference.
    const RootComparison none = CompareRoots(AnalyseLeslie({{0, 0}, {0.5}}), 0.01);
    EXPECT_EQ(none.lambda1, 0.0);
    EXPECT_EQ(none.difference, 0.01);
    EXPECT_FALSE(none.relativeDifference);
}

TEST(FurtherAnalysisTexts, sayUndefinedWhereNoValueIs)
{
    EXPECT_EQ(ValueText(1.5), "1.5");
    EXPECT_EQ(ValueText(std::nullopt), "undefined");
    EXPECT_EQ(ValueText(INFINITY), "undefined");
    EXPECT_EQ(ValueText(NAN), "undefined");

    const LeslieAnalysis worked = AnalyseLeslie(kDefault);
    EXPECT_EQ(PeriodText(worked), "1");
    EXPECT_EQ(PeriodText(AnalyseLeslie({{0, 0, 6}, {0.5, 1.0 / 3}})), "3");
    EXPECT_EQ(PeriodText(AnalyseLeslie({{0, 0}, {0.5}})), "undefined");
    EXPECT_NEAR(*ElasticitySum(worked), 1, 1e-14);
    EXPECT_FALSE(ElasticitySum(AnalyseLeslie({{-1}, {}})));

    struct Case
    {
        StartChoice start;
        int steps;
        const char *text;
    };
    const Case cases[] = {{StartChoice::Stable, 5, "0"},
                          {StartChoice::Equal, 30, "9"},
                          {StartChoice::Equal, 5, "not within 5 steps"}};
    for (const Case &c : cases) {
        const Projection p = ProjectLeslie(kDefault, MakeStartVector(worked, c.start).shares,
                                           c.steps, worked.stableAgeDistribution);
        EXPECT_EQ(ConvergenceText(p), c.text);
    }
    const Projection noSad = ProjectLeslie({{0, 0}, {0.5}}, {0.5, 0.5}, 3, std::nullopt);
    EXPECT_EQ(ConvergenceText(noSad), "undefined");
}

TEST(Log10Totals, holdTotalsBeyondTheDoubleRange)
{
    // One class of fecundity 1e300: N(t) = 1e300^t.
    const Projection huge = ProjectLeslie({{1e300}, {}}, {1}, 4, std::nullopt);
    const std::vector<std::optional<double>> logs = Log10Totals(huge);
    ASSERT_EQ(logs.size(), 5u);
    for (int t = 0; t <= 4; ++t)
        EXPECT_NEAR(*logs[t], 300.0 * t, 1e-9) << t;
    EXPECT_NEAR(*FinalGrowthRatio(huge), 1e300, 1e286);

    // Nobody reproduces: N = 1, 0.25, then 0.
    const Projection dying = ProjectLeslie({{0, 0}, {0.5}}, {0.5, 0.5}, 3, std::nullopt);
    const std::vector<std::optional<double>> dyingLogs = Log10Totals(dying);
    EXPECT_NEAR(*dyingLogs[1], std::log10(0.25), 1e-15);
    EXPECT_FALSE(dyingLogs[2] || dyingLogs[3]);
    EXPECT_FALSE(FinalGrowthRatio(dying));
}

TEST(ChartLine, keepsEveryPeakAndTroughOfALongLine)
{
    // A cycle of period 2 over 1001 steps with a spike, and a gap where nothing is defined.
    std::vector<std::optional<double>> values;
    for (int t = 0; t <= 1000; ++t)
        values.push_back(t % 2 ? 1.0 : 0.0);
    values[500] = 5.0;
    values[700] = values[701] = values[702] = values[703] = std::nullopt;
    const std::vector<ChartPoint> line = ChartLine(values, 100);
    EXPECT_LE(line.size(), 100u);
    double low = 9, high = -9, spike = -1;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto t = static_cast<std::size_t>(line[i].t);
        ASSERT_TRUE(values[t]) << t;
        EXPECT_EQ(line[i].value, *values[t]);
        if (i > 0) {
            EXPECT_LT(line[i - 1].t, line[i].t);
        }
        low = std::min(low, line[i].value);
        high = std::max(high, line[i].value);
        if (line[i].value == 5.0)
            spike = line[i].t;
    }
    EXPECT_EQ(low, 0.0);
    EXPECT_EQ(high, 5.0);
    EXPECT_EQ(spike, 500.0);

    // A short line keeps every defined point.
    const std::vector<ChartPoint> short_ = ChartLine({1.0, std::nullopt, 3.0}, 100);
    EXPECT_EQ(short_, (std::vector<ChartPoint> {{0, 1.0}, {2, 3.0}}));
}

TEST(GroupedShares, showsTheFirstClassesAndSumsTheRest)
{
    const LeslieTable table {{0, 0.4, 0.8, 0.6, 0.5, 0.3, 0.2, 0.1},
                             {0.9, 0.8, 0.7, 0.6, 0.5, 0.4, 0.3}};
    const LeslieAnalysis a = AnalyseLeslie(table);
    const Projection p = ProjectLeslie(table, MakeStartVector(a, StartChoice::FirstClass).shares,
                                       10, a.stableAgeDistribution);
    struct Case
    {
        int shown;
        std::vector<std::string> labels;
    };
    const Case cases[]
        = {{5, {"age 0", "age 1", "age 2", "age 3", "age 4", "ages 5-7"}},
           {7, {"age 0", "age 1", "age 2", "age 3", "age 4", "age 5", "age 6", "age 7"}},
           {2, {"age 0", "age 1", "ages 2-7"}}};
    for (const Case &c : cases) {
        const std::vector<ShareLine> lines = GroupedShares(p, a.stableAgeDistribution, 8, c.shown);
        ASSERT_EQ(lines.size(), c.labels.size());
        for (std::size_t l = 0; l < lines.size(); ++l) {
            EXPECT_EQ(lines[l].label, c.labels[l]);
            const int first = static_cast<int>(l);
            const int last = l + 1 == lines.size() ? 7 : first;
            for (int t = 0; t <= 10; ++t) {
                double sum = 0;
                for (int x = first; x <= last; ++x)
                    sum += (*p.shares[t])[x];
                EXPECT_NEAR(*lines[l].shares[t], sum, 1e-15);
            }
            double stable = 0;
            for (int x = first; x <= last; ++x)
                stable += (*a.stableAgeDistribution)[x];
            EXPECT_NEAR(*lines[l].stable, stable, 1e-15);
        }
    }
}

// ----- A stage model -----

StageModel Stage(int n, std::vector<double> rowByRow, std::vector<std::string> names = {})
{
    StageModel model;
    model.a = SquareMatrix(n);
    model.a.values = std::move(rowByRow);
    model.names = std::move(names);
    return model;
}

TEST(CompareRoots, namesTheOtherRealEigenvalueOfAStageModel)
{
    // A triangular matrix has its diagonal as eigenvalues: 2 and 0.5. The root of a search
    // belongs to the eigenvalue nearest it.
    const StageAnalysis a = AnalyseStage(Stage(2, {2, 1, 0, 0.5}));
    const std::pair<std::optional<double>, std::optional<double>> cases[]
        = {{0.50001, 0.5}, {0.3, 0.5}, {1.3, {}}, {1.9999, {}}, {{}, {}}};
    for (const auto &[root, other] : cases) {
        const RootComparison r = CompareRoots(a, root);
        EXPECT_EQ(r.otherEigenvalue, other) << root.value_or(-1);
        EXPECT_EQ(r.otherRoot, other.has_value());
        EXPECT_EQ(r.difference.has_value(), root.has_value());
        if (root) {
            EXPECT_NEAR(*r.relativeDifference, (*root - 2) / 2, 1e-15);
        }
    }
    EXPECT_EQ(OtherRootNote(CompareRoots(a, 0.50001)),
              "Your search found the eigenvalue 0.5 of the matrix: this is not the dominant root "
              "\u03bb1, the largest eigenvalue, by which the population grows.");
    // Two stages that each keep to themselves at the same rate: both roots are lambda1.
    EXPECT_FALSE(CompareRoots(AnalyseStage(Stage(2, {1, 0, 0, 1})), 1.00001).otherRoot);
}

TEST(StructureSentences, explainTheLifeCycle)
{
    const std::string irreducible
        = "Every stage can be reached from every other: the matrix is irreducible.";
    const std::string reducible
        = "Some stages cannot be reached from others: the matrix is reducible.";
    const std::string primitive
        = "It is primitive: some power of the matrix has no zero entry, so from any start the "
          "stage structure settles to the stable distribution w.";
    const std::string notPrimitive = "It is not primitive: as some stages cannot be reached from "
                                     "others, every power of the matrix keeps a zero entry.";
    const std::string ergodic = "It is ergodic: every stage leads to the fastest-growing part of "
                                "the life cycle, so the long-run growth rate \u03bb1 does not "
                                "depend on the stages the population starts in.";
    const std::string notErgodic
        = "It is not ergodic: some stages do not lead to the fastest-growing part of the life "
          "cycle, so the long-run growth depends on the stages the population starts in.";
    const std::string diesOut
        = "Whether it is ergodic is undefined: the population dies out (\u03bb1 = 0).";
    struct Case
    {
        const char *name;
        StageModel model;
        std::vector<std::string> sentences;
    };
    const Case cases[] = {
        {"primitive", Stage(2, {0, 1, 0.5, 0.5}), {irreducible, primitive, ergodic}},
        {"period 3",
         Stage(3, {0, 0, 6, 0.5, 0, 0, 0, 1.0 / 3, 0}),
         {irreducible,
          "The population cycles with period 3: the life cycle leads back to a stage only in "
          "multiples of 3 steps, so the matrix is not primitive, and the stage structure keeps "
          "oscillating instead of settling to w.",
          ergodic}},
        // A third stage that leads back to the others but is never reached.
        {"reducible, ergodic",
         Stage(3, {0, 1, 1, 0.5, 0.5, 0, 0, 0, 0.5}),
         {reducible, notPrimitive, ergodic}},
        // A third stage, reached but leading nowhere, as post-reproductive females.
        {"reducible",
         Stage(3, {0, 1, 0, 0.5, 0.5, 0, 0, 0.1, 0.9}),
         {reducible, notPrimitive, notErgodic}},
        {"two equal classes",
         Stage(2, {1, 0, 0, 1}),
         {reducible, notPrimitive,
          "It is not ergodic: two parts of the life cycle grow equally fast, so the long-run "
          "structure depends on the stages the population starts in."}},
        {"no reproduction", Stage(2, {0, 0, 0.5, 0}), {reducible, notPrimitive, diesOut}},
        {"one stage, no loop",
         Stage(1, {0}),
         {irreducible, "It is not primitive: its one stage does not lead back to itself.",
          diesOut}},
        {"refused", Stage(1, {-1}), {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(StructureSentences(AnalyseStage(c.model)), c.sentences) << c.name;
}

TEST(FurtherAnalysisTexts, sayWhatAStageModelLacks)
{
    StageModel split = Stage(2, {0, 1, 0.5, 0.5});
    split.u = SquareMatrix(2);
    split.u->values = {0, 0, 0.5, 0.5};
    split.f = SquareMatrix(2);
    split.f->values = {0, 1, 0, 0};
    EXPECT_EQ(NoR0Sentence(AnalyseStage(split)), "");
    EXPECT_EQ(NoR0Sentence(AnalyseStage(Stage(2, {0, 1, 0.5, 0.5}))),
              "R0 and T are undefined, because the model is not split into U and F.");
    EXPECT_EQ(NoR0Sentence(AnalyseStage(Stage(1, {-1}))), "");

    const StageAnalysis cycling = AnalyseStage(Stage(3, {0, 0, 6, 0.5, 0, 0, 0, 1.0 / 3, 0}));
    EXPECT_EQ(PeriodText(cycling), "3");
    EXPECT_EQ(PeriodicNote(cycling),
              "the population cycles with period 3; the stage structure does not approach w");
    const StageAnalysis reducible = AnalyseStage(Stage(2, {2, 1, 0, 0.5}));
    EXPECT_EQ(PeriodText(reducible), "undefined");
    EXPECT_EQ(PeriodicNote(reducible), "");
    EXPECT_NEAR(*ElasticitySum(reducible), 1, 1e-15);
    EXPECT_FALSE(ElasticitySum(AnalyseStage(Stage(2, {1, 0, 0, 1}))));

    EXPECT_EQ(ShortValueText(1.0 / 3), "0.3333");
    EXPECT_EQ(ShortValueText(12345.6), "1.235E+04");
    EXPECT_EQ(ShortValueText(-1.23456e-6), "-1.235E-06");
    EXPECT_EQ(ShortValueText(std::nullopt), "undefined");
}

TEST(EntryTables, tintEachEntryByItsShareOfTheLargest)
{
    // A = [0 1; 0.5 0.5]: lambda1 = 1, w = (1, 1) / 2, v = (1, 2), so S(i, j) = v(i) w(j) / <v, w>
    // = v(i) / 3 and E = S A.
    const StageAnalysis a = AnalyseStage(Stage(2, {0, 1, 0.5, 0.5}));
    const std::vector<EntryTable> tables = EntryTables(a);
    ASSERT_EQ(tables.size(), 2u); // the sensitivities, then the elasticities
    const double shades[2][4] = {{0.5, 0.5, 1, 1}, {0, 1, 1, 1}};
    for (int t = 0; t < 2; ++t)
        for (int e = 0; e < 4; ++e)
            EXPECT_NEAR(EntryShade(tables[t], e / 2, e % 2), shades[t][e], 1e-14) << t << e;

    // lambda1 is not simple: no sensitivities, no tint.
    const std::vector<EntryTable> none = EntryTables(AnalyseStage(Stage(2, {1, 0, 0, 1})));
    EXPECT_FALSE(none[0].values);
    EXPECT_EQ(EntryShade(none[0], 0, 0), 0.0);
}

TEST(GroupedStageShares, nameTheLinesByTheStages)
{
    const auto labels = [](const std::vector<std::string> &names, int shown) {
        std::vector<std::string> texts;
        for (const ShareLine &line : GroupedStageShares({}, std::nullopt, names, 3, shown))
            texts.push_back(line.label);
        return texts;
    };
    EXPECT_EQ(labels({"egg", "larva", "adult"}, 7),
              (std::vector<std::string> {"egg", "larva", "adult"}));
    EXPECT_EQ(labels({}, 1), (std::vector<std::string> {"stage 1", "stages 2-3"}));
}

} // namespace
