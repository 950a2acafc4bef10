#pragma once
// The messages of a write that is refused before anything is written, shared
// by SAVE and the other-fields dialog.
#include <filesystem>
#include <string>

namespace quarnel {

inline std::string NoCritterSelectedText() { return "No critter is selected, so nothing was saved."; }

inline std::string NotLoadedText(const std::filesystem::path& file)
{
    return file.filename().string() + " was not loaded (a critter file has 412 or 416 bytes), so nothing was saved.";
}

inline std::string ChangedSizeText(const std::filesystem::path& file)
{
    return file.filename().string() + " changed size since it was loaded, so nothing was saved.";
}

} // namespace quarnel
