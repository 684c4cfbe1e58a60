#pragma once

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

} // namespace tarnvale
