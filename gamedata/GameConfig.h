#pragma once
// The [system] keys of fallout.cfg / fallout2.cfg that say where the game
// finds its files. A key that is missing keeps its default; a missing file
// gives all defaults.
#include <filesystem>
#include <string>

namespace quarnel {

struct GameConfig {
    std::string masterDat = "master.dat";
    std::string masterPatches = "data";
    std::string critterDat = "critter.dat";
    std::string critterPatches = "data";
    std::string language = "english";
    bool critterDatNamed = false; // critter_dat was given, not taken by default
};

// Keys of [system] only; sections and keys without regard to case, blanks
// around keys and values dropped, a ';' anywhere starts a comment, lines
// starting with '#' skipped, a UTF-8 byte order mark at the start skipped.
// ArchiveError naming the file when it cannot be read.
GameConfig ReadGameConfig(const std::filesystem::path& file);

// The same from the file's text.
GameConfig ParseGameConfig(std::string_view text);

} // namespace quarnel
