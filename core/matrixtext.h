#pragma once

#include "core/leslie.h"
#include "core/stagemodel.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarnvale {

// What ParseMatrixText made of a text: the model, or a message naming the part, row and column
// (or the part or the matrix) at fault.
struct MatrixTextParse
{
    bool ok = false;
    StageModel model;
    std::string message;
};

// Reads a projection matrix of 1 ... kMaxStages stages from the text of --matrix: rows separated
// by ";", entries by blanks, tabs or one comma, each entry read whole by ReadEntryRate (so "1x" or
// "-1" is refused), column j "from stage j", row i "to stage i". Any square matrix of entries
// >= 0 is taken; the model has no names and no parts.
//
// The text may instead hold parts, each after its header: "[U] 0 0; 0.5 0.8 [F] 0 4; 0 0". The
// headers are [U], [F], [C] and [A]; U and F come together, C needs them, each is given once.
// A is then U + F + C summed entry by entry (AddParts); an [A] given as well must agree with it
// within kPartsTolerance of the largest entry and is not kept. "[A]" alone is the same as no
// header. A text of parts that agree with each other gives back the same model however often it
// is written and read.
//
// Messages as ParseLeslieMatrix gives them ("row 2 has 3 entries where row 1 has 2", "row 2,
// column 1: -0.5 is negative"), rows and columns from 1, with the part first when there are parts
// ("F, row 1, column 2: ..." and "F: the matrix is empty"), or about the parts ("the part U is
// given twice", "the text has the part U but not F", "F has 3 rows where U has 2", "A, row 1,
// column 2: 5 is not U + F + C, which is 4").
MatrixTextParse ParseMatrixText(const std::string &text);

// The Leslie table of `a` when every entry other than 0 stands in the first row or on the
// sub-diagonal, as ParseLeslieMatrix would read the same text (but of any size): F from the first
// row, s from the sub-diagonal. Nothing otherwise. The command line asks it of a text without
// parts (ParseMatrixText's model not split) to run the age-classified analysis.
std::optional<LeslieTable> LeslieTableOf(const SquareMatrix &a);

// How far an [A] given with its parts may differ from U + F + C, as a share of the largest entry
// of either.
inline constexpr double kPartsTolerance = 1e-9;

// The index (row * n + column) of the first entry at which `given` and `sum`, of one size, differ
// by more than kPartsTolerance of the largest entry of either; nothing when they agree.
std::optional<std::size_t> FirstDisagreement(const SquareMatrix &given, const SquareMatrix &sum);

// Why an entry of a matrix file or a cell of the stage editor (`text`, trimmed, not empty, not
// a finite decimal number) cannot be computed with, after the text itself: "is a number too
// large to compute with" (1e999), "is not a finite number" ("inf", "NaN"), "is not a number: the
// decimal point is \".\"" ("0,5"), or "is not a number".
std::string WhyNotAFiniteNumber(std::string_view text);

} // namespace tarnvale
