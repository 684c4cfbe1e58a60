#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <streambuf>

namespace tarnvale::fuzz {

// Reads the fuzzer's bytes in place, as a stream.
class MemoryBuffer : public std::streambuf
{
public:
    MemoryBuffer(const std::uint8_t *data, std::size_t size)
    {
        char *begin = reinterpret_cast<char *>(const_cast<std::uint8_t *>(data));
        setg(begin, begin, begin + size);
    }
};

// A failed check is a crash, which the fuzzer reports with the input that caused it.
inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace tarnvale::fuzz
