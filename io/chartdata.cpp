#include "io/chartdata.h"

#include "io/replacefiles.h"

#include <algorithm>

namespace tarnvale {

namespace {

constexpr const char *kLineEnd = "\r\n";

} // namespace

std::string CurveFileText(const AnalysisState &state)
{
    std::string text = std::string("\"x,f(x)\"") + kLineEnd;
    for (int i = 1; i <= state.PlotCount; ++i)
        text += FileNumber(state.PointX[i]) + "," + FileNumber(state.PlotFx[i]) + kLineEnd;
    return text;
}

std::string SadFileText(const AnalysisState &state)
{
    std::string text = std::string("\"age, stable age distribution\"") + kLineEnd;
    const int last = std::min(state.LastAgeClass.value_or(0), kTableSlots - 1);
    for (int i = 0; i <= last; ++i) {
        const NumberOrEmpty &share = state.StableAgeDist[i];
        // An empty slot, like a value that is no number at all, is written as nothing.
        text += FileNumber(static_cast<double>(i)) + ","
            + (share ? FileNumber(*share) : std::string()) + kLineEnd;
    }
    return text;
}

ExportResult ExportChartData(AnalysisState &state, const std::string &chosenName)
{
    const std::optional<std::string> base = BaseOfChosenName(chosenName);
    if (!base)
        return {false,
                "The name \"" + chosenName
                    + "\" is too short: the chart data files are named after it less its last 4 "
                      "characters (example.txt gives example-graphdata.txt and example-SAD.txt)."};

    const std::string error = ReplaceFiles({{*base + "-graphdata.txt", CurveFileText(state)},
                                            {*base + "-SAD.txt", SadFileText(state)}});
    if (!error.empty())
        return {false, error};
    state.DataFileBase = chosenName;
    return {true, {}};
}

} // namespace tarnvale
