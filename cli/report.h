#pragma once

#include "core/leslie.h"
#include "core/projection.h"
#include "core/results.h"
#include "core/whatif.h"

#include <array>
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
    std::optional<Sweep> sweep;
    std::optional<BreakEven> breakEven;
};

// The LTRE of two inputs, named as the reports name them.
struct LtreReport
{
    std::array<std::string, 2> sources;
    Ltre ltre;
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

// The readable block of a report: the scalar results, the per-class table, and the projection
// from the start vector named `startText`, the sweep or the break-even.
void WriteText(std::ostream &out, const Report &report, const std::string &startText);

// The CSV of a sweep ("source,value,lambda", a line per value) and of a break-even
// ("source,target,lambda_target,value,reason", a line per input), in place of the analysis.
void WriteSweepCsvHeader(std::ostream &out);
void WriteSweepCsv(std::ostream &out, const Report &report);
void WriteBreakEvenCsvHeader(std::ostream &out);
void WriteBreakEvenCsv(std::ostream &out, const Report &report);

// An LTRE as one JSON object ({"sources", "lambda", "ltre": {"contributions", "sum",
// "lambda_difference"}}), as CSV ("row,column,contribution" from 1, the header first) and as text.
void WriteLtreJson(std::ostream &out, const LtreReport &report);
void WriteLtreCsvHeader(std::ostream &out);
void WriteLtreCsv(std::ostream &out, const LtreReport &report);
void WriteLtreText(std::ostream &out, const LtreReport &report);

// 17 significant digits: a double read back from this text is the same double.
std::string ExactText(double value);

// A text in JSON's double quotes, with the characters JSON escapes escaped.
std::string JsonString(const std::string &text);

} // namespace tarnvale::cli
