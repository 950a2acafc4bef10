// quarnel-cli on prototypes other than critters: every real one through
// export and import and against its bytes read at the offsets the format
// gives, the refusals that must leave files as they were, and check's findings.
#include <doctest/doctest.h>

#include "CliTestSupport.h"
#include "platform/FileAttributes.h"
#include "platform/FolderListing.h"
#include "proto/ProFile.h"
#include "ScratchFolder.h"

#include <cstdio>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using namespace quarnel;
using namespace quarnel::test::cli;
using quarnel::test::ProtoBuilder;
using quarnel::test::ReadAllBytes;
using quarnel::test::ScratchFolder;
using quarnel::test::WriteAllBytes;
using quarnel::test::WriteTextFile;

namespace {

// The records as the format describes them: the keys after the 12-byte
// header in file order, every field 4 bytes except those named in kOneByte.
struct Expected {
    int typeByte;
    int subtype; // -1: none
    int size;
    std::vector<std::string> keys;
};

const std::vector<std::string> kItemKeys = {
    "light_radius", "light_intensity", "object_flags", "action_flags",  "script_id", "subtype", "material",
    "size",         "weight",          "cost",         "inventory_fid", "sound"};
const std::vector<std::string> kSceneryKeys = {"light_radius", "light_intensity", "object_flags", "action_flags",
                                               "script_id",    "subtype",         "material",     "sound"};

std::vector<std::string> Join(std::vector<std::string> a, const std::string& group, const std::vector<std::string>& b)
{
    for (const std::string& key : b)
        a.push_back(group + "." + key);
    return a;
}

const std::vector<Expected>& Records()
{
    static const std::vector<Expected> records = [] {
        std::vector<std::string> armor = {"AC"};
        for (const char* prefix : {"DR", "DT"})
            for (const char* kind : {"normal", "laser", "fire", "plasma", "electrical", "emp", "explode"})
                armor.push_back(std::string(prefix) + kind);
        armor.insert(armor.end(), {"perk", "male_fid", "female_fid"});
        return std::vector<Expected>{
            {0, 0, 129, Join(kItemKeys, "armor", armor)},
            {0, 1, 65, Join(kItemKeys, "container", {"max_size", "open_flags"})},
            {0, 2, 125,
             Join(kItemKeys, "drug",
                  {"stat_a", "stat_b", "stat_c", "amount_a", "amount_b", "amount_c", "delay1", "delay1_a", "delay1_b",
                   "delay1_c", "delay2", "delay2_a", "delay2_b", "delay2_c", "addiction_chance", "addiction_perk",
                   "addiction_delay"})},
            {0, 3, 122,
             Join(kItemKeys, "weapon",
                  {"animation", "min_damage", "max_damage", "damage_type", "range1", "range2", "projectile_pid",
                   "min_strength", "ap_cost1", "ap_cost2", "critical_fail", "perk", "burst_rounds", "caliber",
                   "ammo_pid", "max_ammo", "sound"})},
            {0, 4, 81,
             Join(kItemKeys, "ammo",
                  {"caliber", "quantity", "ac_modifier", "dr_modifier", "damage_multiplier", "damage_divisor"})},
            {0, 5, 69, Join(kItemKeys, "misc", {"power_pid", "power_type", "charges"})},
            {0, 6, 61, Join(kItemKeys, "key", {"code"})},
            {2, 0, 49, Join(kSceneryKeys, "door", {"open_flags", "key_code"})},
            {2, 1, 49, Join(kSceneryKeys, "stairs", {"destination", "map"})},
            {2, 2, 49, Join(kSceneryKeys, "elevator", {"type", "level"})},
            {2, 3, 45, Join(kSceneryKeys, "ladder", {"destination"})},
            {2, 4, 45, Join(kSceneryKeys, "ladder", {"destination"})},
            {2, 5, 45, Join(kSceneryKeys, "generic", {"value"})},
            {3, -1, 36, {"light_radius", "light_intensity", "object_flags", "action_flags", "script_id", "material"}},
            {4, -1, 28, {"object_flags", "action_flags", "script_id", "material"}},
            {5, -1, 28, {"light_radius", "light_intensity", "object_flags", "action_flags"}},
        };
    }();
    return records;
}

bool IsOneByte(const std::string& key) { return key == "sound" || key == "weapon.sound"; }

bool IsHex(const std::string& key)
{
    for (const char* hex :
         {"fid", "object_flags", "action_flags", "inventory_fid", "armor.male_fid", "armor.female_fid",
          "container.open_flags", "door.open_flags", "weapon.projectile_pid", "weapon.ammo_pid", "misc.power_pid"})
        if (key == hex)
            return true;
    return false;
}

// "key = value" of every line, comments left out.
std::map<std::string, std::string> ShownValues(const std::string& text)
{
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t equals = line.find(" = ");
        const std::string value = line.substr(equals + 3);
        values[line.substr(0, equals)] = value.substr(0, value.find("  #"));
    }
    return values;
}

