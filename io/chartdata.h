#pragma once

#include "core/state.h"

#include <string>

namespace tarnvale {

// The outcome of ExportChartData. When ok is false `message` names the file that could not be
// written, and no file that existed before was replaced by a partly written one.
struct ExportResult
{
    bool ok = false;
    std::string message;
};

// The text of <base>-graphdata.txt: the header "x,f(x)" in quotes, then one line per point of the
// last curve, PointX(i) (single precision) and PlotFx(i), i = 1 ... PlotCount. Lines end in CR LF.
std::string CurveFileText(const AnalysisState &state);

// The text of <base>-SAD.txt: the header "age, stable age distribution" in quotes, then one line
// per age class i = 0 ... LastAgeClass (empty counts as 0) with i and StableAgeDist(i); an empty
// slot is written as nothing after the comma. Lines end in CR LF.
std::string SadFileText(const AnalysisState &state);

// Writes both chart data files beside `chosenName` (a UTF-8 path; base = the name less its last 4
// characters): base + "-graphdata.txt" and base + "-SAD.txt", each replacing a file of that name.
// Every file is written to a fresh temporary file in the same folder first and renamed over its
// target only when complete. The chosen file itself is neither read nor changed. On success
// DataFileBase becomes `chosenName`; nothing else in the state changes.
ExportResult ExportChartData(AnalysisState &state, const std::string &chosenName);

} // namespace tarnvale
