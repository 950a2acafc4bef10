#pragma once
#include <string>

namespace quarnel {

// File version of the named file as major.minor.release.build. On Windows it
// comes from the file's version resource; elsewhere, and whenever the file
// has none, it is the version compiled in from the build.
std::string GetFileVersionText(const std::string& fileName);

} // namespace quarnel
