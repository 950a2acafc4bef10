#include "platform/VersionInfo.h"

#include "QuarnelReleaseVersion.h"

#ifdef _WIN32
#include <windows.h>
#include <filesystem>
#include <vector>
#endif

namespace quarnel {

std::string GetFileVersionText(const std::string& fileName)
{
#ifdef _WIN32
    // The name is UTF-8 text; the wide calls take it as UTF-16.
    const std::wstring wideName = std::filesystem::u8path(fileName).wstring();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(wideName.c_str(), &handle);
    if (size > 0) {
        std::vector<char> block(size);
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (GetFileVersionInfoW(wideName.c_str(), 0, size, block.data()) &&
            VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) && info) {
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

std::string ReleaseVersionText() { return QUARNEL_RELEASE_VERSION; }

} // namespace quarnel
