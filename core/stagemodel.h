#pragma once

#include "core/leslie.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnvale {

// A square matrix of n rows, stored row by row: at(i, j) is row i, column j, counted from 0.
// For a projection matrix column j is "from stage j" and row i "to stage i".
struct SquareMatrix
{
    int n = 0;
    std::vector<double> values; // n * n entries, row by row

    SquareMatrix() = default;
    explicit SquareMatrix(int size, double fill = 0.0)
        : n(size)
        , values(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), fill)
    {
    }

    double at(int i, int j) const { return values[index(i, j)]; }
    double &at(int i, int j) { return values[index(i, j)]; }
    bool operator==(const SquareMatrix &) const = default;

private:
    std::size_t index(int i, int j) const
    {
        return static_cast<std::size_t>(i) * static_cast<std::size_t>(n)
            + static_cast<std::size_t>(j);
    }
};

inline constexpr int kMaxStages = 500;

// A stage-classified population: the projection matrix A, optionally the names of its stages,
// and optionally its split into parts A = U + F + C (U survival and growth, F sexual
// reproduction, C clonal reproduction). U and F come together or not at all; C may be absent (it
// then counts as 0). Every input becomes one: a matrix file, a matrix text, a database record, a
// Leslie table (StageModelFromLeslie).
struct StageModel
{
    SquareMatrix a;
    std::vector<std::string> names; // empty, or one name per stage
    std::optional<SquareMatrix> u;
    std::optional<SquareMatrix> f;
    std::optional<SquareMatrix> c;

    int stages() const { return a.n; }
    bool split() const { return u.has_value() && f.has_value(); }
    bool operator==(const StageModel &) const = default;
};

// The name of stage i (from 0) as messages and tables show it: its name, or its number from 1
// when the model has no names.
std::string StageName(const StageModel &model, int i);
// The same from a list of names alone (empty: the numbers from 1).
std::string StageName(const std::vector<std::string> &names, int i);

// Why `model` cannot be analysed, or nothing when it can: 1 to kMaxStages stages, every entry of
// A and of each part finite and >= 0, the parts of A's size, U and F both present or both
// absent, no name list or one name per stage. The message names the part, row and column
// ("F, row 1, column 3: -2 is negative"), counted from 1. A need not equal U + F + C: a
// database record may hold parts that do not add up.
std::optional<std::string> CheckStageModel(const StageModel &model);

// A Leslie table as a stage model: A its Leslie matrix, F its first row, U its sub-diagonal,
// stage names "0", "1", ... (the ages).
StageModel StageModelFromLeslie(const LeslieTable &table);

// A = U + F + C entry by entry, (u + f) + c, C counted as 0 when absent, the way both matrix
// readers compute it. An entry beyond the double range comes out infinite: the readers refuse it.
// The parts must be of one size.
SquareMatrix AddParts(const SquareMatrix &u, const SquareMatrix &f,
                      const std::optional<SquareMatrix> &c);

// AddParts of the model's parts; empty when the model is not split or its parts differ in size.
std::optional<SquareMatrix> SumOfParts(const StageModel &model);

} // namespace tarnvale
