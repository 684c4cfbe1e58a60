#include "io/sweepdata.h"

#include "io/replacefiles.h"

#include <array>
#include <charconv>

namespace tarnvale {

namespace {

void appendNumber(std::string &text, double value)
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

} // namespace

std::string SweepFileText(const Sweep &sweep)
{
    std::string text = "value,lambda1\r\n";
    for (std::size_t k = 0; k < sweep.values.size(); ++k) {
        appendNumber(text, sweep.values[k]);
        text += ',';
        if (k < sweep.lambda.size() && sweep.lambda[k])
            appendNumber(text, *sweep.lambda[k]);
        text += "\r\n";
    }
    return text;
}

ExportResult ExportSweep(const std::string &path, const Sweep &sweep)
{
    ExportResult result;
    result.message = ReplaceFiles({{path, SweepFileText(sweep)}});
    result.ok = result.message.empty();
    return result;
}

} // namespace tarnvale
