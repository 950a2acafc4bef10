#pragma once
#include <string>

namespace quarnel {

// File version of the named file as major.minor.release.build. On Windows it
// comes from the file's version resource; elsewhere, and whenever the file
// has none, it is the version compiled in from the build.
std::string GetFileVersionText(const std::string& fileName);

// The release version: what `git describe` said of the source when it was
// built ("1.1.0", or "1.1.0-12-gabc1234" between tags), else the project's
// version as major.minor.release.
std::string ReleaseVersionText();

// The licence the programs are under, as an SPDX expression.
inline constexpr const char* kLicenceName = "GPL-3.0-or-later";

} // namespace quarnel
