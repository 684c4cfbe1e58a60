#include "core/searchrecord.h"

#include "core/curve.h"
#include "core/numbertext.h"
#include "longtable.h"
#include "tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace tarnvale;

namespace {

std::string events(const std::vector<SearchEntry> &record)
{
    std::string text;
    for (const SearchEntry &entry : record)
        text += (text.empty() ? "" : "|") + SearchEventText(entry.event);
    return text;
}

TEST(SearchRecord, WorkedRunRecordsEveryClickInOrder)
{
    AnalysisState state;
    const SearchRun run = RunSearch(state, kDefaultCellTexts, "0", "2");
    ASSERT_TRUE(run.accepted);
    ASSERT_EQ(run.x3Texts.size(), 15u);

    // The record a user keeps by hand: after each step its x3 and f(x3); after each exchange the
    // end whose f has the sign of f(x3) takes x3, and the x3 row is blank.
    std::vector<SearchEntry> expected = {{1, "0", "2", "", "", SearchEvent::BracketAccepted}};
    std::string x1 = "0", x2 = "2";
    double fx1 = -0.25;
    for (std::size_t k = 0; k < run.x3Texts.size(); ++k) {
        const bool last = k + 1 == run.x3Texts.size();
        const int step = static_cast<int>(k) + 2;
        expected.push_back({step, x1, x2, run.x3Texts[k], run.fx3Texts[k],
                            last ? SearchEvent::RootAccepted : SearchEvent::Step});
        if (last)
            break;
        const double fx3 = std::stod(run.fx3Texts[k]);
        if ((fx1 < 0) != (fx3 < 0)) {
            x2 = run.x3Texts[k];
            expected.push_back({step, x1, x2, "", "", SearchEvent::ReplacesX2});
        } else {
            x1 = run.x3Texts[k];
            fx1 = fx3;
            expected.push_back({step, x1, x2, "", "", SearchEvent::ReplacesX1});
        }
    }
    ASSERT_EQ(state.SearchRecord.size(), 30u);
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(state.SearchRecord[i], expected[i]) << "entry " << i;
    const std::string start = "bracket accepted|step|x3 replaces x1|step|x3 replaces x2|";
    EXPECT_EQ(events(state.SearchRecord).substr(0, start.size()), start);
    EXPECT_EQ(SearchEventText(state.SearchRecord.back().event), "root accepted (<0.0001)");
    EXPECT_EQ(state.SearchRecord.back().step, 16);
}

TEST(SearchRecord, RefusalsAndRejectionsLeaveItAndANewTryRestartsIt)
{
    AnalysisState state;
    RunSearch(state, kDefaultCellTexts, "0", "2", 3);
    const std::vector<SearchEntry> before = state.SearchRecord;
    ASSERT_EQ(before.size(), 7u); // "Try", then three steps each with its exchange

    // A rejected and a refused "Try", and a refused step (the midpoint beyond the range).
    EXPECT_FALSE(TryBracket(state, kDefaultCellTexts, "2", "3").accepted);
    EXPECT_FALSE(TryBracket(state, kDefaultCellTexts, "1e400", "3").ok);
    state.Midpoint = INFINITY;
    EXPECT_FALSE(BisectStep(state, kDefaultCellTexts, "0", "2").ok);
    EXPECT_EQ(state.SearchRecord, before);

    ASSERT_TRUE(TryBracket(state, kDefaultCellTexts, "-1", " 0x").accepted);
    EXPECT_EQ(state.SearchRecord,
              (std::vector<SearchEntry> {{1, "-1", " 0x", "", "", SearchEvent::BracketAccepted}}));
}

TEST(SearchRecord, StalledAcceptanceIsNamedByItsCaption)
{
    AnalysisState state = test::LongTable(0.2, 0.99);
    ASSERT_TRUE(RunSearch(state, kNoCells, "0", "2").accepted);
    EXPECT_EQ(SearchEventText(state.SearchRecord.back().event), "root accepted (15 digits)");
}

// f of the default matrix in exact arithmetic, for the marks' heights.
double quartic(double x)
{
    return x * x * x * x - 0.5 * x * x - x - 0.25;
}

TEST(SearchMarks, PointsInsideThePlottedRangeNewestThirtyAtMost)
{
    struct Case
    {
        const char *what;
        const char *from;
        const char *to;
        int steps; // bisection steps after "Try"
        int drawn, leftOut, outside;
        const char *note;
    };
    const Case cases[] = {
        {"worked run, range over both ends", "-0.5", "2.5", 0, 17, 0, 0, ""},
        {"default range, up to 1.49, leaves out x2 = 2 and x3 = 1.5", "-0.35", "1.5", 0, 15, 0, 2,
         "2 points of the search outside the plotted range"},
        {"40 steps", "-0.5", "2.5", 40, 30, 12, 0,
         "12 points of the search left out (the last 30 are marked)"},
        {"range left of the search", "-3", "-1", 0, 0, 0, 17,
         "17 points of the search outside the plotted range"},
    };
    for (const Case &c : cases) {
        AnalysisState state;
        ReadMatrixCells(state, kDefaultCellTexts);
        const SearchRun run = RunSearch(state, kDefaultCellTexts, "0", "2", c.steps);
        ASSERT_TRUE(PlotCurve(state, c.from, c.to, "0.01").ok) << c.what;
        const SearchMarks marks = SearchMarksOnCurve(state);
        EXPECT_EQ(static_cast<int>(marks.points.size()), c.drawn) << c.what;
        EXPECT_EQ(marks.leftOut, c.leftOut) << c.what;
        EXPECT_EQ(marks.outside, c.outside) << c.what;
        EXPECT_EQ(SearchMarksNote(marks), c.note) << c.what;

        // The x of the search in order: 0, 2, then each step's x3; every drawn point where it
        // belongs, on the curve.
        std::vector<double> xs = {0.0, 2.0};
        for (const std::string &x3 : run.x3Texts)
            xs.push_back(std::stod(x3));
        for (const SearchMark &mark : marks.points) {
            ASSERT_GE(mark.number, 1);
            EXPECT_EQ(mark.x, xs[mark.number - 1]) << c.what << " point " << mark.number;
            EXPECT_NEAR(mark.fx, quartic(mark.x), 1e-6) << c.what;
        }
        if (!marks.points.empty()) {
            EXPECT_EQ(marks.points.back().number, static_cast<int>(xs.size())) << c.what;
        }
        EXPECT_EQ(marks.haveRoot, c.drawn > 0) << c.what;
        if (marks.haveRoot && c.steps == 0) {
            EXPECT_EQ(marks.rootText, run.x3Texts[14]) << c.what;
        }
    }
}

TEST(SearchMarks, BracketIsTheLastEntrysEndsWithinTheRange)
{
    AnalysisState state;
    ReadMatrixCells(state, kDefaultCellTexts);
    RunSearch(state, kDefaultCellTexts, "0", "2", 1);
    ASSERT_TRUE(PlotCurve(state, "-0.35", "1.5", "0.01").ok);
    // After the first step and its exchange the bracket is [1, 2]; the range ends at 1.49.
    const SearchMarks marks = SearchMarksOnCurve(state);
    ASSERT_TRUE(marks.haveBracket);
    EXPECT_EQ(marks.bracketLow, 1.0);
    EXPECT_EQ(marks.bracketHigh, static_cast<double>(state.PointX[state.PlotCount]));
    EXPECT_FALSE(marks.haveRoot);
}

} // namespace
