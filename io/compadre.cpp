#include "io/compadre.h"
#include "io/openfile.h"

#include "core/numbertext.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <istream>
#include <limits>
#include <streambuf>

namespace tarnvale {

namespace {

constexpr int kEof = std::char_traits<char>::eof();
constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

bool isLineEnd(int c)
{
    return c == '\n' || c == '\r';
}

// A metadata value that says something: not empty, not R's "NA".
bool given(std::string_view text)
{
    return !text.empty() && text != "NA";
}

// The stage names of "[Seedling||Juvenile||Adult]", as Rcompadre's string_to_vec splits them.
std::vector<std::string> stageNames(std::string_view text)
{
    std::vector<std::string> names;
    text = TrimSpacesAndTabs(text);
    if (!text.empty() && text.front() == '[')
        text.remove_prefix(1);
    if (!text.empty() && text.back() == ']')
        text.remove_suffix(1);
    if (text.empty())
        return names;
    for (;;) {
        const std::size_t bar = text.find("||");
        names.emplace_back(text.substr(0, bar));
        if (bar == std::string_view::npos)
            break;
        text.remove_prefix(bar + 2);
    }
    return names;
}

// A problem of a part of a record, with the part named: "matA, row 2, column 1 is NA",
// "matU holds 5 entries, not a square number".
std::string partProblem(std::string_view part, const std::string &problem)
{
    return std::string(part) + (problem.starts_with("row ") ? ", " : " ") + problem;
}

// What the model may take of a part: nothing (it is not given), the part, or a reason to take
// none of the parts.
struct PartUse
{
    bool given = false;
    std::string problem;
};

PartUse usePart(std::string_view name, const RecordMatrixText &part, int stages)
{
    const bool allMissing = part.matrix
        && std::none_of(part.matrix->entries.begin(), part.matrix->entries.end(),
                        [](auto e) { return e.has_value(); });
    if (part.missing || allMissing)
        return {};
    if (!part.problem.empty())
        return {true, partProblem(name, part.problem)};
    if (part.matrix->n != stages)
        return {true,
                std::string(name) + " has " + std::to_string(part.matrix->n)
                    + (part.matrix->n == 1 ? " stage" : " stages") + ", matA "
                    + std::to_string(stages)};
    return {true, {}};
}

SquareMatrix squareOf(const RecordMatrix &m)
{
    SquareMatrix square(m.n);
    std::transform(m.entries.begin(), m.entries.end(), square.values.begin(),
                   [](auto e) { return e.value_or(0.0); });
    return square;
}

// The columns the reader itself reads, by their names in the header.
enum Column {
    MatA,
    MatU,
    MatF,
    MatC,
    ClassAuthor,
    MatrixId,
    Species,
    Authors,
    Year,
    Journal,
    Doi,
    Interval,
    Composite,
    kColumnCount
};
constexpr std::array<std::string_view, kColumnCount> kColumnNames = {"matA",
                                                                     "matU",
                                                                     "matF",
                                                                     "matC",
                                                                     "MatrixClassAuthor",
                                                                     "MatrixID",
                                                                     "SpeciesAccepted",
                                                                     "Authors",
                                                                     "YearPublication",
                                                                     "Journal",
                                                                     "DOI_ISBN",
                                                                     "ProjectionInterval",
                                                                     "MatrixComposite"};

} // namespace

std::string CompadreCitation(std::string_view authors, std::string_view year,
                             std::string_view journal, std::string_view doi)
{
    std::string citation;
    const auto add = [&](std::string_view part, std::string_view before, std::string_view after,
                         std::string_view separator) {
        part = TrimSpacesAndTabs(part);
        if (!given(part))
            return;
        if (!citation.empty())
            citation += separator;
        citation.append(before).append(part).append(after);
    };
    add(authors, "", "", " ");
    add(year, "(", ")", " ");
    add(journal, "", "", " ");
    add(doi, "", "", ", ");
    return citation;
}

struct CompadreReader::Impl
{
    std::unique_ptr<std::ifstream> file;
    std::streambuf *buf = nullptr;
    std::string name;
    std::vector<std::string> columns;
    std::array<std::size_t, kColumnCount> index {};
    std::uint64_t lines = 0;
    std::uint64_t bytes = 0;

    // The line being read: its fields (reused from line to line, so that reading allocates
    // nothing once the longest line has been seen), how many it has, and what is wrong with it.
    std::vector<std::string> fields;
    std::size_t fieldCount = 0;
    std::size_t lineLength = 0;
    int lineNumber = 0;
    std::string lineProblem;

    int peek() { return buf->sgetc(); }
    int take()
    {
        ++bytes;
        return buf->sbumpc();
    }
    void takeLineEnd()
    {
        if (take() == '\r' && peek() == '\n')
            take();
        ++lines;
    }

