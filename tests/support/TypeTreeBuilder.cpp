#include "TypeTreeBuilder.h"

#include "DatWriter.h"
#include "ProtoBuilder.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace quarnel::test {
namespace {

constexpr std::uint32_t kNoPicture = 0xFFFFFFFF;

// One record to build: where it lies, what it is, its text and pictures.
struct Recipe {
    const char* folder;
    const char* fileName;
    int typeByte;
    int subtype; // -1: the type has none
    const char* subtypeWord;
    int size;
    int line;
    std::int32_t textId;
    const char* name;
    std::uint32_t fid;
    std::uint32_t inventoryFid; // items only
    std::uint32_t material;     // items and scenery
};

// Items in items.lst order, then the one it does not name; sizes by subtype.
// Ground pictures: line 0 of items.lst 137 x 129, line 1 animated, line 2
// missing. Inventory pictures: line 0 of inven.lst 138 x 129, line 1 small.
const std::vector<Recipe> kRecipes = {
    {"items", "00000007.pro", 0, 0, "armor", 129, 1, 700, "Leather Jacket", 0x00000000, 0x07000000, 7},
    {"items", "00000002.pro", 0, 1, "container", 65, 2, 200, "Footlocker", 0x00000002, kNoPicture, 3},
    {"items", "00000003.pro", 0, 2, "drug", 125, 3, 300, "Stimpak", 0x00000002, kNoPicture, 2},
    {"items", "00000004.pro", 0, 3, "weapon", 122, 4, 400, "Hunting Rifle", 0x00000001, 0x07000001, 99},
    {"items", "00000005.pro", 0, 4, "ammo", 81, 5, 500, "10mm JHP", 0x00000002, kNoPicture, 1},
    {"items", "00000006.pro", 0, 5, "misc", 69, 6, 600, "Geiger Counter", 0x00000002, kNoPicture, 2},
    {"items", "00000001.pro", 0, 6, "key", 61, 7, 100, "Door Key", 0x00000002, kNoPicture, 1},
    {"items", "00000008.pro", 0, 3, "weapon", 122, 0, 800, "Spare Knife", 0x00000002, kNoPicture, 1},
    // Scenery: the door's picture has six directions, the others' is missing.
    {"scenery", "00000001.pro", 2, 0, "door", 49, 1, 100, "Wooden Door", 0x02000000, 0, 3},
    {"scenery", "00000002.pro", 2, 1, "stairs", 49, 2, 200, "Stairs Down", 0x02000001, 0, 5},
    {"scenery", "00000003.pro", 2, 2, "elevator", 49, 3, 300, "Freight Elevator", 0x02000001, 0, 1},
    {"scenery", "00000004.pro", 2, 3, "ladder up", 45, 4, 400, "Ladder Up", 0x02000001, 0, 1},
    {"scenery", "00000005.pro", 2, 4, "ladder down", 45, 5, 500, "Ladder Down", 0x02000001, 0, 1},
    {"scenery", "00000006.pro", 2, 5, "generic", 45, 6, 600, "Campfire", 0x02000001, 0, 4},
    // Their art lists are missing: their pictures say so.
    {"walls", "00000001.pro", 3, -1, "", 36, 1, 100, "Brick Wall", 0x03000000, 0, 5},
    {"tiles", "00000001.pro", 4, -1, "", 28, 1, 100, "Dirt Floor", 0x04000000, 0, 4},
    {"misc", "00000001.pro", 5, -1, "", 28, 1, 100, "Exit Grid", 0x05000000, 0, 0},
};

// The message file of each folder's type.
const char* MessageFile(const std::string& folder)
{
    if (folder == "items")
        return "pro_item.msg";
    if (folder == "scenery")
        return "pro_scen.msg";
    if (folder == "walls")
        return "pro_wall.msg";
    return folder == "tiles" ? "pro_tile.msg" : "pro_misc.msg";
}

std::vector<std::uint8_t> BuildRecord(const Recipe& recipe, std::uint8_t seed)
{
    std::vector<std::uint8_t> bytes = ProtoBuilder(recipe.size, seed).Bytes();
    WriteBigEndian(bytes, kOffsetPid, 4,
                   static_cast<std::uint32_t>(recipe.typeByte) << 24 |
                       static_cast<std::uint32_t>(recipe.line ? recipe.line : 8));
    WriteBigEndian(bytes, kOffsetTextId, 4, static_cast<std::uint32_t>(recipe.textId));
    WriteBigEndian(bytes, kOffsetFid, 4, recipe.fid);
    if (recipe.subtype >= 0) {
        WriteBigEndian(bytes, kOffsetSubtype, 4, static_cast<std::uint32_t>(recipe.subtype));
        WriteBigEndian(bytes, kOffsetItemMaterial, 4, recipe.material);
    } else if (recipe.typeByte == 3) {
        WriteBigEndian(bytes, 32, 4, recipe.material); // a wall's material
    } else if (recipe.typeByte == 4) {
        WriteBigEndian(bytes, 24, 4, recipe.material); // a tile's material
    }
    if (recipe.typeByte == 0)
        WriteBigEndian(bytes, kOffsetInventoryFid, 4, recipe.inventoryFid);
    if (recipe.typeByte == 0 && recipe.subtype == 3) {
        WriteBigEndian(bytes, 57, 4, 7);  // weapon.animation: rifle
        WriteBigEndian(bytes, 61, 4, 8);  // weapon.min_damage
        WriteBigEndian(bytes, 65, 4, 20); // weapon.max_damage
        WriteBigEndian(bytes, 69, 4, 0);  // weapon.damage_type: normal
    }
    return bytes;
}

FrmFrameRecipe Frame(int width, int height, int base, int xOffset, int yOffset)
{
    return {width, height, PatternPixels(width, height, base), xOffset, yOffset, {}};
}

std::vector<BuiltPicture> Pictures()
{
    std::vector<BuiltPicture> pictures;
    FrmRecipe jacket;
    jacket.frameSets.push_back({Frame(137, 129, 5, 0, 0)}); // just fits the picture box
    pictures.push_back({"art/items/jacket.frm", jacket});
    FrmRecipe inventoryJacket;
    inventoryJacket.frameSets.push_back({Frame(138, 129, 7, 0, 0)}); // one column too wide
    pictures.push_back({"art/inven/ijacket.frm", inventoryJacket});

    // Two frames at 5 a second; the second moved 2 right and 1 up from the first,
    // one pixel of the first transparent.
    FrmRecipe gun;
    gun.framesPerSecond = 5;
    gun.frameSets.push_back({Frame(5, 4, 10, 0, 0), Frame(3, 2, 90, 2, -1)});
    gun.frameSets[0][0].pixels[1 * 5 + 1] = 0;
    pictures.push_back({"art/items/gun.frm", gun});
    FrmRecipe inventoryGun;
    inventoryGun.frameSets.push_back({Frame(4, 3, 150, 3, 5)});
    pictures.push_back({"art/inven/igun.frm", inventoryGun});

    // Six directions, each its own colours.
    FrmRecipe door;
    for (int d = 0; d < 6; ++d)
        door.frameSets.push_back({Frame(6, 5, 20 + 40 * d, 1, 2)});
    door.directionSet = SixDirections();
    pictures.push_back({"art/scenery/door.frm", door});
    return pictures;
}

std::string Backslashed(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

} // namespace

std::uint32_t ReadBigEndian(const std::vector<std::uint8_t>& bytes, int offset, int width)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value << 8 | bytes.at(static_cast<std::size_t>(offset + i));
    return value;
}

