#pragma once

#include "core/leslie.h"
#include "core/projection.h"
#include "io/chartdata.h"

#include <string>

namespace tarnvale {

// The text of <base>-projection.txt: the header "t,N(t),N(t+1)/N(t),distance to SAD,age 0,..."
// in quotes, then one line per t = 0 ... steps with t, N(t), the growth ratio N(t + 1) / N(t),
// Keyfitz's distance to the SAD and the share of each of the `ageClasses` classes. An undefined
// value (a total beyond the double range, the ratio of the last t) is written as nothing. Lines
// end in CR LF, as in the chart data files.
std::string ProjectionFileText(const Projection &projection, int ageClasses);

// The text of <base>-classes.txt: the header "age,SAD,reproductive value,dlambda/dF,dlambda/ds,
// elasticity F,elasticity s" in quotes, then one line per age class; the last class, which has
// no survival rate, and every undefined value are written as nothing.
std::string ClassesFileText(const LeslieAnalysis &analysis);

// Writes both files beside `chosenName` (base = the name less its last 4 characters), each
// through a temporary file, as ExportChartData writes the chart data.
ExportResult ExportAnalysisData(const std::string &chosenName, const LeslieAnalysis &analysis,
                                const Projection &projection);

} // namespace tarnvale
