#pragma once

#include "core/projection.h"
#include "core/whatif.h"
#include "io/lifetable.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnvale::cli {

enum class Output { Text, Json, Csv };

// The formats of input files: life tables of format A or B, matrix files, and the flat files of
// the matrix databases COMPADRE and COMADRE.
enum class FileFormat { A, B, M, Compadre };

// One input of a report, in the order given: a file of a format, or a matrix text.
struct Input
{
    bool matrix = false;
    std::string text; // the file name, or the matrix text
    FileFormat format = FileFormat::A;
};

struct Options
{
    bool help = false;
    bool report = false;
    Output output = Output::Text;
    bool outputGiven = false;
    std::optional<int> steps;
    std::optional<StartChoice> start;
    std::string startText; // as given, for the text report
    std::vector<Input> inputs;
    // Which records of a database file are reported: every FIELD=VALUE must hold, and the
    // MatrixID must be one of `ids` when any are given.
    std::vector<std::pair<std::string, std::string>> select;
    std::vector<std::string> ids;

    // "What if": a sweep of lambda1 over a target, a break-even search, or an LTRE of two inputs.
    std::optional<WhatIfTarget> vary;
    std::optional<double> from;
    std::optional<double> to;
    std::optional<int> points;
    std::optional<WhatIfTarget> breakEven;
    std::optional<double> lambdaTarget;
    bool ltre = false;
};

inline constexpr int kDefaultSweepPoints = 101;

// The options, or the message of a usage error ("--steps is given twice").
struct ParsedOptions
{
    bool ok = false;
    Options options;
    std::string message;
};

// Reads argv[1 ...]. Options take their value as "--name=value" or as the next argument; an
// argument that does not begin with "--", and every argument after "--", is a file of the last
// --format given.
ParsedOptions ParseOptions(int argc, char **argv);

// The usage lines printed before a usage error's hint, and the whole --help text.
extern const char *const kUsage;
extern const char *const kHelp;

} // namespace tarnvale::cli