void WriteBigEndian(std::vector<std::uint8_t>& bytes, int offset, int width, std::uint32_t value)
{
    for (int i = width - 1; i >= 0; --i) {
        bytes.at(static_cast<std::size_t>(offset + i)) = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

std::vector<std::uint8_t> PatternPixels(int width, int height, int base)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(static_cast<std::uint8_t>(1 + (base + 3 * x + 7 * y) % 255));
    return pixels;
}

const BuiltPrototype& TypeTree::Get(const std::string& folder, const std::string& fileName) const
{
    for (const BuiltPrototype& prototype : prototypes)
        if (prototype.folder == folder && prototype.fileName == fileName)
            return prototype;
    throw std::out_of_range("no prototype " + folder + "/" + fileName);
}

const BuiltPrototype& TypeTree::Item(const std::string& subtype) const
{
    for (const BuiltPrototype& prototype : prototypes)
        if (prototype.folder == "items" && prototype.subtype == subtype && prototype.line != 0)
            return prototype;
    throw std::out_of_range("no item of subtype " + subtype);
}

std::vector<const BuiltPrototype*> TypeTree::InFolder(const std::string& folder) const
{
    std::vector<const BuiltPrototype*> found;
    for (const BuiltPrototype& prototype : prototypes)
        if (prototype.folder == folder)
            found.push_back(&prototype);
    return found;
}

const BuiltPicture& TypeTree::Picture(const std::string& path) const
{
    for (const BuiltPicture& picture : pictures)
        if (picture.path == path)
            return picture;
    throw std::out_of_range("no picture " + path);
}

std::filesystem::path TypeTree::OverrideItem(const std::string& fileName) const
{
    return root / "data" / "proto" / "items" / fileName;
}

TypeTree BuildTypeTree(const std::filesystem::path& root)
{
    TypeTree tree;
    tree.root = root;
    tree.missingItem = "00000009.pro";
    tree.missingItemLine = 8;
    tree.shadowedItem = "00000003.pro";
    tree.pictures = Pictures();

    Dat2Writer master;
    Dat2Writer patch;
    std::map<std::string, std::string> lists;
    std::map<std::string, std::string> messages;
    std::uint8_t seed = 0x31;
    for (const Recipe& recipe : kRecipes) {
        BuiltPrototype built;
        built.folder = recipe.folder;
        built.fileName = recipe.fileName;
        built.typeByte = recipe.typeByte;
        built.subtype = recipe.subtypeWord;
        built.subtypeNumber = recipe.subtype;
        built.line = recipe.line;
        built.textId = recipe.textId;
        built.name = recipe.name;
        built.description = std::string("About the ") + recipe.name + ".";
        built.bytes = BuildRecord(recipe, seed);
        built.layer = "master.dat";
        seed = static_cast<std::uint8_t>(seed + 0x13);
        master.Zlib(Backslashed(built.TreePath()), built.bytes);
        if (built.fileName == tree.shadowedItem && built.folder == "items") {
            // The patch's copy wins: other bytes, the same PID and text ID.
            tree.shadowedArchiveBytes = built.bytes;
            built.bytes = BuildRecord(recipe, 0xC7);
            built.layer = "patch000.dat";
            patch.Stored(Backslashed(built.TreePath()), built.bytes);
        }
        if (recipe.line != 0) {
            // One line carries a comment after the name, as lists often do.
            lists[built.folder] +=
                built.fileName + (built.subtype == "weapon" ? std::string("  ; hunting rifle") : "") + "\r\n";
            if (built.folder == "items" && recipe.line + 1 == tree.missingItemLine)
                lists["items"] += tree.missingItem + "\r\n";
        }
        messages[built.folder] += "{" + std::to_string(built.textId) + "}{}{" + built.name + "}\r\n{" +
                                  std::to_string(built.textId + 1) + "}{}{" + built.description + "}\r\n";
        tree.prototypes.push_back(std::move(built));
    }
    for (const auto& [folder, list] : lists)
        master.Stored(Backslashed("proto/" + folder + "/" + folder + ".lst"), list);
    for (const auto& [folder, text] : messages)
        master.Zlib(Backslashed(std::string("text/english/game/") + MessageFile(folder)), text);

    master.Stored("art\\items\\items.lst", "jacket.frm\r\ngun.frm ; rifle on the ground\r\nlost.frm\r\n");
    master.Stored("art\\inven\\inven.lst", "ijacket.frm\r\nigun.frm\r\n");
    master.Stored("art\\scenery\\scenery.lst", "door.frm\r\ngone.frm\r\n");
    for (const BuiltPicture& picture : tree.pictures)
        master.Zlib(Backslashed(picture.path), BuildFrm(picture.recipe));
    master.Zlib("color.pal", BuildPalette());

    // One critter, so that the window opens as it always has.
    master.Zlib("proto\\critters\\00000001.pro", ProtoBuilder(416, 0x11).PidNumber(1).TextId(100).Bytes());
    master.Stored("proto\\critters\\critters.lst", "00000001.pro\r\n");
    master.Zlib("text\\english\\game\\pro_crit.msg", std::string("{100}{}{Rat}\r\n"));

    std::filesystem::create_directories(root / "data");
    WriteAllBytes(root / "master.dat", master.Build());
    WriteAllBytes(root / "critter.dat", Dat2Writer().Build());
    WriteAllBytes(root / "patch000.dat", patch.Build());
    WriteTextFile(root / "fallout2.cfg", "[system]\r\nmaster_dat=master.dat\r\nmaster_patches=data\r\n");
    return tree;
}

} // namespace quarnel::test
