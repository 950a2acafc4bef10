#pragma once
// Which picture file an FID of a listed art type names: the FID's type
// (bits 24-27) chooses the list, its index (bits 0-11) the line, counted
// from 0, and that line's name (ParseArtList) is the file in the type's
// folder, its extension included:
//   0 items      art/items/items.lst
//   2 scenery    art/scenery/scenery.lst
//   3 walls      art/walls/walls.lst
//   4 tiles      art/tiles/tiles.lst
//   5 misc       art/misc/misc.lst
//   7 inventory  art/inven/inven.lst
// The other bits name nothing for these types and are ignored, as the games
// ignore them. Critters (type 1) name their files by their own rules
// (CritterFid.h).
#include <cstdint>
#include <string>
#include <vector>

namespace quarnel {

inline constexpr std::uint32_t kCritterArtType = 1;

struct ArtType {
    std::uint32_t type;
    const char* word;   // "items"
    const char* folder; // "art/items/"
    const char* list;   // "art/items/items.lst"
};

// The type's entry (critters' included), or nullptr for a type with no list.
const ArtType* FindArtType(std::uint32_t type);

// Why the FID's type has no list; empty when it has one.
std::string ArtTypeProblem(std::uint32_t fid);

struct ListedArtName {
    std::string baseName; // "knife", the line's name lower-cased, without its extension
    std::string path;     // "art/items/knife.frm"
    std::string problem;  // set when there is no name; the rest is then empty
};

// names: the lines of the type's list. For a listed type other than critters.
ListedArtName ListedArtFileName(std::uint32_t fid, const std::vector<std::string>& names);

} // namespace quarnel
