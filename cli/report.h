#pragma once

#include "core/leslie.h"
#include "core/projection.h"
#include "core/results.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace tarnvale::cli {

// One analysed input of a report: a Leslie table's analysis or a stage model's.
struct Report
{
    std::string source;
    ModelKind model = ModelKind::Leslie;
    LeslieAnalysis analysis; // a Leslie table's
    StageAnalysis stage; // a stage model's
    std::optional<Projection> projection;
};

// The results of a report as written, the fields of ReportedResults() that its model has.
ResultValue ReportValue(const ResultField &field, const Report &report);

// One JSON object with every result of `report`; numbers with 17 significant digits, undefined
// values as null.
void WriteJson(std::ostream &out, const Report &report);

// The CSV header and one line of the scalar results of a report: a Leslie table's columns, and
// with `stageColumnsToo` (a run with a stage model) "model" and what only stage models have.
void WriteCsvHeader(std::ostream &out, bool stageColumnsToo);
void WriteCsv(std::ostream &out, const Report &report, bool stageColumnsToo);

// The readable block of a report: the scalar results, the per-class table and the projection
// from the start vector named `startText`.
void WriteText(std::ostream &out, const Report &report, const std::string &startText);

// 17 significant digits: a double read back from this text is the same double.
std::string ExactText(double value);

// A text in JSON's double quotes, with the characters JSON escapes escaped.
std::string JsonString(const std::string &text);

} // namespace tarnvale::cli
