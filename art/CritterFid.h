#pragma once
// Which picture file a critter's FID (bytes 8 to 11 of its record) names:
//   bits 24-27  type, 1 for critter art
//   bits  0-11  line of art/critters/critters.lst, counted from 0
//   bits 12-15  weapon code, bits 16-23 animation: the standing picture
//               without a weapon (both 0) is <name>aa, with weapon w
//               (1 to 10) <name> + ('d' + w - 1) + 'a'
//   bits 28-30  rotation: 0 the six-direction .frm, r (1 to 6) the
//               one-direction file .fr<r-1>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

inline constexpr const char* kCritterArtList = "art/critters/critters.lst";
inline constexpr const char* kCritterArtFolder = "art/critters/";

constexpr std::uint32_t ArtFidType(std::uint32_t fid) { return fid >> 24 & 0xF; }
constexpr std::uint32_t ArtFidIndex(std::uint32_t fid) { return fid & 0xFFF; }
constexpr std::uint32_t ArtFidWeapon(std::uint32_t fid) { return fid >> 12 & 0xF; }
constexpr std::uint32_t ArtFidAnimation(std::uint32_t fid) { return fid >> 16 & 0xFF; }
constexpr std::uint32_t ArtFidRotation(std::uint32_t fid) { return fid >> 28 & 0x7; }

// The names of an art list, one per line (CR LF or LF): a line's text up to
// its first comma, blank, tab or semicolon.
std::vector<std::string> ParseArtList(std::string_view text);

// Why line `index` of an art list (ParseArtList) names no file: past the
// list's end, or empty; empty when it names one. list names the list's path.
std::string ArtListLineProblem(std::uint32_t index, const std::vector<std::string>& names, const std::string& list);

// The standing picture's file, or why the FID names none.
struct CritterArtName {
    std::string baseName;  // "hmjmpsaa", without folder or extension
    std::string extension; // ".frm", or ".fr0" to ".fr5" for a rotation
    std::string problem;   // set when there is no name; the rest is then empty
};

// Why the FID cannot name a standing critter picture whatever the list
// holds (type, animation, weapon code, rotation); empty when it can.
std::string FidProblem(std::uint32_t fid);

// names: the lines of critters.lst (ParseArtList).
CritterArtName CritterArtFileName(std::uint32_t fid, const std::vector<std::string>& names);

// "0x0100007B", as FIDs are written in texts.
std::string FidText(std::uint32_t fid);

} // namespace quarnel
