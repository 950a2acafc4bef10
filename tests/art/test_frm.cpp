// FRM pictures built in code with their pixels written out, the real
// pictures of the test data checked against a reading of their bytes made
// here, the palette, RGBA frames, sheets and damaged files.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "art/FrmPicture.h"
#include "art/Palette.h"
#include "art/PngEncoder.h"
#include "art/RgbaImage.h"
#include "FrmBuilder.h"
#include "platform/Errors.h"
#include "ProtoBuilder.h"
#include "TestDataFolders.h"
#include "platform/Utf8.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <memory>

using namespace quarnel;
using namespace quarnel::test;
using Bytes = std::vector<std::uint8_t>;

namespace {

FrmFrameRecipe Frame(int width, int height, Bytes pixels, int xOffset = 0, int yOffset = 0)
{
    return {width, height, std::move(pixels), xOffset, yOffset, std::nullopt};
}

void CheckFrame(const FrmFrame& frame, int width, int height, const Bytes& pixels, int xOffset = 0, int yOffset = 0)
{
    CHECK(frame.width == width);
    CHECK(frame.height == height);
    CHECK(frame.pixels == pixels);
    CHECK(frame.xOffset == xOffset);
    CHECK(frame.yOffset == yOffset);
}

} // namespace

TEST_CASE("one direction: every offset 0, the frames and shift used for all six")
{
    FrmRecipe recipe;
    recipe.framesPerSecond = 0;
    recipe.xShift = {3, 9, 9, 9, 9, 9};
    recipe.yShift = {-4, 9, 9, 9, 9, 9};
    recipe.frameSets = {{Frame(3, 2, {0, 1, 2, 3, 4, 5}, -1, 2)}};
    const FrmPicture picture = DecodeFrm(BuildFrm(recipe), "one.frm");
    CHECK(picture.storedDirections == 1);
    CHECK(picture.storedFramesPerSecond == 0);
    CHECK(picture.FramesPerSecond() == 10);
    for (int d = 0; d < 6; ++d) {
        CAPTURE(d);
        REQUIRE(picture.Frames(d).size() == 1);
        CheckFrame(picture.Frame(d, 0), 3, 2, {0, 1, 2, 3, 4, 5}, -1, 2);
        CHECK(picture.directions[d].xShift == 3);
        CHECK(picture.directions[d].yShift == -4);
    }
}

TEST_CASE("six directions of several frames, each with its shift; equal offsets share frames")
{
    FrmRecipe recipe;
    recipe.version = 4;
    recipe.framesPerSecond = 7;
    recipe.actionFrame = 1;
    recipe.xShift = {0, 1, -2, 3, -32768, 32767};
    recipe.yShift = {5, -6, 7, -8, 9, -10};
    for (int d = 0; d < 6; ++d)
        recipe.frameSets.push_back(
            {Frame(1, 2, {std::uint8_t(d), 0xFF}, d, -d), Frame(2, 1, {0x10, std::uint8_t(0x20 + d)})});
    recipe.directionSet = SixDirections();
    const FrmPicture six = DecodeFrm(BuildFrm(recipe), "six.frm");
    CHECK(six.storedDirections == 6);
    CHECK(six.FramesPerSecond() == 7);
    CHECK(six.actionFrame == 1);
    CHECK(six.framesPerDirection == 2);
    CHECK(six.directions[4].xShift == -32768);
    CHECK(six.directions[5].xShift == 32767);
    for (int d = 0; d < 6; ++d) {
        CAPTURE(d);
        REQUIRE(six.Frames(d).size() == 2);
        CheckFrame(six.Frame(d, 0), 1, 2, {std::uint8_t(d), 0xFF}, d, -d);
        CheckFrame(six.Frame(d, 1), 2, 1, {0x10, std::uint8_t(0x20 + d)});
        CHECK(six.directions[d].yShift == recipe.yShift[d]);
    }

    // Two frame sets: directions 0, 2, 4 on the first, 1, 3, 5 on the second.
    recipe.frameSets.resize(2);
    recipe.directionSet = {0, 1, 0, 1, 0, 1};
    const FrmPicture shared = DecodeFrm(BuildFrm(recipe), "shared.frm");
    CHECK(shared.frameSets.size() == 2);
    CHECK(&shared.Frames(4) == &shared.Frames(0));
    CHECK(&shared.Frames(5) == &shared.Frames(1));
    CheckFrame(shared.Frame(3, 0), 1, 2, {1, 0xFF}, 1, -1);
    CHECK(shared.directions[4].xShift == -32768); // the shift stays the direction's own
    // The second set first in the file: a shared direction need not start at 0.
    recipe.directionSet = {1, 1, 1, 1, 1, 1};
    const FrmPicture second = DecodeFrm(BuildFrm(recipe), "second.frm");
    CHECK(second.storedDirections == 6);
    CheckFrame(second.Frame(0, 0), 1, 2, {1, 0xFF}, 1, -1);
}

