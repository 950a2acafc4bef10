#pragma once
// The refusals of the core with fixed texts: input/output, integer text and
// the ZIP reader. Every user action turns them into the error box through
// RunGuarded (ErrorBoundary.h).
#include "platform/Refusal.h"

#include <string>
#include <system_error>

namespace quarnel {

// An input/output failure, carrying the error number of the message table;
// its kind is NotFound for number 2, else Io.
class IoError : public Refusal {
public:
    explicit IoError(int code);
    int code() const { return code_; }

private:
    int code_;
};

// A text that is not a valid integer (kind Invalid).
class ConvertError : public Refusal {
public:
    explicit ConvertError(const std::string& text);
};

// A failure of an archive reader (ZIP, DAT) or of the game's tree, with its
// fixed message text; Damaged unless the thrower knows better.
class ArchiveError : public Refusal {
public:
    explicit ArchiveError(const std::string& message, RefusalKind kind = RefusalKind::Damaged) : Refusal(kind, message)
    {
    }
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