std::string Decoded(const std::vector<std::uint8_t>& bytes, int offset, int width, bool hex)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value << 8 | bytes[static_cast<std::size_t>(offset + i)];
    char text[16];
    if (hex)
        std::snprintf(text, sizeof text, "0x%0*X", 2 * width, value);
    else
        std::snprintf(text, sizeof text, "%d", width == 4 ? static_cast<std::int32_t>(value) : static_cast<int>(value));
    return text;
}

const Expected* ExpectedFor(const std::vector<std::uint8_t>& bytes)
{
    for (const Expected& record : Records())
        if (record.typeByte == bytes[0] && record.size == static_cast<int>(bytes.size()) &&
            (record.subtype < 0 || record.subtype == std::stoi(Decoded(bytes, 32, 4, false))))
            return &record;
    return nullptr;
}

std::string Name(int number)
{
    char name[16];
    std::snprintf(name, sizeof name, "%08d.pro", number);
    return name;
}

} // namespace

TEST_CASE("every real prototype shows its bytes at the format's offsets and comes back byte for byte")
{
    const fs::path root = quarnel::test::DataFolder(QUARNEL_SHARED_TESTDATA) / "proto";
    if (!quarnel::test::IsPresent(root / "items")) {
        quarnel::test::ReportSkipped("no prototypes in " QUARNEL_SHARED_TESTDATA);
        return;
    }
    ScratchFolder scratch("quarnel-types-");
    std::set<std::pair<int, int>> kinds;
    int files = 0;
    for (const char* folder : {"items", "scenery", "walls", "tiles", "misc"})
        for (const std::string& name : ListFolderFiles(root / folder, ".pro")) {
            const fs::path original = root / folder / name;
            CAPTURE(original);
            const std::vector<std::uint8_t> bytes = ReadAllBytes(original);
            const Expected* expected = ExpectedFor(bytes);
            REQUIRE(expected);
            kinds.insert({expected->typeByte, expected->subtype});

            const Result shown = Cli({"show", Text(original)});
            REQUIRE(shown.status == 0);
            const auto values = ShownValues(shown.out);
            CHECK(values.size() == 4 + expected->keys.size());
            CHECK(values.at("pid_type") == Decoded(bytes, 0, 2, true));
            CHECK(values.at("pid") == Decoded(bytes, 2, 2, false));
            CHECK(values.at("text_id") == Decoded(bytes, 4, 4, false));
            CHECK(values.at("fid") == Decoded(bytes, 8, 4, true));
            int offset = 12;
            for (const std::string& key : expected->keys) {
                CAPTURE(key);
                const int width = IsOneByte(key) ? 1 : 4;
                REQUIRE(values.count(key));
                CHECK(values.at(key) == Decoded(bytes, offset, width, IsHex(key)));
                offset += width;
            }
            CHECK(offset == expected->size);

            // Into a copy of another content but the same type and subtype, so that every field is written.
            const Result exported = Cli({"export", Text(original)});
            REQUIRE(exported.status == 0);
            WriteTextFile(scratch.path / "in.json", exported.out);
            std::vector<std::uint8_t> other = bytes;
            for (std::size_t i = 1; i < other.size(); ++i)
                if (expected->subtype < 0 || i < 32 || i > 35)
                    other[i] ^= 0xA5;
            const fs::path target = scratch.path / name;
            WriteAllBytes(target, other);
            const Result imported = Cli({"import", Text(scratch.path / "in.json"), Text(target)});
            CHECK_MESSAGE(imported.status == 0, imported.err);
            CHECK(ReadAllBytes(target) == bytes);
            ++files;
        }
    CHECK(files == 29);
    CHECK(kinds.size() == 15); // 7 item subtypes, 5 of scenery, wall, tile, misc
}

