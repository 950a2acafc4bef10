#pragma once
// Telling a folder link (a symbolic link, or on Windows a junction or other
// reparse point) from a real folder, so that a removal never reaches through
// it into the folder it points to.
#include <filesystem>

namespace quarnel {

// True when the path itself is a link, whatever it points to (or not).
bool IsFolderLink(const std::filesystem::path& path);

} // namespace quarnel
