// Which picture a critter's FID names (every rule, with the file names
// written out), and the picture found through a game's tree: a mod's loose
// tree, the first game's critter archive, and each thing that can be missing.
#include <doctest/doctest.h>

#include "art/CritterArt.h"
#include "DatWriter.h"
#include "FrmBuilder.h"
#include "gamedata/GameTree.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"

#include <filesystem>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

TEST_CASE("the art list: one name per line, up to a comma, blank, tab or semicolon")
{
    CHECK(ParseArtList("reserv\r\nhapowr,21,1\r\nhmjmps 11\nhfjmps\t1\nmaddog;x\n\nlast") ==
          std::vector<std::string>{"reserv", "hapowr", "hmjmps", "hfjmps", "maddog", "", "last"});
    CHECK(ParseArtList("a\r\n") == std::vector<std::string>{"a"});
    CHECK(ParseArtList("").empty());
}

TEST_CASE("the FID's picture file: standing, weapons, rotations, and every refusal")
{
    const std::vector<std::string> names = {"reserv", "hmjmps", "", "maddog", "MAC3Po"};
    struct Case {
        std::uint32_t fid;
        const char* file; // base name and extension, or the problem
    };
    const Case cases[] = {
        {0x01000001, "hmjmpsaa.frm"},
        {0x01000003, "maddogaa.frm"},
        {0x01000004, "mac3poaa.frm"}, // a name in capitals is looked up in lower case
        {0x01001001, "hmjmpsda.frm"}, // weapon 1: d
        {0x01002001, "hmjmpsea.frm"},
        {0x01007001, "hmjmpsja.frm"},
        {0x0100A001, "hmjmpsma.frm"}, // weapon 10: m
        {0x11000001, "hmjmpsaa.fr0"}, // rotation 1
        {0x41000001, "hmjmpsaa.fr3"},
        {0x61003003, "maddogfa.fr5"}, // rotation 6, weapon 3
        {0x81000001, "hmjmpsaa.frm"}, // bit 31 is no part of the name
        {0x00000001, "FID 0x00000001 is not critter art (type 0, critters have 1)"},
        {0x05000001, "FID 0x05000001 is not critter art (type 5, critters have 1)"},
        {0x01010001, "FID 0x01010001 names animation 1, not the standing picture (0)"},
        {0x01FF0001, "FID 0x01FF0001 names animation 255, not the standing picture (0)"},
        {0x0100B001, "FID 0x0100B001 names weapon code 11, not one of 0 to 10"},
        {0x71000001, "FID 0x71000001 names rotation 7, not one of 0 to 6"},
        {0x01000005, "FID index 5 is beyond the end of art/critters/critters.lst (5 lines)"},
        {0x01000FFF, "FID index 4095 is beyond the end of art/critters/critters.lst (5 lines)"},
        {0x01000002, "FID index 2 names an empty line of art/critters/critters.lst"},
    };
    for (const Case& c : cases) {
        CAPTURE(FidText(c.fid));
        const CritterArtName name = CritterArtFileName(c.fid, names);
        CHECK((name.problem.empty() ? name.baseName + name.extension : name.problem) == c.file);
        CHECK((name.problem.empty() || (name.baseName.empty() && name.extension.empty())));
    }
}

namespace {

// A picture whose one pixel is the index given.
std::vector<std::uint8_t> OnePixelFrm(std::uint8_t index)
{
    FrmRecipe recipe;
    recipe.frameSets = {{FrmFrameRecipe{1, 1, {index}, 0, 0, std::nullopt}}};
    return BuildFrm(recipe);
}

// A mod's loose tree: proto/critters, art/critters with its list, color.pal.
struct ModTree {
    ScratchFolder root{"quarnel-art-"};
    fs::path art = root.path / "Art" / "CRITTERS";

    ModTree()
    {
        fs::create_directories(root.path / "proto" / "critters");
        fs::create_directories(art);
        WriteTextFile(art / "critters.lst", "reserv\r\nhmjmps,11,1\r\nmaddog,16\r\nnoart\r\n");
        WriteAllBytes(art / "HMJMPSAA.FRM", OnePixelFrm(7));
        WriteAllBytes(root.path / "color.pal", BuildPalette(32768));
        for (int d = 0; d < 6; ++d)
            WriteAllBytes(art / ("maddogaa.fr" + std::to_string(d)), OnePixelFrm(std::uint8_t(10 + d)));
    }
};

} // namespace

