#include "io/openfile.h"

#include <filesystem>

namespace tarnvale {

std::string QuotedFileName(const std::string &path)
{
    return "\"" + path + "\"";
}

std::string OpenFileToRead(const std::string &path, std::ifstream &in)
{
    namespace fs = std::filesystem;
    const std::string named = QuotedFileName(path);
    std::error_code error;
    switch (fs::status(path, error).type()) {
    case fs::file_type::not_found:
        return "The file " + named + " does not exist.";
    case fs::file_type::directory:
        return named + " is a folder, not a file.";
    case fs::file_type::regular:
        break;
    case fs::file_type::none:
    case fs::file_type::unknown:
        return "The file " + named + " cannot be opened for reading.";
    default:
        return named + " is not an ordinary file.";
    }
    in.open(path, std::ios::binary);
    if (!in)
        return "The file " + named + " cannot be opened for reading.";
    return {};
}

} // namespace tarnvale
