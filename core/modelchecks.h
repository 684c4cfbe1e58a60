#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnvale {

struct StageAnalysis;

// A matrix as a record of the matrix databases COMPADRE and COMADRE holds it: n x n entries, row
// by row, each a number or missing ("NA"). Entries may be negative: the checks look at what the
// record says, the model is built only from what can be analysed.
struct RecordMatrix
{
    int n = 0;
    std::vector<std::optional<double>> entries; // n * n

    std::optional<double> at(int i, int j) const
    {
        return entries[static_cast<std::size_t>(i) * static_cast<std::size_t>(n)
                       + static_cast<std::size_t>(j)];
    }
    bool operator==(const RecordMatrix &) const = default;
};

// What the text of a matrix, "[0 1.5 0.5 NA]" (its entries row by row between brackets,
// separated by blanks), gives. The brackets may be left out; a ";" counts as a blank, as in
// Rcompadre's string_to_mat.
struct RecordMatrixText
{
    // The text gives no matrix at all: it is empty, "[]" or a bare "NA" (a missing matrix as
    // write.csv writes one).
    bool missing = false;
    // Empty when the text holds no matrix: when it is missing, when its count of entries is not a
    // square number, or when it has more than kMaxStages stages. An entry that is "NA" or not a
    // number is missing here, as R's as.numeric makes it; a negative entry keeps its value.
    std::optional<RecordMatrix> matrix;
    // Why the matrix cannot be (part of) a stage model, naming the first entry at fault (from 1):
    // "row 2, column 1 is NA", "row 1, column 2: \"x\" is not a finite decimal number" (the
    // words of ReadEntryRate), "is missing", "holds 5 entries, not a square number", "has 501
    // stages, more than 500". Empty when it can.
    std::string problem;
};
RecordMatrixText ParseRecordMatrix(std::string_view text);

// The four matrices of a record. An empty one (no column, or a text without a matrix) counts as a
// matrix of "NA" entries everywhere below, which is how the databases store the parts of a
// matrix that was never split into U, F and C.
struct RecordMatrices
{
    std::optional<RecordMatrix> a, u, f, c;
    // The stage analysis of A where the caller has made it (check_ergodic then reads it instead
    // of analysing A again); nullptr otherwise.
    const StageAnalysis *analysisOfA = nullptr;
};

// One of Rcompadre's cdb_flag checks: its name, the value that signals a problem, and how it is
// computed. The value is empty where cdb_flag gives NA.
struct ModelCheck
{
    std::string_view name;
    bool worryingValue;
    std::optional<bool> (*compute)(const RecordMatrices &);
};

inline constexpr std::size_t kModelCheckCount = 13;
using ModelCheckValues = std::array<std::optional<bool>, kModelCheckCount>;

// cdb_flag's thirteen checks, in its order (the order every output writes them):
//   check_NA_A, check_NA_U, check_NA_F, check_NA_C   the matrix holds an "NA"
//   check_zero_U, check_zero_F                        every entry is 0 or "NA"
//   check_zero_U_colsum                               a column of U sums to 0, "NA" counted as 0
//   check_singular_U     I - U cannot be inverted, as R's solve() refuses it: a zero pivot, or a
//                        reciprocal condition number (1-norm) below the double epsilon; empty
//                        when U holds an "NA"
//   check_component_sum  U + F + C equals A entry by entry as R's all.equal compares (relative to
//                        the sum's entry, tolerance sqrt(epsilon) = 1.49e-8; "NA" equals only
//                        "NA"); a part of "NA" only counts as 0, and the check is empty when the
//                        sum is all 0 or "NA" (the matrix was not split). False when the parts
//                        are not of A's size.
//   check_ergodic        the dominant left eigenvector of A is positive (AnalyseStage)
//   check_irreducible    the life-cycle graph of A (j -> i for each a(i, j) > 0) is strongly
//                        connected (StructureOf)
//   check_primitive      irreducible with period 1 (StructureOf)
//                        (these three are empty when A holds an "NA"; ergodic also where the
//                        stage analysis leaves it undecided: A cannot be analysed, as with a
//                        negative entry, or lambda1 is 0, as in a life cycle without a loop)
//   check_surv_gte_1     an entry of U is >= 1; empty when U is all "NA"
// Worrying: true of check_NA_*, check_zero_*, check_singular_U and check_surv_gte_1; false of
// check_component_sum, check_ergodic, check_irreducible and check_primitive.
const std::array<ModelCheck, kModelCheckCount> &ModelChecks();

// The index of the check called `name` in ModelChecks(), or nothing.
std::optional<std::size_t> ModelCheckIndex(std::string_view name);

// Every check of `matrices`, in the order of ModelChecks().
ModelCheckValues RunModelChecks(const RecordMatrices &matrices);

// Whether `value` of `check` signals a problem with the record. An empty value (the check cannot
// be made) does not.
bool IsWorrying(const ModelCheck &check, std::optional<bool> value);

} // namespace tarnvale