TEST_CASE("a critter's picture through a mod's tree, and what is missing named in one text")
{
    ModTree mod;
    {
        const GameTree tree = GameTree::Open(mod.root.path);
        const CritterArtSource source(tree);
        const CritterArt art = source.Find(0x01000001);
        REQUIRE(art.HasPicture());
        CHECK(art.Caption() == "hmjmpsaa, FID: 1");
        CHECK(art.path == "art/critters/hmjmpsaa.frm");
        CHECK(art.Rgba(3, 0).rgba == std::vector<std::uint8_t>{28, 56, 84, 255});
        CHECK(source.Find(0x01000001).picture == art.picture); // decoded once

        // Per-direction files stand in for the missing .frm.
        const CritterArt dog = source.Find(0x01000002);
        REQUIRE(dog.HasPicture());
        CHECK(dog.Caption() == "maddogaa, FID: 2");
        CHECK(dog.path == "art/critters/maddogaa.fr0");
        for (int d = 0; d < 6; ++d)
            CHECK(dog.picture->Frame(d, 0).pixels == std::vector<std::uint8_t>{std::uint8_t(10 + d)});
        // A rotation names one of them alone.
        const CritterArt rotated = source.Find(0x31000002);
        REQUIRE(rotated.HasPicture());
        CHECK(rotated.path == "art/critters/maddogaa.fr2");
        CHECK(rotated.picture->Frame(5, 0).pixels == std::vector<std::uint8_t>{12});

        CHECK(source.Find(0x01000003).Caption() == "no art/critters/noartaa.frm");
        CHECK_FALSE(source.Find(0x01000003).HasPicture());
        CHECK(source.Find(0x01000009).Caption() ==
              "FID index 9 is beyond the end of art/critters/critters.lst (4 lines)");
        CHECK(source.Find(0x02000001).Caption() == "FID 0x02000001 is not critter art (type 2, critters have 1)");
        CHECK(source.Find(0x01001001).Caption() == "no art/critters/hmjmpsda.frm");
    }

    // Some direction files, not all: the first missing one is named.
    fs::remove(mod.art / "maddogaa.fr3");
    // A damaged picture is named with what is wrong.
    WriteAllBytes(mod.art / "HMJMPSAA.FRM", std::vector<std::uint8_t>(20, 0));
    {
        const GameTree tree = GameTree::Open(mod.root.path);
        const CritterArtSource source(tree);
        CHECK(source.Find(0x01000002).Caption() == "no art/critters/maddogaa.fr3");
        CHECK(source.Find(0x01000001).Caption() ==
              "art/critters/hmjmpsaa.frm: shorter than an FRM header (20 bytes, the header has 62)");
    }

    fs::remove(mod.root.path / "color.pal");
    {
        const GameTree tree = GameTree::Open(mod.root.path);
        const CritterArtSource source(tree);
        CHECK(source.Find(0x11000002).Caption() == "no color.pal");
    }
    WriteAllBytes(mod.root.path / "color.pal", std::vector<std::uint8_t>(100, 1));
    {
        const GameTree tree = GameTree::Open(mod.root.path);
        CHECK(CritterArtSource(tree).Find(0x11000002).Caption() == "color.pal: 100 bytes, a palette has 768");
    }

    fs::remove(mod.art / "critters.lst");
    const GameTree tree = GameTree::Open(mod.root.path);
    CHECK(CritterArtSource(tree).Find(0x01000001).Caption() == "no art/critters/critters.lst");
}

TEST_CASE("the first game's critter art comes from its critter archive, the palette from the master archive")
{
    ScratchFolder root("quarnel-art-fo1-");
    const std::vector<std::uint8_t> frm = OnePixelFrm(9);
    WriteAllBytes(root.path / "master.dat", Dat1Writer()
                                                .Stored("", "COLOR.PAL", std::string(768, '\x02'))
                                                .Stored("ART\\CRITTERS", "HMJMPSAA.FRM", "not this one")
                                                .Build());
    WriteAllBytes(root.path / "critter.dat",
                  Dat1Writer()
                      .Stored("ART\\CRITTERS", "CRITTERS.LST", "hmjmps\r\n")
                      .Stored("ART\\CRITTERS", "HMJMPSAA.FRM", std::string(frm.begin(), frm.end()))
                      .Build());
    WriteTextFile(root.path / "fallout.cfg", "[system]\r\nmaster_dat=master.dat\r\ncritter_dat=critter.dat\r\n");
    const GameTree tree = GameTree::Open(root.path);
    REQUIRE(tree.Which() == Game::First);
    const CritterArt art = CritterArtSource(tree).Find(0x01000000);
    REQUIRE(art.HasPicture());
    CHECK(art.Caption() == "hmjmpsaa, FID: 0");
    CHECK(art.Rgba(0, 0).rgba == std::vector<std::uint8_t>{8, 8, 8, 255});
}