TEST_CASE("the frame data's size: 0 and a size past the end mean the rest of the file")
{
    FrmRecipe recipe;
    recipe.frameSets = {{Frame(2, 2, {1, 2, 3, 4}), Frame(1, 1, {9})}};
    for (std::uint32_t stated : {0u, 1000000u}) {
        recipe.dataSize = stated;
        const FrmPicture picture = DecodeFrm(BuildFrm(recipe), "size.frm");
        CheckFrame(picture.Frame(0, 1), 1, 1, {9});
    }
    // A stated size that ends inside the frames cuts them off.
    recipe.dataSize = 2 * 12 + 4;
    CHECK_THROWS_WITH_AS(DecodeFrm(BuildFrm(recipe), "short.frm"),
                         "short.frm: direction 0, frame 1 runs past the end of the frame data", ArchiveError);
}

TEST_CASE("per-direction files make one picture, each direction with its file's shift")
{
    std::array<FrmPicture, 6> files;
    for (int d = 0; d < 6; ++d) {
        FrmRecipe recipe;
        recipe.framesPerSecond = d == 0 ? 12 : 3;
        recipe.xShift[0] = static_cast<std::int16_t>(d + 1);
        recipe.yShift[0] = static_cast<std::int16_t>(-d);
        recipe.frameSets = {{Frame(1, 1, {std::uint8_t(10 + d)})}};
        for (int f = 0; f < d; ++f) // file d holds d + 1 frames
            recipe.frameSets[0].push_back(Frame(1, 1, {std::uint8_t(f)}));
        files[d] = DecodeFrm(BuildFrm(recipe), "x.fr" + std::to_string(d));
    }
    const FrmPicture picture = CombineDirectionFiles(std::move(files));
    CHECK(picture.FramesPerSecond() == 12);
    CHECK(picture.storedDirections == 6);
    for (int d = 0; d < 6; ++d) {
        CAPTURE(d);
        CHECK(picture.Frames(d).size() == static_cast<std::size_t>(d + 1));
        CheckFrame(picture.Frame(d, 0), 1, 1, {std::uint8_t(10 + d)});
        CHECK(picture.directions[d].xShift == d + 1);
        CHECK(picture.directions[d].yShift == -d);
    }
}

