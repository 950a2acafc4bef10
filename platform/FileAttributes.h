#pragma once
// Read-only handling of prototype files. On Linux "read-only only" clears
// every write bit and "archive only" gives the owner write permission back.
#include <filesystem>

namespace quarnel {

// Both return false (and change nothing) when the path is empty or names no file.
bool SetReadOnlyOnly(const std::filesystem::path& file);
bool SetArchiveOnly(const std::filesystem::path& file);
bool IsReadOnly(const std::filesystem::path& file);

// Whether a write would succeed: the file opened for reading and writing,
// its read-only attribute cleared for the moment when it has one, and every
// attribute put back as it was. 0 when it opens, else the error number of the
// message table (5 for a file of another user or one that may not change).
int WriteAccessError(const std::filesystem::path& file);

} // namespace quarnel
