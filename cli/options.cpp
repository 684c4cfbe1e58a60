#include "cli/options.h"

#include "core/leslie.h"
#include "core/numbertext.h"
#include <algorithm>

#include <charconv>

namespace tarnvale::cli {

const char *const kUsage
    = "usage: tarnvale --report [--json | --csv] [--steps T [--start equal|first|sad]]\n"
      "                (--format A|B|M FILE... | --matrix \"ROW; ROW; ...\")...\n"
      "       tarnvale --report [--json | --csv] [--select FIELD=VALUE]... [--ids ID,ID,...]\n"
      "                --format compadre FILE...\n"
      "       tarnvale --report [--json | --csv] --vary TARGET --from A --to B [--points N] "
      "INPUT...\n"
      "       tarnvale --report [--json | --csv] --break-even TARGET [--lambda L] INPUT...\n"
      "       tarnvale --report [--json | --csv] --ltre INPUT INPUT\n"
      "       tarnvale --help\n";

const char *const kHelp
    = "\n"
      "Analyses age- and stage-classified populations without opening a window. For a life table\n"
      "or a Leslie matrix: lambda1 (the dominant root of sum l(x) F(x) lambda^-(x+1) = 1), r, R0,\n"
      "T, the doubling time, the birth, survival and death rates at the stable age distribution\n"
      "(SAD), the SAD, the reproductive values, the sensitivities and elasticities of lambda1,\n"
      "|lambda2|, the damping ratio and the period. For any other projection matrix (a stage\n"
      "model): lambda1, r, the doubling time, the stable stage distribution w, the reproductive\n"
      "values v, the sensitivity and elasticity of lambda1 to every entry, |lambda2|, the damping\n"
      "ratio, the period and whether the matrix is irreducible, primitive and ergodic; split into\n"
      "its parts U and F, also R0, T and the life expectancy in each stage.\n"
      "\n"
      "  --report         report on the inputs (needed for every report)\n"
      "  --format A|B|M   the files that follow are life tables of format A (age, f(x), s(x))\n"
      "                   or format B (age, l(x), m(x)), or matrix files (M): a grid of numbers,\n"
      "                   one row a line, or its parts after lines [U], [F] and [C]\n"
      "  --format compadre  the files that follow are flat files of the matrix databases\n"
      "                   COMPADRE or COMADRE (R: write.csv(cdb_flatten(db))); every record is\n"
      "                   reported with its species, citation and quality checks\n"
      "  --select F=V     only the records whose field F is V, exactly (may be repeated)\n"
      "  --ids ID,ID,...  only the records of these MatrixIDs\n"
      "  --matrix TEXT    a square projection matrix of 1 to 500 rows: rows separated by \";\",\n"
      "                   entries by blanks or commas; or its parts: \"[U] ROWS [F] ROWS\"\n"
      "  --json           one JSON array with one object per input\n"
      "  --csv            a header line and one line of the scalar results per input\n"
      "                   (default: a readable text report)\n"
      "  --steps T        add the projection n(t + 1) = A n(t) over T steps (1 to 1000)\n"
      "  --start S        the projection's start vector: equal (default), first (all in the\n"
      "                   first class or stage) or sad (the stable distribution)\n"
      "  --vary TARGET    lambda1 as TARGET runs from A to B (--from A --to B, numbers >= 0)\n"
      "                   over N evenly spaced values (--points N, 2 to 10000, default 101)\n"
      "  --break-even TARGET\n"
      "                   the smallest value of TARGET at which lambda1 reaches L (--lambda L,\n"
      "                   above 0, default 1)\n"
      "  --ltre           a life table response experiment of fixed design on two inputs of\n"
      "                   one size: the contribution (a2 - a1) S of each entry, S the\n"
      "                   sensitivities of the mean matrix, and their sum beside the\n"
      "                   difference lambda1(2) - lambda1(1)\n"
      "  --help           print this text\n"
      "\n"
      "INPUT is --format A|B|M FILE... or --matrix TEXT. TARGET is an entry a[i,j] (row i \"to\",\n"
      "column j \"from\", counted from 1), F(x) or s(x) of a Leslie table (x from 0), or a factor\n"
      "k on a group of entries, whose present value is 1: A (every entry: a harvest h = 1 - k of\n"
      "every stage after each step), row[i] (a harvest of stage i), F or U (the parts of a model\n"
      "split into U and F; of a Leslie table, its first row and its sub-diagonal). A sweep and a\n"
      "break-even are added to each input's report; CSV then holds only their table.\n"
      "\n"
      "A matrix text of at most 201 rows without parts whose entries other than 0 stand in the\n"
      "first row and the sub-diagonal is a Leslie matrix; every other matrix is a stage model.\n"
      "An input that cannot be analysed is named on standard error; the others are reported.\n"
      "Exit status: 0 every input reported, 1 an input refused, 2 a usage error.\n";

namespace {

// What the parser knows besides the options: the format of the files that follow.
struct Parsing
{
    Options &options;
    std::optional<FileFormat> format;
};

// An option's effect; returns the message of a usage error, or nothing.
using Apply = std::optional<std::string> (*)(Parsing &, const std::string &value);

struct OptionRule
{
    const char *name;
    bool takesValue;
    Apply apply;
};

std::optional<int> stepCount(const std::string &text)
{
    if (text.empty() || text.size() > 4)
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1
        || value > kMaxProjectionSteps)
        return std::nullopt;
    return value;
}

// A number >= 0 as --matrix reads its entries.
std::optional<double> rate(const std::string &text)
{
    const EntryRate entry = ReadEntryRate(text);
    if (!entry.problem.empty())
        return std::nullopt;
    return entry.value;
}

// Sets an option given once (or given again with the same value).
template<typename T>
std::optional<std::string> setOnce(std::optional<T> &slot, const T &value, const char *name)
{
    if (slot && !(*slot == value))
        return std::string(name) + " is given twice";
    slot = value;
    return std::nullopt;
}

std::optional<std::string> setTarget(std::optional<WhatIfTarget> &slot, const std::string &value,
                                     const char *name)
{
    const std::optional<WhatIfTarget> target = ParseTarget(value);
    if (!target)
        return std::string(name) + " takes a target a[i,j], F(x), s(x), A, row[i], F or U, not \""
            + value + "\"";
    return setOnce(slot, *target, name);
}

std::optional<std::string> setRate(std::optional<double> &slot, const std::string &value,
                                   const char *name)
{
    const std::optional<double> number = rate(value);
    if (!number)
        return std::string(name) + " takes a number >= 0, not \"" + value + "\"";
    return setOnce(slot, *number, name);
}

std::optional<std::string> setOutput(Parsing &p, Output output)
{
    if (p.options.outputGiven && p.options.output != output)
        return "--json and --csv cannot be combined";
    p.options.output = output;
    p.options.outputGiven = true;
    return std::nullopt;
}

const OptionRule kRules[] = {
    {"--help", false,
     [](Parsing &p, const std::string &) -> std::optional<std::string> {
         p.options.help = true;
         return std::nullopt;
     }},
    {"--report", false,
     [](Parsing &p, const std::string &) -> std::optional<std::string> {
         p.options.report = true;
         return std::nullopt;
     }},
    {"--json", false, [](Parsing &p, const std::string &) { return setOutput(p, Output::Json); }},
    {"--csv", false, [](Parsing &p, const std::string &) { return setOutput(p, Output::Csv); }},
    {"--format", true,
     [](Parsing &p, const std::string &value) -> std::optional<std::string> {
         if (value == "A")
             p.format = FileFormat::A;
         else if (value == "B")
             p.format = FileFormat::B;
         else if (value == "M")
             p.format = FileFormat::M;
         else if (value == "compadre")
             p.format = FileFormat::Compadre;
         else
             return "--format takes A, B, M or compadre, not \"" + value + "\"";
         return std::nullopt;
     }},
    {"--matrix", true,
     [](Parsing &p, const std::string &value) -> std::optional<std::string> {
         p.options.inputs.push_back({true, value, FileFormat::A});
         return std::nullopt;
     }},
    {"--steps", true,
     [](Parsing &p, const std::string &value) -> std::optional<std::string> {
         const std::optional<int> steps = stepCount(value);
         if (!steps)
             return "--steps takes a whole number from 1 to 1000, not \"" + value + "\"";
         if (p.options.steps && *p.options.steps != *steps)
             return "--steps is given twice";
         p.options.steps = steps;
         return std::nullopt;
     }},
    {"--start", true,
     [](Parsing &p, const std::string &value) -> std::optional<std::string> {
         std::optional<StartChoice> start;
         if (value == "equal")
             start = StartChoice::Equal;
         else if (value == "first")
             start = StartChoice::FirstClass;
         else if (value == "sad")
             start = StartChoice::Stable;
         else
             return "--start takes equal, first or sad, not \"" + value + "\"";
         if (p.options.start && *p.options.start != *start)
             return "--start is given twice";
         p.options.start = start;
         p.options.startText = value;
         return std::nullopt;
     }},
    {"--select", true,
     [](Parsing &p, const std::string &value) -> std::optional<std::string> {
         const std::size_t equals = value.find('=');
         if (equals == 0 || equals == std::string::npos)
             return "--select takes FIELD=VALUE, not \"" + value + "\"";
         p.options.select.emplace_back(value.substr(0, equals), value.substr(equals + 1));
         return std::nullopt;
     }},
    {"--ids", true,
     [](Parsing &p, const std::string &value) -> std::optional<std::string> {
         if (!p.options.ids.empty())
             return "--ids is given twice";
         std::size_t start = 0;
         for (std::size_t comma = value.find(','); start <= value.size();
              comma = value.find(',', start)) {
             const std::string id = value.substr(start, comma - start);
             if (id.empty())
                 return "--ids takes MatrixIDs separated by commas, not \"" + value + "\"";
             p.options.ids.push_back(id);
             if (comma == std::string::npos)
                 break;
             start = comma + 1;
         }
         return std::nullopt;
     }},
    {"--vary", true,
     [](Parsing &p, const std::string &value) {
         return setTarget(p.options.vary, value, "--vary");
     }},
    {"--from", true,
     [](Parsing &p, const std::string &value) { return setRate(p.options.from, value, "--from"); }},
    {"--to", true,
     [](Parsing &p, const std::string &value) { return setRate(p.options.to, value, "--to"); }},
    {"--points", true,
     [](Parsing &p, const std::string &value) -> std::optional<std::string> {
         int points = 0;
         const auto [end, error]
             = std::from_chars(value.data(), value.data() + value.size(), points);
         if (value.empty() || value.size() > 5 || error != std::errc()
             || end != value.data() + value.size() || points < kMinSweepPoints
             || points > kMaxSweepPoints)
             return "--points takes a whole number from 2 to 10000, not \"" + value + "\"";
         return setOnce(p.options.points, points, "--points");
     }},
    {"--break-even", true,
     [](Parsing &p, const std::string &value) {
         return setTarget(p.options.breakEven, value, "--break-even");
     }},
    {"--lambda", true,
     [](Parsing &p, const std::string &value) -> std::optional<std::string> {
         const std::optional<double> number = rate(value);
         if (!number || !(*number > 0))
             return "--lambda takes a number above 0, not \"" + value + "\"";
         return setOnce(p.options.lambdaTarget, *number, "--lambda");
     }},
    {"--ltre", false,
     [](Parsing &p, const std::string &) -> std::optional<std::string> {
         p.options.ltre = true;
         return std::nullopt;
     }},
};

// Which of the options that each make a report of their own are given: at most one may be.
std::optional<std::string> combinationError(const Options &options)
{
    const std::pair<const char *, bool> modes[] = {{"--vary", options.vary.has_value()},
                                                   {"--break-even", options.breakEven.has_value()},
                                                   {"--ltre", options.ltre},
                                                   {"--steps", options.steps.has_value()}};
    const char *given = nullptr;
    for (const auto &[name, on] : modes) {
        if (!on)
            continue;
        if (given)
            return std::string(given) + " and " + name + " cannot be combined";
        given = name;
    }
    if (options.vary && !(options.from && options.to))
        return std::string("--vary needs --from and --to");
    if (!options.vary && (options.from || options.to || options.points))
        return std::string(options.from     ? "--from"
                               : options.to ? "--to"
                                            : "--points")
            + " needs --vary";
    if (options.lambdaTarget && !options.breakEven)
        return std::string("--lambda needs --break-even");
    if (options.from && options.to && *options.from > *options.to)
        return "--from " + NumberToText(*options.from) + " lies above --to "
            + NumberToText(*options.to);
    if (options.ltre && options.inputs.size() != 2)
        return "--ltre compares exactly two inputs, not " + std::to_string(options.inputs.size());
    if (options.ltre)
        for (const Input &input : options.inputs)
            if (!input.matrix && input.format == FileFormat::Compadre)
                return std::string("--ltre compares two models, not the records of a "
                                   "--format compadre file");
    return std::nullopt;
}

const OptionRule *ruleNamed(const std::string &name)
{
    for (const OptionRule &rule : kRules)
        if (name == rule.name)
            return &rule;
    return nullptr;
}

} // namespace