TEST_CASE("damaged and hostile pictures are refused, saying why")
{
    const auto base = [] {
        FrmRecipe recipe;
        recipe.frameSets = {{Frame(2, 1, {1, 2})}};
        return recipe;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        const char* message;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}, "x.frm: shorter than an FRM header (0 bytes, the header has 62)"});
    Bytes header = BuildFrm(base());
    header.resize(61);
    cases.push_back({"61 bytes", header, "x.frm: shorter than an FRM header (61 bytes, the header has 62)"});
    FrmRecipe recipe = base();
    recipe.framesPerDirection = 0;
    cases.push_back({"no frames", BuildFrm(recipe), "x.frm: no frames"});
    recipe.framesPerDirection = 1001;
    cases.push_back({"1001 frames", BuildFrm(recipe), "x.frm: 1001 frames per direction, more than 1000"});
    recipe = base();
    recipe.frameSets[0][0].pixelCount = 3;
    cases.push_back({"pixel count", BuildFrm(recipe), "x.frm: direction 0, frame 0 states 3 pixels for 2 x 1"});
    recipe = base();
    recipe.frameSets[0][0] = Frame(4097, 1, Bytes(4097, 1));
    cases.push_back({"too wide", BuildFrm(recipe), "x.frm: direction 0, frame 0 is 4097 x 1, larger than 4096 x 4096"});
    recipe.frameSets[0][0] = Frame(1, 4097, Bytes(4097, 1));
    cases.push_back({"too high", BuildFrm(recipe), "x.frm: direction 0, frame 0 is 1 x 4097, larger than 4096 x 4096"});
    // The largest size a header can state, with its true pixel count.
    recipe.frameSets[0][0] = Frame(0xFFFF, 0xFFFF, {1});
    recipe.frameSets[0][0].pixelCount = 0xFFFE0001u;
    cases.push_back(
        {"huge", BuildFrm(recipe), "x.frm: direction 0, frame 0 is 65535 x 65535, larger than 4096 x 4096"});
    recipe = base();
    Bytes cut = BuildFrm(recipe);
    cut.pop_back();
    cases.push_back({"pixels cut", cut, "x.frm: direction 0, frame 0 runs past the end of the frame data"});
    cut.resize(62 + 11);
    cases.push_back({"header cut", cut, "x.frm: direction 0, frame 0 runs past the end of the frame data"});
    recipe.framesPerDirection = 2;
    cases.push_back(
        {"frame missing", BuildFrm(recipe), "x.frm: direction 0, frame 1 runs past the end of the frame data"});
    recipe = base();
    recipe.offsets = std::array<std::uint32_t, 6>{0, 14, 0, 0, 0, 0};
    cases.push_back({"offset at end", BuildFrm(recipe),
                     "x.frm: direction 1 starts at 14, past the end of the frame data (14 bytes)"});
    recipe.offsets = std::array<std::uint32_t, 6>{0, 0, 0, 0, 0, 0xFFFFFFFF};
    cases.push_back({"offset huge", BuildFrm(recipe),
                     "x.frm: direction 5 starts at 4294967295, past the end of the frame data (14 bytes)"});
    for (const Case& c : cases) {
        CAPTURE(c.name);
        CHECK_THROWS_WITH_AS(DecodeFrm(c.bytes, "x.frm"), c.message, ArchiveError);
    }
}

TEST_CASE("the palette: components x 4, above 63 drawn as 63, index 0 transparent, only 768 bytes read")
{
    for (std::size_t extra : {std::size_t{0}, std::size_t{32768}, std::size_t{40000}}) {
        CAPTURE(extra);
        Bytes bytes = BuildPalette(extra);
        bytes[3 * 5 + 0] = 64; // entry 5: 64, 200, 255
        bytes[3 * 5 + 1] = 200;
        bytes[3 * 5 + 2] = 255;
        bytes[3 * 7 + 0] = 63;
        const Palette palette = DecodePalette(bytes, "color.pal");
        CHECK(palette.rgba[0] == std::array<std::uint8_t, 4>{0, 0, 0, 0});
        CHECK(palette.rgba[1] == std::array<std::uint8_t, 4>{4, 8, 12, 255});
        CHECK(palette.rgba[5] == std::array<std::uint8_t, 4>{252, 252, 252, 255});
        CHECK(palette.rgba[7] == std::array<std::uint8_t, 4>{252, 56, 84, 255});
        CHECK(palette.rgba[22] == std::array<std::uint8_t, 4>{88, 176, 8, 255}); // 22, 44, 66 % 64 = 2
        CHECK(palette.rgba[255] == std::array<std::uint8_t, 4>{252, 248, 244, 255});
    }
    CHECK_THROWS_WITH_AS(DecodePalette(Bytes(767, 1), "color.pal"), "color.pal: 767 bytes, a palette has 768",
                         ArchiveError);
}

