// A tree's items, scenery, walls, tiles and misc objects in the order of
// their type's list file: the PID from the line, the subtype from the
// record, and the files the list and the tree disagree about listed with
// the reason. Expected values are worked out from the bytes written here.
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "library/TreeTypeList.h"
#include "source/TreeSource.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

// A record of the given size with its PID, text ID and subtype (bytes 32-35) set.
std::vector<std::uint8_t> Record(int size, std::int32_t pid, std::int32_t textId, std::int32_t subtype)
{
    return ProtoBuilder(size).Set(0, 4, pid).TextId(textId).Set(32, 4, subtype).Bytes();
}

struct Expected {
    std::string fileName;
    std::string layer;
    std::optional<std::uint32_t> pid;
    std::optional<std::int32_t> textId;
    std::size_t size;
    int subtype;
    ListStanding standing;
    std::string reason;
};

void CheckEntries(const std::vector<SourceEntry>& entries, const std::string& folder,
                  const std::vector<Expected>& expected)
{
    REQUIRE(entries.size() == expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        CAPTURE(i);
        const SourceEntry& entry = entries[i];
        CHECK(entry.fileName == expected[i].fileName);
        CHECK(entry.file.label == folder + "/" + expected[i].fileName);
        CHECK(entry.layer == expected[i].layer);
        CHECK(entry.pid == expected[i].pid);
        CHECK(entry.textId == expected[i].textId);
        CHECK(entry.recordSize == expected[i].size);
        CHECK(entry.subtype == expected[i].subtype);
        CHECK(entry.standing == expected[i].standing);
        CHECK(entry.standingReason == expected[i].reason);
    }
}

} // namespace

TEST_CASE("a list file's line names a file up to the first blank, tab, comma or ';', lines in LF or CR LF")
{
    CHECK(ListFileNames("") == std::vector<std::string>{});
    CHECK(ListFileNames("a.pro") == std::vector<std::string>{"a.pro"});
    CHECK(ListFileNames("a.pro\n") == std::vector<std::string>{"a.pro"});
    CHECK(ListFileNames("a.pro\r\nb.pro ; knife\r\n\r\nc.pro,1\nd.pro;x\ne.pro\tf\n g.pro\n") ==
          std::vector<std::string>{"a.pro", "b.pro", "", "c.pro", "d.pro", "e.pro", ""});
    CHECK(TypeListPath(ProtoType::Item) == "proto/items/items.lst");
    CHECK(TypeListPath(ProtoType::Misc) == "proto/misc/misc.lst");
}

