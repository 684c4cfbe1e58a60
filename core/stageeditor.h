#pragma once

#include "core/stagemodel.h"

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tarnvale {

// The grids of the stage-matrix editor: A, or its parts U (survival and growth), F (sexual
// reproduction) and C (clonal reproduction).
enum class StagePart { A, U, F, C };

// "A", "U", "F" or "C".
const char *StagePartName(StagePart part);

// One n x n grid as typed: the text of every cell, the number it reads as (where it reads as none,
// the last number it held: a slip of typing leaves the model as it was), and the cells that do
// not read as a non-negative finite number, by index row * n + column.
struct StageGrid
{
    std::vector<std::string> texts;
    std::vector<double> values;
    std::set<std::size_t> bad;

    bool operator==(const StageGrid &) const = default;
};

// What the stage-matrix editor holds between two openings of its window: the number of stages,
// their names, the grid of A or, when split, the grids of U, F and optionally C (A is then their
// sum and is not typed).
struct StageEditor
{
    int n = 0;
    std::vector<std::string> names; // one per stage, never empty
    bool split = false;
    bool hasC = false; // a C part, when split
    StageGrid a; // when split: kept empty, A is U + F + C
    StageGrid u;
    StageGrid f;
    StageGrid c;

    bool operator==(const StageEditor &) const = default;
};

// A cell as it reads: `value` when `problem` is empty; otherwise `problem` says why not
// ("\"x\" is not a number", "\"-1\" is negative", "\"inf\" is not a finite number", "\"1e999\"
// is a number too large to compute with", "\"0,5\" is not a number: the decimal point is
// \".\""). Blanks around the text do not count, and an
// empty text reads as 0; the rest is read whole by ReadEntryRate, as the command line's matrix
// text is.
struct StageCellReading
{
    double value = 0.0;
    std::string problem;
};
StageCellReading ReadStageCell(const std::string &text);

// The shortest text that reads back as `value` exactly (std::to_chars), locale-free: "0.6747",
// "127", "1e-05". Used for numbers put into a cell that were not typed there.
std::string StageValueText(double value);

// The editor the window first shows: three stages named "1", "2", "3", seeds in the first row,
// survival and growth below, not split.
StageEditor DefaultStageEditor();

// The editor showing `model`: its names (or "1", "2", ... where it has none), its parts when it
// is split, the cells written with StageValueText.
StageEditor StageEditorFromModel(const StageModel &model);

// The default name of stage i (from 0): its number from 1.
std::string DefaultStageName(int i);

// Sets the number of stages to `n`, clamped to 1 ... kMaxStages. The cells and names of the
// stages kept stay; new cells hold "0", new stages take their default names.
void ResizeStages(StageEditor &editor, int n);

// Whether a cell of `part` can be typed into: A when not split, U, F when split, C when split
// with a C part.
bool IsEditablePart(const StageEditor &editor, StagePart part);

// Types `text` into cell (row, column) of `part`, which must be editable (otherwise nothing
// changes). The text is kept as typed.
void SetStageCell(StageEditor &editor, StagePart part, int row, int column,
                  const std::string &text);

// The text a cell shows: as typed, or for A while split the text of U + F + C at that place
// (empty where a part's cell is not a number).
std::string StageCellText(const StageEditor &editor, StagePart part, int row, int column);

// The number of cell (row, column) of `part`; for A while split the sum of the parts.
double StageCellValue(const StageEditor &editor, StagePart part, int row, int column);

// Whether the cell does not read as a number; for A while split, whether U + F + C there lies
// beyond the double range.
bool IsBadStageCell(const StageEditor &editor, StagePart part, int row, int column);

// Renames stage i; blanks around the name do not count, and an empty name gives the stage back
// its default name.
void SetStageName(StageEditor &editor, int i, const std::string &name);

// Splits A: F takes the first row of A, U the rest, no C. Cells that do not read as a number go
// with the part they fall in. Nothing happens when already split.
void SplitStages(StageEditor &editor);

// Drops the parts and keeps A: every cell of A takes the text of U + F + C at its place; a cell
// where a part is not a number keeps that part's text (the first such of U, F, C), so that the
// problem stays in sight. Nothing happens when not split.
void JoinStages(StageEditor &editor);

// The number of cells, over every editable grid, that do not read as a number, and of A while
// split where U + F + C lies beyond the double range.
std::size_t BadStageCellCount(const StageEditor &editor);

// What the line under the grid says of the first cell, in the order U, F, C or A and row by row,
// that does not read as a number: "row 'Juvenile', column 'Seedling': \"x\" is not a number", the
// part first when split ("F, row '1', column '3': ..."), and "(and 4 more cells)" after it when
// there are others. After them, a sum beyond the double range: "A, row '2', column '1': U + F + C
// is a number too large to compute with". Empty when every cell is good.
std::string StageProblemText(const StageEditor &editor);

// The model of the editor: A (the sum of the parts when split), the parts, the names. Cells that
// do not read as a number count with the last number they held; call it when BadStageCellCount
// is 0 to analyse what is typed.
StageModel StageModelOf(const StageEditor &editor);

// ----- The clipboard -----

// A block of cells copied from a spreadsheet: rows of cell texts, or the message saying why it
// cannot be pasted.
struct PastedBlock
{
    bool ok = false;
    std::vector<std::vector<std::string>> rows;
    std::string message;
};

// Reads a block as spreadsheets copy it: one row a line (LF, CR LF or CR), cells separated by
// tabs or, where the text holds no tab, by commas; a final line break and blank lines at the end
// do not count. Refused: an empty text, and a ragged block, naming its first row shorter than the
// longest ("Row 3 of the pasted block has 2 cells where row 1 has 4.").
PastedBlock ParsePastedBlock(const std::string &text);

// Pastes `block` into `part` with its top left cell at (row, column), adding stages until it fits.
// Returns the message when it cannot be pasted (a part that cannot be typed into, more than
// kMaxStages stages needed), the editor then unchanged; empty when pasted.
std::string PasteStageBlock(StageEditor &editor, StagePart part, int row, int column,
                            const PastedBlock &block);

// The cells of `part` from (top, left) to (bottom, right), inclusive, as StageCellText shows
// them: cells separated by tabs, rows ended by line feeds, as spreadsheets paste them.
std::string CopyStageBlock(const StageEditor &editor, StagePart part, int top, int left, int bottom,
                           int right);

// The short help of the stage-matrix window, and the line over its grids that says which way
// the rates go.
std::string StageHelpText();
std::string StageGridDirectionText();

// The title an example file shows in the list of examples: "StageM-LoggerheadTurtle.csv" gives
// "Loggerhead turtle".
std::string StageExampleTitle(const std::string &fileName);

} // namespace tarnvale
