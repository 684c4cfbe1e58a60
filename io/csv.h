#pragma once

#include <string>
#include <string_view>

namespace tarnvale {

// A field of a CSV line as RFC 4180 writes it: as it stands, or in double quotes when it holds a
// comma, a double quote or a line end (CR or LF), each double quote inside doubled. Every CSV
// file and line Tarnvale writes quotes its fields here.
std::string CsvField(std::string_view text);

} // namespace tarnvale
