#include "cli/report.h"

#include "core/furtheranalysis.h"
#include "core/numbertext.h"
#include "io/csv.h"

#include <charconv>
#include <cstdio>
#include <iomanip>
#include <ostream>

namespace tarnvale::cli {

namespace {

constexpr ModelKind kModel = ModelKind::Leslie;

std::string jsonNumber(const std::optional<double> &value)
{
    return value ? ExactText(*value) : "null";
}

std::string jsonArray(const std::vector<double> *values)
{
    if (!values)
        return "null";
    std::string text = "[";
    for (std::size_t i = 0; i < values->size(); ++i)
        text += (i ? "," : "") + ExactText((*values)[i]);
    return text + "]";
}

std::string jsonArray(const std::vector<std::optional<double>> &values)
{
    std::string text = "[";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += (i ? "," : "") + jsonNumber(values[i]);
    return text + "]";
}

std::string jsonValue(const ResultValue &value)
{
    if (const double *number = std::get_if<double>(&value))
        return ExactText(*number);
    if (const bool *flag = std::get_if<bool>(&value))
        return *flag ? "true" : "false";
    if (const auto *numbers = std::get_if<std::vector<double>>(&value))
        return jsonArray(numbers);
    return "null";
}

// A cell of the per-class table: the class's value, "-" past the end of a shorter column (the
// last class has no survival rate), "undefined" for a column that is undefined whole.
std::string classCell(const ResultValue &value, std::size_t x)
{
    const std::vector<double> *values = NumbersOf(value);
    if (!values)
        return "undefined";
    return x < values->size() ? NumberToText((*values)[x]) : std::string("-");
}

} // namespace

std::string ExactText(double value)
{
    char buffer[32];
    const auto result
        = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

std::string JsonString(const std::string &text)
{
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

ResultValue ReportValue(const ResultField &field, const Report &report)
{
    return ValueOf(field, report.analysis);
}

void WriteJson(std::ostream &out, const Report &report)
{
    out << "{\"source\":" << JsonString(report.source);
    // Fields of one group ("sensitivity") form one object.
    const char *group = nullptr;
    for (const ResultField &field : ReportedResults()) {
        if (!field.has(kModel))
            continue;
        const bool sameGroup = group && field.group && std::string(group) == field.group;
        if (group && !sameGroup)
            out << "}";
        out << ",";
        if (field.group && !sameGroup)
            out << "\"" << field.group << "\":{";
        group = field.group;
        out << "\"" << field.key << "\":" << jsonValue(ReportValue(field, report));
    }
    if (group)
        out << "}";
    if (report.projection) {
        const Projection &p = *report.projection;
        out << ",\"projection\":{\"total\":" << jsonArray(p.total)
            << ",\"growth_ratio\":" << jsonArray(p.growthRatio)
            << ",\"distance\":" << jsonArray(p.distance) << ",\"convergence_time\":"
            << (p.convergenceTime ? std::to_string(*p.convergenceTime) : "null") << "}";
    }
    out << "}";
}

void WriteCsvHeader(std::ostream &out)
{
    out << "source";
    for (const ResultField *field : ResultsOf(kModel, ResultKind::Scalar))
        out << ',' << field->key;
    out << '\n';
}

void WriteCsv(std::ostream &out, const Report &report)
{
    out << CsvField(report.source);
    for (const ResultField *field : ResultsOf(kModel, ResultKind::Scalar)) {
        out << ',';
        if (const std::optional<double> value = NumberOf(ReportValue(*field, report)))
            out << ExactText(*value);
    }
    out << '\n';
}

void WriteText(std::ostream &out, const Report &report, const std::string &startText)
{
    const LeslieAnalysis &a = report.analysis;
    out << report.source << '\n' << std::left;
    for (const ResultField *field : ResultsOf(kModel, ResultKind::Scalar)) {
        std::string value = ValueText(NumberOf(ReportValue(*field, report)));
        if (std::string(field->key) == "damping_ratio" && a.periodic())
            value += " (" + PeriodicNote(a) + ")";
        out << std::setw(36) << "  " + std::string(field->label) << value << '\n';
    }
    out << '\n';

    // The per-class table: the class, then a column per result, the last one unpadded.
    const std::vector<const ResultField *> columns = ResultsOf(kModel, ResultKind::PerClass);
    out << "  " << std::setw(6) << "x";
    for (std::size_t c = 0; c < columns.size(); ++c)
        out << std::setw(c + 1 < columns.size() ? 24 : 0) << columns[c]->label;
    out << '\n';
    std::vector<ResultValue> values;
    for (const ResultField *column : columns)
        values.push_back(ReportValue(*column, report));
    for (std::size_t x = 0; x < static_cast<std::size_t>(a.ageClasses); ++x) {
        out << "  " << std::setw(6) << x;
        for (std::size_t c = 0; c < values.size(); ++c)
            out << std::setw(c + 1 < values.size() ? 24 : 0) << classCell(values[c], x);
        out << '\n';
    }

    if (report.projection) {
        const Projection &p = *report.projection;
        out << "\n  Projection from the start vector \"" << startText << "\" over " << p.steps
            << " steps; convergence time (distance to the SAD <= 0.01 from then on): "
            << (p.convergenceTime ? std::to_string(*p.convergenceTime)
                                  : "not within " + std::to_string(p.steps) + " steps")
            << "\n  " << std::setw(6) << "t" << std::setw(24) << "N(t)" << std::setw(24)
            << "N(t+1)/N(t)"
            << "distance to SAD\n";
        for (std::size_t t = 0; t < p.total.size(); ++t) {
            out << "  " << std::setw(6) << t << std::setw(24) << ValueText(p.total[t])
                << std::setw(24)
                << (t < p.growthRatio.size() ? ValueText(p.growthRatio[t]) : std::string("-"))
                << ValueText(p.distance[t]) << '\n';
        }
    }
    out << std::right << '\n';
}

} // namespace tarnvale::cli
