// The game's file tree of installs built in a temporary folder: the layer
// order of both games, loose folders in mixed case, the cfg keys, message
// files of the language, damaged archives, mods' trees, and writing into
// the override folder.
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "gamedata/GameTree.h"
#include "gamedata/OverrideWriter.h"
#include "platform/Errors.h"
#include "platform/FileAttributes.h"

#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

std::string Text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

void Put(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    WriteTextFile(file, text);
}

// "layer:path" of every copy, winner first.
std::vector<std::string> Where(const GameTree& tree, const std::string& path)
{
    std::vector<std::string> out;
    for (const Holding& h : tree.Holders(path))
        out.push_back(h.layer->Name() + ":" + h.path);
    return out;
}

using Lines = std::vector<std::string>;

// A second-game install: master and critter archives, two patch archives,
// f2_res.dat, a loose DATA folder in mixed case, and a cfg naming German.
void MakeSecondGame(const fs::path& root)
{
    WriteAllBytes(root / "master.dat", Dat2Writer()
                                           .Zlib("proto\\critters\\00000001.pro", "master-1")
                                           .Stored("proto\\critters\\00000002.pro", "master-2")
                                           .Zlib("proto\\critters\\00000003.pro", "master-3")
                                           .Stored("art\\intrface\\x.frm", "master-art")
                                           .Stored("text\\english\\game\\pro_crit.msg", "english")
                                           .Stored("text\\english\\game\\pro_item.msg", "english items")
                                           .Build());
    WriteAllBytes(root / "critter.dat", Dat2Writer()
                                            .Stored("art\\critters\\hmjmpsaa.frm", "critter-art")
                                            .Stored("proto\\critters\\00000002.pro", "critter-2")
                                            .Build());
    WriteAllBytes(root / "patch000.dat", Dat2Writer().Stored("PROTO\\CRITTERS\\00000003.PRO", "patch0-3").Build());
    WriteAllBytes(root / "PATCH001.DAT", Dat2Writer()
                                             .Stored("proto\\critters\\00000003.pro", "patch1-3")
                                             .Stored("art\\intrface\\x.frm", "patch1-art")
                                             .Build());
    WriteAllBytes(root / "f2_res.dat", Dat2Writer().Stored("art\\intrface\\x.frm", "res-art").Build());
    Put(root / "DATA" / "Proto" / "CRITTERS" / "00000002.PRO", "data-2");
    Put(root / "DATA" / "text" / "GERMAN" / "Game" / "PRO_CRIT.MSG", "german");
    Put(root / "fallout2.cfg", "[sound]\r\nmaster_dat=wrong.dat\r\n[system]\r\n  Language = german \r\n"
                               "master_dat=master.dat\r\nmaster_patches=data\r\n");
}

} // namespace

TEST_CASE("Second game: f2_res.dat, patch archives from 999 down, data in any case, critter, then master archive")
{
    ScratchFolder scratch;
    MakeSecondGame(scratch.path);
    const GameTree tree = GameTree::Open(scratch.path);
    CHECK(tree.Which() == Game::Second);
    CHECK(tree.IsInstall());
    CHECK(tree.Warnings().empty());
    CHECK(tree.Language() == "german");

    CHECK(Where(tree, "proto\\critters\\00000003.pro") == Lines{"PATCH001.DAT:proto/critters/00000003.pro",
                                                                "patch000.dat:PROTO/CRITTERS/00000003.PRO",
                                                                "master.dat:proto/critters/00000003.pro"});
    CHECK(Where(tree, "PROTO/CRITTERS/00000002.PRO") == Lines{"DATA:Proto/CRITTERS/00000002.PRO",
                                                              "critter.dat:proto/critters/00000002.pro",
                                                              "master.dat:proto/critters/00000002.pro"});
    CHECK(Where(tree, "art/intrface/X.FRM") ==
          Lines{"f2_res.dat:art/intrface/x.frm", "PATCH001.DAT:art/intrface/x.frm", "master.dat:art/intrface/x.frm"});
    CHECK(Where(tree, "proto/critters/00000009.pro").empty());
    CHECK(Text(tree.Read("proto/critters/00000003.pro")) == "patch1-3");
    CHECK(Text(tree.Read("proto/critters/00000002.pro")) == "data-2");
    CHECK(Text(tree.Read("proto/critters/00000001.pro")) == "master-1");
    CHECK_THROWS_AS(tree.Read("proto/critters/00000009.pro"), ArchiveError);

    Lines listed;
    for (const Holding& h : tree.List("proto\\critters"))
        listed.push_back(h.layer->Name() + ":" + h.path);
    CHECK(listed == Lines{"master.dat:proto/critters/00000001.pro", "DATA:Proto/CRITTERS/00000002.PRO",
                          "PATCH001.DAT:proto/critters/00000003.pro"});
    CHECK(tree.List().size() == 8);

    // The language's message file, else the english one.
    CHECK(tree.MessageFile("pro_crit.msg") == "text/GERMAN/Game/PRO_CRIT.MSG");
    CHECK(tree.MessageFile("pro_item.msg") == "text/english/game/pro_item.msg");
    CHECK_FALSE(tree.MessageFile("pro_tile.msg"));
}

