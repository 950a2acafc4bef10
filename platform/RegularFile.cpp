#include "platform/RegularFile.h"

#include "platform/Errors.h"
#include "platform/FileHandle.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel {
namespace {

std::string MegabytesText(std::size_t bytes)
{
    return bytes % (std::size_t{1} << 20) == 0 ? std::to_string(bytes >> 20) + " MiB"
                                               : std::to_string(bytes) + " bytes";
}

} // namespace

void CheckRegularFile(const fs::path& file)
{
    if (file.empty())
        throw IoError(2);
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec); // follows links
    if (status.type() == fs::file_type::not_found)
        throw IoError(2);
    if (ec)
        throw IoError(IoCodeFromErrorCode(ec));
    if (status.type() == fs::file_type::directory)
        throw FileRefusedError(RefusalKind::Folder, "is a folder, not a file");
    if (status.type() != fs::file_type::regular)
        throw FileRefusedError(RefusalKind::NotRegularFile, "not a regular file (a device, pipe or socket)");
}

std::string ReadFilePrefix(const fs::path& file, std::size_t maxBytes)
{
    CheckRegularFile(file);
    const FileHandle f = OpenFileHandle(file, "rb");
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < maxBytes) {
        const std::size_t wanted = std::min(sizeof buffer, maxBytes - bytes.size());
        const std::size_t got = std::fread(buffer, 1, wanted, f.get());
        bytes.append(buffer, got);
        if (got < wanted)
            break;
    }
    if (std::ferror(f.get()))
        ThrowIoErrorFromErrno();
    return bytes;
}

std::string ReadWholeFile(const fs::path& file, std::size_t maxBytes)
{
    std::string bytes = ReadFilePrefix(file, maxBytes + 1);
    if (bytes.size() > maxBytes)
        throw FileRefusedError(RefusalKind::TooLarge, "larger than " + MegabytesText(maxBytes) + ", not read");
    return bytes;
}

} // namespace quarnel
