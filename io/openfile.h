#pragma once

#include <fstream>
#include <string>

namespace tarnvale {

// A file's name in a message, whole and in double quotes.
std::string QuotedFileName(const std::string &path);

// Opens the file at `path` for reading into `in`; what stands in the way otherwise ("The file
// "x" does not exist.", "... is a folder, not a file."), empty when it is open. Devices, pipes
// and sockets are refused: they could block or never end.
std::string OpenFileToRead(const std::string &path, std::ifstream &in);

} // namespace tarnvale