TEST_CASE("First game: critter art from critter_patches and the critter archive, the rest from the master tree")
{
    ScratchFolder scratch;
    const fs::path root = scratch.path;
    WriteAllBytes(root / "MASTER.DAT", Dat1Writer()
                                           .Stored("PROTO\\CRITTERS", "00000001.PRO", "master-1")
                                           .Stored("ART\\CRITTERS", "HMJMPSAA.FRM", "master-art")
                                           .Stored("ART\\CRITTERS", "ONLYMAST.FRM", "never")
                                           .Build());
    WriteAllBytes(root / "critter.dat", Dat1Writer()
                                            .Stored("ART\\CRITTERS", "HMJMPSAA.FRM", "critter-art")
                                            .Stored("PROTO\\CRITTERS", "00000001.PRO", "never")
                                            .Build());
    Put(root / "fallout.cfg", "[system]\ncritter_patches=crit\nmaster_patches=Data\n");
    Put(root / "data" / "proto" / "critters" / "00000001.pro", "data-1");
    Put(root / "Crit" / "art" / "critters" / "hmjmpsaa.frm", "patched-art");
    Put(root / "patch000.dat", "a second-game patch archive is no layer of the first game");

    const GameTree tree = GameTree::Open(root);
    CHECK(tree.Which() == Game::First);
    CHECK(Where(tree, "art/critters/hmjmpsaa.frm") ==
          Lines{"Crit:art/critters/hmjmpsaa.frm", "critter.dat:ART/CRITTERS/HMJMPSAA.FRM"});
    CHECK(Where(tree, "ART/CRITTERS/ONLYMAST.FRM").empty());
    CHECK(Where(tree, "proto/critters/00000001.pro") ==
          Lines{"data:proto/critters/00000001.pro", "MASTER.DAT:PROTO/CRITTERS/00000001.PRO"});
    Lines listed;
    for (const Holding& h : tree.List())
        listed.push_back(h.layer->Name() + ":" + h.path);
    CHECK(listed == Lines{"Crit:art/critters/hmjmpsaa.frm", "data:proto/critters/00000001.pro"});
    CHECK(&tree.OverrideFor("art/critters/x.frm") != &tree.OverrideFor("proto/critters/00000001.pro"));
}

TEST_CASE("A damaged archive is reported once by name and the rest of the install opens; mods' trees open too")
{
    ScratchFolder scratch;
    MakeSecondGame(scratch.path);
    Put(scratch.path / "patch002.dat", std::string(100, '\x7F'));
    const GameTree tree = GameTree::Open(scratch.path);
    REQUIRE(tree.Warnings().size() == 1);
    CHECK(tree.Warnings()[0].find("patch002.dat: not a DAT archive") != std::string::npos);
    CHECK(Text(tree.Read("proto/critters/00000003.pro")) == "patch1-3");

    ScratchFolder mod;
    Put(mod.path / "Proto" / "Critters" / "00000001.pro", "mod-1");
    const GameTree modTree = GameTree::Open(mod.path);
    CHECK_FALSE(modTree.IsInstall());
    CHECK(Text(modTree.Read("PROTO/CRITTERS/00000001.PRO")) == "mod-1");
    ScratchFolder modData;
    Put(modData.path / "data" / "proto" / "critters" / "00000002.pro", "mod-2");
    CHECK(Where(GameTree::Open(modData.path), "proto/critters/00000002.pro") ==
          Lines{"data:proto/critters/00000002.pro"});
    // Paths that climb out of a loose folder name nothing.
    CHECK_FALSE(modTree.Find("proto/../proto/critters/00000001.pro"));
    CHECK_THROWS_AS(GameTree::Open(scratch.path / "master.dat"), ArchiveError);
    ScratchFolder empty;
    CHECK_THROWS_WITH_AS(GameTree::Open(empty.path), doctest::Contains("neither a game install"), ArchiveError);
}

