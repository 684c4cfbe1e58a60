#include "io/searchsteps.h"

#include "core/searchrecord.h"
#include "io/replacefiles.h"

namespace tarnvale {

namespace {

constexpr const char *kLineEnd = "\r\n";

void appendField(std::string &line, const std::string &field)
{
    if (field.find_first_of(",\"") == std::string::npos) {
        line += field;
        return;
    }
    line += '"';
    for (char c : field) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

} // namespace

std::string StepsFileText(const std::vector<SearchEntry> &record)
{
    std::string text = std::string("step,x1,x2,x3,f(x3),event") + kLineEnd;
    for (const SearchEntry &entry : record) {
        text += std::to_string(entry.step);
        for (const std::string *field : {&entry.x1, &entry.x2, &entry.x3, &entry.fx3}) {
            text += ',';
            appendField(text, *field);
        }
        text += ',';
        appendField(text, SearchEventText(entry.event));
        text += kLineEnd;
    }
    return text;
}

std::string SaveSearchSteps(const std::vector<SearchEntry> &record, const std::string &path)
{
    return ReplaceFiles({{path, StepsFileText(record)}});
}

} // namespace tarnvale
