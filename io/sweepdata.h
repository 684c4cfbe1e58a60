#pragma once

#include "core/whatif.h"
#include "io/chartdata.h"

#include <string>

namespace tarnvale {

// The text of a sweep as a CSV file: the header "value,lambda1", then one line per point, the
// target's value and lambda1 with 17 significant digits (locale-free, so that each reads back
// as the same double), lambda1 empty where it is undefined. Lines end in CR LF.
std::string SweepFileText(const Sweep &sweep);

// Writes SweepFileText to `path` (UTF-8) through ReplaceFiles: a file that existed before is
// replaced only by a complete one. On failure `message` names the file.
ExportResult ExportSweep(const std::string &path, const Sweep &sweep);

} // namespace tarnvale
