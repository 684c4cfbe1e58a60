#pragma once

#include "core/stagemodel.h"

#include <cstddef>
#include <iosfwd>
#include <string>

namespace tarnvale {

// The outcome of ReadMatrixFile: the model, or a message that names the file (and the line and
// column where the fault has one place) and ends with "Nothing has been changed.".
struct MatrixFileRead
{
    bool ok = false;
    StageModel model;
    std::string message;
};

// Limits that keep a read quick and its memory small whatever file is chosen. A row of 500
// entries of 17 significant digits and an exponent, quoted, takes about 13 000 characters, a
// header of 500 names of a hundred characters 52 000; the parts U, F, C and A of 500 stages
// written that way about 26 MB.
inline constexpr std::size_t kMaxMatrixLineLength = 65536;
inline constexpr std::size_t kMaxMatrixFileLength = 64 * 1024 * 1024;

// Reads a projection matrix file (format M) at `path`; see the stream form for the rules. Refuses
// a missing file, a folder, anything that is not an ordinary file, a file longer than
// kMaxMatrixFileLength and one that cannot be opened for reading. `path` is also the name the
// messages use.
MatrixFileRead ReadMatrixFile(const std::string &path);

// Reads a projection matrix, all or nothing, from `in`, the file called `name` in messages.
//
// The matrix is a grid of numbers, one row a line: row i holds the rates "to stage i", column j
// those "from stage j", 1 ... kMaxStages stages. Lines end in LF, CR LF or a lone CR; a UTF-8
// byte-order mark is skipped. A line whose first character other than blanks is "#" is a comment;
// a line of nothing but blanks, tabs, commas and semicolons is blank. Both are skipped anywhere.
// The separator is the first tab, ";" or "," (outside double quotes) on the first line of the
// grid; where that line has none, fields are separated by runs of blanks. Blanks around a field
// do not count. A field may be double-quoted ("0.5", and "" inside for a quote itself); it then
// ends on its line and only blanks may follow its closing quote. A column is the position of a
// field on its line, counted from 1, as a spreadsheet shows it.
//
// An entry is a decimal number read whole, in the syntax of the life-table reader (optional sign,
// digits with at most one ".", optional exponent E, e, D or d), within the double range and >= 0;
// "-0" reads as 0. So "0,5" under a ";" or a tab is not a number, nor are "NA", "Inf" or "".
//
// The grid may carry stage names as R's write.csv writes them: a header line whose first field is
// "" (quoted; or empty unquoted when another field of the line is not a number) followed by one
// name per stage, and each row starting with its name, equal to the header's name of that row.
// Names are kept as written, without their quotes; an empty name is refused. R's names for a
// matrix that has none, columns "V1", "V2", ... and rows "1", "2", ..., give a grid without names.
//
// A file may hold parts instead of one grid, each headed by a line of its own "[U]", "[F]", "[C]"
// or "[A]" (quoted or followed by empty fields, as a spreadsheet exports it): U survival and
// growth, F sexual and C clonal reproduction. U and F come together, C needs them, each part is
// given once, all of one size, names (each part may carry them) alike. A is then AddParts(U, F,
// C); an [A] given as well must agree with it within kPartsTolerance of the largest entry and is
// not kept. "[A]" alone is the same as no header.
//
// Refused: an empty file or one with no number, a binary file (a control character, UTF-16), a
// line longer than kMaxMatrixLineLength, a file longer than kMaxMatrixFileLength, a field that is
// not a number where an entry must stand, a missing value, a negative or out-of-range entry, a
// ragged or non-square grid, more than kMaxStages stages, names that do not match the grid or
// each other, and parts that do not fit together as said. The reading stops at the first fault.
MatrixFileRead ReadMatrixFile(std::istream &in, const std::string &name);

// The text of `model` in format M, which ReadMatrixFile reads back as the same model: the parts
// [U], [F] and [C] (where present) when the model is split, else the grid of A; the names, when
// the model has one per stage, as R's header and row names, quoted ("" for a quote inside).
// Fields are separated by commas, lines end in CR LF, numbers are written with 17 significant
// digits (locale-free), 0 as "0". No comment line, so that R's read.csv(file, row.names = 1)
// reads a grid as it stands. `model` should be one CheckStageModel accepts whose A is U + F + C
// (AddParts) when split: A itself is not written then, so an A that differs comes back as the
// sum; a control character in a name is written as a blank.
std::string MatrixFileText(const StageModel &model);

// Writes MatrixFileText(model) to `path` through ReplaceFiles, so that a file there is replaced
// only by a complete one. Returns the message naming the file that could not be written, or
// empty on success.
std::string SaveMatrixFile(const StageModel &model, const std::string &path);

} // namespace tarnvale