// A second game's install in Russian: items in master.dat and loose in the
// override folder data, items.lst in CR LF with comments, a blank line, a
// line naming a missing file, a file no line names and a damaged file.
TEST_CASE("a tree lists its items in items.lst order with PID, subtype, layer and name; misfits with their reason")
{
    ScratchFolder root;
    const fs::path items = root.path / "data" / "proto" / "items";
    // Item records: 57 bytes of common fields, then the subtype's own:
    // weapon 122 (179), armor 129 (186), drug 125 (182), container 65 (122), key 61 (118).
    WriteAllBytes(root.path / "master.dat",
                  Dat2Writer()
                      .Zlib("proto\\items\\items.lst", "00000001.pro\r\n"
                                                       "00000002.pro ; leather armor\r\n"
                                                       "00000003.PRO,jet\r\n"
                                                       "\r\n"
                                                       "00000099.pro\r\n"
                                                       "00000006.pro\tbox\n")
                      .Zlib("proto\\items\\00000001.pro", Record(179, 1, 100, 3))
                      .Stored("proto\\items\\00000003.pro", Record(182, 3, 300, 2))
                      .Stored("proto\\items\\00000004.pro", std::string("short"))
                      // Нож (knife) and Броня (armor) in Windows-1251.
                      .Stored("text\\russian\\game\\pro_item.msg", "{100}{}{\xcd\xee\xe6}\r\n"
                                                                   "{200}{}{\xc1\xf0\xee\xed\xff}\r\n")
                      .Build());
    WriteAllBytes(root.path / "critter.dat", Dat2Writer().Build());
    WriteTextFile(root.path / "fallout2.cfg", "[system]\r\nlanguage=russian\r\nmaster_patches=data\r\n");
    WriteAllBytes(items / "00000002.pro", Record(186, 2, 200, 0));
    WriteAllBytes(items / "00000006.pro", Record(122, 6, 600, 1));
    WriteAllBytes(items / "00000007.pro", Record(118, 7, 700, 6));
    WriteAllBytes(items / "notes.txt", {'x'});
    WriteAllBytes(items / "sub" / "00000008.pro", Record(118, 8, 800, 6));

    const TreeSource source(root.path);
    REQUIRE(source.Tree().Warnings().empty());
    CheckEntries(source.List(ProtoType::Item), "proto/items",
                 {
                     {"00000001.pro", "master.dat", 0x00000001, 100, 179, 3, ListStanding::Listed, ""},
                     {"00000002.pro", "data", 0x00000002, 200, 186, 0, ListStanding::Listed, ""},
                     {"00000003.pro", "master.dat", 0x00000003, 300, 182, 2, ListStanding::Listed, ""},
                     {"00000099.pro", "", 0x00000005, std::nullopt, 0, kNoSubtype, ListStanding::NotInTree,
                      "named on line 5 of items.lst; not in the game's files"},
                     {"00000006.pro", "data", 0x00000006, 600, 122, 1, ListStanding::Listed, ""},
                     {"00000004.pro", "master.dat", std::nullopt, std::nullopt, 5, kNoSubtype, ListStanding::NotInList,
                      "not in items.lst"},
                     {"00000007.pro", "data", std::nullopt, 700, 118, 6, ListStanding::NotInList, "not in items.lst"},
                 });

    const SourceNames names = source.Names(ProtoType::Item, NameEncoding::Automatic);
    CHECK(names.missing.empty());
    CHECK(names.Text(100) == "\xd0\x9d\xd0\xbe\xd0\xb6");                 // Нож
    CHECK(names.Text(200) == "\xd0\x91\xd1\x80\xd0\xbe\xd0\xbd\xd1\x8f"); // Броня
    CHECK(names.Text(600).empty());
    // Critters keep their own listing: the tree has none.
    CHECK(source.List(ProtoType::Critter).empty());
}

// A mod's tree of scenery and walls alone: the scenery PIDs carry type byte
// 2; a wall folder without walls.lst lists its files, saying the list is missing.
TEST_CASE("a mod's tree lists scenery by scenery.lst with type byte 2, and walls without walls.lst as unlisted")
{
    ScratchFolder mod;
    const fs::path proto = mod.path / "proto";
    // Scenery records: 41 bytes of common fields, then the door's 49 (90), generic 45 (86).
    WriteTextFile(proto / "scenery" / "scenery.lst", "door.pro\ngeneric.pro\n");
    WriteAllBytes(proto / "scenery" / "door.pro", Record(90, 0x02000001, 10, 0));
    WriteAllBytes(proto / "scenery" / "Generic.PRO", Record(86, 0x02000002, 20, 5));
    // A wall record: 40 bytes; no subtype.
    WriteAllBytes(proto / "walls" / "00000001.pro", ProtoBuilder(40).TextId(30).Bytes());

    const TreeSource source(mod.path);
    CheckEntries(source.List(ProtoType::Scenery), "proto/scenery",
                 {
                     {"door.pro", ".", 0x02000001, 10, 90, 0, ListStanding::Listed, ""},
                     {"Generic.PRO", ".", 0x02000002, 20, 86, 5, ListStanding::Listed, ""},
                 });
    CheckEntries(source.List(ProtoType::Wall), "proto/walls",
                 {
                     {"00000001.pro", ".", std::nullopt, 30, 40, kNoSubtype, ListStanding::NotInList,
                      "not in walls.lst, which the game's files lack"},
                 });
    CHECK(source.List(ProtoType::Tile).empty());
    CHECK(source.List(ProtoType::Critter).empty());
}
