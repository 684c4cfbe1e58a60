#pragma once

#include <string>
#include <string_view>

namespace tarnvale {

// A field of a CSV line as RFC 4180 writes it: as it stands, or in double quotes when it holds a
// comma, a double quote or a line end (CR or LF), each double quote inside doubled. Every CSV
// file and line Tarnvale writes quotes its fields here.
std::string CsvField(std::string_view text);

// Appends `value` with 17 significant digits, which read back as the same double ("0" for 0), as
// the matrix files and the saved sweeps write their numbers.
void AppendExactNumber(std::string &text, double value);

} // namespace tarnvale
