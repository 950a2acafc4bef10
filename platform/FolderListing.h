#pragma once
// Folder listing by extension: ordinary files only (no folders, no hidden
// files), the extension matched without regard to case, names in ascending
// order so that two listings of an unchanged folder always agree.
#include <filesystem>
#include <string>
#include <vector>

namespace quarnel {

// extension like ".pro"; an empty extension lists every ordinary file ("*.*").
// A folder that does not exist lists nothing.
std::vector<std::string> ListFolderFiles(const std::filesystem::path& folder, const std::string& extension);

} // namespace quarnel