// A mod that changes only items, only art or only texts is a mod's tree too;
// a folder without any of the game's top folders is not, and the refusal says
// what would make it one.
TEST_CASE("A mod's tree is a folder holding proto, art or text, or a data folder holding one")
{
    ScratchFolder itemsOnly;
    Put(itemsOnly.path / "proto" / "items" / "00000001.pro", "item-1");
    const GameTree items = GameTree::Open(itemsOnly.path);
    CHECK_FALSE(items.IsInstall());
    CHECK(Where(items, "proto/items/00000001.pro") == Lines{".:proto/items/00000001.pro"});
    CHECK(items.List("proto/critters").empty());

    ScratchFolder textOnly;
    Put(textOnly.path / "Text" / "english" / "game" / "pro_item.msg", "{1}{}{Knife}");
    CHECK(GameTree::Open(textOnly.path).MessageFile("pro_item.msg") == "Text/english/game/pro_item.msg");

    ScratchFolder artInData;
    Put(artInData.path / "data" / "art" / "items" / "knife.frm", "frm");
    CHECK(Where(GameTree::Open(artInData.path), "art/items/knife.frm") == Lines{"data:art/items/knife.frm"});

    // A data folder holding critters is still taken before a top folder holding only texts.
    ScratchFolder critterData;
    Put(critterData.path / "text" / "english" / "readme.txt", "readme");
    Put(critterData.path / "data" / "proto" / "critters" / "00000001.pro", "critter-1");
    CHECK(Where(GameTree::Open(critterData.path), "proto/critters/00000001.pro") ==
          Lines{"data:proto/critters/00000001.pro"});

    // Other folders, and files named like the top folders, make no mod's tree.
    ScratchFolder none;
    Put(none.path / "maps" / "arcaves.map", "map");
    Put(none.path / "proto", "a file, not a folder");
    Put(none.path / "data" / "text", "a file, not a folder");
    CHECK_THROWS_WITH_AS(
        GameTree::Open(none.path),
        doctest::Contains("nor a mod's tree (proto, art or text, or data/proto, data/art or data/text)"), ArchiveError);
}

// The master archive's format settles the game before the other layers are
// worked out: a first-game archive beside both cfg files means the first
// game's cfg counts, with its own master archive. Warnings come in the order
// the layers are opened: master, critter archive, f2_res.dat, patches.
TEST_CASE("Both cfg files and a first-game master: the first game's cfg names the layers; warnings in layer order")
{
    ScratchFolder scratch;
    const fs::path root = scratch.path;
    WriteAllBytes(root / "master.dat", Dat1Writer().Stored("PROTO\\CRITTERS", "00000001.PRO", "not read").Build());
    WriteAllBytes(root / "first.dat", Dat1Writer().Stored("PROTO\\CRITTERS", "00000001.PRO", "first-1").Build());
    Put(root / "fallout2.cfg", "[system]\nmaster_dat=master.dat\n");
    Put(root / "fallout.cfg", "[system]\nmaster_dat=first.dat\ncritter_dat=gone.dat\n");
    const GameTree first = GameTree::Open(root);
    CHECK(first.Which() == Game::First);
    CHECK(Where(first, "proto/critters/00000001.pro") == Lines{"first.dat:PROTO/CRITTERS/00000001.PRO"});
    REQUIRE(first.Warnings().size() == 1);
    CHECK(first.Warnings()[0].find("gone.dat: File not found") != std::string::npos);

    ScratchFolder second;
    MakeSecondGame(second.path);
    Put(second.path / "fallout2.cfg", "[system]\ncritter_dat=gone.dat\n");
    Put(second.path / "f2_res.dat", std::string(100, '\x7F'));
    Put(second.path / "patch002.dat", std::string(100, '\x7F'));
    const GameTree tree = GameTree::Open(second.path);
    CHECK(tree.Which() == Game::Second);
    REQUIRE(tree.Warnings().size() == 3);
    CHECK(tree.Warnings()[0].find("gone.dat: File not found") != std::string::npos);
    CHECK(tree.Warnings()[1].find("f2_res.dat: not a DAT archive") != std::string::npos);
    CHECK(tree.Warnings()[2].find("patch002.dat: not a DAT archive") != std::string::npos);
    CHECK(Where(tree, "proto/critters/00000003.pro") == Lines{"PATCH001.DAT:proto/critters/00000003.pro",
                                                              "patch000.dat:PROTO/CRITTERS/00000003.PRO",
                                                              "master.dat:proto/critters/00000003.pro"});
}

