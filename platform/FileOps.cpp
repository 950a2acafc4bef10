#include "platform/FileOps.h"

#include "platform/Errors.h"

#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
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

namespace {

DWORD AttributesOf(const std::filesystem::path& path) { return GetFileAttributesW(path.c_str()); }

int ErrnoFromWindows(DWORD error)
{
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    default: return EIO;
    }
}

} // namespace

bool IsLink(const std::filesystem::path& path)
{
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

void RemoveLink(const std::filesystem::path& link)
{
    // A junction or a folder link is removed as a folder, a file link as a
    // file; neither call touches the target.
    const DWORD attributes = AttributesOf(link);
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!(folder ? RemoveDirectoryW(link.c_str()) : DeleteFileW(link.c_str())))
        throw IoError(IoCodeFromWin32(GetLastError()));
}

std::FILE* CreateFreshFile(const std::filesystem::path& file)
{
    const DWORD old = AttributesOf(file);
    if (old != INVALID_FILE_ATTRIBUTES) {
        if ((old & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            if (!((old & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(file.c_str()) : DeleteFileW(file.c_str()))) {
                errno = ErrnoFromWindows(GetLastError());
                return nullptr;
            }
        } else if ((old & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            // A read-only copy cannot be deleted until the attribute is cleared.
            SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(file.c_str()); // a failure shows as "exists" below
        }
    }
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = ErrnoFromWindows(GetLastError());
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        info.nNumberOfLinks != 1) {
        CloseHandle(handle);
        errno = EEXIST;
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd == -1) {
        CloseHandle(handle);
        errno = EIO;
        return nullptr;
    }
    std::FILE* out = _fdopen(fd, "wb");
    if (!out)
        _close(fd);
    return out;
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

bool IsLink(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec));
}

void RemoveLink(const std::filesystem::path& link)
{
    if (unlink(link.c_str()) != 0)
        ThrowIoErrorFromErrno();
}

std::FILE* CreateFreshFile(const std::filesystem::path& file)
{
    // unlink removes a file or a link (never its target); a folder stays and
    // makes the exclusive creation fail.
    if (unlink(file.c_str()) != 0 && errno != ENOENT && errno != EISDIR && errno != EPERM)
        return nullptr;
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd == -1)
        return nullptr;
    std::FILE* out = fdopen(fd, "wb");
    if (!out) {
        const int err = errno;
        close(fd);
        errno = err;
    }
    return out;
}

#endif

} // namespace quarnel
