#pragma once
// The three error kinds of the core. Every user action turns them into the
// error box through RunGuarded (ErrorBoundary.h).
#include <stdexcept>
#include <string>
#include <system_error>

namespace quarnel {

// An input/output failure, carrying the error number of the message table.
class IoError : public std::runtime_error {
public:
    explicit IoError(int code);
    int code() const { return code_; }

private:
    int code_;
};

// A text that is not a valid integer.
class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(const std::string& text);
};

// A failure of the ZIP reader, with its fixed message text.
class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Message of an input/output error number: 2 "File not found", ..., else "I/O error %d".
std::string IoErrorMessage(int code);

// Maps a C errno value to the error number of the message table.
int IoCodeFromErrno(int err);

// Maps a Win32 error number (GetLastError) to the error number of the message table.
int IoCodeFromWin32(unsigned long error);

// Maps an error of the C++ file system library: a Win32 number on Windows
// when it comes from the system, an errno value otherwise.
int IoCodeFromErrorCode(const std::error_code& error);

// Throws IoError for the current errno.
[[noreturn]] void ThrowIoErrorFromErrno();

} // namespace quarnel
