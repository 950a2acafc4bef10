#pragma once
// The data folders the doctest programs read, named by the build as UTF-8
// texts (QUARNEL_SHARED_TESTDATA and the like), as paths of this platform; and
// the note a case prints when what it needs is not there, so that a skip
// shows in the Windows run's summary instead of passing unseen.
#include "platform/Utf8.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace quarnel::test {

inline std::filesystem::path DataFolder(const char* utf8) { return PathFromUtf8(utf8); }

// Whether the path can be seen; false, not an exception, when a folder above
// it cannot be searched.
inline bool IsPresent(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

inline void ReportSkipped(const std::string& why)
{
    std::printf("skipped: %s\n", why.c_str());
    std::fflush(stdout);
}

} // namespace quarnel::test
