#pragma once
// The program-wide state: one instance each, alive for the whole run.
#include "platform/Utf8.h"

#include <cstdint>
#include <string>

namespace quarnel {

// Paths are kept as UTF-8 text, which holds any file name on Windows too:
// PathFromUtf8 makes the path to open, Utf8FromPath the text of a path.
extern std::string GameSubDir;         // "/FO1/" or "/FO2/" (backslashes on Windows)
extern std::string GamePath;           // executable folder + GameSubDir
extern bool IsSecondGame;              // chooses the skill formulas and the conversion item
extern bool IsLoading;                 // while set, no change rule runs
extern std::string CurrentCritterPath; // full path of the critter file shown
extern std::int32_t SelectedRowIndex;  // list row loaded last, reselected by every fill
extern bool HasInvalidField;           // the last entry check found a text that is not integer text
extern int FidLowByte;                 // FID index of the critter shown, its line in the picture list
extern std::uint8_t PreviewView;       // view number 0 to 5 of the preview picture

// Puts every global back to its start value (a new window starts from these).
void ResetGlobals();

// Sets IsLoading for the lifetime of the object and restores the previous value after.
class LoadingScope {
public:
    LoadingScope() : previous_(IsLoading) { IsLoading = true; }
    ~LoadingScope() { IsLoading = previous_; }
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;

private:
    bool previous_;
};

} // namespace quarnel
