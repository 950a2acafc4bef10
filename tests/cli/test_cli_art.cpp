// quarnel-cli art and frm on the real pictures and palette: PNG sizes and
// transparency read back from the files, a sheet of a six-direction animated
// critter, the tree found above a loose critter, and check --data naming the
// critters without a standing picture.
#include <doctest/doctest.h>

#include "CliTestSupport.h"
#include "DatWriter.h"
#include "FrmBuilder.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "TestDataFolders.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <memory>

namespace fs = std::filesystem;
using namespace quarnel;
using namespace quarnel::test;
using namespace quarnel::test::cli;

namespace {

fs::path RealArt() { return DataFolder(QUARNEL_SHARED_TESTDATA) / "art"; }

struct Png {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    // The alpha of the pixel, and whether every pixel is either transparent
    // black-free (alpha 0) or opaque.
    int Alpha(int x, int y) const { return rgba.at((static_cast<std::size_t>(y) * width + x) * 4 + 3); }
};

Png ReadPng(const fs::path& file)
{
    const std::vector<std::uint8_t> bytes = ReadAllBytes(file);
    Png png;
    int channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &png.width, &png.height, &channels, 4),
        stbi_image_free);
    REQUIRE(pixels);
    CHECK(channels == 4);
    png.rgba.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(png.width) * png.height * 4);
    return png;
}

// Counts of transparent and opaque pixels; any other alpha fails the case.
std::pair<int, int> AlphaCounts(const Png& png)
{
    int transparent = 0, opaque = 0;
    for (std::size_t i = 3; i < png.rgba.size(); i += 4) {
        REQUIRE((png.rgba[i] == 0 || png.rgba[i] == 255));
        (png.rgba[i] == 0 ? transparent : opaque)++;
    }
    return {transparent, opaque};
}

// A critter record of the second game whose FID is fid.
std::vector<std::uint8_t> CritterWithFid(int number, std::uint32_t fid)
{
    return CleanCritter(number).Set(8, 4, static_cast<std::int32_t>(fid)).Bytes();
}

} // namespace

