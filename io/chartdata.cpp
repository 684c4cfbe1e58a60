#include "io/chartdata.h"

#include "core/numbertext.h"
#include "io/replacefiles.h"

#include <algorithm>

namespace tarnvale {

namespace {

constexpr const char *kLineEnd = "\r\n";

// A number as the files write it: the padded form without its leading blank (".5", "-.35").
template<typename Number> std::string fileNumber(Number value)
{
    std::string text = NumberToPaddedText(value);
    if (!text.empty() && text.front() == ' ')
        text.erase(0, 1);
    return text;
}

// Characters, not bytes: a UTF-8 continuation byte belongs to the character before it.
bool startsCharacter(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

std::size_t characterCount(const std::string &text)
{
    std::size_t count = 0;
    for (char byte : text)
        count += startsCharacter(byte) ? 1 : 0;
    return count;
}

std::string withoutLastCharacters(const std::string &text, std::size_t characters)
{
    std::size_t end = text.size();
    while (characters > 0 && end > 0) {
        --end;
        if (startsCharacter(text[end]))
            --characters;
    }
    return text.substr(0, end);
}

} // namespace

std::string CurveFileText(const AnalysisState &state)
{
    std::string text = std::string("\"x,f(x)\"") + kLineEnd;
    for (int i = 1; i <= state.PlotCount; ++i)
        text += fileNumber(state.PointX[i]) + "," + fileNumber(state.PlotFx[i]) + kLineEnd;
    return text;
}

std::string SadFileText(const AnalysisState &state)
{
    std::string text = std::string("\"age, stable age distribution\"") + kLineEnd;
    const int last = std::min(state.LastAgeClass.value_or(0), kTableSlots - 1);
    for (int i = 0; i <= last; ++i) {
        const NumberOrEmpty &share = state.StableAgeDist[i];
        // An empty slot, like a value that is no number at all, is written as nothing.
        text += fileNumber(static_cast<double>(i)) + ","
            + (share ? fileNumber(*share) : std::string()) + kLineEnd;
    }
    return text;
}

ExportResult ExportChartData(AnalysisState &state, const std::string &chosenName)
{
    if (characterCount(chosenName) < 4)
        return {false,
                "The name \"" + chosenName
                    + "\" is too short: the chart data files are named after it less its last 4 "
                      "characters (example.txt gives example-graphdata.txt and example-SAD.txt)."};

    const std::string base = withoutLastCharacters(chosenName, 4);
    const std::string error = ReplaceFiles(
        {{base + "-graphdata.txt", CurveFileText(state)}, {base + "-SAD.txt", SadFileText(state)}});
    if (!error.empty())
        return {false, error};
    state.DataFileBase = chosenName;
    return {true, {}};
}

} // namespace tarnvale
