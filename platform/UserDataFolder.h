#pragma once
// The per-user folder a program installed in a folder its user may not write
// (such as /usr/bin) works in instead of its own.
#include <filesystem>

namespace quarnel {

// $XDG_DATA_HOME/quarnel, or ~/.local/share/quarnel when that variable is
// unset or not an absolute path; %LOCALAPPDATA%\Quarnel on Windows. Empty when
// the environment names no such place. Nothing is created.
std::filesystem::path UserDataFolder();

// True when the folder exists and its user may not create files in it. A
// probe file is created and removed again to find out, since permission bits
// alone do not tell (access lists, read-only mounts).
bool FolderRefusesNewFiles(const std::filesystem::path& folder);

} // namespace quarnel
