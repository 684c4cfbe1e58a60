#pragma once

#include "core/state.h"

#include <string>
#include <vector>

namespace tarnvale {

// How an entry of the record names its event: "bracket accepted", "x3 replaces x1",
// "x3 replaces x2", "step", "root accepted (<0.0001)", "root accepted (15 digits)" or, on a stage
// matrix, "root accepted (bracket ≤ 0.0001·x3)".
std::string SearchEventText(SearchEvent event);

// At most this many points of the search are marked on the curve: the newest ones.
inline constexpr int kMaxSearchMarks = 30;

// A point of the search on the curve: its number in the order the search reached it (1 and 2 are
// the two start points of "Try", then each bisection point), x read from its text and f(x) as
// the curve computes it.
struct SearchMark
{
    int number = 0;
    double x = 0.0;
    double fx = 0.0;
};

// What the graph window draws of the search over the curve of the last Plot.
struct SearchMarks
{
    std::vector<SearchMark> points; // oldest first, at most kMaxSearchMarks
    int leftOut = 0; // points inside the plotted range older than those drawn
    int outside = 0; // points outside the plotted range, not drawn
    bool haveBracket = false; // the current bracket [bracketLow, bracketHigh]
    double bracketLow = 0.0;
    double bracketHigh = 0.0;
    bool haveRoot = false; // the last accepted root, at x = root, labelled rootText
    double root = 0.0;
    std::string rootText;
};

// The marks of the record SearchRecord on the curve PointX(1 ... PlotCount): the plotted range is
// the range of those x values (nothing is inside it when PlotCount is 0). f is evaluated as
// PlotCurve evaluates it (EvaluateMatrixCurve or the life table), only for the drawn points; a
// point where it is not finite is counted as outside. Reads the state only.
SearchMarks SearchMarksOnCurve(const AnalysisState &state);

// The note under the chart about the points not drawn, e.g. "12 earlier points of the search left
// out; 3 outside the plotted range"; empty when every point is drawn.
std::string SearchMarksNote(const SearchMarks &marks);

} // namespace tarnvale
