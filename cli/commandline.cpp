#include "cli/commandline.h"

#include "core/furtheranalysis.h"
#include "core/leslie.h"
#include "core/numbertext.h"
#include "core/projection.h"
#include "io/lifetable.h"

#include <charconv>
#include <cstdio>
#include <iomanip>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tarnvale::cli {

namespace {

constexpr const char *kUsage
    = "usage: tarnvale --report [--json | --csv] [--steps T [--start equal|first|sad]]\n"
      "                (--format A|B FILE... | --matrix \"ROW; ROW; ...\")...\n"
      "       tarnvale --help\n";

constexpr const char *kHelp
    = "\n"
      "Analyses age-classified populations without opening a window: lambda1 (the dominant root\n"
      "of sum l(x) F(x) lambda^-(x+1) = 1), r, R0, T, the doubling time, the birth, survival and\n"
      "death rates at the stable age distribution (SAD), the SAD, the reproductive values, the\n"
      "sensitivities and elasticities of lambda1, |lambda2|, the damping ratio and the period.\n"
      "\n"
      "  --report         report on the inputs (needed for every report)\n"
      "  --format A|B     the files that follow are life tables of format A (age, f(x), s(x))\n"
      "                   or format B (age, l(x), m(x))\n"
      "  --matrix TEXT    a square Leslie matrix of 1 to 201 rows: rows separated by \";\",\n"
      "                   entries by blanks or commas\n"
      "  --json           one JSON array with one object per input\n"
      "  --csv            a header line and one line of the scalar results per input\n"
      "                   (default: a readable text report)\n"
      "  --steps T        add the projection n(t + 1) = A n(t) over T steps (1 to 1000)\n"
      "  --start S        the projection's start vector: equal (default), first (all in age\n"
      "                   class 0) or sad\n"
      "  --help           print this text\n"
      "\n"
      "An input that cannot be analysed is named on standard error; the others are reported.\n"
      "Exit status: 0 every input reported, 1 an input refused, 2 a usage error.\n";

enum class Output { Text, Json, Csv };

struct Input
{
    bool matrix = false;
    std::string text; // the file name, or the matrix text
    TableFormat format = TableFormat::A;
};

struct Options
{
    bool help = false;
    bool report = false;
    Output output = Output::Text;
    bool outputGiven = false;
    std::optional<int> steps;
    std::optional<StartChoice> start;
    std::string startText;
    std::vector<Input> inputs;
};

struct ParsedOptions
{
    bool ok = false;
    Options options;
    std::string message;
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

ParsedOptions parseOptions(int argc, char **argv)
{
    ParsedOptions parsed;
    Options &options = parsed.options;
    std::optional<TableFormat> format;
    auto fail = [&parsed](std::string message) {
        parsed.message = std::move(message);
        return parsed;
    };
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (onlyFiles || argument.rfind("--", 0) != 0 || argument == "--") {
            if (!onlyFiles && argument == "--") {
                onlyFiles = true;
                continue;
            }
            if (!format)
                return fail("the file " + argument + " needs --format A or --format B before it");
            options.inputs.push_back({false, argument, *format});
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        std::optional<std::string> value;
        if (equals != std::string::npos)
            value = argument.substr(equals + 1);
        const bool takesValue
            = name == "--format" || name == "--matrix" || name == "--steps" || name == "--start";
        if (takesValue && !value) {
            if (i + 1 >= argc)
                return fail(name + " needs a value");
            value = argv[++i];
        }
        if (!takesValue && value)
            return fail(name + " takes no value");
        if (name == "--help") {
            options.help = true;
        } else if (name == "--report") {
            options.report = true;
        } else if (name == "--json" || name == "--csv") {
            const Output output = name == "--json" ? Output::Json : Output::Csv;
            if (options.outputGiven && options.output != output)
                return fail("--json and --csv cannot be combined");
            options.output = output;
            options.outputGiven = true;
        } else if (name == "--format") {
            if (*value == "A")
                format = TableFormat::A;
            else if (*value == "B")
                format = TableFormat::B;
            else
                return fail("--format takes A or B, not \"" + *value + "\"");
        } else if (name == "--matrix") {
            options.inputs.push_back({true, *value, TableFormat::A});
        } else if (name == "--steps") {
            const std::optional<int> steps = stepCount(*value);
            if (!steps)
                return fail("--steps takes a whole number from 1 to 1000, not \"" + *value + "\"");
            if (options.steps && *options.steps != *steps)
                return fail("--steps is given twice");
            options.steps = steps;
        } else if (name == "--start") {
            std::optional<StartChoice> start;
            if (*value == "equal")
                start = StartChoice::Equal;
            else if (*value == "first")
                start = StartChoice::FirstClass;
            else if (*value == "sad")
                start = StartChoice::Stable;
            else
                return fail("--start takes equal, first or sad, not \"" + *value + "\"");
            if (options.start && *options.start != *start)
                return fail("--start is given twice");
            options.start = start;
            options.startText = *value;
        } else {
            return fail("unknown option " + name);
        }
    }
    if (options.help) {
        parsed.ok = true;
        return parsed;
    }
    if (!options.report)
        return fail("nothing to do: give --report");
    if (options.inputs.empty())
        return fail("no input: give --format A|B FILE... or --matrix TEXT");
    if (options.start && !options.steps)
        return fail("--start needs --steps");
    parsed.ok = true;
    return parsed;
}

// 17 significant digits: a double read back from this text is the same double.
std::string exactText(double value)
{
    char buffer[32];
    const auto result
        = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

std::string jsonNumber(const std::optional<double> &value)
{
    return value ? exactText(*value) : "null";
}

std::string jsonArray(const std::optional<std::vector<double>> &values)
{
    if (!values)
        return "null";
    std::string text = "[";
    for (std::size_t i = 0; i < values->size(); ++i)
        text += (i ? "," : "") + exactText((*values)[i]);
    return text + "]";
}

std::string jsonArray(const std::vector<std::optional<double>> &values)
{
    std::string text = "[";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += (i ? "," : "") + jsonNumber(values[i]);
    return text + "]";
}

std::string jsonString(const std::string &text)
{
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

std::string csvField(const std::string &text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// A whole number, such as the period, as a double: 17 significant digits and NumberToText
// both write it without a point.
std::optional<double> asNumber(const std::optional<int> &value)
{
    return value ? std::optional<double>(*value) : std::nullopt;
}

// A message of the reader, which a window shows in paragraphs, as one line of standard error.
std::string oneLine(const std::string &message)
{
    std::string line;
    bool pendingBlank = false;
    for (char c : message) {
        if (c == '\n' || c == '\r') {
            pendingBlank = !line.empty();
            continue;
        }
        if (pendingBlank && c != ' ')
            line += ' ';
        pendingBlank = false;
        line += c;
    }
    return line;
}

// One analysed input.
struct Report
{
    std::string source;
    LeslieAnalysis analysis;
    std::optional<Projection> projection;
};

struct Scalar
{
    const char *key; // JSON key and CSV column
    const char *label; // text report
    std::optional<double> value;
};

std::vector<Scalar> scalarsOf(const LeslieAnalysis &a)
{
    return {{"lambda", "Finite rate of increase lambda1", a.lambda},
            {"r", "Intrinsic rate of increase r", a.intrinsicRate},
            {"R0", "Net reproductive rate R0", a.netReproductiveRate},
            {"T", "Mean generation time T", a.generationTime},
            {"doubling_time", "Doubling time", a.doublingTime},
            {"birth_rate", "Birth rate at SAD", a.birthRate},
            {"survival_rate", "Survival rate at SAD", a.survivalRate},
            {"death_rate", "Death rate at SAD", a.deathRate},
            {"eigenvalue_2_modulus", "|lambda2|", a.secondModulus},
            {"damping_ratio", "Damping ratio lambda1/|lambda2|", a.dampingRatio},
            {"period", "Period", asNumber(a.period)}};
}

void writeJson(std::ostream &out, const Report &report)
{
    const LeslieAnalysis &a = report.analysis;
    out << "{\"source\":" << jsonString(report.source) << ",\"age_classes\":" << a.ageClasses;
    for (const Scalar &scalar : scalarsOf(a)) {
        if (std::string(scalar.key) == "eigenvalue_2_modulus") {
            // The arrays stand between the rates and the damping, in the order of the report.
            out << ",\"sad\":" << jsonArray(a.stableAgeDistribution)
                << ",\"reproductive_values\":" << jsonArray(a.reproductiveValues)
                << ",\"sensitivity\":{\"fecundity\":" << jsonArray(a.sensitivityFecundity)
                << ",\"survival\":" << jsonArray(a.sensitivitySurvival) << "}"
                << ",\"elasticity\":{\"fecundity\":" << jsonArray(a.elasticityFecundity)
                << ",\"survival\":" << jsonArray(a.elasticitySurvival) << "}";
        }
        out << ",\"" << scalar.key << "\":" << jsonNumber(scalar.value);
    }
    if (report.projection) {
        const Projection &p = *report.projection;
        out << ",\"projection\":{\"total\":" << jsonArray(p.total)
            << ",\"growth_ratio\":" << jsonArray(p.growthRatio)
            << ",\"distance\":" << jsonArray(p.distance) << ",\"convergence_time\":"
            << (p.convergenceTime ? std::to_string(*p.convergenceTime) : "null") << "}";
    }
    out << "}";
}

void writeCsvHeader(std::ostream &out)
{
    out << "source,age_classes";
    for (const Scalar &scalar : scalarsOf(LeslieAnalysis {}))
        out << ',' << scalar.key;
    out << '\n';
}

void writeCsv(std::ostream &out, const Report &report)
{
    out << csvField(report.source) << ',' << report.analysis.ageClasses;
    for (const Scalar &scalar : scalarsOf(report.analysis)) {
        out << ',';
        if (scalar.value)
            out << exactText(*scalar.value);
    }
    out << '\n';
}

std::string cell(const std::optional<std::vector<double>> &values, std::size_t x)
{
    if (!values)
        return "undefined";
    return x < values->size() ? NumberToText((*values)[x]) : std::string("-");
}

void writeText(std::ostream &out, const Report &report, const std::string &startText)
{
    const LeslieAnalysis &a = report.analysis;
    out << report.source << '\n';
    out << std::left << std::setw(36) << "  Age classes" << a.ageClasses << '\n';
    for (const Scalar &scalar : scalarsOf(a)) {
        std::string value = ValueText(scalar.value);
        if (std::string(scalar.key) == "damping_ratio" && a.periodic())
            value += " (" + PeriodicNote(a) + ")";
        out << std::setw(36) << "  " + std::string(scalar.label) << value << '\n';
    }
    out << '\n';
    const char *headings[] = {"x",          "SAD",          "reproductive value", "dlambda/dF",
                              "dlambda/ds", "elasticity F", "elasticity s"};
    out << "  " << std::setw(6) << headings[0];
    for (std::size_t c = 1; c + 1 < std::size(headings); ++c)
        out << std::setw(24) << headings[c];
    out << headings[std::size(headings) - 1] << '\n';
    for (std::size_t x = 0; x < static_cast<std::size_t>(a.ageClasses); ++x) {
        out << "  " << std::setw(6) << x << std::setw(24) << cell(a.stableAgeDistribution, x)
            << std::setw(24) << cell(a.reproductiveValues, x) << std::setw(24)
            << cell(a.sensitivityFecundity, x) << std::setw(24) << cell(a.sensitivitySurvival, x)
            << std::setw(24) << cell(a.elasticityFecundity, x) << cell(a.elasticitySurvival, x)
            << '\n';
    }
    if (report.projection) {
        const Projection &p = *report.projection;
        out << "\n  Projection from the start vector \"" << startText << "\" over " << p.steps
            << " steps; convergence time (distance to the SAD <= 0.01 from then on): "
            << (p.convergenceTime ? std::to_string(*p.convergenceTime)
                                  : "not within " + std::to_string(p.steps) + " steps")
            << "\n  " << std::setw(6) << "t" << std::setw(24) << "N(t)" << std::setw(24)
            << "N(t+1)/N(t)"
            << "distance to SAD\n";
        for (std::size_t t = 0; t < p.total.size(); ++t) {
            out << "  " << std::setw(6) << t << std::setw(24) << ValueText(p.total[t])
                << std::setw(24)
                << (t < p.growthRatio.size() ? ValueText(p.growthRatio[t]) : std::string("-"))
                << ValueText(p.distance[t]) << '\n';
        }
    }
    out << std::right << '\n';
}

} // namespace

bool IsCommandLine(int argc, char **argv)
{
    return argc > 1 && std::string(argv[1]).rfind("--", 0) == 0;
}

const char *UsageText()
{
    static const std::string text = std::string(kUsage) + kHelp;
    return text.c_str();
}

int RunCommandLine(int argc, char **argv, std::ostream &out, std::ostream &err)
{
    const ParsedOptions parsed = parseOptions(argc, argv);
    if (!parsed.ok) {
        err << "tarnvale: " << parsed.message << '\n'
            << kUsage << "Try 'tarnvale --help' for more information.\n";
        return 2;
    }
    const Options &options = parsed.options;
    if (options.help) {
        out << UsageText();
        return 0;
    }

    bool refused = false;
    bool first = true;
    if (options.output == Output::Json)
        out << "[";
    else if (options.output == Output::Csv)
        writeCsvHeader(out);
    for (const Input &input : options.inputs) {
        const std::string source = input.matrix ? std::string("matrix") : input.text;
        auto refuse = [&](const std::string &message) {
            err << "tarnvale: " << source << ": " << oneLine(message) << '\n';
            refused = true;
        };
        LeslieTable table;
        if (input.matrix) {
            LeslieParse parse = ParseLeslieMatrix(input.text);
            if (!parse.ok) {
                refuse(parse.message);
                continue;
            }
            table = std::move(parse.table);
        } else {
            AnalysisState state;
            const ReadResult read = ReadLifeTable(state, input.text, input.format);
            if (!read.ok) {
                refuse(read.message);
                continue;
            }
            state.DataLoaded = "Yes";
            table = LeslieTableFrom(state, kDefaultCellTexts);
        }
        if (const std::optional<std::string> problem = CheckLeslieTable(table)) {
            refuse(*problem);
            continue;
        }
        Report report {source, AnalyseLeslie(table), std::nullopt};
        if (options.steps) {
            const StartVector start
                = MakeStartVector(report.analysis, options.start.value_or(StartChoice::Equal));
            if (!start.ok) {
                refuse("the projection cannot start: " + start.message);
                continue;
            }
            report.projection = ProjectLeslie(table, start.shares, *options.steps,
                                              report.analysis.stableAgeDistribution);
        }
        switch (options.output) {
        case Output::Json:
            out << (first ? "\n" : ",\n");
            writeJson(out, report);
            break;
        case Output::Csv:
            writeCsv(out, report);
            break;
        case Output::Text:
            writeText(out, report, options.startText.empty() ? "equal" : options.startText);
            break;
        }
        first = false;
    }
    if (options.output == Output::Json)
        out << (first ? "]\n" : "\n]\n");
    out.flush();
    return refused ? 1 : 0;
}

} // namespace tarnvale::cli
