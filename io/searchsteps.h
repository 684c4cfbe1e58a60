#pragma once

#include "core/state.h"

#include <string>
#include <vector>

namespace tarnvale {

// The text of a steps file: the header line "step,x1,x2,x3,f(x3),event", then one line per entry
// of `record`, oldest first, with its texts as the steps window shows them, quoted by CsvField.
// Lines end in CR LF, as in the chart data files.
std::string StepsFileText(const std::vector<SearchEntry> &record);

// Writes StepsFileText(record) to `path` (a UTF-8 path) through a temporary file beside it, so
// that a file of that name is replaced only by a complete one. Returns the message naming the
// file, empty on success.
std::string SaveSearchSteps(const std::vector<SearchEntry> &record, const std::string &path);

} // namespace tarnvale