TEST_CASE("bad prototypes and edits are refused with the key or file named, nothing written")
{
    ScratchFolder scratch("quarnel-types-");
    const fs::path weapon = scratch.path / "weapon.pro";
    const fs::path door = scratch.path / "door.pro";
    const fs::path wall = scratch.path / "wall.pro";
    const fs::path tile = scratch.path / "tile.pro";
    const fs::path critter = scratch.path / "critter.pro";
    ValidItem(3, 1).WriteTo(weapon);
    ProtoBuilder(49).Set(0, 2, 0x200).Set(32, 4, 0).WriteTo(door);
    ProtoBuilder(36).Set(0, 2, 0x300).WriteTo(wall);
    ProtoBuilder(28).Set(0, 2, 0x400).WriteTo(tile);
    CleanCritter(1).WriteTo(critter);
    ProtoBuilder(100).Set(0, 2, 0).Set(32, 4, 3).WriteTo(scratch.path / "short-weapon.pro");
    ProtoBuilder(50).Set(0, 1, 9).WriteTo(scratch.path / "type9.pro");
    ProtoBuilder(61).Set(0, 2, 0).Set(32, 4, 9).WriteTo(scratch.path / "subtype9.pro");
    ProtoBuilder(20).Set(0, 2, 0x200).WriteTo(scratch.path / "stub.pro");

    int jsonFiles = 0;
    auto json = [&](const fs::path& file, const std::string& from = "", const std::string& to = "") {
        std::string text = Cli({"export", Text(file)}).out;
        if (!from.empty()) {
            REQUIRE(Contains(text, from));
            text.replace(text.find(from), from.size(), to);
        }
        const fs::path out = scratch.path / (std::to_string(++jsonFiles) + ".json");
        WriteTextFile(out, text);
        return Text(out);
    };
    struct Case {
        std::vector<std::string> arguments;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"show", Text(scratch.path / "short-weapon.pro")},
         "short-weapon.pro: 100 bytes: an item of subtype 3 (weapon) has 122 bytes"},
        {{"export", Text(scratch.path / "short-weapon.pro")}, "100 bytes: an item of subtype 3 (weapon) has 122 bytes"},
        {{"show", Text(scratch.path / "type9.pro")},
         "type9.pro: 50 bytes: type byte 0x09 (byte 0) is no prototype type"},
        {{"show", Text(scratch.path / "subtype9.pro")},
         "item subtype 9 (bytes 32 to 35) is none of 0 armor, 1 container"},
        {{"show", Text(scratch.path / "stub.pro")}, "20 bytes: too short for scenery (45 to 49 bytes, by subtype)"},
        {{"set", "weapon.min_damage=3", "--", Text(door)}, "weapon.min_damage: scenery (door) has no such key"},
        {{"set", "material=1", "--", Text(critter)}, "material: a critter has no such key"},
        {{"set", "light_radius=1", "--", Text(tile)}, "light_radius: a tile has no such key"},
        {{"set", "cost=5", "subtype=0", "--", Text(weapon)}, "subtype: 0 refused"},
        {{"set", "weapon.colour=1", "--", Text(weapon)}, "unknown key 'weapon.colour'"},
        {{"import", json(weapon, "\"subtype\": 3", "\"subtype\": 0"), Text(weapon)},
         "subtype: 0, but the target is an item (weapon)"},
        {{"import", json(wall), Text(tile)}, "type: \"wall\", but the target is a tile"},
        {{"import", json(critter), Text(weapon)}, "type: missing"},
        {{"import", json(weapon), Text(critter)}, "type: \"item\", but the target is a critter"},
        {{"import", json(weapon, "\"max_ammo\"", "\"maximum\""), Text(weapon)}, "weapon.max_ammo: missing"},
    };
    std::map<fs::path, std::vector<std::uint8_t>> before;
    for (const auto& entry : fs::directory_iterator(scratch.path))
        before[entry.path()] = ReadAllBytes(entry.path());
    for (const Case& c : cases) {
        const std::string message = c.message;
        CAPTURE(message);
        const Result result = Cli(c.arguments);
        CHECK(result.status == 2);
        CHECK_MESSAGE(Contains(result.err, c.message), result.err);
    }
    for (const auto& [file, bytes] : before)
        CHECK_MESSAGE(ReadAllBytes(file) == bytes, file);

    // A subtype set to the value it has changes nothing; a tile's flags lie at its own offset.
    CHECK(Cli({"set", "subtype=3", "--", Text(weapon)}).status == 0);
    CHECK(ReadAllBytes(weapon) == before[weapon]);
    REQUIRE(Cli({"set", "object_flags=0x10", "--", Text(tile)}).status == 0);
    CHECK(ProRecord::View(tile).Field(12, 4) == 0x10);

    // diff says that the types differ.
    const Result types = Cli({"diff", Text(wall), Text(tile)});
    CHECK(types.status == 1);
    CHECK(types.out == "different types: a wall -> a tile\n");
    ValidItem(4, 2).WriteTo(scratch.path / "ammo.pro");
    CHECK(Cli({"diff", Text(weapon), Text(scratch.path / "ammo.pro")}).out ==
          "different subtypes: an item (weapon) -> an item (ammo)\n");
}

