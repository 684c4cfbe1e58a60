// Runs a fuzz target's checks on the files of its seed folders, without libFuzzer, so that a
// build with other sanitizers or another compiler tries them too. Exits with the failed check's
// abort, or 0 when every file passed; a folder without any file fails, since then nothing ran.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::directory_entry &entry : fs::directory_iterator(argv[i])) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            // An exact-size copy, so that a read past the input's end is a finding here too.
            const std::vector<char> bytes {std::istreambuf_iterator<char>(in), {}};
            std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
            std::cout << entry.path().filename().string() << std::endl;
            LLVMFuzzerTestOneInput(input.data(), input.size());
            ++files;
        }
    }
    std::cout << files << " inputs passed" << std::endl;
    return files > 0 ? 0 : 1;
}