TEST_CASE("frames in RGBA and a sheet of every frame, read back from PNG")
{
    const Palette palette = DecodePalette(BuildPalette(), "color.pal");
    FrmFrame frame;
    frame.width = 2;
    frame.height = 2;
    frame.pixels = {0, 1, 2, 0};
    const RgbaImage image = FrameToRgba(frame, palette);
    CHECK(image.width == 2);
    CHECK(image.rgba == Bytes{0, 0, 0, 0, 4, 8, 12, 255, 8, 16, 24, 255, 0, 0, 0, 0});

    // Directions 0 and 1 with two frames of different sizes, the rest one
    // frame: cells of 2 x 2, two columns, six rows.
    FrmRecipe recipe;
    recipe.frameSets = {{Frame(2, 2, {1, 1, 1, 1}), Frame(1, 1, {2})}, {Frame(1, 2, {3, 3}), Frame(2, 1, {4, 4})}};
    for (int d = 2; d < 6; ++d)
        recipe.frameSets.push_back({Frame(1, 1, {std::uint8_t(d + 3)})});
    recipe.directionSet = SixDirections();
    recipe.framesPerDirection = 2;
    // Directions 2 to 5 state two frames but the builder wrote one: give them a second.
    for (int d = 2; d < 6; ++d)
        recipe.frameSets[d].push_back(Frame(0, 0, {}));
    const RgbaImage sheet = FrameSheet(DecodeFrm(BuildFrm(recipe), "sheet.frm"), palette);
    REQUIRE(sheet.width == 4);
    REQUIRE(sheet.height == 12);
    // The palette index each pixel shows (0 where the sheet is transparent).
    const std::vector<std::string> rows = {"1120", "1100", "3044", "3000", "5000", "0000",
                                           "6000", "0000", "7000", "0000", "8000", "0000"};
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 4; ++x) {
            CAPTURE(y);
            CAPTURE(x);
            const int index = rows[y][x] - '0';
            const std::uint8_t* pixel = &sheet.rgba[(y * 4 + x) * 4];
            CHECK(Bytes(pixel, pixel + 4) == Bytes(palette.rgba[index].begin(), palette.rgba[index].end()));
        }

    const Bytes png = EncodePng(sheet);
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> read(
        stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels, 4),
        stbi_image_free);
    REQUIRE(read);
    CHECK(width == 4);
    CHECK(height == 12);
    CHECK(channels == 4);
    CHECK(Bytes(read.get(), read.get() + 4 * 12 * 4) == sheet.rgba);
    CHECK_THROWS_AS(EncodePng(RgbaImage{}), ArchiveError);

    // Frames with width but no rows: an empty sheet, which no PNG can hold.
    FrmRecipe flat;
    flat.frameSets = {{Frame(768, 0, {}), Frame(3, 0, {})}};
    const RgbaImage empty = FrameSheet(DecodeFrm(BuildFrm(flat), "flat.frm"), palette);
    CHECK(empty.width == 2 * 768);
    CHECK(empty.height == 0);
    CHECK_THROWS_WITH_AS(EncodePng(empty), "the picture is empty (1536 x 0): no PNG to write", ArchiveError);
}

