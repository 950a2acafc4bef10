#include "platform/FileAttributes.h"

#include "platform/Errors.h"
#include "platform/FileOpen.h"

#include <cerrno>
#include <cstdio>
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

// Opens and closes the file for reading and writing, writing nothing.
int OpenForWritingError(const fs::path& file)
{
    errno = 0;
    std::FILE* f = OpenFile(file, "r+b");
    if (!f)
        return IoCodeFromErrno(errno);
    std::fclose(f);
    return 0;
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

int WriteAccessError(const fs::path& file)
{
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return IoCodeFromWin32(GetLastError());
    const bool readOnly = attributes & FILE_ATTRIBUTE_READONLY;
    if (readOnly && !SetFileAttributesW(file.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}))
        return IoCodeFromWin32(GetLastError());
    const int error = OpenForWritingError(file);
    if (readOnly)
        SetFileAttributesW(file.c_str(), attributes);
    return error;
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

int WriteAccessError(const fs::path& file)
{
    std::error_code ec;
    const fs::perms before = fs::status(file, ec).permissions();
    if (ec)
        return IoCodeFromErrorCode(ec);
    const bool cleared = (before & fs::perms::owner_write) == fs::perms::none;
    if (cleared) {
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, ec);
        if (ec)
            return IoCodeFromErrorCode(ec);
    }
    const int error = OpenForWritingError(file);
    if (cleared)
        fs::permissions(file, before, fs::perm_options::replace, ec);
    return error;
}

#endif

} // namespace quarnel