TEST_CASE("show names a prototype from the message file of the tree above it or of --data")
{
    ScratchFolder scratch("quarnel-types-");
    const fs::path items = scratch.path / "Proto" / "ITEMS";
    fs::create_directories(items);
    fs::create_directories(scratch.path / "TEXT" / "English" / "Game");
    ValidItem(6, 1).WriteTo(items / Name(1));
    WriteTextFile(scratch.path / "TEXT" / "English" / "Game" / "PRO_ITEM.MSG",
                  "{100}{}{Key}\n{101}{}{Opens a door.}\n");
    const Result shown = Cli({"show", Text(items / Name(1))});
    CHECK(shown.out.rfind("# name: Key\n# description: Opens a door.\npid_type = 0x0000\n", 0) == 0);
    // git's text converter shows the bytes only.
    CHECK(Cli({"show", "--textconv", Text(items / Name(1))}).out.rfind("pid_type", 0) == 0);

    // Without the english file another language's serves. (On Windows "text"
    // and "TEXT" are one folder, so the czech one is made only now.)
    fs::remove_all(scratch.path / "TEXT");
    fs::create_directories(scratch.path / "text" / "czech" / "game");
    WriteTextFile(scratch.path / "text" / "czech" / "game" / "pro_item.msg", "{100}{}{Kl\xc3\xad\xc4\x8d}\n");
    CHECK(Contains(Cli({"show", Text(items / Name(1))}).out, "# name: Kl\u00ed\u010d\n"));
}

