#pragma once

#include "core/state.h"

#include <complex>
#include <optional>
#include <string>
#include <vector>

namespace tarnvale {

// An age-classified population: F(0 ... L) and s(0 ... L - 1), n = L + 1 classes. The Leslie
// matrix A has A[0][x] = F(x) and A[x + 1][x] = s(x).
struct LeslieTable
{
    std::vector<double> fecundity; // n values
    std::vector<double> survival; // n - 1 values

    int ageClasses() const { return static_cast<int>(fecundity.size()); }
    bool operator==(const LeslieTable &) const = default;
};

// The table the root search works on: in data-file mode classes 0 ... LastAgeClass of Fecundity
// and Survival (an empty value counts as 0, a text is read with TextToNumber); in matrix mode
// F(0 ... 3) from the cells m(0) ... m(3) and s(0 ... 2) from m(4), m(9), m(14), read as doubles
// from their texts. Empty (no class) in data-file mode without a table.
LeslieTable LeslieTableFrom(const AnalysisState &state, const CellTexts &cells);

// The life table the state holds from a data file: classes 0 ... LastAgeClass of Fecundity and
// Survival, as LeslieTableFrom reads them in data-file mode whatever DataLoaded says. Empty
// without a table.
LeslieTable LeslieTableOfData(const AnalysisState &state);

// Why `table` cannot be analysed, naming the first class at fault ("age class 2: the survival
// rate -0.5 is negative"), or nothing when it can: at least one class, n - 1 survival rates, and
// every value a finite number >= 0. A survival rate above 1 is accepted as it stands.
std::optional<std::string> CheckLeslieTable(const LeslieTable &table);

// What ParseLeslieMatrix made of a text: the table, or a message naming the row and column (or
// the matrix) at fault.
struct LeslieParse
{
    bool ok = false;
    LeslieTable table;
    std::string message;
};

inline constexpr int kMaxLeslieClasses = 201;

// Reads a square Leslie matrix of 1 ... 201 rows from text: rows separated by ";", entries by
// blanks, tabs or one comma. Each entry must be, whole, a decimal number (optional sign, digits
// with at most one ".", optional exponent E, e, D or d): "1 2" is two entries, "1x" none. Refused
// with a message (rows and columns counted from 1): an empty matrix or row, a ragged or not square
// matrix, more than 201 rows, an entry that is not a number or beyond the double range, a negative
// entry, and a non-zero entry outside the first row and the sub-diagonal.
LeslieParse ParseLeslieMatrix(const std::string &text);

// The entries of a list such as "0.5, 0.25 1": separated by blanks, tabs, line ends or one comma.
// Each entry is kept as its text; an empty entry (two commas) is kept as "". Used for the rows of a
// matrix and for typed start vectors.
std::vector<std::string> SplitEntries(const std::string &text);

// One entry of a list read whole as a rate: a decimal number in the syntax of ParseLeslieMatrix,
// within the double range and >= 0. Otherwise `problem` says why ("the entry is empty",
// "\"12x\" is not a finite decimal number", "-1 is negative").
struct EntryRate
{
    double value = 0.0;
    std::string problem; // empty when `value` was read
};
EntryRate ReadEntryRate(const std::string &entry);

// Everything the analysis of a Leslie table finds. Each result that cannot be computed or is not
// a finite number is empty; an array is defined whole or not at all.
struct LeslieAnalysis
{
    int ageClasses = 0; // n

    // lambda1: the dominant root of sum l(x) F(x) lambda^-(x + 1) = 1, >= 0; 0 when no class
    // reproduces (R0 = 0). Empty for a table CheckLeslieTable refuses, and where lambda1 itself
    // lies beyond the double range.
    std::optional<double> lambda;
    std::optional<double> intrinsicRate; // r = ln lambda1
    std::optional<double> netReproductiveRate; // R0 = sum l(x) F(x)
    std::optional<double> generationTime; // T = ln R0 / ln lambda1
    std::optional<double> doublingTime; // ln 2 / ln lambda1 (negative for a declining population)
    std::optional<double> birthRate; // lambda1 * SAD(0)
    std::optional<double> survivalRate; // lambda1 - birth rate
    std::optional<double> deathRate; // 1 - survival rate

    std::optional<std::vector<double>> stableAgeDistribution; // w, n shares summing to 1
    std::optional<std::vector<double>> reproductiveValues; // v, n values, v(0) = 1

    // d lambda1 / d F(x) (n values) and d lambda1 / d s(x) (n - 1 values), and the elasticities
    // (a / lambda1) d lambda1 / d a, which sum to 1.
    std::optional<std::vector<double>> sensitivityFecundity;
    std::optional<std::vector<double>> sensitivitySurvival;
    std::optional<std::vector<double>> elasticityFecundity;
    std::optional<std::vector<double>> elasticitySurvival;

    // All n eigenvalues of A, lambda1 first, then by decreasing modulus. Empty where lambda1 is.
    std::vector<std::complex<double>> eigenvalues;
    // |lambda2|, the largest modulus among the other eigenvalues (0 when it is within rounding of
    // 0), and the damping ratio rho = lambda1 / |lambda2| (empty when |lambda2| = 0). A periodic
    // table has |lambda2| = lambda1 and rho = 1 exactly.
    std::optional<double> secondModulus;
    std::optional<double> dampingRatio;

    // d: the greatest common divisor of the ages x + 1 of the classes with F(x) > 0 and l(x) > 0;
    // empty when no class reproduces. d > 1: the population cycles and never approaches the SAD.
    std::optional<int> period;

    bool periodic() const { return period && *period > 1; }
};

// Analyses `table`. A table that CheckLeslieTable refuses gives an analysis with every result
// empty (ageClasses still set). Works for up to thousands of classes; the eigenvalue solve, of
// order n^3, dominates.
LeslieAnalysis AnalyseLeslie(const LeslieTable &table);

// lambda1, r = ln lambda1 and the stable distribution alone, as a sweep or a slider recomputes
// them at every move; each empty where it is undefined, as in the full analyses.
struct Growth
{
    std::optional<double> lambda;
    std::optional<double> intrinsicRate;
    std::optional<std::vector<double>> stableDistribution;
};

// lambda1 of `table` as AnalyseLeslie gives it, to the last bit, without the rest of the
// analysis: of order n (the Euler-Lotka root alone), some microseconds for 201 classes.
std::optional<double> LeslieLambda(const LeslieTable &table);

// lambda1, r and the SAD as AnalyseLeslie gives them, to the last bit; of order n.
Growth LeslieGrowth(const LeslieTable &table);

// Shown beside the damping ratio of a periodic table, where the age structure never settles:
// "the population cycles with period 3; the age structure does not approach the SAD". Empty for
// a table that is not periodic.
std::string PeriodicNote(const LeslieAnalysis &analysis);

} // namespace tarnvale
