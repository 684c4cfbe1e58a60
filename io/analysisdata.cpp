#include "io/analysisdata.h"

#include "core/furtheranalysis.h"
#include "core/results.h"
#include "io/csv.h"
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

// The lines of a projection file after its header: t, N(t), the growth ratio, the distance and
// the share of each of `classes` classes.
std::string projectionLines(const Projection &projection, int ageClasses)
{
    std::string text;
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

// A name as R's write.csv writes it: always in quotes, a quote inside doubled.
std::string quoted(const std::string &name)
{
    std::string text = "\"";
    for (char c : name)
        text += c == '"' ? std::string("\"\"") : std::string(1, c);
    return text + "\"";
}

std::string tooShort(const std::string &chosenName)
{
    return "The name \"" + chosenName
        + "\" is too short: the files are named after it less its last 4 characters "
          "(example.txt gives example-projection.txt and example-classes.txt).";
}

} // namespace

std::string ProjectionFileText(const Projection &projection, int ageClasses)
{
    std::string text = "\"t,N(t),N(t+1)/N(t),distance to SAD";
    for (int x = 0; x < ageClasses; ++x)
        text += ",age " + std::to_string(x);
    text += std::string("\"") + kLineEnd;
    return text + projectionLines(projection, ageClasses);
}

std::string ProjectionFileText(const Projection &projection, const StageAnalysis &analysis)
{
    std::string header = "t,N(t),N(t+1)/N(t),distance to w";
    for (int i = 0; i < analysis.stages; ++i)
        header += "," + StageCaption(analysis.names, i);
    return CsvField(header) + kLineEnd + projectionLines(projection, analysis.stages);
}

std::string ClassesFileText(const StageAnalysis &analysis)
{
    const std::vector<const ResultField *> columns
        = ResultsOf(ModelKind::Stage, ResultKind::PerClass);
    std::string header = "stage";
    std::vector<ResultValue> values;
    for (const ResultField *column : columns) {
        header += std::string(",") + column->label;
        values.push_back(ValueOf(*column, analysis));
    }
    std::string text = CsvField(header) + kLineEnd;
    for (int i = 0; i < analysis.stages; ++i) {
        text += CsvField(StageName(analysis.names, i));
        for (const ResultValue &value : values)
            text += "," + field(NumbersOf(value), i);
        text += kLineEnd;
    }
    return text;
}

std::string EntriesFileText(const StageAnalysis &analysis, const ResultField &entries)
{
    const int n = analysis.stages;
    const ResultValue value = ValueOf(entries, analysis);
    const std::vector<double> *values = NumbersOf(value);
    if (values && values->size() != static_cast<std::size_t>(n) * static_cast<std::size_t>(n))
        values = nullptr;
    std::string text = "\"\"";
    for (int j = 0; j < n; ++j)
        text += "," + quoted(StageCaption(analysis.names, j));
    text += kLineEnd;
    for (int i = 0; i < n; ++i) {
        text += quoted(StageCaption(analysis.names, i));
        for (int j = 0; j < n; ++j)
            text += ","
                + (values ? field((*values)[static_cast<std::size_t>(i * n + j)]) : std::string());
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
        return {false, tooShort(chosenName)};
    const std::string error = ReplaceFiles(
        {{*base + "-projection.txt", ProjectionFileText(projection, analysis.ageClasses)},
         {*base + "-classes.txt", ClassesFileText(analysis)}});
    if (!error.empty())
        return {false, error};
    return {true, {}};
}

ExportResult ExportAnalysisData(const std::string &chosenName, const StageAnalysis &analysis,
                                const Projection &projection)
{
    const std::optional<std::string> base = BaseOfChosenName(chosenName);
    if (!base)
        return {false, tooShort(chosenName)};
    std::vector<FileText> files
        = {{*base + "-projection.txt", ProjectionFileText(projection, analysis)},
           {*base + "-classes.txt", ClassesFileText(analysis)}};
    for (const ResultField *entries : ResultsOf(ModelKind::Stage, ResultKind::PerEntry))
        files.push_back({*base + "-" + entries->key + ".txt", EntriesFileText(analysis, *entries)});
    const std::string error = ReplaceFiles(files);
    if (!error.empty())
        return {false, error};
    return {true, {}};
}

} // namespace tarnvale
