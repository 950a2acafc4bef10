#pragma once
// File operations whose exact failure matters to the caller: a move that never
// replaces an existing file, and the removal of a folder that must be empty.
#include <filesystem>

namespace quarnel {

// Renames a file (same volume). Throws IoError when the target already exists
// (error 145 on Linux, the system's error number on Windows) or the move fails.
void MoveFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes an empty folder. Throws IoError: 145 when it is not empty,
// 2 "File not found" when it does not exist.
void RemoveFolder(const std::filesystem::path& folder);

} // namespace quarnel
