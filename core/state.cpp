#include "core/state.h"

#include "core/numbertext.h"

#include <limits>

namespace tarnvale {

double TableNumber(const TableValue &value)
{
    if (const double *number = std::get_if<double>(&value))
        return *number;
    if (const std::string *text = std::get_if<std::string>(&value))
        return TextToNumber(*text).value;
    return 0.0;
}

std::string TableText(const TableValue &value)
{
    if (const double *number = std::get_if<double>(&value))
        return NumberToText(*number);
    if (const std::string *text = std::get_if<std::string>(&value))
        return *text;
    return {};
}

float ToSingle(double value)
{
    // Halfway between the largest float and the next power of two, where rounding goes to
    // infinity.
    constexpr double overflow = 0x1.ffffffp127;
    if (value >= overflow)
        return std::numeric_limits<float>::infinity();
    if (value <= -overflow)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

double CellNumber(const CellTexts &cells, int index)
{
    return TextToNumber(cells[static_cast<std::size_t>(index)]).value;
}

void ReadMatrixCells(AnalysisState &state, const CellTexts &cells)
{
    for (std::size_t i = 0; i < cells.size(); ++i)
        state.MatrixCell[i] = ToSingle(CellNumber(cells, static_cast<int>(i)));
}

} // namespace tarnvale
