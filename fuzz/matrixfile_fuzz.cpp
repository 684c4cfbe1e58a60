// libFuzzer target for the matrix file reader; the input is the file. Whatever the file:
// - a refusal carries no model, names the file and ends "Nothing has been changed."; where the
//   fault lies in one field it names a line that the input has and a column that line can hold,
//   and a field's text that the message quotes stands on that line;
// - an accepted file gives a model the analyses can take: 1 ... 500 stages, every entry finite and
//   >= 0 (no negative zero), no names or one non-blank name per stage, A = U + F + C to the bit
//   when split;
// - that model written by MatrixFileText and read again is the same model, and written as a
//   matrix text (17 significant digits, parts after their headers) ParseMatrixText reads the same
//   matrices from it, so the two readers agree.
#include "core/matrixtext.h"
#include "fuzz/fuzzsupport.h"
#include "io/matrixfile.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <istream>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

using namespace tarnvale;
using tarnvale::fuzz::MemoryBuffer;
using tarnvale::fuzz::require;

namespace {

const std::string kName = "fuzz.csv";

// The lines of the input as the reader counts them: LF, CR LF and a lone CR end a line.
std::vector<std::string_view> linesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// The number at the start of `text`, and the text after it; -1 when there is none.
long leadingNumber(std::string_view &text)
{
    long value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc())
        return -1;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

bool startsWithAny(std::string_view text, std::initializer_list<std::string_view> starts)
{
    for (std::string_view start : starts)
        if (text.starts_with(start))
            return true;
    return false;
}

// Every message has one of the reader's shapes, told apart by what follows the file's name, so
// that a text quoted from the file cannot pass for another shape. A fault in one field is told
// only after "Line L of the file ..., column C", and L and C fit the input.
void checkRefusal(std::string_view input, std::string_view message)
{
    const std::string_view end = "\n\nNothing has been changed.";
    require(message.ends_with(end));
    message.remove_suffix(end.size());
    const std::string file = "the file \"" + kName + "\"";

    if (message.starts_with("The file \"" + kName + "\" ")) {
        message.remove_prefix(kName.size() + 12);
        require(startsWithAny(message,
                              {"is empty.", "holds no number.", "has the part [", "gives U + F + C",
                               "is written in UTF-16.", "is longer than ", "has "}));
        if (message.starts_with("has ") && !message.starts_with("has the part [")) {
            message.remove_prefix(4);
            require(leadingNumber(message) >= 1 && message.starts_with(" row"));
        }
        return;
    }
    if (message.starts_with("The part [")) {
        require(message.find(" of " + file + " has ") == 12);
        return;
    }
    require(message.starts_with("Line "));
    message.remove_prefix(5);
    const long line = leadingNumber(message);
    const std::vector<std::string_view> lines = linesOf(input);
    require(line >= 1 && line <= static_cast<long>(lines.size()));
    require(message.starts_with(" of " + file));
    message.remove_prefix(file.size() + 4);
    if (!message.starts_with(", column ")) {
        require(
            startsWithAny(message,
                          {" has ", " holds ", " names ", " starts the part [", " gives the part [",
                           " is longer than ", ": \"[", ": the part header ["}));
        return;
    }
    message.remove_prefix(9);
    const long column = leadingNumber(message);
    const std::string_view text = lines[static_cast<std::size_t>(line - 1)];
    std::size_t separators = 0;
    for (char c : text)
        separators += c == ',' || c == ';' || c == '\t' || c == ' ';
    require(column >= 1 && static_cast<std::size_t>(column) <= separators + 1);
    require(startsWithAny(message, {": ", " opens a double quote", " has text after its"}));
    // A field quoted whole, or a number, stands on that line as the message shows it.
    std::string_view field;
    for (std::string_view tail : {"\" is not a number.", "\" is not a finite number."})
        if (message.starts_with(": \"") && message.ends_with(tail))
            field = message.substr(3, message.size() - 3 - tail.size());
    for (std::string_view tail : {" is negative.", " is a number too large to compute with."})
        if (message.ends_with(tail) && !message.starts_with(": \""))
            field = message.substr(2, message.size() - 2 - tail.size());
    if (!field.empty() && !field.ends_with("...") && field.find('"') == std::string_view::npos)
        require(text.find(field) != std::string_view::npos);
}

void checkMatrix(const SquareMatrix &m, int n)
{
    require(m.n == n && m.values.size() == static_cast<std::size_t>(n) * n);
    for (double v : m.values)
        require(std::isfinite(v) && v >= 0 && !std::signbit(v));
}

std::string number(double value)
{
    std::array<char, 32> buffer {};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::general, 17)
                         .ptr;
    return std::string(buffer.data(), end);
}

std::string matrixText(const SquareMatrix &m)
{
    std::string text;
    for (int i = 0; i < m.n; ++i) {
        if (i > 0)
            text += ';';
        for (int j = 0; j < m.n; ++j)
            text += ' ' + number(m.at(i, j));
    }
    return text;
}

void checkModel(const StageModel &model)
{
    const int n = model.stages();
    require(n >= 1 && n <= kMaxStages);
    checkMatrix(model.a, n);
    require(model.names.empty() || static_cast<int>(model.names.size()) == n);
    for (const std::string &name : model.names)
        require(name.find_first_not_of(" \t") != std::string::npos);
    require(model.u.has_value() == model.f.has_value());
    require(!model.c || model.split());
    if (model.split()) {
        checkMatrix(*model.u, n);
        checkMatrix(*model.f, n);
        if (model.c)
            checkMatrix(*model.c, n);
        require(AddParts(*model.u, *model.f, model.c) == model.a);
    }

    // Written and read again.
    std::istringstream written(MatrixFileText(model));
    const MatrixFileRead again = ReadMatrixFile(written, kName);
    require(again.ok && again.model == model);

    // The matrix text holds no names.
    std::string text;
    if (model.split()) {
        text = "[U]" + matrixText(*model.u) + " [F]" + matrixText(*model.f);
        if (model.c)
            text += " [C]" + matrixText(*model.c);
    } else {
        text = matrixText(model.a);
    }
    StageModel unnamed = model;
    unnamed.names.clear();
    const MatrixTextParse parse = ParseMatrixText(text);
    require(parse.ok && parse.model == unnamed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    MemoryBuffer buffer(data, size);
    std::istream in(&buffer);
    const MatrixFileRead read = ReadMatrixFile(in, kName);
    if (!read.ok) {
        require(read.model == StageModel {});
        checkRefusal(std::string_view(reinterpret_cast<const char *>(data), size), read.message);
        return 0;
    }
    require(read.message.empty());
    checkModel(read.model);
    return 0;
}
