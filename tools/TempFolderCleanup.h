#pragma once
// Removal of the scratch folder when the program closes.
#include <filesystem>

namespace quarnel {

// Deletes the ordinary, non-hidden files of the folder (a file that cannot be
// deleted is skipped silently), then removes the folder itself. Throws
// IoError when the folder cannot be removed (145 when something is left in
// it, 2 when it does not exist), so that the caller can keep the window open.
// A link in place of the folder (on Windows also a junction) is not emptied:
// only the link itself is removed, where the system removes it like a folder.
void DeleteFolder(const std::filesystem::path& folder);

} // namespace quarnel
