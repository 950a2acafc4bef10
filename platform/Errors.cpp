#include "platform/Errors.h"

#include <cerrno>

namespace quarnel {

IoError::IoError(int code)
    : Refusal(code == 2 ? RefusalKind::NotFound : RefusalKind::Io, IoErrorMessage(code)), code_(code)
{
}

ConvertError::ConvertError(const std::string& text)
    : Refusal(RefusalKind::Invalid, "'" + text + "' is not a valid integer value")
{
}

std::string IoErrorMessage(int code)
{
    switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
    default: return "I/O error " + std::to_string(code);
    }
}

int IoCodeFromErrno(int err)
{
    switch (err) {
    case ENOENT: return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY: return 5;
    case ENOSPC:
#ifdef EDQUOT // not defined by the Windows C runtime
    case EDQUOT:
#endif
        return 101;
    case ENOTEMPTY:
    case EEXIST: return 145;
    default: return err;
    }
}

int IoCodeFromWin32(unsigned long error)
{
    // Win32 error numbers 2 to 5 are the message table's own numbers; a full
    // disk has two numbers of its own; every other number is shown as it is
    // (145 a folder that is not empty, 183 a file that already exists).
    switch (error) {
    case 39:  // ERROR_HANDLE_DISK_FULL
    case 112: // ERROR_DISK_FULL
        return 101;
    default: return static_cast<int>(error);
    }
}

int IoCodeFromErrorCode(const std::error_code& error)
{
#ifdef _WIN32
    if (error.category() == std::system_category())
        return IoCodeFromWin32(static_cast<unsigned long>(error.value()));
#endif
    return IoCodeFromErrno(error.default_error_condition().value());
}

void ThrowIoErrorFromErrno() { throw IoError(IoCodeFromErrno(errno)); }

} // namespace quarnel
