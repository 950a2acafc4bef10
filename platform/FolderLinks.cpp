#include "platform/FolderLinks.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace quarnel {

bool IsFolderLink(const std::filesystem::path& path)
{
#ifdef _WIN32
    // Junctions and symbolic links are both reparse points; the C++ library
    // does not report junctions as links.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    std::error_code ec;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec));
#endif
}

} // namespace quarnel
