// Writing into the override folder for a winning copy the caller has just
// found and read: the same copies and refusals as a write that looks the
// path up itself, with no second lookup and no second read of the archive.
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "gamedata/GameTree.h"
#include "gamedata/OverrideWriter.h"
#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "platform/WriteRefusal.h"

#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

// A second-game install: critters 1 and 3 in master.dat, 3 also in
// patch000.dat (read before the override folder DATA).
struct Install {
    ScratchFolder scratch;
    fs::path root = scratch.path;
    std::vector<std::uint8_t> record = ProtoBuilder(416, 0x21).Bytes();
    Install()
    {
        WriteAllBytes(root / "master.dat", Dat2Writer()
                                               .Zlib("proto\\critters\\00000001.pro", record)
                                               .Zlib("proto\\critters\\00000003.pro", record)
                                               .Build());
        WriteAllBytes(root / "patch000.dat", Dat2Writer().Stored("proto\\critters\\00000003.pro", record).Build());
        fs::create_directories(root / "DATA" / "PROTO");
        WriteTextFile(root / "fallout2.cfg", "[system]\nmaster_patches=data\n");
    }
    std::vector<std::uint8_t> Changed(std::size_t at) const
    {
        std::vector<std::uint8_t> bytes = record;
        bytes[at] ^= 0x5A;
        return bytes;
    }
};

} // namespace

TEST_CASE("A write over a known winner makes the new copy without reading the archive again")
{
    Install install;
    GameTree tree = GameTree::Open(install.root);
    const Holding winner = *tree.Find("proto/critters/00000001.pro");
    REQUIRE(winner.layer->Name() == "master.dat");
    REQUIRE(winner.layer->Read(winner.path) == install.record);
    // The archive cannot be read any more: a write that read the winner again would fail.
    fs::resize_file(install.root / "master.dat", 16);
    CHECK_THROWS(winner.layer->Read(winner.path));

    const std::vector<std::uint8_t> changed = install.Changed(100);
    const OverrideWrite written = WriteOverWinner(tree, winner, install.record, changed);
    CHECK(written.created);
    CHECK(written.changed);
    CHECK(written.file == install.root / "DATA" / "PROTO" / "critters" / "00000001.pro");
    CHECK(ReadAllBytes(written.file) == changed);
    CHECK(IsReadOnly(written.file));
}

TEST_CASE("A write over a known winner refuses what a write that looks the path up refuses")
{
    Install install;
    GameTree tree = GameTree::Open(install.root);
    const std::vector<std::uint8_t> changed = install.Changed(200);

    // Shadowed: patch000.dat wins critter 3 and is read before DATA; the same text, nothing written.
    const Holding patched = *tree.Find("proto/critters/00000003.pro");
    REQUIRE(patched.layer->Name() == "patch000.dat");
    CHECK(ShadowingWinner(tree, patched) == patched.layer);
    CHECK_THROWS_WITH_AS(WriteOverWinner(tree, patched, install.record, changed),
                         "proto/critters/00000003.pro is also in patch000.dat, which the game reads first; "
                         "a copy in DATA would not be used",
                         ArchiveError);
    CHECK_FALSE(fs::exists(install.root / "DATA" / "PROTO" / "critters" / "00000003.pro"));
    // Forced, it is written although the game would not read it.
    CHECK(ReadAllBytes(WriteOverWinner(tree, patched, install.record, changed, true).file) == changed);

    // The copy in DATA, now the winner of critter 1, changed by another program: refused in place.
    const Holding master = *tree.Find("proto/critters/00000001.pro");
    CHECK(ShadowingWinner(tree, master) == nullptr);
    const fs::path copy = WriteOverWinner(tree, master, install.record, changed).file;
    const Holding data = *tree.Find("proto/critters/00000001.pro");
    REQUIRE(data.layer->Name() == "DATA");
    CHECK(ShadowingWinner(tree, data) == nullptr);
    CHECK_THROWS_WITH_AS(WriteOverWinner(tree, data, install.record, install.Changed(7)),
                         doctest::Contains("changed since it was read"), ArchiveError);
    CHECK(ReadAllBytes(copy) == changed);
    // Unchanged bytes write nothing; another length and an unsafe path are refused.
    CHECK_FALSE(WriteOverWinner(tree, data, changed, changed).changed);
    CHECK_THROWS_AS(WriteOverWinner(tree, data, changed, std::vector<std::uint8_t>(changed.begin(), changed.end() - 4)),
                    ArchiveError);
    Holding unsafe = data;
    unsafe.path = "proto/critters/../../../x.pro";
    CHECK_THROWS_AS(WriteOverWinner(tree, unsafe, changed, install.Changed(9)), ArchiveError);
    CHECK(ReadAllBytes(copy) == changed);
}

TEST_CASE("A write over a known winner stops at a file where a folder of its path goes")
{
    Install install;
    WriteTextFile(install.root / "DATA" / "PROTO" / "CRITTERS", "not a folder");
    GameTree tree = GameTree::Open(install.root);
    const Holding winner = *tree.Find("proto/critters/00000001.pro");
    CHECK_THROWS_AS(WriteOverWinner(tree, winner, install.record, install.Changed(3)), WriteRefusedError);
    CHECK(fs::is_regular_file(install.root / "DATA" / "PROTO" / "CRITTERS"));
}
