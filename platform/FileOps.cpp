#include "platform/FileOps.h"

#include "platform/Errors.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quarnel {

#ifdef _WIN32

void MoveFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
    if (!MoveFileExW(from.c_str(), to.c_str(), 0))
        throw IoError(IoCodeFromWin32(GetLastError()));
}

void RemoveFolder(const std::filesystem::path& folder)
{
    if (!RemoveDirectoryW(folder.c_str()))
        throw IoError(IoCodeFromWin32(GetLastError()));
}

#else

void MoveFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return;
    if (errno != EINVAL && errno != ENOSYS)
        ThrowIoErrorFromErrno();
    // The file system cannot rename without replacing: a hard link fails on an
    // existing target just the same.
    if (link(from.c_str(), to.c_str()) != 0)
        ThrowIoErrorFromErrno();
    if (unlink(from.c_str()) != 0) {
        const int err = errno;
        unlink(to.c_str());
        throw IoError(IoCodeFromErrno(err));
    }
}

void RemoveFolder(const std::filesystem::path& folder)
{
    if (rmdir(folder.c_str()) != 0)
        ThrowIoErrorFromErrno();
}

#endif

} // namespace quarnel
