// Walking the loose folders of a game's tree when they hold links to
// folders: links back up, links to themselves, two folders linking to each
// other, and links to folders inside and outside the tree. Every file is
// listed once, under its own path, and the walk ends.
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "gamedata/GameTree.h"

#include <map>
#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

// A link to a folder; false where the system does not let the test make one.
bool Link(const fs::path& target, const fs::path& link)
{
    std::error_code ec;
    fs::create_directory_symlink(target, link, ec);
    if (ec)
        MESSAGE("no link made (" << ec.message() << "): case skipped");
    return !ec;
}

// How often each path of the folder layer is visited.
std::map<std::string, int> Visits(const Layer& layer)
{
    std::map<std::string, int> count;
    layer.ForEach([&](std::string_view path, std::uint64_t) { ++count[std::string(path)]; });
    return count;
}

Lines Paths(const std::vector<Holding>& files)
{
    Lines out;
    for (const Holding& file : files)
        out.push_back(file.path);
    return out;
}

// A second-game install whose loose DATA folder holds two critters and a text file.
fs::path MakeInstall(const fs::path& root)
{
    WriteAllBytes(root / "master.dat", Dat2Writer().Stored("proto\\critters\\00000009.pro", "master-9").Build());
    WriteAllBytes(root / "critter.dat", Dat2Writer().Stored("art\\critters\\x.frm", "art").Build());
    PutFile(root / "fallout2.cfg", "[system]\nmaster_patches=DATA\n");
    PutFile(root / "DATA" / "Proto" / "critters" / "00000001.pro", "one");
    PutFile(root / "DATA" / "Proto" / "critters" / "00000002.pro", "two");
    PutFile(root / "DATA" / "text" / "english" / "game" / "pro_crit.msg", "{100}{}{x}");
    return root / "DATA";
}

const std::map<std::string, int> kDataFiles = {
    {"Proto/critters/00000001.pro", 1},
    {"Proto/critters/00000002.pro", 1},
    {"text/english/game/pro_crit.msg", 1},
};

} // namespace

TEST_CASE("Links that lead back up or to themselves add no file and the walk ends")
{
    ScratchFolder scratch;
    const fs::path data = MakeInstall(scratch.path);
    struct Row {
        const char* name;
        std::vector<std::pair<fs::path, fs::path>> links; // target, link
    };
    const Row rows[] = {
        {"three links up inside Proto",
         {{"..", data / "Proto" / "up"}, {"..", data / "Proto" / "up2"}, {"..", data / "Proto" / "up3"}}},
        {"a link to itself", {{".", data / "Proto" / "critters" / "self"}}},
        {"a link to the top of the tree", {{"../..", data / "text" / "english" / "top"}}},
        {"a link to the install above the tree", {{"../..", data / "Proto" / "install"}}},
    };
    for (const Row& row : rows) {
        const std::string rowName = row.name;
        CAPTURE(rowName);
        for (const auto& [target, link] : row.links)
            if (!Link(target, link))
                return;
        const GameTree tree = GameTree::Open(scratch.path);
        const Layer& layer = tree.OverrideFor("proto/critters/00000001.pro");
        std::map<std::string, int> visits = Visits(layer);
        if (std::string(row.name) == "a link to the install above the tree") {
            // The install's own files, reached once through the link.
            CHECK(visits.erase("Proto/install/master.dat") == 1);
            CHECK(visits.erase("Proto/install/critter.dat") == 1);
            CHECK(visits.erase("Proto/install/fallout2.cfg") == 1);
        }
        CHECK(visits == kDataFiles);
        CHECK(Paths(tree.List("proto/critters")) ==
              Lines{"Proto/critters/00000001.pro", "Proto/critters/00000002.pro", "proto/critters/00000009.pro"});
        for (const auto& [target, link] : row.links)
            fs::remove(link);
    }
}