// The real pictures, each frame compared with what a reading of the bytes
// written here (not the product's decoder) gives: the header's counts and
// offsets, each frame's size and indices, and the palette's colours.
TEST_CASE("the real FRM files and palette, pixel for pixel")
{
    const auto folder = DataFolder(QUARNEL_SHARED_TESTDATA) / "art";
    if (!IsPresent(folder / "color.pal")) {
        ReportSkipped("no test data in " + folder.string());
        return;
    }
    const Bytes pal = ReadAllBytes(folder / "color.pal");
    REQUIRE(pal.size() == 33536);
    const Palette palette = DecodePalette(pal, "color.pal");
    auto be = [](const Bytes& b, std::size_t at, int width) {
        std::uint32_t v = 0;
        for (int i = 0; i < width; ++i)
            v = v << 8 | b.at(at + i);
        return v;
    };
    auto expectedColour = [&](std::uint8_t index) -> std::array<std::uint8_t, 4> {
        if (index == 0)
            return {0, 0, 0, 0};
        auto c = [&](int k) { return std::uint8_t(std::min<int>(pal[index * 3 + k], 63) * 4); };
        return {c(0), c(1), c(2), 255};
    };
    struct Real {
        const char* name;
        int framesPerSecond;
        int frames;
        int directions; // distinct offsets in the header
    };
    int checkedPixels = 0;
    for (const Real& real :
         {Real{"laghulaa.frm", 7, 12, 6}, Real{"mac3poaa.frm", 10, 8, 1}, Real{"naroyaaa.frm", 10, 1, 1},
          Real{"maadogbo.fr0", 10, 3, 1}, Real{"maadogbo.fr3", 10, 3, 1}}) {
        const std::string name = real.name;
        CAPTURE(name);
        const Bytes bytes = ReadAllBytes(folder / real.name);
        const FrmPicture picture = DecodeFrm(bytes, real.name);
        CHECK(picture.FramesPerSecond() == real.framesPerSecond);
        CHECK(picture.storedDirections == real.directions);
        const int count = static_cast<int>(be(bytes, 8, 2));
        CHECK(count == real.frames);
        for (int d = 0; d < 6; ++d) {
            const std::size_t offset = be(bytes, 0x22 + 4 * d, 4);
            // A one-direction file's shift is its first direction's, for all six.
            const int shiftOf = real.directions == 1 ? 0 : d;
            CHECK(picture.directions[d].xShift == std::int16_t(be(bytes, 0x0A + 2 * shiftOf, 2)));
            CHECK(picture.directions[d].yShift == std::int16_t(be(bytes, 0x16 + 2 * shiftOf, 2)));
            REQUIRE(picture.Frames(d).size() == static_cast<std::size_t>(count));
            std::size_t at = 0x3E + offset;
            for (int f = 0; f < count; ++f) {
                const int w = static_cast<int>(be(bytes, at, 2)), h = static_cast<int>(be(bytes, at + 2, 2));
                REQUIRE(be(bytes, at + 4, 4) == std::uint32_t(w * h));
                const FrmFrame& frame = picture.Frame(d, f);
                CHECK(frame.xOffset == std::int16_t(be(bytes, at + 8, 2)));
                CHECK(frame.yOffset == std::int16_t(be(bytes, at + 10, 2)));
                const RgbaImage rgba = FrameToRgba(frame, palette);
                REQUIRE(rgba.width == w);
                REQUIRE(rgba.height == h);
                at += 12;
                bool same = true;
                for (int i = 0; i < w * h; ++i) {
                    const auto colour = expectedColour(bytes.at(at + i));
                    same = same && std::equal(colour.begin(), colour.end(), rgba.rgba.begin() + 4 * i);
                }
                CHECK(same);
                checkedPixels += w * h;
                at += static_cast<std::size_t>(w * h);
            }
        }
    }
    CHECK(checkedPixels > 50000);
}

// Inputs the fuzzer found faults with, kept so that the fault stays mended.
TEST_CASE("the fuzzer's finds decode or are refused")
{
    namespace fs = std::filesystem;
    const fs::path folder = DataFolder(QUARNEL_ART_REGRESSIONS);
    REQUIRE(IsPresent(folder));
    const Palette palette = DecodePalette(BuildPalette(), "color.pal");
    int files = 0;
    for (const auto& item : fs::directory_iterator(folder)) {
        CAPTURE(Utf8FromPath(item.path()));
        ++files;
        try {
            const FrmPicture picture = DecodeFrm(ReadAllBytes(item.path()), "regression");
            for (int d = 0; d < 6; ++d)
                for (const FrmFrame& frame : picture.Frames(d))
                    CHECK(FrameToRgba(frame, palette).rgba.size() == frame.pixels.size() * 4);
            FrameSheet(picture, palette);
        } catch (const ArchiveError&) {
        }
    }
    CHECK(files > 0);
}
