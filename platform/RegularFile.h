#pragma once
// Reading files that come from the user's command line or a game folder:
// only regular files (links followed) are read, and never more than the
// caller can use, so that a device, a pipe or a huge file neither blocks nor
// fills the memory.
#include "platform/Refusal.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace quarnel {

// A path that names something other than a regular file (Folder,
// NotRegularFile), or a file larger than the reader takes (TooLarge).
class FileRefusedError : public Refusal {
public:
    FileRefusedError(RefusalKind kind, const std::string& message) : Refusal(kind, message) {}
};

// The limit for whole text files (name tables, message files, scratch lists).
constexpr std::size_t kMaxTextFileBytes = std::size_t{16} << 20;

// IoError 2 when nothing is there; FileRefusedError "is a folder" or "not a
// regular file (a device, pipe or socket)" otherwise.
void CheckRegularFile(const std::filesystem::path& file);

// At most maxBytes bytes from the start of a regular file.
std::string ReadFilePrefix(const std::filesystem::path& file, std::size_t maxBytes);

// The whole regular file; FileRefusedError when it holds more than maxBytes.
std::string ReadWholeFile(const std::filesystem::path& file, std::size_t maxBytes);

} // namespace quarnel
