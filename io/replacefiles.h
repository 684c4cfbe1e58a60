#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarnvale {

// A file to write whole: its name (a UTF-8 path) and its complete text.
struct FileText
{
    std::string target;
    std::string text;
};

// Writes every text to a fresh temporary file beside its target (never one that exists already)
// and, only when all of them are complete on disk, renames each over its target. On failure no
// target that existed before is replaced by a partly written file and the temporary files are
// removed. Returns the message naming the file that could not be written, empty on success.
std::string ReplaceFiles(const std::vector<FileText> &files);

// The base data files are named after: `chosenName` less its last 4 characters (UTF-8
// characters, not bytes), so "example.txt" gives "example"; nothing for a name shorter than that.
std::optional<std::string> BaseOfChosenName(const std::string &chosenName);

// A number as the data files write it: the padded form without its leading blank (".5", "-.35").
std::string FileNumber(double value);
std::string FileNumber(float value);

} // namespace tarnvale
