#include "platform/FileAttributes.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace quarnel {
namespace {

bool IsExistingFile(const fs::path& file)
{
    std::error_code ec;
    return !file.empty() && fs::is_regular_file(file, ec);
}

constexpr fs::perms kAllWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

} // namespace

#ifdef _WIN32

// The attributes are set whole, as the desktop's own "set attributes" does:
// read-only only also clears hidden, system and archive.
bool SetReadOnlyOnly(const fs::path& file)
{
    // Hidden and system are cleared first, while the file is still writable:
    // Wine keeps those two in an extended attribute that a read-only file
    // no longer lets it change.
    return IsExistingFile(file) && SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL) &&
           SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
}

bool SetArchiveOnly(const fs::path& file)
{
    return IsExistingFile(file) && SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_ARCHIVE);
}

bool IsReadOnly(const fs::path& file)
{
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

#else

bool SetReadOnlyOnly(const fs::path& file)
{
    if (!IsExistingFile(file))
        return false;
    std::error_code ec;
    fs::permissions(file, kAllWrite, fs::perm_options::remove, ec);
    return !ec;
}

bool SetArchiveOnly(const fs::path& file)
{
    if (!IsExistingFile(file))
        return false;
    std::error_code ec;
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, ec);
    return !ec;
}

bool IsReadOnly(const fs::path& file)
{
    std::error_code ec;
    auto status = fs::status(file, ec);
    return !ec && (status.permissions() & kAllWrite) == fs::perms::none;
}

#endif

} // namespace quarnel
