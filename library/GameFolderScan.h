#pragma once
// The first step of building the critter list: walk the game folder once,
// look up each file's critter name and write the names, in folder order, into
// the scratch file tmp.txt of the temp folder (and each file's text ID into
// listfiles.txt). The list fill pairs the n-th file with the n-th name.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quarnel {

inline constexpr const char* kNamesFileName = "tmp.txt";
inline constexpr const char* kNumberFileName = "listfiles.txt";
inline constexpr const char* kNameTableFileName = "pro_crit.ini";
inline constexpr const char* kNameTableSection = "Description";

// The number of a prototype file: its first eight characters as integer text
// (00000123.pro -> 123). ConvertError "'rat.pro' is not a valid integer value" otherwise.
std::int32_t FileNumberOf(const std::string& fileName);

// The text ID a file number stands for (number x 100, wrapped to 32 bits),
// whose decimal text is the file's key in the name table.
std::int32_t TextIdOfFileNumber(std::int32_t fileNumber);

// The PID number the list shows for a file number (16777216 + number, wrapped).
std::int32_t PidNumberOfFileNumber(std::int32_t fileNumber);

// Creates tempFolder with its parents, rewrites tmp.txt and listfiles.txt
// (CRLF lines) from the *.pro files of gameFolder in listing order, looking
// names up in section Description of iniFile. The table is read when the first
// file needs it, once per scan. Errors: ConvertError for a file name that is
// not a number, IoError for the table (2 when missing) or the scratch files.
// A failing scan closes both scratch files; the lines written before the
// failure stay in them.
void ScanGameFolder(const std::filesystem::path& gameFolder, const std::filesystem::path& iniFile,
                    const std::filesystem::path& tempFolder);

// The lines of tmp.txt, raw bytes. IoError 2 when the file is missing.
std::vector<std::string> ReadNamesFile(const std::filesystem::path& tempFolder);

} // namespace quarnel
