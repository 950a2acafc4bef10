#pragma once
// A second-game install holding prototypes of every type beside critters,
// laid out byte by byte with the offsets of the record description (never
// through the product's layout table): items of every subtype, scenery of
// every subtype, a wall, a tile and a misc object, their list files (one item
// the list does not name, one line naming a file the tree lacks) and message
// files, their art and palette in master.dat, and patch000.dat holding its
// own copy of one item, which the game reads first.
#include "FrmBuilder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quarnel::test {

// Offsets of the record description used to build the records.
inline constexpr int kOffsetPid = 0; // type byte << 24 | line of the list file
inline constexpr int kOffsetTextId = 4;
inline constexpr int kOffsetFid = 8;
inline constexpr int kOffsetSubtype = 32;      // items and scenery
inline constexpr int kOffsetItemMaterial = 36; // items and scenery
inline constexpr int kOffsetInventoryFid = 52; // items

// One prototype of the tree, as the game serves it.
struct BuiltPrototype {
    std::string folder;     // "items"
    std::string fileName;   // "00000004.pro"
    int typeByte = 0;       // 0 items, 2 scenery, 3 walls, 4 tiles, 5 misc
    std::string subtype;    // as the command line names it: "weapon", "ladder up"; empty without subtypes
    int subtypeNumber = -1; // as stored (bytes 32-35); -1 without subtypes
    int line = 0;           // its line in the list file, from 1; 0 when no line names it
    std::int32_t textId = 0;
    std::string name;                // the message file's entry of textId
    std::string description;         // the entry of textId + 1
    std::vector<std::uint8_t> bytes; // the serving copy's
    std::string layer;               // the archive serving it

    std::string TreePath() const { return "proto/" + folder + "/" + fileName; }
    std::uint32_t Pid() const { return static_cast<std::uint32_t>(typeByte) << 24 | static_cast<std::uint32_t>(line); }
};

// A picture of the tree's art: the FRM's recipe and where it lies.
struct BuiltPicture {
    std::string path; // "art/items/gun.frm"
    FrmRecipe recipe;
};

struct TypeTree {
    std::filesystem::path root;
    std::vector<BuiltPrototype> prototypes; // per folder in list-file order, unlisted files after
    std::vector<BuiltPicture> pictures;
    // items.lst names this file on line missingItemLine; the tree lacks it.
    std::string missingItem;
    int missingItemLine = 0;
    // The item patch000.dat shadows, and master.dat's own copy of it.
    std::string shadowedItem;
    std::vector<std::uint8_t> shadowedArchiveBytes;

    const BuiltPrototype& Get(const std::string& folder, const std::string& fileName) const;
    // The item of a subtype ("weapon"); the listed one when two share it.
    const BuiltPrototype& Item(const std::string& subtype) const;
    std::vector<const BuiltPrototype*> InFolder(const std::string& folder) const;
    const BuiltPicture& Picture(const std::string& path) const;
    // Where a save of an item lands: the override folder of the install.
    std::filesystem::path OverrideItem(const std::string& fileName) const;
};

// Writes master.dat, critter.dat, patch000.dat, an empty data folder and
// fallout2.cfg into root (created when missing). One critter comes along,
// so that the window opens on critters as before.
TypeTree BuildTypeTree(const std::filesystem::path& root);

// A big-endian field of a record (the games store every field so).
std::uint32_t ReadBigEndian(const std::vector<std::uint8_t>& bytes, int offset, int width);
void WriteBigEndian(std::vector<std::uint8_t>& bytes, int offset, int width, std::uint32_t value);

// Pixels of a frame: 1 + (base + 3x + 7y) mod 255 at (x, y), never 0 (transparent).
std::vector<std::uint8_t> PatternPixels(int width, int height, int base);

} // namespace quarnel::test
