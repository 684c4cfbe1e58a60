#include "core/state.h"

#include "core/numbertext.h"

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

void ReadMatrixCells(AnalysisState &state, const CellTexts &cells)
{
    for (std::size_t i = 0; i < cells.size(); ++i)
        state.MatrixCell[i] = static_cast<float>(TextToNumber(cells[i]).value);
}

} // namespace tarnvale
