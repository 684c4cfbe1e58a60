#include "io/csv.h"

#include <array>
#include <charconv>

namespace tarnvale {

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

void AppendExactNumber(std::string &text, double value)
{
    if (value == 0) {
        text += '0';
        return;
    }
    std::array<char, 32> buffer {};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::general, 17)
                         .ptr;
    text.append(buffer.data(), end);
}

} // namespace tarnvale