TEST_CASE("check finds each fault of items once")
{
    ScratchFolder scratch("quarnel-types-");
    const fs::path items = scratch.path / "proto" / "items";
    const fs::path misc = scratch.path / "proto" / "misc";
    fs::create_directories(items);
    fs::create_directories(misc);
    fs::create_directories(scratch.path / "text" / "english" / "game");
    std::string list, names;
    for (int i = 1; i <= 20; ++i) {
        list += i <= 14 ? Name(i) + "\r\n" : "";
        names += "{" + std::to_string(i * 100) + "}{}{Item " + std::to_string(i) + "}\r\n";
    }
    WriteTextFile(items / "items.lst", list);
    WriteTextFile(misc / "misc.lst", "00000001.pro\r\n");
    WriteTextFile(scratch.path / "text" / "english" / "game" / "pro_item.msg", names);

    ValidItem(3, 1).Set(113, 4, 2).Set(81, 4, 0x05000001).WriteTo(items / Name(1)); // ammo 2, projectile misc 1
    ValidItem(4, 2).WriteTo(items / Name(2));
    ProtoBuilder(100).Set(0, 2, 0).PidNumber(3).Set(32, 4, 3).WriteTo(items / Name(3));    // size
    ProtoBuilder(49).Set(0, 2, 0x200).PidNumber(4).Set(32, 4, 0).WriteTo(items / Name(4)); // scenery
    ValidItem(0, 5).PidNumber(9).WriteTo(items / Name(5));                                 // list line
    ValidItem(1, 6).TextId(999).WriteTo(items / Name(6));                                  // name
    ValidItem(2, 7).Set(8, 4, 0x01000007).WriteTo(items / Name(7));                        // FID type
    ValidItem(6, 8).Set(52, 4, 8).WriteTo(items / Name(8));                                // inventory FID type
    ValidItem(3, 9).Set(113, 4, 99).WriteTo(items / Name(9));                              // no ammo 99
    ValidItem(5, 10).Set(57, 4, 98).WriteTo(items / Name(10));                             // no power 98
    ValidItem(3, 11).Set(81, 4, 0x05000007).WriteTo(items / Name(11));                     // no misc 7
    ValidItem(3, 12).Set(113, 4, 0x02000001).WriteTo(items / Name(12));                    // scenery as ammo
    ValidItem(6, 20).WriteTo(items / Name(20));                                            // not listed

    const Result report = Cli({"check", Text(items)});
    CHECK(report.status == 1);
    CHECK(report.out ==
          "00000003.pro: 100 bytes: an item of subtype 3 (weapon) has 122 bytes\n"
          "00000004.pro: pid_type = 0x0200: scenery (door), not an item\n"
          "00000005.pro: pid = 9, but the file is on line 5 of items.lst\n"
          "00000006.pro: text_id = 999 has no name in pro_item.msg\n"
          "00000007.pro: fid = 0x01000007: type 1 in bits 24 to 27, not 0 (an item)\n"
          "00000008.pro: inventory_fid = 0x00000008: type 0 in bits 24 to 27, not 7 (inventory pictures)\n"
          "00000009.pro: weapon.ammo_pid = 0x00000063: no item prototype 99 in items\n"
          "00000010.pro: misc.power_pid = 0x00000062: no item prototype 98 in items\n"
          "00000011.pro: weapon.projectile_pid = 0x05000007: no misc prototype 7 in misc\n"
          "00000012.pro: weapon.ammo_pid = 0x02000001: not the PID of an item\n"
          "00000020.pro: not listed in items.lst\n");

    // Without a list, PIDs name the folder's own files; the walls' check knows its own type.
    for (int i = 3; i <= 20; ++i)
        fs::remove(items / Name(i));
    fs::remove(items / "items.lst");
    CHECK(Cli({"check", Text(items)}).out.empty());
    const fs::path walls = scratch.path / "proto" / "walls";
    fs::create_directories(walls);
    ProtoBuilder(36).Set(0, 2, 0x300).PidNumber(1).TextId(100).Set(8, 4, 0x03000001).WriteTo(walls / Name(1));
    ValidItem(6, 2).WriteTo(walls / Name(2));
    WriteTextFile(scratch.path / "text" / "english" / "game" / "pro_wall.msg", "{100}{}{Wall}\n");
    CHECK(Cli({"check", Text(walls)}).out == "00000002.pro: pid_type = 0x0000: an item (key), not a wall\n");
}
