#pragma once
// The first step of building the critter list: walk the game folder once,
// look up each file's critter name and write the names, in folder order, into
// the scratch file tmp.txt of the temp folder (and each file's text ID into
// listfiles.txt). The list fill pairs the n-th file with the n-th name.
#include "library/NameTable.h"
#include "library/TextEncoding.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace quarnel {

inline constexpr const char* kNamesFileName = "tmp.txt";
inline constexpr const char* kNumberFileName = "listfiles.txt";

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
// names up in nameFile (section Description of an ini, or a message file:
// CritterNameFile.h). The table is read when the first
// file needs it, once per scan. Errors: ConvertError for a file name that is
// not a number, IoError for the table (2 when missing) or the scratch files.
// A failing scan closes both scratch files; the lines written before the
// failure stay in them.
// The result tells which file each line of tmp.txt belongs to: files[n] is the
// file of line n. table is the name table the scan read (none when the folder
// held no file, since the table is read only for the first file). namesError
// is a message file's fault; the names before it were used. encoding is the
// name file's (chosen, or decided from its bytes: ChooseNameEncoding with no
// language); Automatic while no table was read. The names stay raw bytes.
struct GameFolderScanResult {
    std::vector<std::string> files;
    std::optional<NameTable> table;
    std::string namesError;
    NameEncoding encoding = NameEncoding::Automatic;
};
GameFolderScanResult ScanGameFolder(const std::filesystem::path& gameFolder, const std::filesystem::path& nameFile,
                                    const std::filesystem::path& tempFolder,
                                    NameEncoding chosen = NameEncoding::Automatic);

// The names of a later listing of the folder, each file paired with its own
// name even when files were added or removed since the scan: the line of
// tmp.txt that the scan wrote for that file (empty when the file has no line),
// or, for a file the scan did not see, its name in the scan's table (empty
// when the scan read none). With the folder unchanged this is tmp.txt line by
// line.
class ListingNames {
public:
    // scan must outlive this object.
    ListingNames(const GameFolderScanResult& scan, std::vector<std::string> namesLines);
    // ConvertError for a file the scan did not see whose name is not a number.
    std::string NameOf(const std::string& fileName) const;

private:
    const GameFolderScanResult& scan_;
    std::vector<std::string> lines_;
    std::unordered_map<std::string, std::size_t> lineOfFile_;
};

// The lines of tmp.txt, raw bytes. IoError 2 when the file is missing.
std::vector<std::string> ReadNamesFile(const std::filesystem::path& tempFolder);

} // namespace quarnel
