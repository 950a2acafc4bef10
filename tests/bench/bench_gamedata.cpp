// The game data readers on a generated second-game archive of 30,000
// entries with 1,000 critters, each timed against plain reading of the same
// bytes in the same run: opening and indexing against reading the tree
// bytes once; the merged listing of an install holding it; the critters
// read through the tree against the same records as loose files. And LZSS
// decoding speed in MB of output per second.
#include "BenchTiming.h"
#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "gamedata/Archive.h"
#include "gamedata/Decompressors.h"
#include "gamedata/GameTree.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

using quarnel::bench::Best;

std::string Number(const char* format, int n)
{
    char text[64];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

// An LZSS stream of about outSize bytes: groups of four literals and four
// references of 3 to 18 bytes to recent ring positions.
DatBytes LzssSample(std::size_t outSize, std::size_t& produced)
{
    DatBytes stream;
    std::uint32_t seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    std::size_t out = 0;
    std::size_t r = 4078;
    while (out < outSize) {
        stream.push_back(0x0F);
        for (int i = 0; i < 4; ++i, ++out, r = (r + 1) & 0xFFF)
            stream.push_back(static_cast<std::uint8_t>('a' + next() % 26));
        for (int i = 0; i < 4; ++i) {
            const std::size_t length = 3 + next() % 16;
            const std::size_t pos = (r - 1 - next() % 2000) & 0xFFF;
            stream.push_back(static_cast<std::uint8_t>(pos));
            stream.push_back(static_cast<std::uint8_t>(((pos >> 4) & 0xF0) | (length - 3)));
            out += length;
            r = (r + length) & 0xFFF;
        }
    }
    produced = out;
    return stream;
}

} // namespace

int main()
{
    const fs::path folder = fs::temp_directory_path() / "quarnel-bench-gamedata";
    fs::remove_all(folder);
    fs::create_directories(folder / "install");
    fs::create_directories(folder / "loose");

    Dat2Writer writer;
    for (int i = 1; i <= 1000; ++i) {
        const DatBytes record = ProtoBuilder(416, static_cast<std::uint8_t>(i)).PidNumber(i).Typical().Bytes();
        writer.Zlib(Number("proto\\critters\\%08d.pro", i), record);
        WriteAllBytes(folder / "loose" / Number("%08d.pro", i), record);
    }
    for (int i = 0; i < 29000; ++i)
        writer.Stored(Number("art\\critters\\HMWARR%05dAA.FRM", i), DatText("frm"));
    const DatBytes archive = writer.Build();
    const fs::path master = folder / "install" / "master.dat";
    WriteAllBytes(master, archive);
    const std::uint32_t treeSize = archive[archive.size() - 8] | (archive[archive.size() - 7] << 8) |
                                   (archive[archive.size() - 6] << 16) | (archive[archive.size() - 5] << 24);
    std::printf("archive: %zu bytes, tree %u bytes, 30,000 entries\n", archive.size(), treeSize);

    // Reading the tree bytes once, as a reader that keeps them would.
    std::vector<char> tree(treeSize);
    const double readMs = Best(20, [&] {
        std::ifstream in(master, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(archive.size() - 8 - treeSize));
        in.read(tree.data(), treeSize);
    });
    // The same bytes read by cat, a program of its own, as the CLI's commands are.
    WriteAllBytes(folder / "tree.bin", DatBytes(archive.end() - 8 - treeSize, archive.end() - 8));
    const std::string cat = "cat '" + (folder / "tree.bin").string() + "' >/dev/null";
    const double catMs = Best(10, [&] {
        if (std::system(cat.c_str()) != 0)
            std::printf("cat failed\n");
    });
    std::size_t count = 0;
    const double openMs = Best(20, [&] { count = Archive::Open(master)->Count(); });
    std::printf("read the tree bytes in this process: %.3f ms; cat of them: %.3f ms\n", readMs, catMs);
    std::printf("open and index: %.3f ms (%.1f x the read, %.2f x cat), %zu entries\n", openMs, openMs / readMs,
                openMs / catMs, count);

    std::size_t listed = 0;
    const double listMs = Best(5, [&] { listed = GameTree::Open(folder / "install").List().size(); });
    std::printf("open the install and list the merged tree: %.3f ms (%.2f x reading the tree), %zu paths\n", listMs,
                listMs / readMs, listed);

    const GameTree install = GameTree::Open(folder / "install");
    std::size_t bytes = 0;
    const double treeReadMs = Best(5, [&] {
        for (int i = 1; i <= 1000; ++i)
            bytes += install.Read(Number("proto/critters/%08d.pro", i)).size();
    });
    const double looseMs = Best(5, [&] {
        for (int i = 1; i <= 1000; ++i)
            bytes += ReadAllBytes(folder / "loose" / Number("%08d.pro", i)).size();
    });
    std::printf("1,000 critters through the tree: %.3f ms; as loose files: %.3f ms (%.2f x)\n", treeReadMs, looseMs,
                treeReadMs / looseMs);

    std::size_t produced = 0;
    const DatBytes stream = LzssSample(64u << 20, produced);
    std::vector<std::uint8_t> out(produced);
    DecodeStatus status = DecodeStatus::Ok;
    const double lzssMs =
        Best(5, [&] { status = DecodeLzssExact(stream.data(), stream.size(), out.data(), out.size()); });
    std::printf("LZSS: %zu bytes out of %zu in %.1f ms: %.0f MB/s (%s)\n", produced, stream.size(), lzssMs,
                produced / 1e6 / (lzssMs / 1000), status == DecodeStatus::Ok ? "ok" : DecodeStatusText(status));

    // quarnel-cli as a user runs it, against cat of the whole archive.
    const std::string cli = QUARNEL_CLI_EXECUTABLE;
    const std::string installPath = "'" + (folder / "install").string() + "'";
    using quarnel::bench::Command;
    const Command commands[] = {
        {"cat master.dat", "cat '" + master.string() + "' >/dev/null"},
        {"data list", cli + " data " + installPath + " list >/dev/null"},
        {"show --data of 1,000 critters", cli + " show --data " + installPath + " proto/critters >/dev/null"},
        {"show of the same 1,000 loose files", cli + " show '" + (folder / "loose").string() + "' >/dev/null"},
    };
    double firstMs = 0;
    for (const Command& command : commands) {
        const double ms = Best(5, [&] {
            if (std::system(command.line.c_str()) != 0)
                std::printf("%s failed\n", command.name);
        });
        if (firstMs == 0)
            firstMs = ms;
        std::printf("%s: %.1f ms (%.2f x cat)\n", command.name, ms, ms / firstMs);
    }

    if (!std::getenv("QUARNEL_BENCH_KEEP"))
        fs::remove_all(folder);
    return 0;
}
