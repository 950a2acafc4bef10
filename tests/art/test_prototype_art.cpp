// The picture of an FID of every listed type (items, scenery, walls, tiles,
// misc, inventory): the file its list's line names, the picture found through
// an install's archive and loose folder with its pixels, each thing that can
// be missing, and an animated one-direction picture played in place.
#include <doctest/doctest.h>

#include "art/CritterArt.h"
#include "art/FidArt.h"
#include "art/ListedArtName.h"
#include "DatWriter.h"
#include "FrmBuilder.h"
#include "gamedata/GameTree.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"

#include <filesystem>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

const char* const kNotPrototypeArt = ", not a prototype's art (0 items, 1 critters, 2 scenery, 3 walls, 4 tiles, "
                                     "5 misc, 7 inventory)";

// A picture of one frame, 2 x 1: the index given, then a transparent pixel.
std::vector<std::uint8_t> TwoPixelFrm(std::uint8_t index)
{
    FrmRecipe recipe;
    recipe.frameSets = {{FrmFrameRecipe{2, 1, {index, 0}, 0, 0, std::nullopt}}};
    return BuildFrm(recipe);
}

} // namespace

TEST_CASE("the file a listed type's FID names, and every refusal")
{
    const std::vector<std::string> names = {"reserv.frm", "Knife.FRM", "", "grass", "door.frm"};
    struct Case {
        std::uint32_t fid;
        const char* file; // path and base name, or the problem
    };
    const Case cases[] = {
        {0x00000001, "art/items/knife.frm knife"}, // a name in capitals is looked up in lower case
        {0x02000004, "art/scenery/door.frm door"},
        {0x03000000, "art/walls/reserv.frm reserv"},
        {0x04000003, "art/tiles/grass grass"}, // a name without extension is the file's whole name
        {0x05000004, "art/misc/door.frm door"},
        {0x07000001, "art/inven/knife.frm knife"},
        {0xF0FFF001, "art/items/knife.frm knife"}, // bits 12-23 and 28-31 name nothing here
        {0x00000005, "FID index 5 is beyond the end of art/items/items.lst (5 lines)"},
        {0x07000FFF, "FID index 4095 is beyond the end of art/inven/inven.lst (5 lines)"},
        {0x02000002, "FID index 2 names an empty line of art/scenery/scenery.lst"},
        {0x01000001, "FID 0x01000001 is critter art, named by the critters' rules"},
        {0x06000001, "FID 0x06000001 names type 6 (interface)"},
        {0x08000001, "FID 0x08000001 names type 8 (heads)"},
        {0x0A000001, "FID 0x0A000001 names type 10 (skilldex)"},
        {0x0B000001, "FID 0x0B000001 names type 11"},
        {0x0F000000, "FID 0x0F000000 names type 15"},
    };
    for (const Case& c : cases) {
        CAPTURE(FidText(c.fid));
        const ListedArtName name = ListedArtFileName(c.fid, names);
        std::string expected = c.file;
        if (expected.find("names type") != std::string::npos)
            expected += kNotPrototypeArt;
        CHECK((name.problem.empty() ? name.path + " " + name.baseName : name.problem) == expected);
        CHECK((name.problem.empty() || (name.baseName.empty() && name.path.empty())));
    }
}

namespace {

// A second-game install: the items', scenery and inventory art in master.dat
// with the palette and the critters' art, the walls', tiles' and misc art
// loose in data/. Each picture's one pixel has its own index.
struct Install {
    ScratchFolder root{"quarnel-prototype-art-"};
    fs::path data = root.path / "data";

    Install()
    {
        FrmRecipe critter;
        critter.frameSets = {{FrmFrameRecipe{1, 1, {3}, 0, 0, std::nullopt}}};
        WriteAllBytes(root.path / "master.dat",
                      Dat2Writer()
                          .Stored("color.pal", BuildPalette(32768))
                          .Stored("art\\items\\items.lst", "reserv.frm\r\nknife.frm    ; a knife\r\n")
                          .Zlib("art\\items\\knife.frm", TwoPixelFrm(5))
                          .Stored("art\\scenery\\scenery.lst", "door.frm,1\r\n")
                          .Stored("art\\scenery\\door.frm", TwoPixelFrm(9))
                          .Stored("art\\inven\\inven.lst", "reserv.frm\r\nKnife.FRM\r\n")
                          .Zlib("ART\\INVEN\\KNIFE.FRM", TwoPixelFrm(70))
                          .Stored("art\\critters\\critters.lst", "hmjmps\r\n")
                          .Stored("art\\critters\\hmjmpsaa.frm", BuildFrm(critter))
                          .Build());
        fs::create_directories(data / "art" / "walls");
        fs::create_directories(data / "art" / "Tiles");
        fs::create_directories(data / "art" / "misc");
        WriteTextFile(data / "art" / "walls" / "walls.lst", "reserv.frm\nreserv.frm\nWALL.FRM\n");
        WriteAllBytes(data / "art" / "walls" / "WALL.FRM", TwoPixelFrm(20));
        WriteTextFile(data / "art" / "Tiles" / "TILES.LST", "grass.frm\tgrass\r\n");
        WriteAllBytes(data / "art" / "Tiles" / "grass.frm", TwoPixelFrm(33));
        WriteTextFile(data / "art" / "misc" / "misc.lst", "exitgrid.frm");
        WriteAllBytes(data / "art" / "misc" / "exitgrid.frm", TwoPixelFrm(40));
        WriteTextFile(root.path / "fallout2.cfg", "[system]\nmaster_dat=master.dat\nmaster_patches=data\n");
    }
};

} // namespace

