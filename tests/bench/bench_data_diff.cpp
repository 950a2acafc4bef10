// quarnel-cli data A diff B on two second-game installs of 30,000 entries
// that differ in 100 files, against data list of both. The installs are a
// game and a modded copy of it: the same master.dat bytes in another file,
// then the mod's patch000.dat and loose files in the data folder. A second
// round gives the modded copy a link to the game's own master.dat; a third
// compares with a master.dat rebuilt with the 100 changes inside it.
#include "BenchTiming.h"
#include "DatWriter.h"
#include "ProtoBuilder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

std::string Number(const char* format, int n)
{
    char text[64];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

// Picture-like bytes of 1 to 8 KB: runs of a few values, as FRM frames have.
DatBytes ArtSample(int i)
{
    std::uint32_t seed = static_cast<std::uint32_t>(i) * 2654435761u;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    DatBytes bytes(1024 + next() % 7168);
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t run = 1 + next() % 12;
        const auto value = static_cast<std::uint8_t>(next() % 48);
        for (std::size_t k = 0; k < run && at < bytes.size(); ++k)
            bytes[at++] = value;
    }
    return bytes;
}

DatBytes Critter(int i, std::int32_t strength)
{
    return ProtoBuilder(416, static_cast<std::uint8_t>(i)).PidNumber(i).Typical().Set(48, 4, strength).Bytes();
}

void MakeInstall(const fs::path& root)
{
    fs::create_directories(root);
    WriteAllBytes(root / "critter.dat", Dat2Writer().Stored("art\\critters\\x.frm", "x").Build());
    WriteTextFile(root / "fallout2.cfg", "[system]\r\nmaster_patches=data\r\n");
}

} // namespace

int main()
{
    const fs::path folder = fs::temp_directory_path() / "quarnel-bench-data-diff";
    fs::remove_all(folder);
    const fs::path game = folder / "game", mod = folder / "mod", linked = folder / "linked",
                   rebuilt = folder / "rebuilt";
    for (const fs::path& root : {game, mod, linked, rebuilt})
        MakeInstall(root);

    // 3,000 critters and 27,000 pictures, zlib-packed; the rebuilt one with
    // 50 critters and 50 pictures changed.
    Dat2Writer master, changed;
    for (int i = 1; i <= 3000; ++i) {
        master.Zlib(Number("proto\\critters\\%08d.pro", i), Critter(i, 5));
        changed.Zlib(Number("proto\\critters\\%08d.pro", i), Critter(i, i % 7 == 0 && i <= 350 ? 9 : 5));
    }
    for (int i = 0; i < 27000; ++i) {
        DatBytes art = ArtSample(i);
        master.Zlib(Number("art\\critters\\HMWARR%05dAA.FRM", i), art);
        if (i % 500 == 0 && i < 25000)
            art[art.size() / 2] ^= 1;
        changed.Zlib(Number("art\\critters\\HMWARR%05dAA.FRM", i), art);
    }
    const DatBytes archive = master.Build();
    WriteAllBytes(rebuilt / "master.dat", changed.Build());
    WriteAllBytes(game / "master.dat", archive);
    WriteAllBytes(mod / "master.dat", archive);
    fs::create_hard_link(game / "master.dat", linked / "master.dat");
    std::printf("master.dat: %zu bytes, 30,000 entries\n", archive.size());

    // The mod: 50 critters changed in its patch archive, 50 pictures as loose files.
    Dat2Writer patch;
    for (int i = 1; i <= 50; ++i)
        patch.Zlib(Number("proto\\critters\\%08d.pro", i * 7), Critter(i * 7, 9));
    const DatBytes patchBytes = patch.Build();
    for (const fs::path& root : {mod, linked}) {
        WriteAllBytes(root / "patch000.dat", patchBytes);
        for (int i = 0; i < 50; ++i) {
            DatBytes art = ArtSample(i * 500);
            art[art.size() / 2] ^= 1;
            fs::create_directories(root / "data" / "art" / "critters");
            WriteAllBytes(root / "data" / "art" / "critters" / Number("HMWARR%05dAA.FRM", i * 500), art);
        }
    }

    const std::string cli = QUARNEL_CLI_EXECUTABLE;
    auto quoted = [](const fs::path& path) { return "'" + path.string() + "'"; };
    // diff exits 1 when the trees differ, as they do here: only 2 is a failure.
    auto diff = [&](const fs::path& other) {
        return cli + " data " + quoted(game) + " diff " + quoted(other) + " >/dev/null; [ $? -eq 1 ]";
    };
    using quarnel::bench::Command;
    for (const fs::path& other : {mod, linked, rebuilt}) {
        const std::string label = other == mod      ? "copied master.dat"
                                  : other == linked ? "linked master.dat"
                                                    : "rebuilt master.dat";
        const int failed = quarnel::bench::RunAgainstFirst(
            label.c_str(), {
                               {"data list of both", cli + " data " + quoted(game) + " list >/dev/null && " + cli +
                                                         " data " + quoted(other) + " list >/dev/null"},
                               {"data diff", diff(other)},
                           });
        if (failed) {
            std::printf("a command failed\n");
            return 1;
        }
    }
    for (const fs::path& other : {mod, rebuilt}) {
        const std::string count = cli + " data " + quoted(game) + " diff " + quoted(other) + " | grep -c '^# '";
        std::printf("paths reported against %s: ", other.filename().string().c_str());
        std::fflush(stdout);
        if (std::system(count.c_str()) != 0)
            return 1;
    }

    if (!std::getenv("QUARNEL_BENCH_KEEP"))
        fs::remove_all(folder);
    return 0;
}
