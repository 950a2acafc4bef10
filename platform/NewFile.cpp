#include "platform/NewFile.h"

#include "platform/Errors.h"
#include "platform/WriteRefusal.h"

#include <cerrno>
#include <random>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace quarnel {
namespace {

constexpr int kTemporaryNameAttempts = 100;

// ".name.<random>.tmp" beside the file: hidden from the folder listings, and
// never taken for a prototype or picture by its extension.
fs::path TemporaryName(const fs::path& file, std::mt19937& random)
{
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::string suffix = ".";
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int i = 0; i < 8; ++i)
        suffix += kDigits[random() % 36];
    fs::path name = file.filename();
    name += suffix + ".tmp";
    return folder / (fs::path(".") += name);
}

[[noreturn]] void RefuseCreation(const fs::path& file, int code)
{
    if (code == 5)
        throw WriteRefusedError(WriteRefusalKind::NotWritable, file,
                                "cannot be created, its folder may not be written (" + IoErrorMessage(code) + ")");
    throw IoError(code);
}

} // namespace

void CheckReplaceable(const fs::path& file)
{
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file, ec);
    switch (status.type()) {
    case fs::file_type::not_found:
    case fs::file_type::regular: break;
    case fs::file_type::symlink:
        throw WriteRefusedError(WriteRefusalKind::Link, file, "is a link; not replaced, not written through");
    case fs::file_type::directory: throw WriteRefusedError(WriteRefusalKind::Folder, file, "is a folder, not a file");
    case fs::file_type::fifo:
        throw WriteRefusedError(WriteRefusalKind::NotRegularFile, file, "not a regular file (a FIFO)");
    case fs::file_type::socket:
        throw WriteRefusedError(WriteRefusalKind::NotRegularFile, file, "not a regular file (a socket)");
    case fs::file_type::block:
    case fs::file_type::character:
        throw WriteRefusedError(WriteRefusalKind::NotRegularFile, file, "not a regular file (a device)");
    default:
        if (ec)
            throw IoError(IoCodeFromErrorCode(ec));
        throw WriteRefusedError(WriteRefusalKind::NotRegularFile, file, "not a regular file");
    }
#ifdef _WIN32
    // A junction or another reparse point that the library does not call a link.
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        throw WriteRefusedError(WriteRefusalKind::Link, file, "is a link; not replaced, not written through");
#endif
}

#ifdef _WIN32

void CheckFolderTakesFiles(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw WriteRefusedError(WriteRefusalKind::FileInTheWay, folder, "is not a folder");
    // Windows keeps who may write in access lists; the creation itself tells.
}

void WriteNewFile(const fs::path& file, const std::vector<std::uint8_t>& bytes, bool readOnly)
{
    CheckReplaceable(file);
    std::mt19937 random(std::random_device{}());
    fs::path temporary;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && handle == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryName(file, random);
        handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            RefuseCreation(file, IoCodeFromWin32(GetLastError()));
    }
    if (handle == INVALID_HANDLE_VALUE)
        throw IoError(IoCodeFromWin32(ERROR_FILE_EXISTS));
    auto fail = [&](DWORD error) {
        CloseHandle(handle);
        SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(temporary.c_str());
        throw IoError(IoCodeFromWin32(error));
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            fail(GetLastError());
        done += written;
    }
    if (!FlushFileBuffers(handle))
        fail(GetLastError());
    CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    auto removeTemporary = [&] {
        SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(temporary.c_str());
    };
    if (readOnly && !SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_READONLY)) {
        const DWORD error = GetLastError();
        removeTemporary();
        throw IoError(IoCodeFromWin32(error));
    }
    try {
        CheckReplaceable(file); // whatever came meanwhile
    } catch (...) {
        removeTemporary();
        throw;
    }
    // A read-only regular file in the way cannot be replaced until its attribute is cleared.
    const DWORD old = GetFileAttributesW(file.c_str());
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) != 0)
        SetFileAttributesW(file.c_str(), old & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    if (!MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        removeTemporary();
        throw IoError(IoCodeFromWin32(error));
    }
}

#else

void CheckFolderTakesFiles(const fs::path& folder)
{
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0)
        throw IoError(IoCodeFromErrno(errno));
    if (!S_ISDIR(info.st_mode))
        throw WriteRefusedError(WriteRefusalKind::FileInTheWay, folder, "is not a folder");
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        throw WriteRefusedError(WriteRefusalKind::NotWritable, folder,
                                "folder may not be written (" + IoErrorMessage(IoCodeFromErrno(errno)) + ")");
}

void WriteNewFile(const fs::path& file, const std::vector<std::uint8_t>& bytes, bool readOnly)
{
    CheckReplaceable(file);
    std::mt19937 random(std::random_device{}());
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && fd == -1; ++attempt) {
        temporary = TemporaryName(file, random);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd == -1 && errno != EEXIST)
            RefuseCreation(file, IoCodeFromErrno(errno));
    }
    if (fd == -1)
        throw IoError(IoCodeFromErrno(EEXIST));
    auto fail = [&](int error) {
        if (fd != -1)
            close(fd);
        unlink(temporary.c_str());
        throw IoError(IoCodeFromErrno(error));
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail(written == 0 ? ENOSPC : errno);
        done += static_cast<std::size_t>(written);
    }
    // A file system that cannot flush (EINVAL) still takes the file.
    if (fsync(fd) != 0 && errno != EINVAL)
        fail(errno);
    struct stat info {};
    if (readOnly && (fstat(fd, &info) != 0 || fchmod(fd, info.st_mode & 07555) != 0))
        fail(errno);
    const int closed = close(fd);
    fd = -1;
    if (closed != 0)
        fail(errno);
    try {
        CheckReplaceable(file); // whatever came meanwhile
    } catch (...) {
        unlink(temporary.c_str());
        throw;
    }
    if (rename(temporary.c_str(), file.c_str()) != 0)
        fail(errno);
    // The new name itself reaches the disk with the folder.
    const int folder = open(temporary.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder != -1) {
        fsync(folder);
        close(folder);
    }
}

#endif

} // namespace quarnel
