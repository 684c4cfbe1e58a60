#pragma once

#include "cli/commandline.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tarnvale::bench {

// Times `tarnvale ARGUMENTS...` as a script runs it, output and all, the output going to a file
// (/dev/null) as a script's redirected standard output does; a run that refuses an input is an
// error of the benchmark.
inline void RunCommandLine(benchmark::State &state, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "tarnvale");
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    for (auto _ : state) {
        std::ofstream out("/dev/null");
        std::ostringstream err;
        const int status
            = cli::RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
        if (status != 0 || !out)
            state.SkipWithError(err.str().c_str());
    }
}

} // namespace tarnvale::bench
