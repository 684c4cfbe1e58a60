#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tarnvale {

// A slot that starts empty and later holds a double: empty reads as 0 in arithmetic and as the
// empty text where it is shown.
using NumberOrEmpty = std::optional<double>;

// One value of a life-table column as the file reader stored it: empty, a number or a text.
using TableValue = std::variant<std::monostate, double, std::string>;

// The texts of the 16 matrix cells m(0) ... m(15); index = 4 * row + column.
using CellTexts = std::array<std::string, 16>;

inline constexpr int kTableSlots = 2001; // life-table columns: indices 0 ... 2000
inline constexpr int kPointSlots = 10001; // PointX: indices 0 ... 10000
inline constexpr int kPlotSlots = 30001; // PlotFx: indices 0 ... 30000

// Cells that enter the computations: fecundities in the first row, survival rates on the
// sub-diagonal.
inline constexpr std::array<int, 4> kFecundityCells = {0, 1, 2, 3};
inline constexpr std::array<int, 3> kSurvivalCells = {4, 9, 14};

// Texts of the cells when the program starts.
inline const CellTexts kDefaultCellTexts = {"0",   "1", "2",   "1", //
                                            "0.5", "0", "0",   "0", //
                                            "0",   "1", "0",   "0", //
                                            "0",   "0", "0.5", "0"};

// What one click of the root search did, as its entry in the record of the search names it.
enum class SearchEvent {
    BracketAccepted, // "Try" found a sign change
    ReplacesX1, // "Exchange"
    ReplacesX2,
    Step, // "Bisection", x3 not accepted
    RootAccepted, // "Bisection", |f(x3)| small enough
    RootStalled, // "Bisection", the texts cannot narrow the bracket any more
    RootNarrowBracket, // "Bisection" on a stage matrix: half the bracket <= 0.0001 * x3
};

// One entry of the record of the search: the step number (StepCount) and the texts of the
// bisection table's x1, x2, x3 and f(x3) boxes after the event.
struct SearchEntry
{
    int step = 0;
    std::string x1;
    std::string x2;
    std::string x3;
    std::string fx3;
    SearchEvent event = SearchEvent::Step;

    friend bool operator==(const SearchEntry &, const SearchEntry &) = default;
};

// The whole analysis of one run. Plain data: every window and operation reads and writes the
// members directly; nothing here updates a window.
struct AnalysisState
{
    // Matrix mode input: single-precision copies of the cell values.
    std::array<float, 16> MatrixCell {};

    // Life table (data-file mode).
    std::string DataLoaded; // "Yes" once a life-table file has been read
    std::string DataFilePath; // file name as the open dialog returned it
    std::string DataFileBase; // file name chosen in the graph window's "Save" dialog
    std::optional<int> LastAgeClass; // index n of the last age class
    std::vector<TableValue> AgeX = std::vector<TableValue>(kTableSlots);
    std::vector<TableValue> Fecundity = std::vector<TableValue>(kTableSlots);
    std::vector<TableValue> Survival = std::vector<TableValue>(kTableSlots);
    std::vector<TableValue> Lx = std::vector<TableValue>(kTableSlots);
    std::vector<TableValue> Mx = std::vector<TableValue>(kTableSlots);

    // Characteristic equation: "f(x)= " and the equation without " = 0".
    std::string EquationText;

    // Root search.
    double X1 = 0.0;
    double X2 = 0.0;
    NumberOrEmpty Fx1;
    NumberOrEmpty Fx2;
    double Midpoint = 0.0;
    NumberOrEmpty X3;
    NumberOrEmpty Fx3;
    std::optional<int> StepCount;
    std::vector<float> PointX = std::vector<float>(kPointSlots, 0.0f);
    // The x values evaluated since the last "Try", in single precision: x1, x2, then each
    // bisection point. Kept apart from PointX, which holds the graph window's curve alone.
    std::vector<float> SearchPointX;
    // Every event of the search since the last accepted "Try", oldest first; emptied by a
    // changed matrix cell or a new life table.
    std::vector<SearchEntry> SearchRecord;
    NumberOrEmpty SurvivalProduct;

    // Population results, written when a root is accepted.
    NumberOrEmpty Lambda;
    NumberOrEmpty IntrinsicRate;
    NumberOrEmpty NetReproductiveRate;
    NumberOrEmpty GenerationTime;
    NumberOrEmpty DoublingTime;
    std::vector<NumberOrEmpty> StableAgeDist = std::vector<NumberOrEmpty>(kTableSlots);
    double BirthRate = 0.0;
    double SurvivalRate = 0.0;
    double DeathRate = 0.0;

    // Curve of f(x).
    double PlotStep = 0.0;
    double PlotX = 0.0;
    std::int16_t PlotCount = 0;
    std::vector<double> PlotFx = std::vector<double>(kPlotSlots, 0.0);

    // Title splash animation.
    std::int16_t TitlePhase = 0;
    std::int16_t TitleShownLabel = 0;

    bool dataFileMode() const { return DataLoaded == "Yes"; }
    // A life table with at least one age class, all of them within the columns.
    bool hasLifeTable() const
    {
        return LastAgeClass && *LastAgeClass >= 0 && *LastAgeClass < kTableSlots;
    }

    // Member by member; lets an operation that must leave the state alone be checked whole.
    friend bool operator==(const AnalysisState &, const AnalysisState &) = default;
};

// A life-table value read as a number: empty is 0, a text is read with TextToNumber.
double TableNumber(const TableValue &value);

// A life-table value as a cell shows it: NumberToText of a number, a text unchanged, empty text
// for an empty slot.
std::string TableText(const TableValue &value);

// A double rounded to single precision; magnitudes beyond the single range become infinite (a plain
// conversion would be undefined there).
float ToSingle(double value);

// The number in matrix cell `index` (0 ... 15) as the computations read it: TextToNumber's value.
double CellNumber(const CellTexts &cells, int index);

// MatrixCell(i) = TextToNumber(cell text i), rounded to single precision, for all 16 cells.
void ReadMatrixCells(AnalysisState &state, const CellTexts &cells);

} // namespace tarnvale
