#pragma once
// Read-only handling of prototype files. On Linux "read-only only" clears
// every write bit and "archive only" gives the owner write permission back.
#include <filesystem>

namespace quarnel {

// Both return false (and change nothing) when the path is empty or names no file.
bool SetReadOnlyOnly(const std::filesystem::path& file);
bool SetArchiveOnly(const std::filesystem::path& file);
bool IsReadOnly(const std::filesystem::path& file);

} // namespace quarnel