TEST_CASE("every listed type's picture through an install, from its archive and its loose folder")
{
    Install install;
    const GameTree tree = GameTree::Open(install.root.path);
    const ArtSource source(tree);
    struct Case {
        std::uint32_t fid;
        const char* path;
        const char* caption;
        std::vector<std::uint8_t> rgba; // the FRM's two pixels in the palette's colours, worked out by hand
    };
    const Case cases[] = {
        {0x00000001, "art/items/knife.frm", "knife, FID: 1", {20, 40, 60, 255, 0, 0, 0, 0}},
        {0x02000000, "art/scenery/door.frm", "door, FID: 0", {36, 72, 108, 255, 0, 0, 0, 0}},
        {0x03000002, "art/walls/wall.frm", "wall, FID: 2", {80, 160, 240, 255, 0, 0, 0, 0}},
        {0x04000000, "art/tiles/grass.frm", "grass, FID: 0", {132, 8, 140, 255, 0, 0, 0, 0}},
        {0x75FFF000, "art/misc/exitgrid.frm", "exitgrid, FID: 0", {160, 64, 224, 255, 0, 0, 0, 0}},
        {0x07000001, "art/inven/knife.frm", "knife, FID: 1", {24, 48, 72, 255, 0, 0, 0, 0}},
        {0x01000000, "art/critters/hmjmpsaa.frm", "hmjmpsaa, FID: 0", {12, 24, 36, 255}},
    };
    for (const Case& c : cases) {
        CAPTURE(FidText(c.fid));
        const FidArt art = source.Find(c.fid);
        CHECK(art.missing == "");
        REQUIRE(art.HasPicture());
        CHECK(art.path == c.path);
        CHECK(art.Caption() == c.caption);
        CHECK(art.Rgba(0, 0).rgba == c.rgba);
        CHECK(art.Rgba(5, 0).rgba == c.rgba);             // one direction stands for all six
        CHECK(source.Find(c.fid).picture == art.picture); // decoded once
    }
    // The ground and inventory pictures of one item are two files.
    CHECK(source.Find(0x00000001).picture != source.Find(0x07000001).picture);
    CHECK(source.ListProblem(0).empty());
    CHECK(source.PaletteProblem().empty());

    // Critters through the critters' own source are the same picture; it
    // still refuses every other type.
    const CritterArtSource critters(tree);
    CHECK(critters.Find(0x01000000).Rgba(0, 0).rgba == std::vector<std::uint8_t>{12, 24, 36, 255});
    CHECK(critters.Find(0x00000001).Caption() == "FID 0x00000001 is not critter art (type 0, critters have 1)");

    // A changed file is read again only after Forget().
    WriteAllBytes(install.data / "art" / "Tiles" / "grass.frm", TwoPixelFrm(34));
    CHECK(source.Find(0x04000000).Rgba(0, 0).rgba == std::vector<std::uint8_t>{132, 8, 140, 255, 0, 0, 0, 0});
    source.Forget();
    CHECK(source.Find(0x04000000).Rgba(0, 0).rgba == std::vector<std::uint8_t>{136, 16, 152, 255, 0, 0, 0, 0});
}

