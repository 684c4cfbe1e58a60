#include "cli/commandline.h"

#include "cli/options.h"
#include "cli/report.h"
#include "core/leslie.h"
#include "core/matrixtext.h"
#include "core/projection.h"
#include "core/stageanalysis.h"
#include "core/whatif.h"
#include "io/compadre.h"
#include "io/lifetable.h"
#include "io/matrixfile.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

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

// What an input holds: a Leslie table, a stage model, or why it holds neither.
struct ModelRead
{
    bool ok = false;
    ModelKind kind = ModelKind::Leslie;
    LeslieTable table;
    StageModel model;
    std::string message;
};

// A matrix text without parts of at most 201 rows whose entries other than 0 stand in the first
// row and the sub-diagonal is a Leslie table, read as ever; every other text is a stage model.
ModelRead readMatrixText(const std::string &text)
{
    MatrixTextParse parse = ParseMatrixText(text);
    if (!parse.ok)
        return {false, ModelKind::Stage, {}, {}, std::move(parse.message)};
    if (!parse.model.split() && parse.model.stages() <= kMaxLeslieClasses) {
        // The table of the numbers ParseLeslieMatrix reads from such a text; a text of A alone
        // ("[A] 0 2; 0.5 0") gives the same.
        if (std::optional<LeslieTable> table = LeslieTableOf(parse.model.a))
            return {true, ModelKind::Leslie, std::move(*table), {}, {}};
    }
    return {true, ModelKind::Stage, {}, std::move(parse.model), {}};
}

ModelRead readInput(const Input &input)
{
    if (input.matrix)
        return readMatrixText(input.text);
    if (input.format == FileFormat::M) {
        MatrixFileRead read = ReadMatrixFile(input.text);
        return {read.ok, ModelKind::Stage, {}, std::move(read.model), std::move(read.message)};
    }
    LifeTableRead read = ReadLeslieTable(
        input.text, input.format == FileFormat::A ? TableFormat::A : TableFormat::B);
    return {read.ok, ModelKind::Leslie, std::move(read.table), {}, std::move(read.message)};
}

// The columns a run's CSV needs beyond a Leslie table's: a stage model's when it has a matrix or
// database file, or a matrix text that is not a Leslie matrix; a record's when it has a database
// file.
CsvColumns csvColumns(const std::vector<Input> &inputs)
{
    CsvColumns columns;
    for (const Input &input : inputs) {
        if (!input.matrix && input.format == FileFormat::Compadre)
            columns.stage = columns.record = true;
        else if (!input.matrix && input.format == FileFormat::M)
            columns.stage = true;
        else if (input.matrix && !columns.stage) {
            const ModelRead read = readMatrixText(input.text);
            columns.stage = read.ok && read.kind == ModelKind::Stage;
        }
    }
    return columns;
}

// The report of an input, or the message why it cannot be analysed.
struct Analysed
{
    std::optional<Report> report;
    std::string message;
};

// Why a model read cannot be analysed, or nothing.
std::optional<std::string> problemOf(const ModelRead &read)
{
    return read.kind == ModelKind::Leslie ? CheckLeslieTable(read.table)
                                          : CheckStageModel(read.model);
}

PopulationModel populationModel(ModelRead read)
{
    if (read.kind == ModelKind::Leslie)
        return std::move(read.table);
    return std::move(read.model);
}

// The sweep or break-even the options ask for; a message where the target does not fit.
std::optional<std::string> whatIf(Report &report, const ModelRead &read, const Options &options)
{
    if (!options.vary && !options.breakEven)
        return std::nullopt;
    VariationFit fit
        = FitTarget(populationModel(read), options.vary ? *options.vary : *options.breakEven);
    if (!fit.ok)
        return fit.message;
    if (options.vary)
        report.sweep = SweepLambda(fit.variation, *options.from, *options.to,
                                   options.points.value_or(kDefaultSweepPoints));
    else
        report.breakEven = FindBreakEven(fit.variation, options.lambdaTarget.value_or(1.0));
    return std::nullopt;
}