    // Reads the next line that is not blank into `fields`; false at the end of the file.
    bool readLine(std::size_t keep);
    // Reads one field into `field` (or nowhere), from its first character up to its separator.
    bool readField(std::string *field);
    bool fail(std::string problem)
    {
        lineProblem = std::move(problem);
        return false;
    }

    std::string_view field(Column column) const
    {
        const std::size_t i = index[column];
        return i == kNoColumn ? std::string_view {} : std::string_view(fields[i]);
    }
    std::string lineSource() const { return name + ":line " + std::to_string(lineNumber); }
    CompadreRecord record() const;
};

bool CompadreReader::Impl::readField(std::string *field)
{
    const auto append = [&](int c) {
        if (++lineLength > kMaxFlatLineLength)
            return fail("is longer than " + std::to_string(kMaxFlatLineLength) + " characters");
        if (!field)
            return true;
        if (field->size() >= kMaxFlatFieldLength)
            return fail("holds a field longer than " + std::to_string(kMaxFlatFieldLength)
                        + " characters (field " + std::to_string(fieldCount + 1) + ")");
        field->push_back(static_cast<char>(c));
        return true;
    };

    if (peek() != '"') {
        while (peek() != kEof && peek() != ',' && !isLineEnd(peek()))
            if (!append(take()))
                return false;
        return true;
    }
    take();
    ++lineLength;
    for (;;) {
        const int c = peek();
        if (c == kEof || isLineEnd(c))
            return fail("opens a double quote in field " + std::to_string(fieldCount + 1)
                        + " that is not closed on the line");
        take();
        if (c == '"') {
            if (peek() != '"')
                break;
            take();
        }
        if (!append(c))
            return false;
    }
    if (peek() != kEof && peek() != ',' && !isLineEnd(peek()))
        return fail("has text after the closing double quote of field "
                    + std::to_string(fieldCount + 1));
    return true;
}

bool CompadreReader::Impl::readLine(std::size_t keep)
{
    while (isLineEnd(peek()))
        takeLineEnd();
    if (peek() == kEof)
        return false;

    lineNumber
        = static_cast<int>(std::min<std::uint64_t>(lines + 1, std::numeric_limits<int>::max()));
    lineProblem.clear();
    fieldCount = 0;
    lineLength = 0;
    for (;;) {
        std::string *slot = nullptr;
        // Fields beyond those of the header only count.
        if (fieldCount < keep) {
            if (fields.size() <= fieldCount)
                fields.emplace_back();
            slot = &fields[fieldCount];
            slot->clear();
        }
        if (!readField(slot))
            break;
        ++fieldCount;
        if (peek() != ',')
            break;
        take();
        ++lineLength;
    }
    // The rest of a line that cannot be read is passed over, not stored.
    while (peek() != kEof && !isLineEnd(peek()))
        take();
    if (peek() != kEof)
        takeLineEnd();
    else
        ++lines;
    return true;
}

CompadreRecord CompadreReader::Impl::record() const
{
    CompadreRecord record;
    record.line = lineNumber;
    if (!lineProblem.empty() || fieldCount != columns.size()) {
        std::string what = lineProblem;
        if (what.empty())
            what = "has " + std::to_string(fieldCount) + (fieldCount == 1 ? " field" : " fields")
                + "; the header has " + std::to_string(columns.size());
        record.source = lineSource();
        record.problem = "line " + std::to_string(lineNumber) + " " + what;
        return record;
    }

    record.source
        = given(field(MatrixId)) ? name + "#" + std::string(field(MatrixId)) : lineSource();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::string &column = columns[i];
        const bool matrixPart
            = std::find(kColumnNames.begin(), kColumnNames.begin() + MatrixId, column)
            != kColumnNames.begin() + MatrixId;
        if (!column.empty() && !matrixPart)
            record.metadata.emplace(column, fields[i]);
    }
    const auto text = [&](Column column) {
        const std::string_view value = TrimSpacesAndTabs(field(column));
        return given(value) ? std::string(value) : std::string();
    };
    record.species = text(Species);
    record.citation = CompadreCitation(field(Authors), field(Year), field(Journal), field(Doi));
    record.projectionInterval = text(Interval);
    record.matrixComposite = text(Composite);

    const RecordMatrixText a = ParseRecordMatrix(field(MatA));
    const RecordMatrixText u = ParseRecordMatrix(field(MatU));
    const RecordMatrixText f = ParseRecordMatrix(field(MatF));
    const RecordMatrixText c = ParseRecordMatrix(field(MatC));
    if (!a.problem.empty()) {
        record.checks = RunModelChecks({a.matrix, u.matrix, f.matrix, c.matrix});
        record.problem = partProblem("matA", a.problem);
        return record;
    }

