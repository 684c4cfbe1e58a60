#include "core/stageeditor.h"

#include "core/leslie.h"
#include "core/matrixtext.h"
#include "core/numbertext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace tarnvale {

namespace {

constexpr const char *kBlanks = " \t\r\n";

std::string trimmed(const std::string &text)
{
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::size_t cellIndex(int n, int row, int column)
{
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(n)
        + static_cast<std::size_t>(column);
}

// Reads one cell into its grid. A text that is not a number keeps the cell's last number, so
// that the model (and the graph drawn from it) is not changed by a typing slip.
void store(StageGrid &grid, std::size_t index, std::string text)
{
    const StageCellReading reading = ReadStageCell(text);
    grid.texts[index] = std::move(text);
    if (reading.problem.empty())
        grid.values[index] = reading.value;
    if (reading.problem.empty())
        grid.bad.erase(index);
    else
        grid.bad.insert(index);
}

StageGrid zeroGrid(int n)
{
    const std::size_t cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    return {std::vector<std::string>(cells, "0"), std::vector<double>(cells, 0.0), {}};
}

StageGrid gridOf(const SquareMatrix &matrix)
{
    StageGrid grid = zeroGrid(matrix.n);
    for (std::size_t i = 0; i < matrix.values.size(); ++i) {
        grid.texts[i] = StageValueText(matrix.values[i]);
        grid.values[i] = matrix.values[i];
    }
    return grid;
}

// The grid resized to `n`, the top left cells kept.
StageGrid resized(const StageGrid &grid, int from, int n)
{
    if (grid.texts.empty())
        return grid;
    StageGrid result = zeroGrid(n);
    const int kept = std::min(from, n);
    for (int i = 0; i < kept; ++i)
        for (int j = 0; j < kept; ++j) {
            const std::size_t was = cellIndex(from, i, j), now = cellIndex(n, i, j);
            result.texts[now] = grid.texts[was];
            result.values[now] = grid.values[was];
            if (grid.bad.count(was))
                result.bad.insert(now);
        }
    return result;
}

SquareMatrix matrixOf(const StageGrid &grid, int n)
{
    SquareMatrix matrix(n);
    matrix.values = grid.values;
    return matrix;
}

// The grids that are typed into, in the order their problems are told.
std::vector<std::pair<StagePart, const StageGrid *>> typedGrids(const StageEditor &editor)
{
    if (!editor.split)
        return {{StagePart::A, &editor.a}};
    std::vector<std::pair<StagePart, const StageGrid *>> grids
        = {{StagePart::U, &editor.u}, {StagePart::F, &editor.f}};
    if (editor.hasC)
        grids.push_back({StagePart::C, &editor.c});
    return grids;
}

const StageGrid &gridOf(const StageEditor &editor, StagePart part)
{
    switch (part) {
    case StagePart::U:
        return editor.u;
    case StagePart::F:
        return editor.f;
    case StagePart::C:
        return editor.c;
    case StagePart::A:
        break;
    }
    return editor.a;
}

StageGrid &gridOf(StageEditor &editor, StagePart part)
{
    return const_cast<StageGrid &>(gridOf(static_cast<const StageEditor &>(editor), part));
}

} // namespace

const char *StagePartName(StagePart part)
{
    switch (part) {
    case StagePart::U:
        return "U";
    case StagePart::F:
        return "F";
    case StagePart::C:
        return "C";
    case StagePart::A:
        break;
    }
    return "A";
}

StageCellReading ReadStageCell(const std::string &text)
{
    StageCellReading reading;
    const std::string entry = trimmed(text);
    if (entry.empty())
        return reading;
    const EntryRate rate = ReadEntryRate(entry);
    if (rate.problem.empty())
        reading.value = rate.value;
    else if (rate.problem.find(" is negative") != std::string::npos)
        reading.problem = "\"" + entry + "\" is negative";
    else
        reading.problem = "\"" + entry + "\" " + WhyNotAFiniteNumber(entry);
    return reading;
}

std::string StageValueText(double value)
{
    if (!std::isfinite(value))
        return {};
    if (value == 0)
        return "0";
    std::array<char, 32> buffer {};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    return std::string(buffer.data(), end);
}

std::string DefaultStageName(int i)
{
    return std::to_string(i + 1);
}

StageEditor DefaultStageEditor()
{
    // A made-up teaching example: seeds become juveniles, which grow into adults that stay and
    // set seed; lambda1 is a little above 1.
    SquareMatrix a(3);
    a.values = {0,   0.5,  4, //
                0.3, 0.4,  0, //
                0,   0.25, 0.8};
    StageModel model;
    model.a = a;
    return StageEditorFromModel(model);
}

StageEditor StageEditorFromModel(const StageModel &model)
{
    StageEditor editor;
    editor.n = std::clamp(model.stages(), 1, kMaxStages);
    for (int i = 0; i < editor.n; ++i)
        editor.names.push_back(static_cast<int>(model.names.size()) == model.stages()
                                       && !trimmed(model.names[i]).empty()
                                   ? model.names[i]
                                   : DefaultStageName(i));
    if (model.stages() != editor.n) {
        editor.a = zeroGrid(editor.n);
        return editor;
    }
    if (model.split()) {
        editor.split = true;
        editor.u = gridOf(*model.u);
        editor.f = gridOf(*model.f);
        editor.hasC = model.c.has_value();
        if (model.c)
            editor.c = gridOf(*model.c);
    } else {
        editor.a = gridOf(model.a);
    }
    return editor;
}

void ResizeStages(StageEditor &editor, int n)
{
    n = std::clamp(n, 1, kMaxStages);
    if (n == editor.n)
        return;
    for (StageGrid *grid : {&editor.a, &editor.u, &editor.f, &editor.c})
        *grid = resized(*grid, editor.n, n);
    editor.names.resize(static_cast<std::size_t>(n));
    for (int i = editor.n; i < n; ++i)
        editor.names[i] = DefaultStageName(i);
    editor.n = n;
}

bool IsEditablePart(const StageEditor &editor, StagePart part)
{
    switch (part) {
    case StagePart::A:
        return !editor.split;
    case StagePart::U:
    case StagePart::F:
        return editor.split;
    case StagePart::C:
        return editor.split && editor.hasC;
    }
    return false;
}

void SetStageCell(StageEditor &editor, StagePart part, int row, int column, const std::string &text)
{
    if (!IsEditablePart(editor, part) || row < 0 || column < 0 || row >= editor.n
        || column >= editor.n)
        return;
    store(gridOf(editor, part), cellIndex(editor.n, row, column), text);
}

double StageCellValue(const StageEditor &editor, StagePart part, int row, int column)
{
    const std::size_t index = cellIndex(editor.n, row, column);
    if (part == StagePart::A && editor.split) {
        // (u + f) + c, as the matrix readers add the parts.
        const double sum = editor.u.values[index] + editor.f.values[index];
        return editor.hasC ? sum + editor.c.values[index] : sum;
    }
    return gridOf(editor, part).values[index];
}

std::string StageCellText(const StageEditor &editor, StagePart part, int row, int column)
{
    const std::size_t index = cellIndex(editor.n, row, column);
    if (part == StagePart::A && editor.split) {
        for (const auto &[p, grid] : typedGrids(editor))
            if (grid->bad.count(index))
                return {};
        return StageValueText(StageCellValue(editor, part, row, column));
    }
    const StageGrid &grid = gridOf(editor, part);
    return grid.texts.empty() ? std::string() : grid.texts[index];
}

bool IsBadStageCell(const StageEditor &editor, StagePart part, int row, int column)
{
    if (part == StagePart::A && editor.split)
        return !std::isfinite(StageCellValue(editor, part, row, column));
    if (!IsEditablePart(editor, part))
        return false;
    return gridOf(editor, part).bad.count(cellIndex(editor.n, row, column)) > 0;
}

void SetStageName(StageEditor &editor, int i, const std::string &name)
{
    if (i < 0 || i >= editor.n)
        return;
    const std::string kept = trimmed(name);
    editor.names[i] = kept.empty() ? DefaultStageName(i) : kept;
}

void SplitStages(StageEditor &editor)
{
    if (editor.split)
        return;
    editor.u = editor.a;
    editor.f = zeroGrid(editor.n);
    for (int j = 0; j < editor.n; ++j) {
        const std::size_t index = cellIndex(editor.n, 0, j);
        editor.f.texts[index] = editor.a.texts[index];
        editor.f.values[index] = editor.a.values[index];
        if (editor.a.bad.count(index))
            editor.f.bad.insert(index);
        editor.u.texts[index] = "0";
        editor.u.values[index] = 0.0;
        editor.u.bad.erase(index);
    }
    editor.a = {};
    editor.c = {};
    editor.hasC = false;
    editor.split = true;
}

void JoinStages(StageEditor &editor)
{
    if (!editor.split)
        return;
    StageGrid a = zeroGrid(editor.n);
    for (std::size_t index = 0; index < a.texts.size(); ++index) {
        const int row = static_cast<int>(index / static_cast<std::size_t>(editor.n));
        const int column = static_cast<int>(index % static_cast<std::size_t>(editor.n));
        std::string text = StageCellText(editor, StagePart::A, row, column);
        for (const auto &[p, grid] : typedGrids(editor))
            if (text.empty() && grid->bad.count(index))
                text = grid->texts[index];
        a.values[index] = StageCellValue(editor, StagePart::A, row, column);
        store(a, index, text);
    }
    editor.a = std::move(a);
    editor.u = editor.f = editor.c = {};
    editor.split = editor.hasC = false;
}

namespace {

// The cells of A, while split, where U + F + C lies beyond the double range: each part may be
// typed as a number whose sum is none.
std::vector<std::size_t> overflowingSums(const StageEditor &editor)
{
    std::vector<std::size_t> cells;
    if (!editor.split)
        return cells;
    for (int i = 0; i < editor.n; ++i)
        for (int j = 0; j < editor.n; ++j)
            if (!std::isfinite(StageCellValue(editor, StagePart::A, i, j)))
                cells.push_back(cellIndex(editor.n, i, j));
    return cells;
}

} // namespace

std::size_t BadStageCellCount(const StageEditor &editor)
{
    std::size_t count = overflowingSums(editor).size();
    for (const auto &[part, grid] : typedGrids(editor))
        count += grid->bad.size();
    return count;
}

namespace {

// " (and 4 more cells)" after the first of `count` cells, where there are more.
std::string moreCells(std::size_t count)
{
    if (count <= 1)
        return {};
    return " (and " + std::to_string(count - 1) + (count == 2 ? " more cell)" : " more cells)");
}

} // namespace

std::string StageProblemText(const StageEditor &editor)
{
    const std::size_t count = BadStageCellCount(editor);
    for (const auto &[part, grid] : typedGrids(editor)) {
        if (grid->bad.empty())
            continue;
        const std::size_t index = *grid->bad.begin();
        const int row = static_cast<int>(index / static_cast<std::size_t>(editor.n));
        const int column = static_cast<int>(index % static_cast<std::size_t>(editor.n));
        std::string text = editor.split ? std::string(StagePartName(part)) + ", " : std::string();
        text += "row '" + editor.names[row] + "', column '" + editor.names[column]
            + "': " + ReadStageCell(grid->texts[index]).problem;
        return text + moreCells(count);
    }
    if (const std::vector<std::size_t> sums = overflowingSums(editor); !sums.empty()) {
        const std::size_t row = sums.front() / static_cast<std::size_t>(editor.n);
        const std::size_t column = sums.front() % static_cast<std::size_t>(editor.n);
        return "A, row '" + editor.names[row] + "', column '" + editor.names[column]
            + "': U + F + C is a number too large to compute with" + moreCells(count);
    }
    return {};
}

StageModel StageModelOf(const StageEditor &editor)
{
    StageModel model;
    model.names = editor.names;
    if (!editor.split) {
        model.a = matrixOf(editor.a, editor.n);
        return model;
    }
    model.u = matrixOf(editor.u, editor.n);
    model.f = matrixOf(editor.f, editor.n);
    if (editor.hasC)
        model.c = matrixOf(editor.c, editor.n);
    model.a = SquareMatrix(editor.n);
    for (int i = 0; i < editor.n; ++i)
        for (int j = 0; j < editor.n; ++j)
            model.a.at(i, j) = StageCellValue(editor, StagePart::A, i, j);
    return model;
}

PastedBlock ParsePastedBlock(const std::string &text)
{
    PastedBlock block;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size()
            && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    while (!lines.empty() && trimmed(lines.back()).empty())
        lines.pop_back();
    if (lines.empty()) {
        block.message = "The clipboard holds no cells to paste.";
        return block;
    }
    const char separator = text.find('\t') != std::string::npos ? '\t' : ',';
    std::size_t longest = 0, longestRow = 0;
    for (const std::string &line : lines) {
        std::vector<std::string> cells;
        std::size_t from = 0;
        for (;;) {
            const std::size_t to = line.find(separator, from);
            cells.push_back(trimmed(line.substr(from, to == std::string::npos ? to : to - from)));
            if (to == std::string::npos)
                break;
            from = to + 1;
        }
        if (cells.size() > longest) {
            longest = cells.size();
            longestRow = block.rows.size();
        }
        block.rows.push_back(std::move(cells));
    }
    for (std::size_t r = 0; r < block.rows.size(); ++r) {
        if (block.rows[r].size() < longest) {
            block.message = "Row " + std::to_string(r + 1) + " of the pasted block has "
                + std::to_string(block.rows[r].size())
                + (block.rows[r].size() == 1 ? " cell" : " cells") + " where row "
                + std::to_string(longestRow + 1) + " has " + std::to_string(longest)
                + ". Nothing has been pasted.";
            block.rows.clear();
            return block;
        }
    }
    block.ok = true;
    return block;
}

std::string PasteStageBlock(StageEditor &editor, StagePart part, int row, int column,
                            const PastedBlock &block)
{
    if (!block.ok)
        return block.message;
    if (!IsEditablePart(editor, part))
        return std::string("The grid ") + StagePartName(part)
            + " is the sum of the parts and cannot be pasted into. Nothing has been pasted.";
    const std::size_t rows = block.rows.size(), columns = block.rows.front().size();
    const std::size_t needed = std::max(static_cast<std::size_t>(row) + rows,
                                        static_cast<std::size_t>(column) + columns);
    if (needed > static_cast<std::size_t>(kMaxStages))
        return "The pasted block needs " + std::to_string(needed)
            + " stages; the matrix has at most " + std::to_string(kMaxStages)
            + ". Nothing has been pasted.";
    ResizeStages(editor, std::max(editor.n, static_cast<int>(needed)));
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < columns; ++c)
            SetStageCell(editor, part, row + static_cast<int>(r), column + static_cast<int>(c),
                         block.rows[r][c]);
    return {};
}

