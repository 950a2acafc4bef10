#pragma once
// Where the program finds its folders: everything sits beside the executable,
// or, when the executable's folder may not be written (an install in
// /usr/bin), in the per-user folder of UserDataFolder.h.
#include <filesystem>
#include <string>

namespace quarnel {

// Folder of the running executable, with a trailing separator, as UTF-8
// text (on Windows from its UTF-16 form; PathFromUtf8 turns it and the paths
// formed from it back into a path). Tests point it at a temporary folder
// with SetExecutableFolder.
std::string ExecutableFolder();
void SetExecutableFolder(const std::filesystem::path& folder);
// Records the executable's own path (called once by the program entry) and
// so the folder the program works in: the executable's, or the per-user
// folder (created when missing) when the executable's refuses new files.
void SetExecutablePath(const std::filesystem::path& exe);

// The native path separator as text ("/" on Linux, "\" on Windows).
std::string Separator();

// The game sub-folder text: "/FO1/" or "/FO2/" (backslashes on Windows).
std::string GameSubDirText(bool secondGame);

// The temp folder: executable folder + "temp".
std::filesystem::path TempFolder();

} // namespace quarnel
