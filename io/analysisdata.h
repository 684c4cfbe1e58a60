#pragma once

#include "core/leslie.h"
#include "core/projection.h"
#include "core/results.h"
#include "core/stageanalysis.h"
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

// ----- A stage model: the same two files and one per matrix of results -----

// <base>-projection.txt of a stage model: as ProjectionFileText, the distance measured to w and
// a share column per stage named by StageCaption; the header "t,N(t),N(t+1)/N(t),distance to
// w,juvenile,adult" is one field as CsvField writes it (in quotes, a quote in a name doubled).
std::string ProjectionFileText(const Projection &projection, const StageAnalysis &analysis);

// <base>-classes.txt of a stage model: the header "stage" and the label of each per-class
// result of the list (w, v, the life expectancy) in quotes, then per stage its name (StageName,
// through CsvField) and its values; an undefined value is written as nothing.
std::string ClassesFileText(const StageAnalysis &analysis);

// <base>-<key>.txt of a per-entry result of the list (`field`: the sensitivities, the
// elasticities): the matrix as R's write.csv writes one, so that R and the matrix reader read it
// back: a header of "" and the stage names (StageCaption), each in quotes, then per row "to"
// stage i its name and the entries "from" each stage j. An undefined result leaves the entries
// empty.
std::string EntriesFileText(const StageAnalysis &analysis, const ResultField &field);

// Writes <base>-projection.txt, <base>-classes.txt and a file per per-entry result
// (<base>-sensitivity.txt, <base>-elasticity.txt) beside `chosenName`, all or none, as the
// Leslie table's files are written.
ExportResult ExportAnalysisData(const std::string &chosenName, const StageAnalysis &analysis,
                                const Projection &projection);

} // namespace tarnvale
