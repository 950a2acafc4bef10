#include "platform/FileSystemSpace.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/statvfs.h>
#endif

namespace quarnel {

std::optional<FileSystemSpace> SpaceOf(const std::filesystem::path& folder)
{
    std::error_code ec;
    const std::filesystem::space_info space = std::filesystem::space(folder, ec);
    if (ec)
        return std::nullopt;
    FileSystemSpace result;
    result.available = space.available;
#ifdef _WIN32
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    std::wstring root = folder.wstring();
    if (!root.empty() && root.back() != L'\\' && root.back() != L'/')
        root += L'\\';
    if (GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        result.blockSize = std::uint64_t{sectorsPerCluster} * bytesPerSector;
#else
    struct statvfs info {};
    if (statvfs(folder.c_str(), &info) == 0)
        result.blockSize = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
#endif
    if (result.blockSize == 0)
        result.blockSize = 1;
    return result;
}

std::uint64_t BytesInBlocks(std::uint64_t size, std::uint64_t blockSize)
{
    if (blockSize <= 1)
        return size;
    const std::uint64_t blocks = size / blockSize + (size % blockSize != 0);
    return blocks * blockSize;
}

} // namespace quarnel
