#include "cli/report.h"

#include "core/furtheranalysis.h"
#include "core/numbertext.h"
#include "core/whatif.h"
#include "io/csv.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iomanip>
#include <ostream>

namespace tarnvale::cli {

namespace {

std::string jsonNumber(const std::optional<double> &value)
{
    return value ? ExactText(*value) : "null";
}

// Writes `count` numbers from `values` as a JSON array, straight to `out`: a stage model of 500
// stages has two matrices of 250,000 numbers each.
void writeJsonArray(std::ostream &out, const double *values, std::size_t count)
{
    char buffer[32];
    out << '[';
    for (std::size_t i = 0; i < count; ++i) {
        if (i)
            out << ',';
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, values[i],
                                          std::chars_format::general, 17);
        out.write(buffer, result.ptr - buffer);
    }
    out << ']';
}

std::string jsonArray(const std::vector<std::optional<double>> &values)
{
    std::string text = "[";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += (i ? "," : "") + jsonNumber(values[i]);
    return text + "]";
}

// Writes a value as JSON; per-entry values as an array of rows of `n`.
void writeJsonValue(std::ostream &out, const ResultValue &value, ResultKind kind, int n)
{
    if (const double *number = std::get_if<double>(&value)) {
        out << ExactText(*number);
    } else if (const bool *flag = std::get_if<bool>(&value)) {
        out << (*flag ? "true" : "false");
    } else if (const auto *names = std::get_if<std::vector<std::string>>(&value)) {
        out << '[';
        for (std::size_t i = 0; i < names->size(); ++i)
            out << (i ? "," : "") << JsonString((*names)[i]);
        out << ']';
    } else if (const auto *numbers = std::get_if<std::vector<double>>(&value)) {
        if (kind != ResultKind::PerEntry || n <= 0) {
            writeJsonArray(out, numbers->data(), numbers->size());
            return;
        }
        const auto width = static_cast<std::size_t>(n);
        out << '[';
        for (std::size_t row = 0; row * width < numbers->size(); ++row) {
            if (row)
                out << ',';
            writeJsonArray(out, numbers->data() + row * width, width);
        }
        out << ']';
    } else {
        out << "null";
    }
}

// The columns a CSV line has beyond a Leslie table's when stage models are reported: what only
// they have, of one value each.
std::vector<const ResultField *> stageColumns()
{
    std::vector<const ResultField *> columns;
    for (const ResultField &field : ReportedResults())
        if (field.has(ModelKind::Stage) && !field.has(ModelKind::Leslie)
            && (field.kind == ResultKind::Scalar || field.kind == ResultKind::Flag))
            columns.push_back(&field);
    return columns;
}

// A CSV field of a value of one number or flag; empty when undefined.
std::string csvValue(const ResultValue &value)
{
    if (const double *number = std::get_if<double>(&value))
        return ExactText(*number);
    if (const bool *flag = std::get_if<bool>(&value))
        return *flag ? "true" : "false";
    return {};
}

// Stage i's name in the text report: its name, or its number from 1.
std::string stageLabel(const StageAnalysis &a, std::size_t i)
{
    return i < a.names.size() ? a.names[i] : std::to_string(i + 1);
}

// The note a scalar carries in the text report: why a stage model has no R0, or that the
// population cycles.
std::string textNote(const ResultField &field, const Report &report)
{
    const std::string key = field.key;
    if (report.model == ModelKind::Leslie)
        return key == "damping_ratio" && report.analysis.periodic() ? PeriodicNote(report.analysis)
                                                                    : std::string();
    const StageAnalysis &a = report.stage;
    if ((key == "R0" || key == "T") && !a.netReproductiveRate && !a.whyNoR0.empty())
        return a.whyNoR0;
    if (key == "damping_ratio")
        return PeriodicNote(a);
    return {};
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

// What the factor k of a group does, in the text report.
std::string groupNote(const WhatIfTarget &target)
{
    switch (target.kind) {
    case TargetKind::All:
        return "k multiplies every entry: a harvest h = 1 \u2212 k of every stage after each step";
    case TargetKind::Row: {
        const std::string row = std::to_string(target.row + 1);
        return "k multiplies row " + row + ": a harvest h = 1 \u2212 k of stage " + row
            + " after each step";
    }
    case TargetKind::PartF:
        return "k multiplies the part F";
    case TargetKind::PartU:
        return "k multiplies the part U";
    default:
        return {};
    }
}

// `text` padded with blanks to `width` characters (not bytes: the minus sign is one), at least one
// blank after it.
std::string cell(const std::string &text, std::size_t width)
{
    const auto characters
        = static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
              return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
          }));
    return text + std::string(characters < width ? width - characters : 1, ' ');
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
    if (report.record && !report.record->problem.empty())
        return {};
    return report.model == ModelKind::Leslie ? ValueOf(field, report.analysis)
                                             : ValueOf(field, report.stage);
}

