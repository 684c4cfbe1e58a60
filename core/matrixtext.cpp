#include "core/matrixtext.h"

#include "core/numbertext.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>

namespace tarnvale {

namespace {

// The parts in the order a model holds them; A last, since it is only checked.
constexpr std::array<char, 4> kParts = {'U', 'F', 'C', 'A'};
constexpr int kU = 0, kF = 1, kC = 2, kA = 3;

struct Grid
{
    std::optional<SquareMatrix> matrix;
    std::string message; // "row 2 is empty", "the matrix is empty", ...
};

std::string rowText(std::size_t r)
{
    return "row " + std::to_string(r + 1);
}

// One matrix, in the grammar of ParseLeslieMatrix without its pattern: the same messages, where
// the fault is the same.
Grid readGrid(std::string_view text)
{
    Grid grid;
    std::vector<std::string_view> rowTexts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(';', start);
        rowTexts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    if (rowTexts.size() == 1 && SplitEntries(std::string(rowTexts[0])).empty()) {
        grid.message = "the matrix is empty";
        return grid;
    }
    const std::size_t n = rowTexts.size();
    if (n > static_cast<std::size_t>(kMaxStages)) {
        grid.message = "the matrix has " + std::to_string(n)
            + " rows; a projection matrix here has at most " + std::to_string(kMaxStages);
        return grid;
    }
    std::vector<std::vector<std::string>> rows;
    rows.reserve(n);
    for (std::size_t r = 0; r < n; ++r) {
        rows.push_back(SplitEntries(std::string(rowTexts[r])));
        if (rows[r].empty()) {
            grid.message = rowText(r) + " is empty";
            return grid;
        }
        if (rows[r].size() != rows[0].size()) {
            grid.message = rowText(r) + " has " + std::to_string(rows[r].size())
                + " entries where row 1 has " + std::to_string(rows[0].size());
            return grid;
        }
    }
    if (rows[0].size() != n) {
        grid.message = "the matrix has " + std::to_string(n) + (n == 1 ? " row" : " rows") + " of "
            + std::to_string(rows[0].size()) + " entries; a projection matrix is square";
        return grid;
    }
    SquareMatrix matrix(static_cast<int>(n));
    for (std::size_t r = 0; r < n; ++r) {
        for (std::size_t c = 0; c < n; ++c) {
            const EntryRate rate = ReadEntryRate(rows[r][c]);
            if (!rate.problem.empty()) {
                grid.message
                    = rowText(r) + ", column " + std::to_string(c + 1) + ": " + rate.problem;
                return grid;
            }
            // "-0" is read as 0, so that no model holds a negative zero.
            matrix.at(static_cast<int>(r), static_cast<int>(c)) = rate.value + 0.0;
        }
    }
    grid.matrix = std::move(matrix);
    return grid;
}

bool isBlankText(std::string_view text)
{
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

MatrixTextParse refused(std::string message)
{
    MatrixTextParse result;
    result.message = std::move(message);
    return result;
}

// "row 2, column 1: -1 is negative" becomes "F, row 2, column 1: ...", "the matrix is empty"
// becomes "F: the matrix is empty".
std::string inPart(char part, const std::string &message)
{
    return std::string(1, part) + (message.starts_with("row ") ? ", " : ": ") + message;
}

std::string entryText(const SquareMatrix &m, std::size_t index)
{
    const std::size_t n = static_cast<std::size_t>(m.n);
    return rowText(index / n) + ", column " + std::to_string(index % n + 1);
}

} // namespace

std::optional<std::size_t> FirstDisagreement(const SquareMatrix &given, const SquareMatrix &sum)
{
    double largest = 0.0;
    for (std::size_t k = 0; k < given.values.size(); ++k)
        largest = std::max({largest, std::abs(given.values[k]), std::abs(sum.values[k])});
    for (std::size_t k = 0; k < given.values.size(); ++k)
        if (!(std::abs(given.values[k] - sum.values[k]) <= kPartsTolerance * largest))
            return k;
    return std::nullopt;
}

MatrixTextParse ParseMatrixText(const std::string &text)
{
    const std::size_t first = text.find('[');
    if (first == std::string::npos) {
        Grid grid = readGrid(text);
        if (!grid.matrix)
            return refused(grid.message);
        MatrixTextParse result;
        result.ok = true;
        result.model.a = std::move(*grid.matrix);
        return result;
    }

    // The parts as they stand in the text, each up to the next header.
    std::array<std::optional<std::string_view>, kParts.size()> bodies;
    std::array<int, kParts.size()> order {}; // place of each part in the text, for "F has ... U"
    int given = 0;
    const std::string_view all(text);
    for (std::size_t at = first; at != std::string_view::npos;) {
        const char letter = at + 2 < all.size() && all[at + 2] == ']' ? all[at + 1] : '\0';
        const auto part = std::find(kParts.begin(), kParts.end(), letter);
        if (letter == '\0' || part == kParts.end()) {
            const std::size_t end = std::min(all.find_first_of(" \t\r\n;,", at), at + 12);
            return refused("\"" + std::string(all.substr(at, end - at))
                           + "\" is not a part; the parts are [U], [F], [C] and [A]");
        }
        const int index = static_cast<int>(part - kParts.begin());
        if (bodies[index])
            return refused("the part " + std::string(1, letter) + " is given twice");
        const std::size_t next = all.find('[', at + 3);
        bodies[index] = all.substr(at + 3, next == std::string_view::npos ? next : next - at - 3);
        order[index] = given++;
        at = next;
    }

    if (!isBlankText(all.substr(0, first)))
        return refused("the text before [" + std::string(1, all[first + 1])
                       + "] belongs to no part");

    std::array<std::optional<SquareMatrix>, kParts.size()> parts;
    std::vector<int> inTextOrder;
    for (int index = 0; index < static_cast<int>(kParts.size()); ++index)
        if (bodies[index])
            inTextOrder.push_back(index);
    std::sort(inTextOrder.begin(), inTextOrder.end(),
              [&](int x, int y) { return order[x] < order[y]; });
    for (int index : inTextOrder) {
        Grid grid = readGrid(*bodies[index]);
        if (!grid.matrix)
            return refused(inPart(kParts[index], grid.message));
        parts[index] = std::move(grid.matrix);
    }
    if (parts[kU] && !parts[kF])
        return refused("the text has the part U but not F");
    if (parts[kF] && !parts[kU])
        return refused("the text has the part F but not U");
    if (parts[kC] && !parts[kU])
        return refused("the text has the part C but not U and F");
    const int firstPart = inTextOrder.front();
    for (int index : inTextOrder)
        if (parts[index]->n != parts[firstPart]->n)
            return refused(std::string(1, kParts[index]) + " has " + std::to_string(parts[index]->n)
                           + " rows where " + std::string(1, kParts[firstPart]) + " has "
                           + std::to_string(parts[firstPart]->n));

    MatrixTextParse result;
    if (!parts[kU]) {
        result.ok = true;
        result.model.a = std::move(*parts[kA]);
        return result;
    }
    const SquareMatrix sum = AddParts(*parts[kU], *parts[kF], parts[kC]);
    for (std::size_t k = 0; k < sum.values.size(); ++k)
        if (!std::isfinite(sum.values[k]))
            return refused(entryText(sum, k) + ": U + F + C lies beyond the double range");
    if (parts[kA])
        if (const auto k = FirstDisagreement(*parts[kA], sum))
            return refused("A, " + entryText(sum, *k) + ": " + NumberToText(parts[kA]->values[*k])
                           + " is not U + F + C, which is " + NumberToText(sum.values[*k]));
    result.ok = true;
    result.model.a = sum;
    result.model.u = std::move(parts[kU]);
    result.model.f = std::move(parts[kF]);
    result.model.c = std::move(parts[kC]);
    return result;
}

std::optional<LeslieTable> LeslieTableOf(const SquareMatrix &a)
{
    if (a.n < 1)
        return std::nullopt;
    LeslieTable table;
    for (int i = 0; i < a.n; ++i)
        for (int j = 0; j < a.n; ++j)
            if (i != 0 && j + 1 != i && a.at(i, j) != 0)
                return std::nullopt;
    for (int j = 0; j < a.n; ++j)
        table.fecundity.push_back(a.at(0, j));
    for (int j = 0; j + 1 < a.n; ++j)
        table.survival.push_back(a.at(j + 1, j));
    return table;
}

std::string WhyNotAFiniteNumber(std::string_view text)
{
    const NumberExtent number = ScanNumber(text);
    if (number.found && number.end == text.size() && !number.blanksInside
        && TextToNumber(text).outOfRange)
        return "is a number too large to compute with";
    std::string word(text);
    if (!word.empty() && (word.front() == '+' || word.front() == '-'))
        word.erase(0, 1);
    std::transform(word.begin(), word.end(), word.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    if (word == "inf" || word == "infinity" || word == "nan")
        return "is not a finite number";
    if (IsDecimalCommaNumber(text))
        return "is not a number: the decimal point is \".\"";
    return "is not a number";
}

} // namespace tarnvale
