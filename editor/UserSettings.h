#pragma once
// The window's settings kept for the user between runs (an ini file in the
// user's configuration folder: QSettings, IniFormat, UserScope).
#include "library/TextEncoding.h"

#include <string>
#include <vector>

namespace quarnel {

// Tools / "Name encoding"; Automatic when never chosen or unreadable.
NameEncoding ReadNameEncodingSetting();
void WriteNameEncodingSetting(NameEncoding encoding);

// File / "Recent game folders": the last folders opened, the latest first.
inline constexpr int kRecentGameFolderCount = 8;
std::vector<std::string> ReadRecentGameFolders();
// Puts the folder first (once), keeping at most kRecentGameFolderCount.
void AddRecentGameFolder(const std::string& folder);
void RemoveRecentGameFolder(const std::string& folder);
// A folder as the list keeps it: absolute, without "." or ".." parts and
// without a separator at its end (UTF-8).
std::string NormalFolderText(const std::string& folder);

} // namespace quarnel
