#include "cli/commandline.h"

#include "cli/options.h"
#include "cli/report.h"
#include "core/leslie.h"
#include "core/projection.h"
#include "io/lifetable.h"

#include <ostream>
#include <string>

namespace tarnvale::cli {

namespace {

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

// The table of an input, or why there is none.
struct TableRead
{
    bool ok = false;
    LeslieTable table;
    std::string message;
};

TableRead readInput(const Input &input)
{
    if (input.matrix) {
        LeslieParse parse = ParseLeslieMatrix(input.text);
        return {parse.ok, std::move(parse.table), std::move(parse.message)};
    }
    LifeTableRead read = ReadLeslieTable(input.text, input.format);
    return {read.ok, std::move(read.table), std::move(read.message)};
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
    const ParsedOptions parsed = ParseOptions(argc, argv);
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
        WriteCsvHeader(out);
    for (const Input &input : options.inputs) {
        const std::string source = input.matrix ? std::string("matrix") : input.text;
        auto refuse = [&](const std::string &message) {
            err << "tarnvale: " << source << ": " << oneLine(message) << '\n';
            refused = true;
        };
        const TableRead read = readInput(input);
        if (!read.ok) {
            refuse(read.message);
            continue;
        }
        if (const std::optional<std::string> problem = CheckLeslieTable(read.table)) {
            refuse(*problem);
            continue;
        }
        Report report {source, AnalyseLeslie(read.table), std::nullopt};
        if (options.steps) {
            const StartVector start
                = MakeStartVector(report.analysis, options.start.value_or(StartChoice::Equal));
            if (!start.ok) {
                refuse("the projection cannot start: " + start.message);
                continue;
            }
            report.projection = ProjectLeslie(read.table, start.shares, *options.steps,
                                              report.analysis.stableAgeDistribution);
        }
        switch (options.output) {
        case Output::Json:
            out << (first ? "\n" : ",\n");
            WriteJson(out, report);
            break;
        case Output::Csv:
            WriteCsv(out, report);
            break;
        case Output::Text:
            WriteText(out, report, options.startText.empty() ? "equal" : options.startText);
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
