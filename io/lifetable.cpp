#include "io/lifetable.h"
#include "io/openfile.h"

#include "core/numbertext.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <streambuf>
#include <string_view>
#include <vector>

namespace tarnvale {

namespace {

constexpr int kFieldsPerRecord = 3;
constexpr int kEof = std::char_traits<char>::eof();

bool isBlank(int c)
{
    return c == ' ' || c == '\t';
}
bool isLineEnd(int c)
{
    return c == '\n' || c == '\r';
}
// Bytes that never occur in a text file; their presence means the user picked something else.
bool isControl(int c)
{
    return (c >= 0 && c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f;
}

// What one field of the file holds.
enum class FieldKind { Empty, Number, TooLarge, Text };

struct Field
{
    FieldKind kind = FieldKind::Empty;
    TableValue value; // as stored in the state: empty, the number, or the text
    std::string text; // the field as written, for messages
    int line = 0; // line on which the field starts
    bool startsLine = false; // nothing but blanks before it on its line
    bool endsLine = false; // nothing but blanks after it on its line

    // An empty line (or one of blanks): one empty field that moves every later field by one.
    bool blankLine() const { return kind == FieldKind::Empty && startsLine && endsLine; }
};

// The whole field, quoted or not, without the blanks around it, is one number in the syntax
// TextToNumber reads (see the header): nothing before or after it, nothing skipped inside it.
bool isDecimalNumber(std::string_view s)
{
    const NumberExtent number = ScanNumber(s);
    return number.found && number.end == s.size() && !number.blanksInside;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

void classify(Field &field, std::string content)
{
    const std::string_view core = trimmed(content);
    if (core.empty()) {
        field.kind = FieldKind::Empty;
        field.value = std::monostate {};
    } else if (isDecimalNumber(core)) {
        const ScannedNumber number = TextToNumber(core);
        if (number.outOfRange) {
            field.kind = FieldKind::TooLarge;
            field.value = std::string(core);
        } else {
            field.kind = FieldKind::Number;
            field.value = number.value;
        }
    } else {
        field.kind = FieldKind::Text;
        field.value = std::string(core);
    }
    field.text = std::string(core);
}

// Splits the stream into fields, one at a time, never holding more than one field. Every
// character it consumes counts against the length of its line, so no file, however large or
// strange, takes long or much memory before a field is delivered or refused.
class FieldReader
{
public:
    enum class Status { Field, End, Error };

    explicit FieldReader(std::istream &in)
        : m_buf(in.rdbuf())
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
    }

    bool utf16() const { return m_utf16; }
    int line() const { return m_line; }
    const std::string &problem() const { return m_problem; }
    int problemLine() const { return m_problemLine; }

    // True when no field is left: the last field ended at a line end or at the end of the file,
    // and nothing follows. A field that ended with a comma is always followed by one more.
    bool atEnd() { return !m_fieldFollows && peek() == kEof; }

    Status next(Field &field)
    {
        if (atEnd())
            return Status::End;
        m_fieldFollows = false;
        while (isBlank(peek()))
            if (!consume())
                return Status::Error;
        field.line = m_line;
        field.startsLine = m_onlyBlanksSoFar;

        std::string content;
        if (peek() == '"') {
            if (!consume())
                return Status::Error;
            for (;;) {
                const int c = peek();
                if (c == kEof || isLineEnd(c))
                    return fail(m_line, "opens a double quote that is not closed on that line.");
                if (!consume())
                    return Status::Error;
                if (c == '"')
                    break;
                if (!append(content, c))
                    return Status::Error;
            }
            // Whatever follows the closing quote up to the separator is a remark.
            while (peek() != kEof && peek() != ',' && !isLineEnd(peek()))
                if (!consume())
                    return Status::Error;
        } else {
            while (peek() != kEof && peek() != ',' && !isLineEnd(peek())) {
                const int c = peek();
                if (!consume() || !append(content, c))
                    return Status::Error;
            }
        }

        const int end = peek();
        field.endsLine = end != ',';
        if (end == ',') {
            if (!consume())
                return Status::Error;
            m_fieldFollows = true;
        } else if (isLineEnd(end)) {
            consumeLineEnd();
        }
        classify(field, std::move(content));
        return Status::Field;
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

    // Takes one character of a line (not a line end), refusing control characters and lines
    // beyond the limit.
    bool consume()
    {
        const int c = peek();
        if (isControl(c)) {
            fail(m_line,
                 "holds a control character (code " + std::to_string(c)
                     + "), so it is not a text file.");
            return false;
        }
        if (++m_column > kMaxLineLength) {
            fail(m_line, "is longer than " + std::to_string(kMaxLineLength) + " characters.");
            return false;
        }
        m_onlyBlanksSoFar = m_onlyBlanksSoFar && isBlank(c);
        advance();
        return true;
    }
    void consumeLineEnd()
    {
        const int c = peek();
        advance();
        if (c == '\r' && peek() == '\n')
            advance();
        ++m_line;
        m_column = 0;
        m_onlyBlanksSoFar = true;
    }
    bool append(std::string &content, int c)
    {
        if (content.size() >= kMaxFieldLength) {
            fail(m_line,
                 "holds a field longer than " + std::to_string(kMaxFieldLength) + " characters.");
            return false;
        }
        content.push_back(static_cast<char>(c));
        return true;
    }
    Status fail(int line, std::string problem)
    {
        m_problemLine = line;
        m_problem = std::move(problem);
        return Status::Error;
    }

    std::streambuf *m_buf;
    std::string m_ahead; // the first bytes, read early to look for a byte-order mark
    std::size_t m_aheadPos = 0;
    bool m_utf16 = false;
    int m_line = 1;
    std::size_t m_column = 0;
    bool m_onlyBlanksSoFar = true;
    bool m_fieldFollows = false;
    std::string m_problem;
    int m_problemLine = 0;
};

using Record = std::array<Field, kFieldsPerRecord>;

// A field's text in a message, cut short when long.
std::string quoted(const std::string &text)
{
    constexpr std::size_t shown = 40;
    if (text.size() <= shown)
        return "\"" + text + "\"";
    return "\"" + text.substr(0, shown) + "...\"";
}

const char *const kNothingChanged = "\n\nNothing has been changed.";

ReadResult refuse(const std::string &message)
{
    return {false, message + kNothingChanged};
}

ReadResult refuseAtLine(const std::string &name, int line, const std::string &problem)
{
    return refuse("Line " + std::to_string(line) + " of the file " + QuotedFileName(name) + " "
                  + problem);
}

// The names of the fields of a record, as the format message calls them.
const char *columnName(TableFormat format, int column)
{
    static constexpr std::array<const char *, 3> a
        = {"age x", "fecundity f(x)", "survival rate s(x)"};
    static constexpr std::array<const char *, 3> b
        = {"age x", "survivorship l(x)", "fecundity m(x)"};
    return (format == TableFormat::A ? a : b)[column];
}

// A record that does not begin a line usually means a header without its double quotes, a
// missing header or a record with a field too many or too few: every later field has moved.
std::string shiftHint(TableFormat format, const Field &first)
{
    if (first.startsLine)
        return {};
    return std::string(" This record does not begin at the start of a line, so the fields seem "
                       "shifted: the first line must be a header in double quotes, such as ")
        + (format == TableFormat::A ? "\"age,f(x),s(x)\"" : "\"age,l(x),m(x)\"")
        + ", and each record must have exactly three fields.";
}

// The refusal when a field that a computation reads holds neither a usable number nor nothing
// (which the computations take as 0).
std::optional<ReadResult> requireNumber(const std::string &name, TableFormat format,
                                        const Field &field, const std::string &what,
                                        const Field &recordStart)
{
    std::string problem;
    switch (field.kind) {
    case FieldKind::Number:
    case FieldKind::Empty:
        return std::nullopt;
    case FieldKind::TooLarge:
        problem = "is " + field.text + ", a number too large to compute with.";
        break;
    case FieldKind::Text:
        problem = "is " + quoted(field.text) + ", which is not a number.";
        break;
    }
    return refuse("Line " + std::to_string(field.line) + " of the file " + QuotedFileName(name)
                  + ": the " + what + " " + problem + shiftHint(format, recordStart));
}

// A blank line or a record of empty fields inside the table would move every later field, and
// the table would be read wrong without a word; it is refused instead.
std::optional<ReadResult> requireRecord(const std::string &name, const Record &record)
{
    for (const Field &field : record)
        if (field.blankLine())
            return refuseAtLine(name, field.line,
                                "is blank. Inside the table a blank line counts as an empty field "
                                "and moves every later field; delete it.");
    for (const Field &field : record)
        if (field.kind != FieldKind::Empty)
            return std::nullopt;
    return refuseAtLine(name, record[0].line,
                        "holds a record whose fields are all empty. Give its age and "
                        "numbers, or delete it.");
}

bool equals(const Field &field, double value)
{
    return field.kind == FieldKind::Number && std::get<double>(field.value) == value;
}

} // namespace

ReadResult ReadLifeTable(AnalysisState &state, std::istream &in, const std::string &name,
                         TableFormat format)
{
    FieldReader reader(in);
    if (reader.utf16())
        return refuse("The file " + QuotedFileName(name)
                      + " is written in UTF-16. Save it as plain text (ANSI or UTF-8) and read "
                        "it again.");

    Field header;
    switch (reader.next(header)) {
    case FieldReader::Status::Error:
        return refuseAtLine(name, reader.problemLine(), reader.problem());
    case FieldReader::Status::End:
        return refuse("The file " + QuotedFileName(name) + " is empty.");
    case FieldReader::Status::Field:
        break;
    }

    // The records read, the last one possibly the end marker; at most 201 of them.
    std::vector<Record> records;
    records.reserve(kMaxRecords);
    int lastAgeClass = -1;
    bool endedByRecord = false; // an age of -1 or an l(x) of 0 or nothing ended the table
    for (int i = 0; i < kMaxRecords; ++i) {
        Record record;
        for (int k = 0; k < kFieldsPerRecord; ++k) {
            const FieldReader::Status status = reader.next(record[k]);
            if (status == FieldReader::Status::Error)
                return refuseAtLine(name, reader.problemLine(), reader.problem());
            if (status == FieldReader::Status::End) {
                if (i == 0 && k == 0)
                    return refuse("The file " + QuotedFileName(name)
                                  + " has a header but no records after it.");
                // Fields that are all empty and begin a line were blank lines.
                bool blank = k > 0 && record[0].startsLine;
                for (int j = 0; j < k; ++j)
                    blank = blank && record[j].kind == FieldKind::Empty;
                std::string message = "The file " + QuotedFileName(name)
                    + " ends inside the record that starts on line "
                    + std::to_string(k > 0 ? record[0].line : reader.line()) + ": the record has "
                    + std::to_string(k) + " of its 3 fields.";
                if (blank)
                    message += " Blank lines after the last record count as empty fields; "
                               "delete them.";
                else if (k > 0)
                    message += shiftHint(format, record[0]);
                return refuse(message);
            }
        }
        if (auto refusal = requireRecord(name, record))
            return *refusal;
        records.push_back(record);

        if (equals(record[0], -1.0)) {
            lastAgeClass = i - 1;
            endedByRecord = true;
            break;
        }
        // An empty l(x) ends a format-B table as an l(x) of 0 does: it counts as 0.
        if (format == TableFormat::B
            && (equals(record[1], 0.0) || record[1].kind == FieldKind::Empty)) {
            lastAgeClass = i - 1;
            endedByRecord = true;
            break;
        }
        // The age is never computed with. This record belongs to the table, and so the survival
        // rate of the one before it is not the last one, which nothing reads.
        const auto check = [&](const Record &r, int index, int column) {
            const std::string what = std::string(columnName(format, column)) + " of age class "
                + std::to_string(index);
            return requireNumber(name, format, r[column], what, r[0]);
        };
        for (int k = 1; k < kFieldsPerRecord; ++k)
            if (format == TableFormat::B || k == 1)
                if (auto refusal = check(record, i, k))
                    return *refusal;
        if (format == TableFormat::A && i > 0)
            if (auto refusal = check(records[i - 1], i - 1, 2))
                return *refusal;
        if (reader.atEnd() || i == kMaxRecords - 1) {
            lastAgeClass = i;
            break;
        }
    }

    if (lastAgeClass < 0) {
        const Field &age = records[0][0];
        return refuseAtLine(name, age.line,
                            equals(age, -1.0) ? "starts with the age -1, which ends the table "
                                                "before any age class."
                                              : "starts with l(x) = 0, which ends the table "
                                                "before any age class.");
    }

    // Format B: survival rates from consecutive survivorships, worked out before anything is
    // stored so that a refusal still leaves the state as it was.
    std::vector<double> survival;
    if (format == TableFormat::B) {
        if (endedByRecord) {
            const Record &marker = records.back();
            if (auto refusal
                = requireNumber(name, format, marker[1],
                                "survivorship l(x) of the record that ends the table", marker[0]))
                return *refusal;
        }
        for (int i = 0; i <= lastAgeClass; ++i) {
            // Inside a format-B table every l(x) is a number other than 0.
            const double divisor = std::get<double>(records[i][1].value);
            // After the last record of a file that ended without a marker, the slot keeps what
            // an earlier file put there.
            const double dividend = i + 1 < static_cast<int>(records.size())
                ? TableNumber(records[i + 1][1].value)
                : TableNumber(state.Lx[i + 1]);
            const double rate = dividend / divisor;
            if (!std::isfinite(rate))
                return refuse("Line " + std::to_string(records[i][1].line) + " of the file "
                              + QuotedFileName(name) + ": the survival rate of age class "
                              + std::to_string(i)
                              + ", the next l(x) divided by this one, is too large to compute "
                                "with.");
            survival.push_back(rate);
        }
    }

    for (std::size_t i = 0; i < records.size(); ++i) {
        state.AgeX[i] = records[i][0].value;
        if (format == TableFormat::A) {
            state.Fecundity[i] = records[i][1].value;
            state.Survival[i] = records[i][2].value;
        } else {
            state.Lx[i] = records[i][1].value;
            state.Mx[i] = records[i][2].value;
        }
    }
    if (format == TableFormat::B) {
        for (int i = 0; i <= lastAgeClass; ++i) {
            state.Fecundity[i] = state.Mx[i];
            state.Survival[i] = survival[i];
        }
    }
    state.LastAgeClass = lastAgeClass;
    // The search so far was a search of another population.
    state.SearchRecord.clear();
    return {true, {}};
}

ReadResult ReadLifeTable(AnalysisState &state, const std::string &path, TableFormat format)
{
    std::ifstream in;
    if (std::string problem = OpenFileToRead(path, in); !problem.empty())
        return refuse(std::move(problem));
    return ReadLifeTable(state, in, path, format);
}

LifeTableRead ReadLeslieTable(const std::string &path, TableFormat format)
{
    // The reader stores into the columns of a state; a fresh one holds nothing of another file.
    AnalysisState columns;
    const ReadResult read = ReadLifeTable(columns, path, format);
    if (!read.ok)
        return {false, {}, read.message};
    return {true, LeslieTableOfData(columns), {}};
}

} // namespace tarnvale
