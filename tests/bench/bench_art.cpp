// Critter art on a generated mod's tree of 1,000 critter FRM pictures (six
// directions of eight frames, about 40 x 70 pixels each, like the games'
// standing pictures): every picture read through the tree, decoded and each
// frame turned into RGBA, against reading the same files' bytes through the
// tree in the same run (goal: within 5x). And one critter's art found from
// its FID in a fresh source (list, palette, picture, every frame in RGBA),
// the core's share of loading a critter in the window.
#include "BenchTiming.h"
#include "FrmBuilder.h"
#include "ProtoBuilder.h"
#include "art/CritterArt.h"
#include "art/FrmPicture.h"
#include "art/RgbaImage.h"
#include "gamedata/GameTree.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

using quarnel::bench::Best;

std::string Name(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "cr%04d", n);
    return text;
}

std::vector<std::uint8_t> Picture(std::uint32_t& seed)
{
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    FrmRecipe recipe;
    recipe.framesPerSecond = 8;
    for (int d = 0; d < 6; ++d) {
        std::vector<FrmFrameRecipe> frames;
        for (int f = 0; f < 8; ++f) {
            const int w = 34 + static_cast<int>(next() % 12), h = 64 + static_cast<int>(next() % 12);
            FrmFrameRecipe frame{w, h, {}, 0, 0, std::nullopt};
            frame.pixels.resize(static_cast<std::size_t>(w * h));
            for (auto& p : frame.pixels) // a third transparent, like a figure on its background
                p = next() % 3 == 0 ? 0 : static_cast<std::uint8_t>(next());
            frames.push_back(std::move(frame));
        }
        recipe.frameSets.push_back(std::move(frames));
    }
    recipe.directionSet = SixDirections();
    return BuildFrm(recipe);
}

} // namespace

int main()
{
    const fs::path root = fs::temp_directory_path() / "quarnel-bench-art";
    fs::remove_all(root);
    fs::create_directories(root / "proto" / "critters");
    fs::create_directories(root / "art" / "critters");
    std::string list;
    std::uint32_t seed = 2024;
    std::uint64_t totalBytes = 0;
    for (int i = 0; i < 1000; ++i) {
        const std::vector<std::uint8_t> frm = Picture(seed);
        totalBytes += frm.size();
        WriteAllBytes(root / "art" / "critters" / (Name(i) + "aa.frm"), frm);
        list += Name(i) + ",11,1\r\n";
    }
    WriteTextFile(root / "art" / "critters" / "critters.lst", list);
    WriteAllBytes(root / "color.pal", BuildPalette(32768));

    const GameTree tree = GameTree::Open(root);
    std::vector<std::string> paths;
    for (const Holding& holding : tree.List("art/critters"))
        if (holding.path.size() > 4 && holding.path.compare(holding.path.size() - 4, 4, ".frm") == 0)
            paths.push_back(holding.path);
    if (paths.size() != 1000) {
        std::fprintf(stderr, "expected 1000 pictures, found %zu\n", paths.size());
        return 1;
    }
    const Palette palette = DecodePalette(BuildPalette(), "color.pal");

    std::uint64_t checksum = 0;
    const double read = Best(5, [&] {
        for (const std::string& path : paths)
            checksum += tree.Read(path).size();
    });
    std::uint64_t pixels = 0;
    const double decoded = Best(5, [&] {
        pixels = 0;
        for (const std::string& path : paths) {
            const FrmPicture picture = DecodeFrm(tree.Read(path), path);
            for (int d = 0; d < kFrmDirections; ++d)
                for (const FrmFrame& frame : picture.Frames(d)) {
                    const RgbaImage image = FrameToRgba(frame, palette);
                    checksum += image.rgba[image.rgba.size() / 2];
                    pixels += frame.pixels.size();
                }
        }
    });
    std::printf("1,000 critter FRMs, %.1f MB, %.1f million pixels\n", totalBytes / 1e6, pixels / 1e6);
    std::printf("read through the tree:                 %8.1f ms\n", read);
    std::printf("read, decoded, every frame to RGBA:    %8.1f ms  (%.2fx reading; goal within 5x)\n", decoded,
                decoded / read);

    // One critter as the window loads it: a fresh source, so the list and
    // the palette are read too.
    const double one = Best(20, [&] {
        const CritterArtSource source(tree);
        const CritterArt art = source.Find(0x01000000 + 500);
        for (int d = 0; d < kFrmDirections; ++d)
            for (std::size_t f = 0; f < art.picture->Frames(d).size(); ++f)
                checksum += art.Rgba(d, static_cast<int>(f)).rgba.size();
    });
    const CritterArtSource source(tree);
    source.Find(0x01000000);
    const double next = Best(20, [&] {
        static int n = 1;
        const CritterArt art = source.Find(0x01000000 + static_cast<std::uint32_t>(n++ % 1000));
        for (int d = 0; d < kFrmDirections; ++d)
            for (std::size_t f = 0; f < art.picture->Frames(d).size(); ++f)
                checksum += art.Rgba(d, static_cast<int>(f)).rgba.size();
    });
    std::printf("one critter's art, fresh source:       %8.2f ms  (list, palette, picture, 48 frames in RGBA)\n", one);
    std::printf("the next critter's art, same source:   %8.2f ms\n", next);
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));
    if (!std::getenv("QUARNEL_BENCH_KEEP"))
        fs::remove_all(root);
    return decoded / read <= 5 ? 0 : 1;
}
