#include "io/sweepdata.h"

#include "io/csv.h"
#include "io/replacefiles.h"

namespace tarnvale {

std::string SweepFileText(const Sweep &sweep)
{
    std::string text = "value,lambda1\r\n";
    for (std::size_t k = 0; k < sweep.values.size(); ++k) {
        AppendExactNumber(text, sweep.values[k]);
        text += ',';
        if (k < sweep.lambda.size() && sweep.lambda[k])
            AppendExactNumber(text, *sweep.lambda[k]);
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