TEST_CASE("what keeps a listed type's FID from a picture, in one text")
{
    // A mod's loose tree.
    ScratchFolder root("quarnel-prototype-art-missing-");
    const fs::path art = root.path / "art";
    fs::create_directories(root.path / "proto" / "critters");
    fs::create_directories(art / "items");
    fs::create_directories(art / "misc");
    fs::create_directories(art / "tiles");
    WriteTextFile(art / "items" / "items.lst", "reserv.frm\r\nknife.frm\r\n");
    WriteAllBytes(art / "items" / "knife.frm", TwoPixelFrm(5));
    WriteTextFile(art / "misc" / "misc.lst", "nothere.frm\r\n");
    WriteTextFile(art / "tiles" / "tiles.lst", "bad.frm\r\n");
    WriteAllBytes(art / "tiles" / "bad.frm", std::vector<std::uint8_t>(20, 0));
    WriteAllBytes(root.path / "color.pal", BuildPalette());
    {
        const GameTree tree = GameTree::Open(root.path);
        const ArtSource source(tree);
        // The last line of the list is found, the one after it refused.
        CHECK(source.Find(0x00000001).HasPicture());
        const FidArt past = source.Find(0x00000002);
        CHECK_FALSE(past.HasPicture());
        CHECK(past.Caption() == "FID index 2 is beyond the end of art/items/items.lst (2 lines)");
        CHECK(past.baseName.empty());
        CHECK(past.path.empty());

        const FidArt noList = source.Find(0x03000000);
        CHECK_FALSE(noList.HasPicture());
        CHECK(noList.palette == nullptr);
        CHECK(noList.Caption() == "no art/walls/walls.lst");
        CHECK(source.ListProblem(3) == "no art/walls/walls.lst");
        CHECK(source.Find(0x07000000).Caption() == "no art/inven/inven.lst");

        const FidArt noFile = source.Find(0x05000000);
        CHECK_FALSE(noFile.HasPicture());
        CHECK(noFile.Caption() == "no art/misc/nothere.frm");
        CHECK(noFile.path == "art/misc/nothere.frm");

        CHECK(source.Find(0x04000000).Caption() ==
              "art/tiles/bad.frm: shorter than an FRM header (20 bytes, the header has 62)");

        CHECK(source.Find(0x06000001).Caption() ==
              std::string("FID 0x06000001 names type 6 (interface)") + kNotPrototypeArt);
        CHECK(source.Find(0x0C000000).Caption() == std::string("FID 0x0C000000 names type 12") + kNotPrototypeArt);
        CHECK(source.ListProblem(9) == std::string("FID 0x09000000 names type 9 (backgrounds)") + kNotPrototypeArt);
    }

    fs::remove(root.path / "color.pal");
    const GameTree tree = GameTree::Open(root.path);
    const ArtSource source(tree);
    const FidArt noPalette = source.Find(0x00000001);
    CHECK_FALSE(noPalette.HasPicture());
    CHECK(noPalette.palette == nullptr);
    CHECK(noPalette.Caption() == "no color.pal");
    CHECK(source.PaletteProblem() == "no color.pal");
}

TEST_CASE("an animated one-direction item plays at its file's rate, each frame in place")
{
    // Three frames: 2 x 2 at offset (0, 0), 4 x 1 moved by (3, -1), 1 x 3
    // moved by (-5, 2). Bottom centres (0, 0), (3, -1), (-2, 1); top left
    // corners (-1, -2), (1, -2), (-2, -2); the box runs from x -2 to 5 and
    // y -2 to 1: 7 x 3, the corners at (1, 0), (3, 0) and (0, 0) in it.
    FrmRecipe recipe;
    recipe.framesPerSecond = 5;
    recipe.frameSets = {{FrmFrameRecipe{2, 2, {1, 2, 3, 4}, 0, 0, std::nullopt},
                         FrmFrameRecipe{4, 1, {5, 6, 7, 8}, 3, -1, std::nullopt},
                         FrmFrameRecipe{1, 3, {9, 10, 11}, -5, 2, std::nullopt}}};
    ScratchFolder root("quarnel-prototype-art-animated-");
    fs::create_directories(root.path / "proto" / "critters");
    fs::create_directories(root.path / "art" / "items");
    WriteTextFile(root.path / "art" / "items" / "items.lst", "flare.frm\r\n");
    WriteAllBytes(root.path / "art" / "items" / "flare.frm", BuildFrm(recipe));
    WriteAllBytes(root.path / "color.pal", BuildPalette());
    const GameTree tree = GameTree::Open(root.path);
    const FidArt art = ArtSource(tree).Find(0x00000000);
    REQUIRE(art.HasPicture());
    CHECK(art.picture->storedDirections == 1);
    CHECK(art.picture->FramesPerSecond() == 5);
    REQUIRE(art.picture->Frames(0).size() == 3);

    const FramePlacement placement = PlaceFrames(art.picture->Frames(0));
    CHECK(placement.width == 7);
    CHECK(placement.height == 3);
    CHECK(placement.topLeft == std::vector<std::array<int, 2>>{{1, 0}, {3, 0}, {0, 0}});

    // Frame 1 in its box: the top row's columns 3 to 6 hold indices 5 to 8.
    std::vector<std::uint8_t> expected;
    const auto put = [&](std::initializer_list<std::uint8_t> rgba) { expected.insert(expected.end(), rgba); };
    for (int x = 0; x < 3; ++x)
        put({0, 0, 0, 0});
    put({20, 40, 60, 255}); // 5
    put({24, 48, 72, 255}); // 6
    put({28, 56, 84, 255}); // 7
    put({32, 64, 96, 255}); // 8
    for (int x = 0; x < 14; ++x)
        put({0, 0, 0, 0});
    for (int direction : {0, 3, 5}) {
        CAPTURE(direction);
        const RgbaImage placed = art.PlacedRgba(direction, 1);
        CHECK(placed.width == 7);
        CHECK(placed.height == 3);
        CHECK(placed.rgba == expected);
    }
    // Frame 2, 1 x 3, fills the box's first column.
    const RgbaImage last = art.PlacedRgba(0, 2);
    CHECK(std::vector<std::uint8_t>(last.rgba.begin(), last.rgba.begin() + 4) ==
          std::vector<std::uint8_t>{36, 72, 108, 255}); // 9
    CHECK(std::vector<std::uint8_t>(last.rgba.begin() + 56, last.rgba.begin() + 60) ==
          std::vector<std::uint8_t>{44, 88, 132, 255}); // 11: (11, 22, 33) x 4
}