TEST_CASE("frm writes a frame or a sheet as PNG with index 0 transparent, and describes the file")
{
    if (!IsPresent(RealArt() / "laghulaa.frm")) {
        ReportSkipped("no art test data in " + RealArt().string());
        return;
    }
    ScratchFolder out("quarnel-frm-");
    const std::string palette = Text(RealArt() / "color.pal");
    const std::string ghoul = Text(RealArt() / "laghulaa.frm");

    // The first frame of direction 2: its size from the file's bytes.
    const std::vector<std::uint8_t> bytes = ReadAllBytes(RealArt() / "laghulaa.frm");
    auto be = [&](std::size_t at, int width) {
        std::uint32_t v = 0;
        for (int i = 0; i < width; ++i)
            v = v << 8 | bytes.at(at + i);
        return v;
    };
    const std::size_t frame = 0x3E + be(0x22 + 4 * 2, 4);
    REQUIRE(Cli({"frm", ghoul, "--palette", palette, "--out", Text(out.path / "d2.png"), "--direction", "2"}).status ==
            0);
    const Png one = ReadPng(out.path / "d2.png");
    CHECK(one.width == static_cast<int>(be(frame, 2)));
    CHECK(one.height == static_cast<int>(be(frame + 2, 2)));
    // Transparent exactly where the index is 0.
    bool same = true;
    for (int i = 0; i < one.width * one.height; ++i)
        same = same && (one.rgba[i * 4 + 3] == 0) == (bytes.at(frame + 12 + i) == 0);
    CHECK(same);
    const auto [transparent, opaque] = AlphaCounts(one);
    CHECK(transparent > 0);
    CHECK(opaque > 0);

    // The sheet: 6 rows, 12 columns, cells as large as the largest frame.
    REQUIRE(Cli({"frm", ghoul, "--palette", palette, "--out", Text(out.path / "sheet.png"), "--sheet"}).status == 0);
    const Png sheet = ReadPng(out.path / "sheet.png");
    int cellWidth = 0, cellHeight = 0;
    for (int d = 0; d < 6; ++d) {
        std::size_t at = 0x3E + be(0x22 + 4 * d, 4);
        for (int f = 0; f < 12; ++f) {
            const int w = static_cast<int>(be(at, 2)), h = static_cast<int>(be(at + 2, 2));
            cellWidth = std::max(cellWidth, w);
            cellHeight = std::max(cellHeight, h);
            at += 12 + static_cast<std::size_t>(w * h);
        }
    }
    CHECK(sheet.width == 12 * cellWidth);
    CHECK(sheet.height == 6 * cellHeight);
    // Direction 2's first frame at the top left of its cell.
    same = true;
    for (int y = 0; y < one.height; ++y)
        for (int x = 0; x < one.width; ++x)
            same = same && std::equal(one.rgba.begin() + (y * one.width + x) * 4,
                                      one.rgba.begin() + (y * one.width + x) * 4 + 4,
                                      sheet.rgba.begin() + ((2 * cellHeight + y) * sheet.width + x) * 4);
    CHECK(same);
    AlphaCounts(sheet);

    // One direction for all six: every row of the sheet is the same.
    REQUIRE(Cli({"frm", Text(RealArt() / "mac3poaa.frm"), "--palette", palette, "--out", Text(out.path / "mac.png"),
                 "--sheet"})
                .status == 0);
    const Png mac = ReadPng(out.path / "mac.png");
    CHECK(mac.width % 8 == 0);
    const std::size_t row = mac.rgba.size() / 6;
    for (int d = 1; d < 6; ++d)
        CHECK(std::equal(mac.rgba.begin(), mac.rgba.begin() + row, mac.rgba.begin() + d * row));

    const Result info = Cli({"frm", ghoul, "--info"});
    CHECK(info.status == 0);
    CHECK(Contains(info.out, "version: 4\nframes per second: 7\nframes per direction: 12\n"));
    CHECK(Contains(info.out, "direction 1: shift 2, 2\n"));
    CHECK(
        Contains(info.out, "direction 2, frame 0: " + std::to_string(one.width) + " x " + std::to_string(one.height)));
    const Result macInfo = Cli({"frm", Text(RealArt() / "mac3poaa.frm"), "--info"});
    CHECK(Contains(macInfo.out, "frames per second: 10 (0 in the file)\n"));
    CHECK(Contains(macInfo.out, "directions: 1, used for all six\n"));
    CHECK_FALSE(Contains(macInfo.out, "direction 1"));

    // Refusals: a frame the direction lacks, a damaged file, a missing palette.
    const Result noFrame = Cli({"frm", Text(RealArt() / "naroyaaa.frm"), "--palette", palette, "--out",
                                Text(out.path / "x.png"), "--frame", "1"});
    CHECK(noFrame.status == 2);
    CHECK(Contains(noFrame.err, "--frame 1: direction 0 has 1 frame (0)"));
    CHECK(Cli({"frm", ghoul, "--palette", palette, "--out", Text(out.path / "x.png"), "--direction", "6"}).status == 2);
    WriteAllBytes(out.path / "cut.frm", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 5000));
    const Result cut = Cli({"frm", Text(out.path / "cut.frm"), "--info"});
    CHECK(cut.status == 2);
    CHECK(Contains(cut.err, "cut.frm: direction 0, frame"));
    CHECK(Cli({"frm", ghoul, "--out", Text(out.path / "x.png")}).status == 2);
    CHECK(Cli({"frm", ghoul, "--palette", Text(out.path / "none.pal"), "--out", Text(out.path / "x.png")}).status == 2);
    CHECK_FALSE(IsPresent(out.path / "x.png"));
}

