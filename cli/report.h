#pragma once

#include "core/leslie.h"
#include "core/modelchecks.h"
#include "core/projection.h"
#include "core/results.h"
#include "core/whatif.h"

#include <array>
#include <iosfwd>
#include <optional>
#include <string>

namespace tarnvale::cli {

// What a record of a matrix database adds to its stage model's report.
struct RecordReport
{
    std::string species;
    std::string citation;
    std::string projectionInterval;
    std::string matrixComposite;
    std::string problem; // why its matrix cannot be analysed; empty when it can
    ModelCheckValues checks {};
};

// One analysed input of a report: a Leslie table's analysis or a stage model's, which may be a
// database record's (whose results are all undefined when it has a problem).
struct Report
{
    std::string source;
    ModelKind model = ModelKind::Leslie;
    LeslieAnalysis analysis; // a Leslie table's
    StageAnalysis stage; // a stage model's
    std::optional<Projection> projection;
    std::optional<RecordReport> record;
    std::optional<Sweep> sweep;
    std::optional<BreakEven> breakEven;
};

// The columns of a CSV run beyond a Leslie table's: those of stage models, then those of
// database records.
struct CsvColumns
{
    bool stage = false;
    bool record = false;
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

// The CSV header and one line of the scalar results of a report: a Leslie table's columns; with
// `columns.stage` (a run with a stage model) "model" and what only stage models have; with
// `columns.record` (a run with a database file) species, citation, projection_interval,
// matrix_composite, problem and the thirteen checks.
void WriteCsvHeader(std::ostream &out, CsvColumns columns);
void WriteCsv(std::ostream &out, const Report &report, CsvColumns columns);

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