TEST_CASE("Two folders linking to each other: each file once, under its own folder")
{
    ScratchFolder scratch;
    const fs::path tree = scratch.path / "mod";
    PutFile(tree / "proto" / "critters" / "00000001.pro", "one");
    PutFile(tree / "a" / "in-a.txt", "a");
    PutFile(tree / "b" / "in-b.txt", "b");
    if (!Link("../b", tree / "a" / "to-b") || !Link("../a", tree / "b" / "to-a"))
        return;
    // Two links naming each other lead nowhere: they are broken, not folders.
    if (!Link("loop-y", tree / "loop-x") || !Link("loop-x", tree / "loop-y"))
        return;
    const GameTree opened = GameTree::Open(tree);
    CHECK(Visits(*opened.LayersFor("a/in-a.txt").front()) ==
          std::map<std::string, int>{{"a/in-a.txt", 1}, {"b/in-b.txt", 1}, {"proto/critters/00000001.pro", 1}});
    // Looking a file up through a link still finds it, as the game would.
    CHECK(opened.Find("a/to-b/in-b.txt"));
}

TEST_CASE("A link met before the folder it names does not take the folder's files")
{
    // The listing comes in no fixed order: the real folder must win for a
    // link of any name.
    for (const char* name : {"aaa", "zzz", "Proto2", "m"}) {
        const std::string linkName = name;
        CAPTURE(linkName);
        ScratchFolder scratch;
        const fs::path tree = scratch.path / "mod";
        PutFile(tree / "proto" / "critters" / "00000001.pro", "one");
        PutFile(tree / "proto" / "critters" / "deep" / "x.txt", "x");
        if (!Link("proto/critters", tree / name))
            return;
        const GameTree opened = GameTree::Open(tree);
        CHECK(Visits(*opened.LayersFor("x").front()) ==
              std::map<std::string, int>{{"proto/critters/00000001.pro", 1}, {"proto/critters/deep/x.txt", 1}});
    }
}

TEST_CASE("Links to folders outside the tree are walked, one folder once however many links name it")
{
    ScratchFolder scratch;
    const fs::path tree = scratch.path / "mod";
    const fs::path outside = scratch.path / "shared-art";
    PutFile(tree / "proto" / "critters" / "00000001.pro", "one");
    PutFile(outside / "x.frm", "x");
    PutFile(outside / "sub" / "y.frm", "y");
    fs::create_directories(tree / "art");
    if (!Link(outside, tree / "art" / "critters") || !Link(outside, tree / "art" / "more"))
        return;
    const GameTree opened = GameTree::Open(tree);
    // Of two links to one folder, the first in name order is the one listed.
    CHECK(Visits(*opened.LayersFor("x").front()) == std::map<std::string, int>{{"art/critters/sub/y.frm", 1},
                                                                               {"art/critters/x.frm", 1},
                                                                               {"proto/critters/00000001.pro", 1}});
    CHECK(opened.Find("art/more/x.frm"));
}

TEST_CASE("A loose file gone or turned into something else since the listing is named with the reason")
{
    ScratchFolder scratch;
    const fs::path critters = scratch.path / "proto" / "critters";
    PutFile(critters / "00000001.pro", "first");
    PutFile(critters / "00000002.pro", "second");
    const GameTree tree = GameTree::Open(scratch.path);
    REQUIRE(tree.Find("proto/critters/00000001.pro"));
    REQUIRE(tree.Find("proto/critters/00000002.pro"));
    fs::remove(critters / "00000001.pro");
    fs::remove(critters / "00000002.pro");
    fs::create_directory(critters / "00000002.pro");
    // Gone: not found, never "access denied"; a folder in its place: refused, saying so.
    const std::pair<const char*, const char*> rows[] = {
        {"proto/critters/00000001.pro", "00000001.pro: File not found"},
        {"proto/critters/00000002.pro", "00000002.pro: is a folder"},
    };
    for (const auto& [path, expected] : rows) {
        std::string text = "read without an error";
        try {
            tree.Read(path);
        } catch (const std::exception& error) {
            text = error.what();
        }
        CAPTURE(text);
        CHECK(text.find(expected) != std::string::npos);
    }
}
