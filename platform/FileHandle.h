#pragma once
// A C stream that closes itself when it goes out of scope (an abandoned read
// or write), and the checked close for the end of a write, where a failing
// close means buffered bytes were lost.
#include "platform/Errors.h"
#include "platform/FileOpen.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace quarnel {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens file with an fopen mode; IoError for the system's reason.
inline FileHandle OpenFileHandle(const std::filesystem::path& file, const char* mode)
{
    errno = 0;
    FileHandle f(OpenFile(file, mode));
    if (!f)
        ThrowIoErrorFromErrno();
    return f;
}

// Closes the stream; IoError when the close fails.
inline void CloseChecked(FileHandle handle)
{
    errno = 0;
    if (std::fclose(handle.release()) != 0)
        ThrowIoErrorFromErrno();
}

} // namespace quarnel