// The report of `read`; a stage model's analysis is taken from `stage` where the caller has made
// it already.
Analysed analyse(const std::string &source, ModelRead read, const Options &options,
                 std::optional<StageAnalysis> stage = std::nullopt)
{
    const StartChoice choice = options.start.value_or(StartChoice::Equal);
    Report report;
    report.source = source;
    report.model = read.kind;
    if (const std::optional<std::string> problem = problemOf(read))
        return {std::nullopt, *problem};
    if (const std::optional<std::string> problem = whatIf(report, read, options))
        return {std::nullopt, *problem};
    if (read.kind == ModelKind::Leslie) {
        report.analysis = AnalyseLeslie(read.table);
        if (options.steps) {
            const StartVector start = MakeStartVector(report.analysis, choice);
            if (!start.ok)
                return {std::nullopt, "the projection cannot start: " + start.message};
            report.projection = ProjectLeslie(read.table, start.shares, *options.steps,
                                              report.analysis.stableAgeDistribution);
        }
        return {std::move(report), {}};
    }
    report.stage = stage ? std::move(*stage) : AnalyseStage(read.model);
    if (options.steps) {
        const StartVector start = MakeStartVector(
            read.model.stages(), report.stage.stableDistribution, choice, {}, read.model.names);
        if (!start.ok)
            return {std::nullopt, "the projection cannot start: " + start.message};
        report.projection = ProjectMatrix(read.model.a, start.shares, *options.steps,
                                          report.stage.stableDistribution);
    }
    return {std::move(report), {}};
}

// Writes the reports of a run in its output form, the JSON array's commas between them.
class ReportWriter
{
public:
    ReportWriter(std::ostream &out, const Options &options)
        : m_out(out)
        , m_options(options)
        , m_columns(options.output == Output::Csv ? csvColumns(options.inputs) : CsvColumns {})
    {
        if (options.output == Output::Json)
            out << "[";
        else if (options.output == Output::Csv && options.vary)
            WriteSweepCsvHeader(out);
        else if (options.output == Output::Csv && options.breakEven)
            WriteBreakEvenCsvHeader(out);
        else if (options.output == Output::Csv)
            WriteCsvHeader(out, m_columns);
    }

    void write(const Report &report)
    {
        switch (m_options.output) {
        case Output::Json:
            m_out << (m_first ? "\n" : ",\n");
            WriteJson(m_out, report);
            break;
        case Output::Csv:
            if (report.sweep)
                WriteSweepCsv(m_out, report);
            else if (report.breakEven)
                WriteBreakEvenCsv(m_out, report);
            else
                WriteCsv(m_out, report, m_columns);
            break;
        case Output::Text:
            WriteText(m_out, report, m_options.startText.empty() ? "equal" : m_options.startText);
            break;
        }
        m_first = false;
    }

    void finish()
    {
        if (m_options.output == Output::Json)
            m_out << (m_first ? "]\n" : "\n]\n");
        m_out.flush();
    }

private:
    std::ostream &m_out;
    const Options &m_options;
    CsvColumns m_columns;
    bool m_first = true;
};

// Whether a record is one the options choose: each --select field holds its value and the
// MatrixID is one of --ids.
bool chosen(const CompadreRecord &record, const Options &options)
{
    const auto field = [&record](const std::string &name) {
        const auto found = record.metadata.find(name);
        return found == record.metadata.end() ? std::string() : found->second;
    };
    for (const auto &[name, value] : options.select)
        if (field(name) != value)
            return false;
    return options.ids.empty()
        || std::find(options.ids.begin(), options.ids.end(), field("MatrixID"))
        != options.ids.end();
}

