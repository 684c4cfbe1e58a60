#include "io/searchsteps.h"

#include "core/searchrecord.h"
#include "io/csv.h"
#include "io/replacefiles.h"

namespace tarnvale {

namespace {

constexpr const char *kLineEnd = "\r\n";

} // namespace

std::string StepsFileText(const std::vector<SearchEntry> &record)
{
    std::string text = std::string("step,x1,x2,x3,f(x3),event") + kLineEnd;
    for (const SearchEntry &entry : record) {
        text += std::to_string(entry.step);
        for (const std::string *field : {&entry.x1, &entry.x2, &entry.x3, &entry.fx3})
            text += ',' + CsvField(*field);
        text += ',' + CsvField(SearchEventText(entry.event));
        text += kLineEnd;
    }
    return text;
}

std::string SaveSearchSteps(const std::vector<SearchEntry> &record, const std::string &path)
{
    return ReplaceFiles({{path, StepsFileText(record)}});
}

} // namespace tarnvale
