#pragma once
// File operations whose exact failure matters to the caller: a move that never
// replaces an existing file, the removal of a folder that must be empty, and
// writing that never goes through a link.
#include <cstdio>
#include <filesystem>

namespace quarnel {

// Renames a file (same volume). Throws IoError when the target already exists
// (error 145 on Linux, the system's error number on Windows) or the move fails.
void MoveFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes an empty folder. Throws IoError: 145 when it is not empty,
// 2 "File not found" when it does not exist.
void RemoveFolder(const std::filesystem::path& folder);

// Whether the path itself is a symbolic link (on Windows any reparse point,
// junctions included), without following it.
bool IsLink(const std::filesystem::path& path);

// Removes a link itself, never what it points to. IoError on failure.
void RemoveLink(const std::filesystem::path& link);

// Removes whatever file or link is at the path (never what a link points to)
// and creates a new empty file there for writing. The creation is exclusive
// and follows no link, so a link or file planted meanwhile is never written
// through. nullptr with errno set when the file cannot be created.
std::FILE* CreateFreshFile(const std::filesystem::path& file);

} // namespace quarnel
