#include "platform/VersionInfo.h"

#ifdef _WIN32
#include <windows.h>
#include <vector>
#endif

namespace quarnel {

std::string GetFileVersionText(const std::string& fileName)
{
#ifdef _WIN32
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
    if (size > 0) {
        std::vector<char> block(size);
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (GetFileVersionInfoA(fileName.c_str(), 0, size, block.data()) &&
            VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) && info) {
            return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) +
                   "." + std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
                   std::to_string(LOWORD(info->dwFileVersionLS));
        }
    }
#else
    (void)fileName;
#endif
    return QUARNEL_VERSION_TEXT;
}

} // namespace quarnel
