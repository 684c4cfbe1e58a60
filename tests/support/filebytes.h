#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tarnvale::test {

// The whole file as bytes (CR LF kept), or "" when it cannot be read.
inline std::string ReadBytes(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace tarnvale::test