TEST_CASE("Writing into the override folder: a new read-only copy, changes in place, refusals that write nothing")
{
    ScratchFolder scratch;
    const fs::path root = scratch.path;
    const std::vector<std::uint8_t> record = ProtoBuilder(416, 0x21).Bytes();
    WriteAllBytes(root / "master.dat", Dat2Writer()
                                           .Zlib("proto\\critters\\00000001.pro", record)
                                           .Zlib("proto\\critters\\00000003.pro", record)
                                           .Stored("text\\english\\game\\misc.msg", "{1}{}{a}")
                                           .Build());
    WriteAllBytes(root / "patch000.dat", Dat2Writer().Stored("proto\\critters\\00000003.pro", record).Build());
    fs::create_directories(root / "DATA" / "PROTO");
    Put(root / "fallout2.cfg", "[system]\nmaster_patches=data\n");
    GameTree tree = GameTree::Open(root);

    // From the archive: a whole new file in the existing folders, whatever their case.
    std::vector<std::uint8_t> changed = record;
    changed[100] ^= 0x5A;
    changed[300] ^= 0x01;
    const OverrideWrite written = WriteIntoOverride(tree, "PROTO\\CRITTERS\\00000001.PRO", record, changed);
    CHECK(written.created);
    CHECK(written.file == root / "DATA" / "PROTO" / "critters" / "00000001.pro");
    CHECK(ReadAllBytes(written.file) == changed);
    CHECK(IsReadOnly(written.file));
    CHECK(Where(tree, "proto/critters/00000001.pro").front() == "DATA:PROTO/critters/00000001.pro");

    // In place: only the changed byte differs, and the file stays read-only.
    std::vector<std::uint8_t> again = changed;
    again[7] ^= 0x10;
    const OverrideWrite inPlace = WriteIntoOverride(tree, "proto/critters/00000001.pro", changed, again);
    CHECK_FALSE(inPlace.created);
    CHECK(ReadAllBytes(written.file) == again);
    CHECK(IsReadOnly(written.file));
    CHECK_FALSE(WriteIntoOverride(tree, "proto/critters/00000001.pro", again, again).changed);

    // Refusals: stale bytes, a shadowing patch archive, another length, unknown and unsafe paths.
    CHECK_THROWS_WITH_AS(WriteIntoOverride(tree, "proto/critters/00000001.pro", changed, record),
                         doctest::Contains("changed since it was read"), ArchiveError);
    CHECK(ReadAllBytes(written.file) == again);
    CHECK_THROWS_WITH_AS(WriteIntoOverride(tree, "proto/critters/00000003.pro", record, changed),
                         "proto/critters/00000003.pro is also in patch000.dat, which the game reads first; "
                         "a copy in DATA would not be used",
                         ArchiveError);
    CHECK_THROWS_AS(WriteIntoOverride(tree, "proto/critters/00000001.pro", again,
                                      std::vector<std::uint8_t>(again.begin(), again.end() - 4)),
                    ArchiveError);
    CHECK_THROWS_AS(WriteIntoOverride(tree, "proto/critters/00000009.pro", record, changed), ArchiveError);
    CHECK_THROWS_AS(WriteIntoOverride(tree, "proto/critters/../../../x.pro", record, changed), ArchiveError);
    CHECK_FALSE(fs::exists(root / "DATA" / "PROTO" / "critters" / "00000003.pro"));

    // Forced: written although the game would not read it.
    const OverrideWrite forced = WriteIntoOverride(tree, "proto/critters/00000003.pro", record, changed, true);
    CHECK(ReadAllBytes(forced.file) == changed);
    CHECK(Text(tree.Read("proto/critters/00000003.pro")) == Text(record));

    // Other files stay writable.
    const std::string msg = "{1}{}{a}";
    const OverrideWrite text =
        WriteIntoOverride(tree, "text/english/game/misc.msg", std::vector<std::uint8_t>(msg.begin(), msg.end()),
                          std::vector<std::uint8_t>{'{', '1', '}', '{', '}', '{', 'b', '}'});
    CHECK(text.file == root / "DATA" / "text" / "english" / "game" / "misc.msg");
    CHECK_FALSE(IsReadOnly(text.file));
}

TEST_CASE("An install without an override folder gets one at the cfg's name")
{
    ScratchFolder scratch;
    WriteAllBytes(scratch.path / "master.dat", Dat2Writer().Stored("proto\\items\\00000001.pro", "item").Build());
    const GameTree tree = GameTree::Open(scratch.path);
    CHECK(tree.Warnings().empty());
    const OverrideWrite written =
        WriteIntoOverride(tree, "proto/items/00000001.pro", {'i', 't', 'e', 'm'}, {'I', 't', 'e', 'm'});
    CHECK(written.file == scratch.path / "data" / "proto" / "items" / "00000001.pro");
    CHECK(IsReadOnly(written.file));
    CHECK(Text(tree.Read("proto/items/00000001.pro")) == "Item");
}
