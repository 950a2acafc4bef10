#pragma once
// Texts and sizes the window shows in game-folder mode, shared by the files
// that show the list, the status bar and the caption.

namespace quarnel {

inline const char* const kLayerSeparator = " \u2014 "; // between a path and its layer, and the caption and the folder
inline constexpr int kFileColumnWidth = 85;            // the list's columns as laid out
inline constexpr int kNameColumnWidth = 143;
inline constexpr int kPidColumnWidth = 70;
inline constexpr int kCritterButtonsTop = 234; // SAVE and CANCEL under the critter's picture
inline const char* const kFirstGameRecordMark = " (412 bytes)";
inline const char* const kFirstGameRecordTip = "412 bytes: a first game's record, the second game reads 416";

} // namespace quarnel
