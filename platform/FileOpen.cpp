#include "platform/FileOpen.h"

#include <string>

namespace quarnel {

std::FILE* OpenFile(const std::filesystem::path& file, const char* mode)
{
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(file.c_str(), wideMode.c_str());
#else
    return std::fopen(file.c_str(), mode);
#endif
}

} // namespace quarnel
