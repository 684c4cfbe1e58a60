#include "core/searchrecord.h"

#include "core/curve.h"
#include "core/numbertext.h"
#include "core/search.h"
#include "core/stagesearch.h"
#include "core/vectorstate.h"

#include <algorithm>
#include <cmath>

namespace tarnvale {

std::string SearchEventText(SearchEvent event)
{
    switch (event) {
    case SearchEvent::BracketAccepted:
        return "bracket accepted";
    case SearchEvent::ReplacesX1:
        return "x3 replaces x1";
    case SearchEvent::ReplacesX2:
        return "x3 replaces x2";
    case SearchEvent::Step:
        return "step";
    case SearchEvent::RootAccepted:
        return std::string("root accepted (") + kToleranceCaption + ")";
    case SearchEvent::RootStalled:
        return std::string("root accepted (") + kStalledCaption + ")";
    case SearchEvent::RootNarrowBracket:
        return std::string("root accepted (") + kStageEndCaption + ")";
    }
    return {};
}

namespace {

// The text of an x of the record as the search read it.
double textValue(const std::string &text)
{
    return TextToNumber(text).value;
}

bool isRoot(SearchEvent event)
{
    return event == SearchEvent::RootAccepted || event == SearchEvent::RootStalled
        || event == SearchEvent::RootNarrowBracket;
}

} // namespace

SearchMarks SearchMarksOnCurve(const AnalysisState &state)
{
    SearchMarks marks;
    const std::vector<SearchEntry> &record = state.SearchRecord;
    if (record.empty())
        return marks;

    // The x values of the search in order: the start points, then every bisection point.
    std::vector<double> xs;
    xs.reserve(record.size() / 2 + 2);
    for (const SearchEntry &entry : record) {
        if (entry.event == SearchEvent::BracketAccepted) {
            xs.push_back(textValue(entry.x1));
            xs.push_back(textValue(entry.x2));
        } else if (entry.event == SearchEvent::Step || isRoot(entry.event)) {
            xs.push_back(textValue(entry.x3));
        }
    }

    const int count = state.PlotCount;
    double low = INFINITY, high = -INFINITY;
    for (int i = 1; i <= count; ++i) {
        low = std::min(low, static_cast<double>(state.PointX[i]));
        high = std::max(high, static_cast<double>(state.PointX[i]));
    }
    const auto inside = [&](double x) { return x >= low && x <= high; };

    // Newest first, so that only the drawn points are evaluated.
    ResetUpperVectorState();
    const bool table = state.dataFileMode();
    double survivalProduct = 0.0;
    for (int i = static_cast<int>(xs.size()) - 1; i >= 0; --i) {
        const double x = xs[i];
        if (!inside(x)) {
            ++marks.outside;
            continue;
        }
        if (static_cast<int>(marks.points.size()) == kMaxSearchMarks) {
            ++marks.leftOut;
            continue;
        }
        const double fx
            = table ? EvaluateTable(state, x, survivalProduct) : EvaluateMatrixCurve(state, x);
        if (!std::isfinite(fx)) {
            ++marks.outside;
            continue;
        }
        marks.points.push_back({i + 1, x, fx});
    }
    std::reverse(marks.points.begin(), marks.points.end());

    const SearchEntry &last = record.back();
    const double x1 = textValue(last.x1), x2 = textValue(last.x2);
    marks.haveBracket = count > 0;
    marks.bracketLow = std::clamp(std::min(x1, x2), low, high);
    marks.bracketHigh = std::clamp(std::max(x1, x2), low, high);
    if (marks.haveBracket && marks.bracketLow == marks.bracketHigh && !(inside(x1) || inside(x2)))
        marks.haveBracket = false;

    const auto root = std::find_if(record.rbegin(), record.rend(),
                                   [](const SearchEntry &e) { return isRoot(e.event); });
    if (root != record.rend() && inside(textValue(root->x3))) {
        marks.haveRoot = true;
        marks.root = textValue(root->x3);
        marks.rootText = root->x3;
    }
    return marks;
}

std::string SearchMarksNote(const SearchMarks &marks)
{
    std::string note;
    const auto points = [](int n) { return std::to_string(n) + (n == 1 ? " point" : " points"); };
    if (marks.leftOut > 0)
        note = points(marks.leftOut) + " of the search left out (the last "
            + std::to_string(kMaxSearchMarks) + " are marked)";
    if (marks.outside > 0)
        note += (note.empty() ? "" : "; ") + points(marks.outside)
            + " of the search outside the plotted range";
    return note;
}

} // namespace tarnvale
