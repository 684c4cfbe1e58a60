#include "io/matrixfile.h"
#include "io/openfile.h"

#include "core/matrixtext.h"
#include "core/numbertext.h"
#include "io/csv.h"
#include "io/replacefiles.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <streambuf>
#include <string_view>
#include <vector>

namespace tarnvale {

namespace {

constexpr int kEof = std::char_traits<char>::eof();
constexpr std::array<char, 4> kParts = {'U', 'F', 'C', 'A'};
constexpr int kU = 0, kF = 1, kC = 2, kA = 3;
const char *const kNothingChanged = "\n\nNothing has been changed.";
const char *const kLineEnd = "\r\n";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
// Bytes that never occur in a text file; their presence means the user picked something else.
bool isControl(int c)
{
    return (c >= 0 && c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A text from the file in a message, cut short when long.
std::string shown(std::string_view text)
{
    constexpr std::size_t longest = 40;
    return text.size() <= longest ? std::string(text)
                                  : std::string(text.substr(0, longest)) + "...";
}
std::string inQuotes(std::string_view text)
{
    return "\"" + shown(text) + "\"";
}

std::string partName(int part)
{
    return std::string("[") + kParts[static_cast<std::size_t>(part)] + "]";
}

std::string plural(int count, const char *one, const char *many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The lines of the stream, one at a time, never holding more than one. Every byte counts against
// the length of its line and of the file, so no input, however large or strange, takes long or
// much memory before it is read or refused.
class LineSource
{
public:
    enum class Status { Line, End, Error };

    LineSource(std::istream &in, const std::string &name)
        : m_buf(in.rdbuf())
        , m_name(name)
    {
        // A byte-order mark is looked at before anything else, so it never counts as text.
        for (int k = 0; k < 3 && m_buf; ++k) {
            const int c = m_buf->sbumpc();
            if (c == kEof)
                break;
            m_ahead.push_back(static_cast<char>(c));
        }
        if (m_ahead.starts_with("\xEF\xBB\xBF"))
            m_ahead.clear();
        else if (m_ahead.starts_with("\xFF\xFE") || m_ahead.starts_with("\xFE\xFF"))
            m_utf16 = true;
        m_empty = peek() == kEof;
    }

    bool utf16() const { return m_utf16; }
    bool empty() const { return m_empty; }
    int line() const { return m_line; } // the number of the line last delivered, from 1
    const std::string &problem() const { return m_problem; }

    Status next(std::string &text)
    {
        text.clear();
        if (peek() == kEof)
            return Status::End;
        ++m_line;
        for (;;) {
            const int c = peek();
            if (c == kEof)
                return Status::Line;
            if (++m_length > kMaxMatrixFileLength)
                return fail("The file " + QuotedFileName(m_name) + " is longer than "
                            + std::to_string(kMaxMatrixFileLength) + " characters.");
            advance();
            if (c == '\n')
                return Status::Line;
            if (c == '\r') {
                if (peek() == '\n') {
                    ++m_length;
                    advance();
                }
                return Status::Line;
            }
            if (isControl(c))
                return fail(lineText() + " holds a control character (code " + std::to_string(c)
                            + "), so it is not a text file.");
            if (text.size() >= kMaxMatrixLineLength)
                return fail(lineText() + " is longer than " + std::to_string(kMaxMatrixLineLength)
                            + " characters.");
            text.push_back(static_cast<char>(c));
        }
    }

private:
    int peek()
    {
        if (m_aheadPos < m_ahead.size())
            return static_cast<unsigned char>(m_ahead[m_aheadPos]);
        return m_buf ? m_buf->sgetc() : kEof;
    }
    void advance()
    {
        if (m_aheadPos < m_ahead.size())
            ++m_aheadPos;
        else
            m_buf->sbumpc();
    }
    std::string lineText() const
    {
        return "Line " + std::to_string(m_line) + " of the file " + QuotedFileName(m_name);
    }
    Status fail(std::string problem)
    {
        m_problem = std::move(problem);
        return Status::Error;
    }

    std::streambuf *m_buf;
    const std::string &m_name;
    std::string m_ahead; // the first bytes, read early to look for a byte-order mark
    std::size_t m_aheadPos = 0;
    bool m_utf16 = false;
    bool m_empty = false;
    int m_line = 0;
    std::size_t m_length = 0;
    std::string m_problem;
};

struct Field
{
    std::string text; // within its quotes as written, else without the blanks around it
    bool quoted = false;
    int column = 0; // from 1
};

// What a line is before its fields are read.
enum class LineKind { Skipped, Header, Data };

// One grid of the file: the whole matrix, or one of its parts.
struct Part
{
    int kind = kA;
    int headerLine = 0; // 0: the file has no parts
    std::vector<std::string> names;
    int namesLine = 0; // 0: no names
    int width = 0; // entries a row
    int widthLine = 0; // the first row, which set the width (0 while no row)
    int rows = 0; // rows read, also those beyond the width, which are counted but not kept
    std::vector<int> rowLines;
    std::vector<double> values; // row by row, the first `width` rows

    bool named() const { return namesLine > 0; }
};

// The whole field is one number in the syntax the program reads everywhere: nothing before or
// after it, nothing skipped inside it.
bool isDecimalNumber(std::string_view s)
{
    const NumberExtent number = ScanNumber(s);
    return number.found && number.end == s.size() && !number.blanksInside;
}

bool equalsIgnoringCase(std::string_view s, std::string_view lower)
{
    return std::equal(s.begin(), s.end(), lower.begin(), lower.end(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

// Reads one entry; returns what is wrong with it (after "column 2"), or nothing.
std::optional<std::string> readEntry(const Field &field, double &value)
{
    const std::string_view text = trimmed(field.text);
    if (text.empty())
        return std::string(": the value is missing.");
    if (equalsIgnoringCase(text, "na"))
        return std::string(": the value is missing (NA).");
    if (isDecimalNumber(text)) {
        const ScannedNumber number = TextToNumber(text);
        if (number.outOfRange)
            return ": " + shown(text) + " is a number too large to compute with.";
        if (number.value < 0)
            return ": " + shown(text) + " is negative.";
        // "-0" is read as 0, so that no model holds a negative zero.
        value = number.value + 0.0;
        return std::nullopt;
    }
    return ": " + inQuotes(text) + " " + WhyNotAFiniteNumber(text) + ".";
}

// The first tab, ";" or "," outside double quotes, or 0: the fields are separated by blanks.
char separatorOf(std::string_view line)
{
    bool quoteOpen = false;
    for (char c : line) {
        if (c == '"')
            quoteOpen = !quoteOpen;
        else if (!quoteOpen && (c == '\t' || c == ';' || c == ','))
            return c;
    }
    return 0;
}

class Reader
{
public:
    explicit Reader(const std::string &name)
        : m_name(name)
    {
    }

    // Takes one line; returns the message (without "Nothing has been changed.") on a fault.
    std::optional<std::string> take(std::string_view line, int number);
    // After the last line: the model, or the message.
    std::optional<std::string> finish(StageModel &model);

private:
    std::string at(int line) const
    {
        return "Line " + std::to_string(line) + " of the file " + QuotedFileName(m_name);
    }
    std::string at(int line, int column) const
    {
        return at(line) + ", column " + std::to_string(column);
    }
    std::string file() const { return "The file " + QuotedFileName(m_name); }
    std::string partOfFile(const Part &part) const
    {
        return part.headerLine == 0
            ? file()
            : "The part " + partName(part.kind) + " of the file " + QuotedFileName(m_name);
    }

    LineKind kindOf(std::string_view line, int number, int &part,
                    std::optional<std::string> &fault);
    std::optional<std::string> split(std::string_view line, int number);
    bool isNamesHeader() const;
    std::optional<std::string> takeNames(Part &part, int number);
    std::optional<std::string> takeRow(Part &part, int number);
    std::optional<std::string> closePart(const Part &part) const;

    const std::string &m_name;
    std::optional<char> m_separator; // set by the first line of the first grid
    std::vector<Part> m_parts; // in the order of the file
    std::vector<Field> m_fields; // of the line being read
};

LineKind Reader::kindOf(std::string_view line, int number, int &part,
                        std::optional<std::string> &fault)
{
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#'
        || line.find_first_not_of(" \t,;") == std::string_view::npos)
        return LineKind::Skipped;
    // A header stands alone but for the empty fields a spreadsheet adds to fill its row.
    if (line[first] != '[')
        return LineKind::Data;
    const std::size_t close = line.find(']', first);
    if (close == std::string_view::npos)
        return LineKind::Data;
    const std::string_view token = line.substr(first, close + 1 - first);
    const bool alone = line.find_first_not_of(" \t,;", close + 1) == std::string_view::npos;
    const auto letter
        = token.size() == 3 ? std::find(kParts.begin(), kParts.end(), token[1]) : kParts.end();
    if (letter == kParts.end()) {
        if (alone)
            fault = at(number) + ": " + inQuotes(token)
                + " is not a part; the parts are [U], [F], [C] and [A].";
        return LineKind::Data;
    }
    if (!alone) {
        fault = at(number) + ": the part header " + std::string(token)
            + " must stand on a line of its own.";
        return LineKind::Data;
    }
    part = static_cast<int>(letter - kParts.begin());
    return LineKind::Header;
}

std::optional<std::string> Reader::split(std::string_view s, int number)
{
    const char sep = *m_separator;
    m_fields.clear();
    std::size_t i = 0;
    int column = 1;
    const auto skipBlanks = [&] {
        while (i < s.size() && isBlank(s[i]) && s[i] != sep)
            ++i;
    };
    for (;;) {
        skipBlanks();
        if (sep == 0 && i == s.size())
            break;
        Field field;
        field.column = column;
        if (i < s.size() && s[i] == '"') {
            field.quoted = true;
            for (++i;; ++i) {
                if (i == s.size())
                    return at(number, column)
                        + " opens a double quote that is not closed on that line.";
                if (s[i] == '"') {
                    if (i + 1 < s.size() && s[i + 1] == '"') {
                        field.text.push_back('"');
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field.text.push_back(s[i]);
            }
            const std::size_t afterQuote = i;
            skipBlanks();
            const bool separated = i == s.size() || (sep != 0 ? s[i] == sep : i > afterQuote);
            if (!separated)
                return at(number, column) + " has text after its closing double quote.";
        } else {
            const std::size_t start = i;
            while (i < s.size() && (sep != 0 ? s[i] != sep : !isBlank(s[i])))
                ++i;
            field.text = std::string(trimmed(s.substr(start, i - start)));
        }
        m_fields.push_back(std::move(field));
        ++column;
        if (sep != 0) {
            if (i == s.size())
                break;
            ++i; // the separator; a field, perhaps empty, follows it
        }
    }
    return std::nullopt;
}

// R's write.csv starts the header with a quoted empty field; a spreadsheet's export leaves the
// corner empty, and then a name that is not a number tells the header from a row whose first
// value is missing.
bool Reader::isNamesHeader() const
{
    const Field &corner = m_fields.front();
    if (!corner.text.empty())
        return false;
    if (corner.quoted)
        return true;
    return std::any_of(m_fields.begin() + 1, m_fields.end(),
                       [](const Field &f) { return !f.text.empty() && !isDecimalNumber(f.text); });
}

std::optional<std::string> Reader::takeNames(Part &part, int number)
{
    const int count = static_cast<int>(m_fields.size()) - 1;
    if (count == 0)
        return at(number) + " names no stage.";
    if (count > kMaxStages)
        return at(number) + " names " + std::to_string(count)
            + " stages; a projection matrix here has at most " + std::to_string(kMaxStages) + ".";
    for (int k = 1; k <= count; ++k) {
        if (trimmed(m_fields[k].text).empty())
            return at(number, m_fields[k].column) + ": the stage name is empty.";
        part.names.push_back(std::move(m_fields[k].text));
    }
    part.namesLine = number;
    part.width = count;
    part.values.reserve(static_cast<std::size_t>(count) * static_cast<std::size_t>(count));
    return std::nullopt;
}

// The names R gives the columns of a matrix that has none, "V1", "V2", ...: no stage names.
bool rDefaultNames(const std::vector<std::string> &names)
{
    for (std::size_t k = 0; k < names.size(); ++k)
        if (names[k] != "V" + std::to_string(k + 1))
            return false;
    return true;
}

std::optional<std::string> Reader::takeRow(Part &part, int number)
{
    const int first = part.named() ? 1 : 0;
    const int entries = static_cast<int>(m_fields.size()) - first;
    if (part.named()) {
        const std::string header = "the header on line " + std::to_string(part.namesLine);
        if (entries != part.width)
            return at(number) + " has " + plural(entries, "entry", "entries") + " where " + header
                + " names " + plural(part.width, "stage.", "stages.");
        if (part.rows == part.width)
            return at(number) + " holds row " + std::to_string(part.rows + 1) + ", but " + header
                + " names " + plural(part.width, "stage.", "stages.");
        const std::string &expected = part.names[static_cast<std::size_t>(part.rows)];
        // R's write.csv of a matrix without names heads its columns "V1", "V2", ... and numbers
        // its rows "1", "2", ...
        const bool rNumbered = expected == "V" + std::to_string(part.rows + 1)
            && m_fields[0].text == std::to_string(part.rows + 1);
        if (m_fields[0].text != expected && !rNumbered)
            return at(number, m_fields[0].column) + ": the row is named "
                + inQuotes(m_fields[0].text) + " where " + header + " names stage "
                + std::to_string(part.rows + 1) + " " + inQuotes(expected) + ".";
    } else if (part.widthLine == 0) {
        if (entries > kMaxStages)
            return at(number) + " has " + std::to_string(entries)
                + " entries; a projection matrix here has at most " + std::to_string(kMaxStages)
                + " stages.";
        part.width = entries;
        part.values.reserve(static_cast<std::size_t>(entries) * static_cast<std::size_t>(entries));
        part.widthLine = number;
    } else if (entries != part.width) {
        return at(number) + " has " + plural(entries, "entry", "entries") + " where line "
            + std::to_string(part.widthLine) + " has " + std::to_string(part.width) + ".";
    }
    if (part.widthLine == 0)
        part.widthLine = number;
    // Rows beyond the width make the grid not square; they are read for their faults but not
    // kept, so that no file makes the grid grow beyond width * width entries.
    const bool kept = part.rows < part.width;
    for (int k = 0; k < entries; ++k) {
        const Field &field = m_fields[static_cast<std::size_t>(first + k)];
        double value = 0.0;
        if (auto problem = readEntry(field, value))
            return at(number, field.column) + *problem;
        if (kept)
            part.values.push_back(value);
    }
    if (kept)
        part.rowLines.push_back(number);
    ++part.rows;
    return std::nullopt;
}

std::optional<std::string> Reader::closePart(const Part &part) const
{
    if (part.rows == 0)
        return part.headerLine == 0 ? file() + " holds no number."
                                    : at(part.headerLine) + " starts the part "
                + partName(part.kind) + ", which holds no number.";
    if (part.rows != part.width)
        return partOfFile(part) + " has " + plural(part.rows, "row", "rows") + " of "
            + plural(part.width, "entry", "entries") + "; a projection matrix is square.";
    return std::nullopt;
}

std::optional<std::string> Reader::take(std::string_view line, int number)
{
    int kind = kA;
    std::optional<std::string> fault;
    switch (kindOf(line, number, kind, fault)) {
    case LineKind::Skipped:
        return std::nullopt;
    case LineKind::Header:
        if (!m_parts.empty() && m_parts.back().headerLine == 0)
            return at(number) + " starts the part " + partName(kind)
                + ", but the lines before it belong to no part.";
        for (const Part &part : m_parts)
            if (part.kind == kind)
                return at(number) + " gives the part " + partName(kind) + " a second time.";
        if (!m_parts.empty())
            if (auto problem = closePart(m_parts.back()))
                return problem;
        m_parts.emplace_back();
        m_parts.back().kind = kind;
        m_parts.back().headerLine = number;
        return std::nullopt;
    case LineKind::Data:
        break;
    }
    if (fault)
        return fault;
    if (m_parts.empty())
        m_parts.emplace_back();
    Part &part = m_parts.back();
    if (!m_separator)
        m_separator = separatorOf(line);
    if (auto problem = split(line, number))
        return problem;
    if (!part.named() && part.rows == 0 && isNamesHeader())
        return takeNames(part, number);
    return takeRow(part, number);
}

std::optional<std::string> Reader::finish(StageModel &model)
{
    if (m_parts.empty())
        return file() + " holds no number.";
    if (auto problem = closePart(m_parts.back()))
        return problem;

    std::array<const Part *, kParts.size()> parts {};
    for (const Part &part : m_parts)
        parts[static_cast<std::size_t>(part.kind)] = &part;
    if (parts[kU] && !parts[kF])
        return file() + " has the part [U] but not [F].";
    if (parts[kF] && !parts[kU])
        return file() + " has the part [F] but not [U].";
    if (parts[kC] && !parts[kU])
        return file() + " has the part [C] but not [U] and [F].";
    const Part &first = m_parts.front();
    const Part *namedPart = nullptr;
    for (const Part &part : m_parts) {
        if (part.width != first.width)
            return partOfFile(part) + " has " + plural(part.width, "stage", "stages") + " where "
                + partName(first.kind) + " has " + std::to_string(first.width) + ".";
        if (!part.named())
            continue;
        if (!namedPart) {
            namedPart = &part;
            continue;
        }
        for (std::size_t k = 0; k < part.names.size(); ++k)
            if (part.names[k] != namedPart->names[k])
                return at(part.namesLine, static_cast<int>(k) + 2) + ": " + partName(part.kind)
                    + " names stage " + std::to_string(k + 1) + " " + inQuotes(part.names[k])
                    + " where " + partName(namedPart->kind) + " names it "
                    + inQuotes(namedPart->names[k]) + ".";
    }

    const auto matrixOf = [](const Part &part) {
        SquareMatrix m;
        m.n = part.width;
        m.values = part.values;
        return m;
    };
    StageModel read;
    if (namedPart && !rDefaultNames(namedPart->names))
        read.names = namedPart->names;
    if (!parts[kU]) {
        read.a = matrixOf(*parts[kA]);
    } else {
        read.u = matrixOf(*parts[kU]);
        read.f = matrixOf(*parts[kF]);
        if (parts[kC])
            read.c = matrixOf(*parts[kC]);
        read.a = AddParts(*read.u, *read.f, read.c);
        const std::size_t n = static_cast<std::size_t>(read.a.n);
        for (std::size_t k = 0; k < read.a.values.size(); ++k)
            if (!std::isfinite(read.a.values[k]))
                return file() + " gives U + F + C beyond the double range in row "
                    + std::to_string(k / n + 1) + ", column " + std::to_string(k % n + 1) + ".";
        if (parts[kA]) {
            const SquareMatrix given = matrixOf(*parts[kA]);
            if (const auto k = FirstDisagreement(given, read.a)) {
                const int row = static_cast<int>(*k / n), column = static_cast<int>(*k % n);
                return at(parts[kA]->rowLines[static_cast<std::size_t>(row)],
                          column + 1 + (parts[kA]->named() ? 1 : 0))
                    + ": [A] holds " + NumberToText(given.values[*k]) + " where U + F + C is "
                    + NumberToText(read.a.values[*k]) + ".";
            }
        }
    }
    model = std::move(read);
    return std::nullopt;
}

MatrixFileRead refuse(std::string message)
{
    MatrixFileRead result;
    result.message = std::move(message) + kNothingChanged;
    return result;
}

void appendName(std::string &text, const std::string &name)
{
    text += '"';
    for (char c : name) {
        if (c == '"')
            text += "\"\"";
        else
            text += isControl(static_cast<unsigned char>(c)) || c == '\n' || c == '\r' ? ' ' : c;
    }
    text += '"';
}

void appendGrid(std::string &text, const SquareMatrix &m, const std::vector<std::string> &names)
{
    const bool named = static_cast<int>(names.size()) == m.n;
    if (named) {
        text += "\"\"";
        for (const std::string &name : names) {
            text += ',';
            appendName(text, name);
        }
        text += kLineEnd;
    }
    for (int i = 0; i < m.n; ++i) {
        if (named) {
            appendName(text, names[static_cast<std::size_t>(i)]);
            text += ',';
        }
        for (int j = 0; j < m.n; ++j) {
            if (j > 0)
                text += ',';
            AppendExactNumber(text, m.at(i, j));
        }
        text += kLineEnd;
    }
}

} // namespace

MatrixFileRead ReadMatrixFile(std::istream &in, const std::string &name)
{
    LineSource lines(in, name);
    if (lines.utf16())
        return refuse("The file " + QuotedFileName(name)
                      + " is written in UTF-16. Save it as plain text (UTF-8) and read it again.");
    if (lines.empty())
        return refuse("The file " + QuotedFileName(name) + " is empty.");
    Reader reader(name);
    std::string line;
    for (;;) {
        const LineSource::Status status = lines.next(line);
        if (status == LineSource::Status::Error)
            return refuse(lines.problem());
        if (status == LineSource::Status::End)
            break;
        if (auto problem = reader.take(line, lines.line()))
            return refuse(std::move(*problem));
    }
    MatrixFileRead result;
    if (auto problem = reader.finish(result.model))
        return refuse(std::move(*problem));
    result.ok = true;
    return result;
}

MatrixFileRead ReadMatrixFile(const std::string &path)
{
    std::ifstream in;
    if (std::string problem = OpenFileToRead(path, in); !problem.empty())
        return refuse(std::move(problem));
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > kMaxMatrixFileLength)
        return refuse("The file " + QuotedFileName(path) + " is longer than "
                      + std::to_string(kMaxMatrixFileLength) + " characters.");
    return ReadMatrixFile(in, path);
}

std::string MatrixFileText(const StageModel &model)
{
    std::string text;
    if (!model.split()) {
        appendGrid(text, model.a, model.names);
        return text;
    }
    const auto part = [&](const char *header, const SquareMatrix &m) {
        text += header;
        text += kLineEnd;
        appendGrid(text, m, model.names);
    };
    part("[U]", *model.u);
    part("[F]", *model.f);
    if (model.c)
        part("[C]", *model.c);
    return text;
}

std::string SaveMatrixFile(const StageModel &model, const std::string &path)
{
    return ReplaceFiles({{path, MatrixFileText(model)}});
}

} // namespace tarnvale
