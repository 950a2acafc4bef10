#pragma once
// Checks of file names and relative paths that are written on every system the program runs on.
#include <functional>
#include <string>
#include <string_view>

namespace quarnel {

// Whether a plain file name (no folder part) may be written into the temp
// folder on every system the program runs on: not empty, not beginning with a
// dot (a hidden file there, which the clean-up at exit leaves alone), not
// ending in a dot or blank (which Windows strips), and not a Windows device
// name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension).
bool IsPortableFileName(const std::string& name);

// Whether a member path ("/" between folders) written under a target folder
// stays inside it: not empty, no NUL, not absolute, no drive letter, no ".."
// part, and a last part that is neither empty nor "." and holds no ':'.
bool IsSafeRelativePath(const std::string& path);

// Whether test holds for every part of a path with "/" between its parts
// (an empty path has one empty part).
bool EveryPathPart(std::string_view path, const std::function<bool(std::string_view)>& test);

} // namespace quarnel