// Reports every chosen record of a database file. Returns why the file is refused, or nothing.
std::optional<std::string> reportRecords(const std::string &path, const Options &options,
                                         ReportWriter &writer, std::ostream &err, bool progress)
{
    CompadreReader reader;
    const CompadreOpen open = reader.open(path);
    if (!open.ok)
        return open.message;
    std::vector<std::string> needed;
    for (const auto &[name, value] : options.select)
        needed.push_back(name);
    if (!options.ids.empty())
        needed.push_back("MatrixID");
    for (const std::string &name : needed)
        if (std::find(reader.columns().begin(), reader.columns().end(), name)
            == reader.columns().end())
            return "the file has no column \"" + name + "\" to choose records by";

    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    std::uint64_t records = 0;
    int shownTenths = 0;
    while (std::optional<CompadreRecord> record = reader.next()) {
        // A long file tells how far it has come, a line every tenth, on a terminal only.
        if (progress && ++records > 1000 && !sizeError && size > 0) {
            const int tenths = static_cast<int>(10 * reader.bytesRead() / size);
            if (tenths > shownTenths && tenths < 10) {
                shownTenths = tenths;
                err << "tarnvale: " << path << ": " << tenths * 10 << "% read (" << records
                    << " records)\n";
            }
        }
        if (!chosen(*record, options))
            continue;
        Report report;
        report.source = record->source;
        report.model = ModelKind::Stage;
        report.record
            = RecordReport {record->species,         record->citation, record->projectionInterval,
                            record->matrixComposite, record->problem,  record->checks};
        if (record->model) {
            ModelRead read {true, ModelKind::Stage, {}, std::move(*record->model), {}};
            Analysed analysed
                = analyse(report.source, std::move(read), options, std::move(record->analysis));
            if (analysed.report)
                analysed.report->record = std::move(report.record);
            else
                report.record->problem = analysed.message;
            writer.write(analysed.report ? *analysed.report : report);
            continue;
        }
        writer.write(report);
    }
    return std::nullopt;
}

std::string sourceOf(const Input &input)
{
    return input.matrix ? std::string("matrix") : input.text;
}

// An LTRE of the two inputs: each refused one is named on standard error, as is the second when
// the two differ in size.
int runLtre(const Options &options, std::ostream &out, std::ostream &err)
{
    std::vector<PopulationModel> models;
    LtreReport report;
    bool refused = false;
    for (const Input &input : options.inputs) {
        const std::string source = sourceOf(input);
        ModelRead read = readInput(input);
        std::optional<std::string> problem;
        if (!read.ok)
            problem = read.message;
        else
            problem = problemOf(read);
        if (problem) {
            err << "tarnvale: " << source << ": " << oneLine(*problem) << '\n';
            refused = true;
            continue;
        }
        report.sources[models.size()] = source;
        models.push_back(populationModel(std::move(read)));
    }
    bool written = false;
    if (models.size() == 2) {
        LtreResult ltre = AnalyseLtre(models[0], models[1]);
        if (ltre.ok) {
            report.ltre = std::move(ltre.ltre);
            written = true;
        } else {
            err << "tarnvale: " << report.sources[1] << ": " << ltre.message << '\n';
            refused = true;
        }
    }
    switch (options.output) {
    case Output::Json:
        out << "[";
        if (written) {
            out << "\n";
            WriteLtreJson(out, report);
            out << "\n";
        }
        out << "]\n";
        break;
    case Output::Csv:
        WriteLtreCsvHeader(out);
        if (written)
            WriteLtreCsv(out, report);
        break;
    case Output::Text:
        if (written)
            WriteLtreText(out, report);
        break;
    }
    out.flush();
    return refused ? 1 : 0;
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

int RunCommandLine(int argc, char **argv, std::ostream &out, std::ostream &err, bool progress)
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

    if (options.ltre)
        return runLtre(options, out, err);

    bool refused = false;
    ReportWriter writer(out, options);
    for (const Input &input : options.inputs) {
        const std::string source = sourceOf(input);
        const auto refuse = [&](const std::string &message) {
            err << "tarnvale: " << source << ": " << oneLine(message) << '\n';
            refused = true;
        };
        if (!input.matrix && input.format == FileFormat::Compadre) {
            if (const std::optional<std::string> problem
                = reportRecords(input.text, options, writer, err, progress))
                refuse(*problem);
            continue;
        }
        ModelRead read = readInput(input);
        if (!read.ok) {
            refuse(read.message);
            continue;
        }
        const Analysed analysed = analyse(source, std::move(read), options);
        if (!analysed.report) {
            refuse(analysed.message);
            continue;
        }
        writer.write(*analysed.report);
    }
    writer.finish();
    return refused ? 1 : 0;
}

} // namespace tarnvale::cli
