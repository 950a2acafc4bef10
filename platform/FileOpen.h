#pragma once
// Opening a file as a C stream by its path. On Windows the UTF-16 form of the
// path is used, so names outside the system code page open as well.
#include <cstdio>
#include <filesystem>

namespace quarnel {

// std::fopen with the path's native text; nullptr and errno set on failure.
std::FILE* OpenFile(const std::filesystem::path& file, const char* mode);

} // namespace quarnel