    StageModel model;
    model.a = squareOf(*a.matrix);
    const int n = a.matrix->n;
    const PartUse useU = usePart("matU", u, n);
    const PartUse useF = usePart("matF", f, n);
    const PartUse useC = usePart("matC", c, n);
    if (useU.given || useF.given || useC.given) {
        if (!useU.given)
            record.note = "matU is not given";
        else if (!useF.given)
            record.note = "matF is not given";
        for (const PartUse *use : {&useU, &useF, &useC})
            if (record.note.empty() && !use->problem.empty())
                record.note = use->problem;
        if (record.note.empty()) {
            model.u = squareOf(*u.matrix);
            model.f = squareOf(*f.matrix);
            if (useC.given)
                model.c = squareOf(*c.matrix);
        }
    }
    std::vector<std::string> names = stageNames(field(ClassAuthor));
    if (names.size() == static_cast<std::size_t>(n)
        && std::all_of(names.begin(), names.end(), [](const auto &s) { return given(s); }))
        model.names = std::move(names);
    record.analysis = AnalyseStage(model);
    record.checks = RunModelChecks({a.matrix, u.matrix, f.matrix, c.matrix, &*record.analysis});
    record.model = std::move(model);
    return record;
}

CompadreReader::CompadreReader()
    : m(std::make_unique<Impl>())
{
}

CompadreReader::~CompadreReader() = default;

CompadreOpen CompadreReader::open(const std::string &path)
{
    m = std::make_unique<Impl>();
    auto file = std::make_unique<std::ifstream>();
    if (std::string problem = OpenFileToRead(path, *file); !problem.empty())
        return {false, std::move(problem)};
    const CompadreOpen opened = open(*file, path);
    if (opened.ok)
        m->file = std::move(file);
    return opened;
}

CompadreOpen CompadreReader::open(std::istream &in, const std::string &name)
{
    m = std::make_unique<Impl>();
    m->name = name;
    m->buf = in.rdbuf();
    if (!m->buf)
        return {false, "The file " + QuotedFileName(name) + " cannot be opened for reading."};
    // A byte-order mark is not part of the first column's name.
    static constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (m->peek() == static_cast<unsigned char>(bom[0])) {
        std::size_t matched = 0;
        while (matched < bom.size() && m->peek() == static_cast<unsigned char>(bom[matched])) {
            m->take();
            ++matched;
        }
        if (matched < bom.size())
            return refuse("The file " + QuotedFileName(name)
                          + " begins with a broken UTF-8 byte-order mark.");
    }

    const bool read = m->readLine(kMaxFlatColumns + 1);
    if (!read)
        return refuse("The file " + QuotedFileName(name) + " is empty.");
    if (!m->lineProblem.empty())
        return refuse("Line " + std::to_string(m->lineNumber) + " of the file "
                      + QuotedFileName(name) + ", the header, " + m->lineProblem + ".");
    if (m->fieldCount > kMaxFlatColumns)
        return refuse("The header of the file " + QuotedFileName(name) + " has more than "
                      + std::to_string(kMaxFlatColumns) + " columns.");
    m->columns.assign(m->fields.begin(), m->fields.begin() + m->fieldCount);
    for (std::size_t k = 0; k < kColumnCount; ++k) {
        const auto found = std::find(m->columns.begin(), m->columns.end(), kColumnNames[k]);
        m->index[k] = found == m->columns.end()
            ? kNoColumn
            : static_cast<std::size_t>(found - m->columns.begin());
    }
    if (m->index[MatA] == kNoColumn)
        return refuse("The file " + QuotedFileName(name)
                      + " has no column \"matA\", so it is not a flat file of COMPADRE or "
                        "COMADRE as Rcompadre's cdb_flatten and write.csv write one.");
    return {true, {}};
}

CompadreOpen CompadreReader::refuse(std::string message)
{
    m = std::make_unique<Impl>();
    return {false, std::move(message)};
}

std::optional<CompadreRecord> CompadreReader::next()
{
    if (!m->buf || m->columns.empty() || !m->readLine(m->columns.size()))
        return std::nullopt;
    return m->record();
}

bool CompadreReader::skip()
{
    // No field is kept: the line is only walked to its end.
    return m->buf && !m->columns.empty() && m->readLine(0);
}

const std::vector<std::string> &CompadreReader::columns() const
{
    return m->columns;
}

std::uint64_t CompadreReader::linesRead() const
{
    return m->lines;
}

std::uint64_t CompadreReader::bytesRead() const
{
    return m->bytes;
}

} // namespace tarnvale
