#include "io/analysisdata.h"

#include "core/results.h"
#include "io/replacefiles.h"

#include <cmath>

namespace tarnvale {

namespace {

constexpr const char *kLineEnd = "\r\n";

std::string field(const std::optional<double> &value)
{
    return value && std::isfinite(*value) ? FileNumber(*value) : std::string();
}

// Value x of `values`, or nothing where there is none.
std::string field(const std::vector<double> *values, int x)
{
    const auto i = static_cast<std::size_t>(x);
    return values && i < values->size() ? field((*values)[i]) : std::string();
}

} // namespace

std::string ProjectionFileText(const Projection &projection, int ageClasses)
{
    std::string text = "\"t,N(t),N(t+1)/N(t),distance to SAD";
    for (int x = 0; x < ageClasses; ++x)
        text += ",age " + std::to_string(x);
    text += std::string("\"") + kLineEnd;
    for (std::size_t t = 0; t < projection.total.size(); ++t) {
        text += std::to_string(t) + "," + field(projection.total[t]) + ","
            + (t < projection.growthRatio.size() ? field(projection.growthRatio[t]) : std::string())
            + ","
            + (t < projection.distance.size() ? field(projection.distance[t]) : std::string());
        const std::optional<std::vector<double>> &shares
            = t < projection.shares.size() ? projection.shares[t] : std::nullopt;
        for (int x = 0; x < ageClasses; ++x)
            text += "," + field(shares ? &*shares : nullptr, x);
        text += kLineEnd;
    }
    return text;
}

std::string ClassesFileText(const LeslieAnalysis &analysis)
{
    const std::vector<const ResultField *> columns
        = ResultsOf(ModelKind::Leslie, ResultKind::PerClass);
    std::string text = "\"age";
    for (const ResultField *column : columns)
        text += std::string(",") + column->label;
    text += std::string("\"") + kLineEnd;
    std::vector<ResultValue> values;
    for (const ResultField *column : columns)
        values.push_back(ValueOf(*column, analysis));
    for (int x = 0; x < analysis.ageClasses; ++x) {
        text += std::to_string(x);
        for (const ResultValue &value : values)
            text += "," + field(NumbersOf(value), x);
        text += kLineEnd;
    }
    return text;
}

ExportResult ExportAnalysisData(const std::string &chosenName, const LeslieAnalysis &analysis,
                                const Projection &projection)
{
    const std::optional<std::string> base = BaseOfChosenName(chosenName);
    if (!base)
        return {false,
                "The name \"" + chosenName
                    + "\" is too short: the files are named after it less its last 4 characters "
                      "(example.txt gives example-projection.txt and example-classes.txt)."};
    const std::string error = ReplaceFiles(
        {{*base + "-projection.txt", ProjectionFileText(projection, analysis.ageClasses)},
         {*base + "-classes.txt", ClassesFileText(analysis)}});
    if (!error.empty())
        return {false, error};
    return {true, {}};
}

} // namespace tarnvale