std::string CopyStageBlock(const StageEditor &editor, StagePart part, int top, int left, int bottom,
                           int right)
{
    std::string text;
    const int first = std::max(left, 0);
    for (int i = std::max(top, 0); i <= std::min(bottom, editor.n - 1); ++i) {
        for (int j = first; j <= std::min(right, editor.n - 1); ++j) {
            if (j > first)
                text += '\t';
            text += StageCellText(editor, part, i, j);
        }
        text += '\n';
    }
    return text;
}

std::string StageHelpText()
{
    return "Each cell holds the rate at which an individual in the stage of its column (from) "
           "is found, one time step later, in the stage of its row (to). An empty cell is 0; a "
           "cell that is not a number turns red. Paste a block from a spreadsheet with Ctrl+V, "
           "rename a stage by double-clicking its name. \"Split into U and F\" types survival "
           "and growth apart from reproduction. \u03bb by hand: g(x) = det(I \u2212 A/x) is 0 "
           "where x is an eigenvalue of A. \"Try\" two values x1, x2 with g of opposite signs, "
           "then \"Bisection\" and \"Exchange\" in turn halve the bracket until half of it is "
           "at most 0.0001\u00b7x3.";
}

std::string StageGridDirectionText()
{
    return "Columns: from (stage now) \u2192   Rows: to (stage one step later) \u2193";
}

std::string StageExampleTitle(const std::string &fileName)
{
    std::string stem = fileName;
    if (stem.rfind("StageM-", 0) == 0)
        stem.erase(0, 7);
    if (const std::size_t dot = stem.rfind('.'); dot != std::string::npos)
        stem.erase(dot);
    std::string title;
    for (std::size_t i = 0; i < stem.size(); ++i) {
        const char ch = stem[i];
        const bool upper = ch >= 'A' && ch <= 'Z';
        if (upper && i > 0) {
            title += ' ';
            title += static_cast<char>(ch - 'A' + 'a');
        } else {
            title += ch;
        }
    }
    return title;
}

} // namespace tarnvale
