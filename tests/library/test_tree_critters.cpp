// The window's critter list of a game's tree: only the *.pro files directly
// in the merged proto/critters, whatever its sub-folders, links and archives
// hold below it.
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "gamedata/GameTree.h"
#include "library/TreeCritterList.h"

#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

} // namespace

TEST_CASE("The tree's critter list holds the files of proto/critters itself, none of its sub-folders")
{
    ScratchFolder scratch;
    const fs::path root = scratch.path;
    const std::vector<std::uint8_t> critter = ProtoBuilder(416).TextId(100).Bytes();
    WriteAllBytes(root / "master.dat", Dat2Writer()
                                           .Stored("proto\\critters\\00000001.pro", critter)
                                           .Stored("proto\\critters\\old\\00000002.pro", critter)
                                           .Stored("proto\\critters\\a\\b\\00000003.pro", critter)
                                           .Stored("proto\\critters.pro", critter)
                                           .Build());
    WriteAllBytes(root / "critter.dat", Dat2Writer().Stored("proto\\critters\\00000005.pro", critter).Build());
    WriteTextFile(root / "fallout2.cfg", "[system]\nmaster_patches=data\n");
    const std::string loose(critter.begin(), critter.end());
    PutFile(root / "data" / "proto" / "critters" / "00000004.pro", loose);
    PutFile(root / "data" / "proto" / "critters" / "backup" / "00000006.pro", loose);
    PutFile(root / "data" / "proto" / "critters" / "00000007.pro" / "00000008.pro", loose); // a folder named .pro
    PutFile(root / "data" / "proto" / "critters2" / "00000009.pro", loose);
    PutFile(root / "elsewhere" / "0000000A.pro", loose);
    std::error_code ec;
    fs::create_directory_symlink(root / "elsewhere", root / "data" / "proto" / "critters" / "linked", ec);

    const GameTree tree = GameTree::Open(root);
    REQUIRE(tree.Warnings().empty());
    Lines listed;
    for (const TreeCritter& entry : ListTreeCritters(tree))
        listed.push_back(entry.layer + ":" + entry.fileName);
    CHECK(listed == Lines{"master.dat:00000001.pro", "data:00000004.pro", "critter.dat:00000005.pro"});
}
