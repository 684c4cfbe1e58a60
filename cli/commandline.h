#pragma once

#include <iosfwd>

namespace tarnvale::cli {

// True when the arguments ask for the command line rather than the windows: the first argument
// begins with "--" (the toolkit's own options take one dash).
bool IsCommandLine(int argc, char **argv);

// Runs `tarnvale --report ...` (see UsageText) on argv[1 ...]: results to `out`, messages
// ("tarnvale: INPUT: message") and the usage to `err`. Returns the exit status: 0 when every
// input was reported, 1 when any was refused, 2 for a usage error. Needs no display. With
// `progress` (standard error is a terminal) a database file of more than 1,000 records tells on
// `err` how far its reading has come, a line every tenth.
int RunCommandLine(int argc, char **argv, std::ostream &out, std::ostream &err,
                   bool progress = false);

// The text --help prints.
const char *UsageText();

} // namespace tarnvale::cli
