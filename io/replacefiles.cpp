#include "io/replacefiles.h"

#include "core/numbertext.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace tarnvale {

namespace {

template<typename Number> std::string fileNumber(Number value)
{
    std::string text = NumberToPaddedText(value);
    if (!text.empty() && text.front() == ' ')
        text.erase(0, 1);
    return text;
}

// Characters, not bytes: a UTF-8 continuation byte belongs to the character before it.
bool startsCharacter(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

std::size_t characterCount(const std::string &text)
{
    std::size_t count = 0;
    for (char byte : text)
        count += startsCharacter(byte) ? 1 : 0;
    return count;
}

std::string withoutLastCharacters(const std::string &text, std::size_t characters)
{
    std::size_t end = text.size();
    while (characters > 0 && end > 0) {
        --end;
        if (startsCharacter(text[end]))
            --characters;
    }
    return text.substr(0, end);
}

std::string reason(int error)
{
    return std::error_code(error, std::generic_category()).message();
}

// A complete copy of one file's text, written under a name of its own beside its target.
struct PendingFile
{
    std::string target;
    std::string temporary;
};

// Creates a fresh temporary file beside `target` (never one that exists already) and writes
// `text` into it. Returns the error message, empty on success.
std::string writeTemporary(PendingFile &file, const std::string &text)
{
    static std::mt19937 random {std::random_device {}()};
    std::FILE *stream = nullptr;
    int error = 0;
    for (int attempt = 0; attempt < 100 && !stream; ++attempt) {
        file.temporary = file.target + ".part" + std::to_string(random() % 1000000);
        // "x": exclusive creation, so another program's file of that name is never touched.
        errno = 0;
        stream = std::fopen(file.temporary.c_str(), "wbx");
        error = errno;
        if (!stream && error != EEXIST)
            break;
    }
    if (!stream) {
        file.temporary.clear();
        return "The file \"" + file.target + "\" could not be created: " + reason(error) + ".";
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size()
        && std::fflush(stream) == 0;
    error = errno;
    const bool closed = std::fclose(stream) == 0;
    if (!written || !closed)
        return "The file \"" + file.target + "\" could not be written: " + reason(error) + ".";
    return {};
}

void removeTemporaries(const std::vector<PendingFile> &files)
{
    for (const PendingFile &file : files) {
        if (!file.temporary.empty()) {
            std::error_code ignored;
            std::filesystem::remove(file.temporary, ignored);
        }
    }
}

} // namespace

std::string ReplaceFiles(const std::vector<FileText> &files)
{
    std::vector<PendingFile> pending;
    for (const FileText &file : files)
        pending.push_back({file.target, {}});
    // Every file is complete on disk before any replaces what was there.
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string error = writeTemporary(pending[i], files[i].text);
        if (!error.empty()) {
            removeTemporaries(pending);
            return error;
        }
    }
    for (PendingFile &file : pending) {
        std::error_code error;
        std::filesystem::rename(file.temporary, file.target, error);
        if (error) {
            removeTemporaries(pending);
            return "The file \"" + file.target + "\" could not be written: " + error.message()
                + ".";
        }
        file.temporary.clear();
    }
    return {};
}

std::optional<std::string> BaseOfChosenName(const std::string &chosenName)
{
    if (characterCount(chosenName) < 4)
        return std::nullopt;
    return withoutLastCharacters(chosenName, 4);
}

std::string FileNumber(double value)
{
    return fileNumber(value);
}

std::string FileNumber(float value)
{
    return fileNumber(value);
}

} // namespace tarnvale