void WriteJson(std::ostream &out, const Report &report)
{
    out << "{\"source\":" << JsonString(report.source);
    if (report.model == ModelKind::Stage)
        out << ",\"model\":\"stage\"";
    // Fields of one group ("sensitivity") form one object.
    const char *group = nullptr;
    for (const ResultField &field : ReportedResults()) {
        if (!field.has(report.model))
            continue;
        const bool sameGroup = group && field.group && std::string(group) == field.group;
        if (group && !sameGroup)
            out << "}";
        out << ",";
        if (field.group && !sameGroup)
            out << "\"" << field.group << "\":{";
        group = field.group;
        out << "\"" << field.key << "\":";
        writeJsonValue(out, ReportValue(field, report), field.kind, report.stage.stages);
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
    if (report.sweep) {
        const Sweep &sweep = *report.sweep;
        out << ",\"sweep\":{\"target\":" << JsonString(TargetText(sweep.target)) << ",\"values\":";
        writeJsonArray(out, sweep.values.data(), sweep.values.size());
        out << ",\"lambda\":" << jsonArray(sweep.lambda) << "}";
    }
    if (report.breakEven) {
        const BreakEven &b = *report.breakEven;
        out << ",\"break_even\":{\"target\":" << JsonString(TargetText(b.target))
            << ",\"lambda_target\":" << ExactText(b.lambdaTarget)
            << ",\"value\":" << jsonNumber(b.value)
            << ",\"reason\":" << (b.reason.empty() ? std::string("null") : JsonString(b.reason))
            << "}";
    }
    if (report.record) {
        const RecordReport &r = *report.record;
        const auto text = [](const std::string &value) {
            return value.empty() ? std::string("null") : JsonString(value);
        };
        out << ",\"species\":" << text(r.species) << ",\"citation\":" << text(r.citation)
            << ",\"projection_interval\":" << text(r.projectionInterval)
            << ",\"matrix_composite\":" << text(r.matrixComposite)
            << ",\"problem\":" << text(r.problem) << ",\"checks\":{";
        for (std::size_t k = 0; k < kModelCheckCount; ++k)
            out << (k ? "," : "") << "\"" << ModelChecks()[k].name << "\":"
                << (!r.checks[k]       ? "null"
                        : *r.checks[k] ? "true"
                                       : "false");
        out << "}";
    }
    out << "}";
}

void WriteSweepCsvHeader(std::ostream &out)
{
    out << "source,value,lambda\n";
}

void WriteSweepCsv(std::ostream &out, const Report &report)
{
    const Sweep &sweep = *report.sweep;
    for (std::size_t k = 0; k < sweep.values.size(); ++k)
        out << CsvField(report.source) << ',' << ExactText(sweep.values[k]) << ','
            << (sweep.lambda[k] ? ExactText(*sweep.lambda[k]) : std::string()) << '\n';
}

void WriteBreakEvenCsvHeader(std::ostream &out)
{
    out << "source,target,lambda_target,value,reason\n";
}

void WriteBreakEvenCsv(std::ostream &out, const Report &report)
{
    const BreakEven &b = *report.breakEven;
    out << CsvField(report.source) << ',' << CsvField(TargetText(b.target)) << ','
        << ExactText(b.lambdaTarget) << ',' << (b.value ? ExactText(*b.value) : std::string())
        << ',' << (b.reason.empty() ? std::string() : CsvField(b.reason)) << '\n';
}

void WriteLtreJson(std::ostream &out, const LtreReport &report)
{
    const Ltre &l = report.ltre;
    out << "{\"sources\":[" << JsonString(report.sources[0]) << ',' << JsonString(report.sources[1])
        << "],\"lambda\":[" << jsonNumber(l.lambdaFirst) << ',' << jsonNumber(l.lambdaSecond)
        << "],\"ltre\":{\"contributions\":";
    if (l.contributions)
        writeJsonValue(out, l.contributions->values, ResultKind::PerEntry, l.n);
    else
        out << "null";
    out << ",\"sum\":" << jsonNumber(l.sum)
        << ",\"lambda_difference\":" << jsonNumber(l.lambdaDifference) << "}}";
}

void WriteLtreCsvHeader(std::ostream &out)
{
    out << "row,column,contribution\n";
}

void WriteLtreCsv(std::ostream &out, const LtreReport &report)
{
    const Ltre &l = report.ltre;
    for (int i = 0; i < l.n; ++i)
        for (int j = 0; j < l.n; ++j)
            out << i + 1 << ',' << j + 1 << ','
                << (l.contributions ? ExactText(l.contributions->at(i, j)) : std::string()) << '\n';
}

void WriteLtreText(std::ostream &out, const LtreReport &report)
{
    const Ltre &l = report.ltre;
    out << "LTRE (fixed design): " << report.sources[0] << " (1) against " << report.sources[1]
        << " (2)\n"
        << std::left;
    const std::pair<const char *, std::optional<double>> lines[]
        = {{"lambda1 (1)", l.lambdaFirst},
           {"lambda1 (2)", l.lambdaSecond},
           {"Sum of the contributions", l.sum},
           {"lambda1(2) - lambda1(1)", l.lambdaDifference}};
    for (const auto &[label, value] : lines)
        out << std::setw(36) << "  " + std::string(label) << ValueText(value) << '\n';
    out << "\n  Contribution (a2 - a1) S, S the sensitivity of the mean matrix (row: to, column: "
           "from)";
    if (!l.contributions) {
        out << ": undefined\n" << std::right << '\n';
        return;
    }
    const auto n = static_cast<std::size_t>(l.n);
    out << "\n  " << std::setw(6) << "";
    for (std::size_t j = 0; j < n; ++j)
        out << std::setw(j + 1 < n ? 24 : 0) << j + 1;
    out << '\n';
    for (std::size_t i = 0; i < n; ++i) {
        out << "  " << std::setw(6) << i + 1;
        for (std::size_t j = 0; j < n; ++j)
            out << std::setw(j + 1 < n ? 24 : 0)
                << NumberToText(l.contributions->values[i * n + j]);
        out << '\n';
    }
    out << std::right << '\n';
}

void WriteCsvHeader(std::ostream &out, CsvColumns columns)
{
    out << "source";
    for (const ResultField *field : ResultsOf(ModelKind::Leslie, ResultKind::Scalar))
        out << ',' << field->key;
    if (columns.stage) {
        out << ",model";
        for (const ResultField *field : stageColumns())
            out << ',' << field->key;
    }
    if (columns.record) {
        out << ",species,citation,projection_interval,matrix_composite,problem";
        for (const ModelCheck &check : ModelChecks())
            out << ',' << check.name;
    }
    out << '\n';
}

void WriteCsv(std::ostream &out, const Report &report, CsvColumns columns)
{
    out << CsvField(report.source);
    // A Leslie table's columns first; a stage model leaves those it does not have empty.
    for (const ResultField *field : ResultsOf(ModelKind::Leslie, ResultKind::Scalar))
        out << ',' << csvValue(ReportValue(*field, report));
    if (columns.stage) {
        out << ',' << (report.model == ModelKind::Leslie ? "leslie" : "stage");
        for (const ResultField *field : stageColumns())
            out << ',' << csvValue(ReportValue(*field, report));
    }
    if (columns.record) {
        const RecordReport r = report.record.value_or(RecordReport {});
        for (const std::string *text :
             {&r.species, &r.citation, &r.projectionInterval, &r.matrixComposite, &r.problem})
            out << ',' << CsvField(*text);
        for (const std::optional<bool> &check : r.checks)
            out << ',' << (!check ? "" : *check ? "true" : "false");
    }
    out << '\n';
}

namespace {

// The scalar results, one a line, and a stage model's structure in words.
void writeScalars(std::ostream &out, const Report &report)
{
    for (const ResultField *field : ResultsOf(report.model, ResultKind::Scalar)) {
        std::string value = ValueText(NumberOf(ReportValue(*field, report)));
        if (const std::string note = textNote(*field, report); !note.empty())
            value += " (" + note + ")";
        out << std::setw(36) << "  " + std::string(field->label) << value << '\n';
    }
    std::string structure;
    for (const ResultField *field : ResultsOf(report.model, ResultKind::Flag)) {
        const ResultValue value = ReportValue(*field, report);
        const bool *flag = std::get_if<bool>(&value);
        structure += (structure.empty() ? "" : ", ")
            + std::string(!flag       ? "undefined"
                              : *flag ? field->label
                                      : field->negation);
    }
    if (!structure.empty())
        out << std::setw(36) << "  Structure" << structure << '\n';
    out << '\n';
}

// The per-class table: the class (an age, or a stage's name), then a column per result, the last
// one unpadded.
void writeClasses(std::ostream &out, const Report &report)
{
    const bool leslie = report.model == ModelKind::Leslie;
    const std::vector<const ResultField *> columns = ResultsOf(report.model, ResultKind::PerClass);
    std::vector<ResultValue> values;
    for (const ResultField *column : columns)
        values.push_back(ReportValue(*column, report));
    const std::size_t classes
        = static_cast<std::size_t>(leslie ? report.analysis.ageClasses : report.stage.stages);
    std::size_t width = leslie ? 6 : 7;
    for (std::size_t x = 0; !leslie && x < classes; ++x)
        width = std::max(width, stageLabel(report.stage, x).size() + 2);
    out << "  " << std::setw(static_cast<int>(width)) << (leslie ? "x" : "stage");
    for (std::size_t c = 0; c < columns.size(); ++c)
        out << std::setw(c + 1 < columns.size() ? 24 : 0) << columns[c]->label;
    out << '\n';
    for (std::size_t x = 0; x < classes; ++x) {
        out << "  " << std::setw(static_cast<int>(width))
            << (leslie ? std::to_string(x) : stageLabel(report.stage, x));
        for (std::size_t c = 0; c < values.size(); ++c)
            out << std::setw(c + 1 < values.size() ? 24 : 0) << classCell(values[c], x);
        out << '\n';
    }
}

// Each per-entry result of a stage model as a matrix, a row per stage "to", a column per stage
// "from".
void writeEntries(std::ostream &out, const Report &report)
{
    const StageAnalysis &a = report.stage;
    const auto n = static_cast<std::size_t>(a.stages);
    std::size_t width = 6;
    for (std::size_t i = 0; i < n; ++i)
        width = std::max(width, stageLabel(a, i).size() + 2);
    for (const ResultField *field : ResultsOf(report.model, ResultKind::PerEntry)) {
        const ResultValue value = ReportValue(*field, report);
        const std::vector<double> *entries = NumbersOf(value);
        out << "\n  " << field->label << " (row: to, column: from)";
        if (!entries) {
            out << ": undefined\n";
            continue;
        }
        out << "\n  " << std::setw(static_cast<int>(width)) << "";
        for (std::size_t j = 0; j < n; ++j)
            out << std::setw(j + 1 < n ? 24 : 0) << stageLabel(a, j);
        out << '\n';
        for (std::size_t i = 0; i < n; ++i) {
            out << "  " << std::setw(static_cast<int>(width)) << stageLabel(a, i);
            for (std::size_t j = 0; j < n; ++j)
                out << std::setw(j + 1 < n ? 24 : 0) << NumberToText((*entries)[i * n + j]);
            out << '\n';
        }
    }
}

void writeProjection(std::ostream &out, const Report &report, const std::string &startText)
{
    const Projection &p = *report.projection;
    const char *stable = report.model == ModelKind::Leslie ? "SAD" : "w";
    out << "\n  Projection from the start vector \"" << startText << "\" over " << p.steps
        << " steps; convergence time (distance to "
        << (report.model == ModelKind::Leslie ? "the SAD" : "w") << " <= 0.01 from then on): "
        << (p.convergenceTime ? std::to_string(*p.convergenceTime)
                              : "not within " + std::to_string(p.steps) + " steps")
        << "\n  " << std::setw(6) << "t" << std::setw(24) << "N(t)" << std::setw(24)
        << "N(t+1)/N(t)"
        << "distance to " << stable << "\n";
    for (std::size_t t = 0; t < p.total.size(); ++t) {
        out << "  " << std::setw(6) << t << std::setw(24) << ValueText(p.total[t]) << std::setw(24)
            << (t < p.growthRatio.size() ? ValueText(p.growthRatio[t]) : std::string("-"))
            << ValueText(p.distance[t]) << '\n';
    }
}

// The sweep as a table of the values (and the harvest of a group that is one) and lambda1.
void writeSweep(std::ostream &out, const Sweep &sweep)
{
    const bool group = IsGroup(sweep.target), harvest = IsHarvest(sweep.target);
    const std::string name = TargetText(sweep.target);
    out << "\n  Sweep of " << name << " from " << NumberToText(sweep.values.front()) << " to "
        << NumberToText(sweep.values.back()) << " over " << sweep.values.size() << " values";
    if (group)
        out << " (" << groupNote(sweep.target) << ")";
    out << "\n  " << cell(group ? "k" : name, 24);
    if (harvest)
        out << cell("harvest h = 1 \u2212 k", 24);
    out << "lambda1\n";
    for (std::size_t k = 0; k < sweep.values.size(); ++k) {
        out << "  " << cell(NumberToText(sweep.values[k]), 24);
        if (harvest)
            out << cell(NumberToText(1 - sweep.values[k]), 24);
        out << ValueText(sweep.lambda[k]) << '\n';
    }
}

// The break-even value, with the harvest it stands for, or why there is none.
void writeBreakEven(std::ostream &out, const BreakEven &b)
{
    const std::string name = TargetText(b.target);
    out << "\n  Break-even of " << name << " (lambda1 >= " << NumberToText(b.lambdaTarget) << "): ";
    if (!b.value) {
        out << "unreachable: " << b.reason << '\n';
        return;
    }
    out << (IsGroup(b.target) ? std::string("k") : name) << " = " << NumberToText(*b.value);
    if (IsHarvest(b.target))
        out << ", harvest h = 1 \u2212 k = " << NumberToText(1 - *b.value);
    if (IsGroup(b.target))
        out << " (" << groupNote(b.target) << ")";
    out << '\n';
}

// What the database says of a record, and its checks, the worrying ones named first.
void writeRecord(std::ostream &out, const RecordReport &r)
{
    const std::pair<const char *, const std::string *> lines[]
        = {{"Species", &r.species},
           {"Citation", &r.citation},
           {"Projection interval", &r.projectionInterval},
           {"Matrix composite", &r.matrixComposite},
           {"Problem", &r.problem}};
    for (const auto &[label, text] : lines)
        if (!text->empty())
            out << std::setw(36) << "  " + std::string(label) << *text << '\n';
    std::string worrying, fine;
    for (std::size_t k = 0; k < kModelCheckCount; ++k) {
        const ModelCheck &check = ModelChecks()[k];
        std::string &list = IsWorrying(check, r.checks[k]) ? worrying : fine;
        list += (list.empty() ? "" : ", ") + std::string(check.name) + " "
            + (!r.checks[k]       ? "null"
                   : *r.checks[k] ? "true"
                                  : "false");
    }
    out << std::setw(36) << "  Worrying checks" << (worrying.empty() ? "none" : worrying) << '\n'
        << std::setw(36) << "  Other checks" << fine << '\n';
}

} // namespace

void WriteText(std::ostream &out, const Report &report, const std::string &startText)
{
    out << report.source << '\n' << std::left;
    if (report.record) {
        writeRecord(out, *report.record);
        if (!report.record->problem.empty()) {
            out << std::right << '\n';
            return;
        }
    }
    writeScalars(out, report);
    writeClasses(out, report);
    if (report.model == ModelKind::Stage)
        writeEntries(out, report);
    if (report.projection)
        writeProjection(out, report, startText);
    if (report.sweep && !report.sweep->values.empty())
        writeSweep(out, *report.sweep);
    if (report.breakEven)
        writeBreakEven(out, *report.breakEven);
    out << std::right << '\n';
}

} // namespace tarnvale::cli