TEST_CASE("art draws a critter's standing picture from its tree, found above the loose file or given by --data")
{
    if (!IsPresent(RealArt() / "laghulaa.frm")) {
        ReportSkipped("no art test data in " + RealArt().string());
        return;
    }
    // A mod's tree with the real list, palette and pictures: LAGHUL is line
    // 147 of the list (index 146), MAC3PO line 128 (127).
    ScratchFolder mod("quarnel-art-mod-");
    const fs::path critters = mod.path / "proto" / "critters";
    fs::create_directories(critters);
    fs::create_directories(mod.path / "art" / "critters");
    for (const char* name : {"critters.lst", "laghulaa.frm", "mac3poaa.frm"})
        WriteAllBytes(mod.path / "art" / "critters" / name, ReadAllBytes(RealArt() / name));
    WriteAllBytes(mod.path / "color.pal", ReadAllBytes(RealArt() / "color.pal"));
    WriteAllBytes(critters / "00000001.pro", CritterWithFid(1, 0x01000000 + 146));
    WriteAllBytes(critters / "00000002.pro", CritterWithFid(2, 0x01000000 + 127));
    WriteAllBytes(critters / "00000003.pro", CritterWithFid(3, 0x01000000 + 11)); // hmjmpsaa.frm is not there
    WriteAllBytes(critters / "00000004.pro", CritterWithFid(4, 0x01000000 + 400));
    ScratchFolder out("quarnel-art-out-");

    const Result ghoul = Cli({"art", Text(critters / "00000001.pro"), "--out", Text(out.path / "g.png"), "--sheet"});
    CHECK(ghoul.status == 0);
    CHECK(Contains(ghoul.out, "art/critters/laghulaa.frm (laghulaa, FID: 146)"));
    const Png sheet = ReadPng(out.path / "g.png");
    const Result frm = Cli({"frm", Text(RealArt() / "laghulaa.frm"), "--palette", Text(RealArt() / "color.pal"),
                            "--out", Text(out.path / "f.png"), "--sheet"});
    REQUIRE(frm.status == 0);
    CHECK(ReadAllBytes(out.path / "g.png") == ReadAllBytes(out.path / "f.png"));
    CHECK(sheet.height % 6 == 0);

    const Result dataGiven = Cli({"art", "--data", Text(mod.path), "proto/critters/00000002.pro", "--out",
                                  Text(out.path / "m.png"), "--direction", "5", "--frame", "7"});
    CHECK(dataGiven.status == 0);
    CHECK(Contains(dataGiven.out, "(mac3poaa, FID: 127)"));
    AlphaCounts(ReadPng(out.path / "m.png"));

    const Result missing = Cli({"art", Text(critters / "00000003.pro"), "--out", Text(out.path / "h.png")});
    CHECK(missing.status == 2);
    CHECK(Contains(missing.err, "no art/critters/hmjmpsaa.frm"));
    CHECK_FALSE(IsPresent(out.path / "h.png"));

    // check --data names each critter without a standing picture.
    const Result check = Cli({"check", "--data", Text(mod.path)});
    CHECK(check.status == 1);
    CHECK(Contains(check.out, "00000003.pro: no standing picture: no art/critters/hmjmpsaa.frm\n"));
    CHECK(Contains(check.out, "00000004.pro: no standing picture: FID index 400 is beyond the end of "
                              "art/critters/critters.lst (152 lines)\n"));
    CHECK_FALSE(Contains(check.out, "00000001.pro: no standing"));
    CHECK_FALSE(Contains(check.out, "00000002.pro: no standing"));
    fs::remove(mod.path / "color.pal");
    const Result noPalette = Cli({"check", "--data", Text(mod.path)});
    CHECK(Contains(noPalette.out, "color.pal: missing: no critter has a standing picture\n"));
    CHECK_FALSE(Contains(noPalette.out, "00000001.pro: no standing"));

    // No tree above a loose critter.
    ScratchFolder alone("quarnel-art-alone-");
    WriteAllBytes(alone.path / "00000001.pro", CritterWithFid(1, 0x01000000));
    const Result none = Cli({"art", Text(alone.path / "00000001.pro"), "--out", Text(out.path / "n.png")});
    CHECK(none.status == 2);
    CHECK(Contains(none.err, "give --data"));
}

TEST_CASE("a critter in an install's data folder takes its art from the install's archives")
{
    ScratchFolder root("quarnel-art-install-");
    FrmRecipe recipe;
    recipe.frameSets = {{FrmFrameRecipe{2, 1, {0, 5}, 0, 0, std::nullopt}}};
    const std::vector<std::uint8_t> frm = BuildFrm(recipe);
    WriteAllBytes(root.path / "master.dat", Dat2Writer().Stored("color.pal", BuildPalette()).Build());
    WriteAllBytes(root.path / "critter.dat", Dat2Writer()
                                                 .Stored("art\\critters\\critters.lst", "hmjmps\r\n")
                                                 .Zlib("art\\critters\\hmjmpsaa.frm", frm)
                                                 .Build());
    WriteTextFile(root.path / "fallout2.cfg", "[system]\r\nmaster_dat=master.dat\r\ncritter_dat=critter.dat\r\n");
    const fs::path critters = root.path / "data" / "proto" / "critters";
    fs::create_directories(critters);
    WriteAllBytes(critters / "00000001.pro", CritterWithFid(1, 0x01000000));
    ScratchFolder out("quarnel-art-out-");
    const Result art = Cli({"art", Text(critters / "00000001.pro"), "--out", Text(out.path / "a.png")});
    CHECK_MESSAGE(art.status == 0, art.err);
    const Png png = ReadPng(out.path / "a.png");
    REQUIRE(png.width == 2);
    CHECK(png.rgba == std::vector<std::uint8_t>{0, 0, 0, 0, 20, 40, 60, 255});
}
