#pragma once
// The free space of the file system that holds a folder, and the size of
// its allocation blocks: a file takes whole blocks, so a thousand files of
// one byte take a thousand blocks, not a thousand bytes.
#include <cstdint>
#include <filesystem>
#include <optional>

namespace quarnel {

struct FileSystemSpace {
    std::uint64_t available = 0; // bytes an unprivileged user may still fill
    std::uint64_t blockSize = 1; // bytes of one allocation block (cluster)
};

// Nothing when the file system cannot be asked (the folder must exist).
std::optional<FileSystemSpace> SpaceOf(const std::filesystem::path& folder);

// The bytes that files of the given size take on a file system of the given
// block size: the size rounded up to whole blocks (an empty file none).
std::uint64_t BytesInBlocks(std::uint64_t size, std::uint64_t blockSize);

} // namespace quarnel