ParsedOptions ParseOptions(int argc, char **argv)
{
    ParsedOptions parsed;
    Options &options = parsed.options;
    Parsing parsing {options, std::nullopt};
    auto fail = [&parsed](std::string message) {
        parsed.message = std::move(message);
        return parsed;
    };
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!onlyFiles && argument == "--") {
            onlyFiles = true;
            continue;
        }
        if (onlyFiles || argument.rfind("--", 0) != 0) {
            if (!parsing.format)
                return fail("the file " + argument
                            + " needs --format A, B, M or compadre before it");
            options.inputs.push_back({false, argument, *parsing.format});
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        std::optional<std::string> value;
        if (equals != std::string::npos)
            value = argument.substr(equals + 1);
        const OptionRule *rule = ruleNamed(name);
        if (rule && rule->takesValue && !value) {
            if (i + 1 >= argc)
                return fail(name + " needs a value");
            value = argv[++i];
        }
        if ((!rule || !rule->takesValue) && value)
            return fail(name + " takes no value");
        if (!rule)
            return fail("unknown option " + name);
        if (std::optional<std::string> error = rule->apply(parsing, value.value_or("")))
            return fail(std::move(*error));
    }
    if (options.help) {
        parsed.ok = true;
        return parsed;
    }
    if (!options.report)
        return fail("nothing to do: give --report");
    if (options.inputs.empty())
        return fail("no input: give --format A|B|M FILE... or --matrix TEXT");
    if (options.start && !options.steps)
        return fail("--start needs --steps");
    const bool database
        = std::any_of(options.inputs.begin(), options.inputs.end(), [](const Input &input) {
              return !input.matrix && input.format == FileFormat::Compadre;
          });
    if ((!options.select.empty() || !options.ids.empty()) && !database)
        return fail("--select and --ids choose records of --format compadre files; there is none");
    if (std::optional<std::string> error = combinationError(options))
        return fail(std::move(*error));
    parsed.ok = true;
    return parsed;
}

} // namespace tarnvale::cli
