// The edges of the archive readers: a path that a directory holds twice,
// the size limits of an entry at their last accepted value and one above,
// the unpack-ratio and block rules of extraction, and paths as users type them.
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "gamedata/Archive.h"
#include "gamedata/ArchiveLayer.h"
#include "gamedata/GamePath.h"
#include "platform/Errors.h"
#include "platform/FileSystemSpace.h"

#include <map>
#include <string>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

std::string Text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::unique_ptr<Archive> OpenBuilt(const ScratchFolder& scratch, const DatBytes& bytes)
{
    static int count = 0;
    const fs::path file = scratch.path / ("built" + std::to_string(++count) + ".dat");
    WriteAllBytes(file, bytes);
    return Archive::Open(file);
}

// The error of reading the first entry; empty when it reads.
std::string ReadError(const Archive& archive)
{
    try {
        archive.Read(0);
    } catch (const ArchiveError& error) {
        return error.what();
    }
    return {};
}

} // namespace

// A path is looked up by a binary search of the directory, which is meant to
// be sorted (probe the middle of low..high, rounded down; smaller: high =
// probe; larger: low = probe + 1). Second game: over all entries; first
// game: the folder, then the name in its list. Which of two equal names is
// read follows from where the first probe falls, worked out by hand below.
TEST_CASE("A path that an archive holds twice is the entry the game's directory search finds")
{
    ScratchFolder scratch("quarnel-repeat-");
    struct Case {
        bool firstGame;
        std::vector<const char*> paths; // in directory order; "B" is the repeated one
        const char* read;               // what reading "b" gives
    };
    // Second game, 3 entries: the first probe is entry 1.
    // Second game, 4 entries B B B C: probe 1 (the second B).
    // Second game, out of order A C B B: probe 1 (C, larger: high = 1), probe 0 (A, smaller: low = 1),
    // low = high = 1 is C: the game finds nothing; the first B is taken.
    // First game, names B B C in one folder: probe (0 + 2) / 2 = 1, the second B.
    // A B B: probe 1, the first B. B B B C D: probe 2, the third B.
    const Case cases[] = {
        {false, {"B", "B", "C"}, "entry 2"},
        {false, {"A", "B", "B"}, "entry 2"},
        {false, {"B", "B", "B", "C"}, "entry 2"},
        {false, {"B", "B"}, "entry 1"},
        {false, {"A", "C", "B", "B"}, "entry 3"},
        {true, {"B", "B", "C"}, "entry 2"},
        {true, {"A", "B", "B"}, "entry 2"},
        {true, {"B", "B", "B", "C", "D"}, "entry 3"},
        {true, {"B", "B"}, "entry 1"},
    };
    for (const Case& c : cases) {
        std::string name = c.firstGame ? "first game:" : "second game:";
        for (const char* path : c.paths)
            name += std::string(" ") + path;
        CAPTURE(name);
        Dat1Writer dat1;
        dat1.Stored("", "ROOT.TXT", "root"); // a second folder for the folder search
        Dat2Writer dat2;
        for (std::size_t i = 0; i < c.paths.size(); ++i) {
            const std::string text = "entry " + std::to_string(i + 1);
            dat1.Stored("DIR", c.paths[i], text);
            dat2.Stored(std::string("DIR\\") + c.paths[i], text);
        }
        const auto archive = OpenBuilt(scratch, c.firstGame ? dat1.Build() : dat2.Build());
        const auto found = archive->Find(c.firstGame ? "Dir\\b" : "dir/b");
        REQUIRE(found);
        CHECK(Text(archive->Read(*found)) == c.read);
        if (!c.firstGame)
            for (std::size_t i = 0; i < c.paths.size(); ++i)
                CHECK(archive->IsRepeated(i) == (std::string(c.paths[i]) == "B"));
    }

    // As a layer of the tree, the path is there once, with the size of the entry read.
    const ArchiveLayer layer(
        "master.dat",
        OpenBuilt(scratch,
                  Dat2Writer().Stored("DIR\\B", "one").Stored("DIR\\B", "two!").Stored("DIR\\C", "c").Build()));
    std::map<std::string, std::uint64_t> listed;
    int visits = 0;
    layer.ForEach([&](std::string_view path, std::uint64_t size) {
        listed[std::string(path)] = size;
        ++visits;
    });
    CHECK(visits == 2);
    CHECK(listed["DIR/B"] == 4);
    CHECK(Text(layer.Read("dir/b")) == "two!");
    CHECK(layer.Find("DIR/B")->size == 4);
}

TEST_CASE("An entry's packed and unpacked sizes are taken up to their limits and refused one above")
{
    ScratchFolder scratch("quarnel-limits-");
    const DatBytes record = DatText("0123456789");
    // A zlib stream may take the unpacked size + a quarter + 1024 bytes: 10 + 2 + 1024 = 1036.
    // Bytes after the end of the stream are not read.
    auto padded = [&](std::size_t size) {
        DatBytes stream = ZlibStream(record);
        stream.resize(size, 0);
        return stream;
    };
    CHECK(ReadError(*OpenBuilt(scratch, Dat2Writer().Add({{}, "a", padded(1036), 10, 1, {}, {}}).Build())) == "");
    CHECK(ReadError(*OpenBuilt(scratch, Dat2Writer().Add({{}, "a", padded(1037), 10, 1, {}, {}}).Build()))
              .find("packed size 1037 is too large for unpacked size 10") != std::string::npos);

    // Nor may it claim more than 1032 times its packed size + 1024: a stream of p
    // bytes claiming p * 1032 + 1024 is read (and found short); one more byte is refused.
    const DatBytes stream = ZlibStream(record);
    const auto p = static_cast<std::uint32_t>(stream.size());
    const std::string atLimit =
        ReadError(*OpenBuilt(scratch, Dat2Writer().Add({{}, "a", stream, p * 1032 + 1024, 1, {}, {}}).Build()));
    CHECK(atLimit.find("too large") == std::string::npos);
    CHECK(atLimit.find("ends before") != std::string::npos);
    CHECK(ReadError(*OpenBuilt(scratch, Dat2Writer().Add({{}, "a", stream, p * 1032 + 1025, 1, {}, {}}).Build()))
              .find("is too large for packed size") != std::string::npos);

    // LZSS gives at most 9 bytes per packed byte (+ 1024).
    const DatBytes lzss = LzssLiterals("abc"); // 4 bytes
    const std::string lzssAtLimit =
        ReadError(*OpenBuilt(scratch, Dat1Writer().Lzss("", "A", lzss, 4 * 9 + 1024).Build()));
    CHECK(lzssAtLimit.find("too large") == std::string::npos);
    CHECK(ReadError(*OpenBuilt(scratch, Dat1Writer().Lzss("", "A", lzss, 4 * 9 + 1025).Build()))
              .find("unpacked size 1061 is too large for packed size 4") != std::string::npos);

    // The largest entry read: 64 MiB, not a byte more.
    const DatBytes zeros(64u << 20, 0);
    const DatBytes big = ZlibStream(zeros);
    const auto largest = OpenBuilt(scratch, Dat2Writer().Add({{}, "a", big, 64u << 20, 1, {}, {}}).Build());
    CHECK(largest->Read(0).size() == (64u << 20));
    CHECK(ReadError(*OpenBuilt(scratch, Dat2Writer().Add({{}, "a", big, (64u << 20) + 1, 1, {}, {}}).Build()))
              .find("above the limit") != std::string::npos);
}

TEST_CASE("Extraction limits: 64 times the archive plus one largest entry, whole blocks per file")
{
    // An archive of 1000 bytes may unpack to 64 000 bytes + 64 MiB.
    const std::uint64_t limit = 64000 + (64u << 20);
    CHECK_FALSE(Archive::UnpacksTooFar(limit, 1000));
    CHECK(Archive::UnpacksTooFar(limit + 1, 1000));
    CHECK_FALSE(Archive::UnpacksTooFar(64u << 20, 0));
    CHECK(Archive::UnpacksTooFar((64u << 20) + 1, 0));

    struct Case {
        std::uint64_t size, block, taken;
    };
    const Case cases[] = {{0, 4096, 0}, {1, 4096, 4096}, {4096, 4096, 4096}, {4097, 4096, 8192}, {7, 1, 7}};
    for (const Case& c : cases) {
        CAPTURE(c.size);
        CAPTURE(c.block);
        CHECK(BytesInBlocks(c.size, c.block) == c.taken);
    }
    // The file system of the temporary folder answers with a block size.
    const auto space = SpaceOf(fs::temp_directory_path());
    REQUIRE(space);
    CHECK(space->blockSize >= 1);
}

TEST_CASE("Paths as users type them are paths inside the tree")
{
    const std::pair<const char*, const char*> cases[] = {
        {"/proto/critters/x.pro", "proto/critters/x.pro"},
        {"//proto//critters/x.pro", "proto/critters/x.pro"},
        {"\\proto\\critters\\x.pro", "proto/critters/x.pro"},
        {"./proto/./critters/", "proto/critters"},
        {"Proto/Critters", "Proto/Critters"},
        {"../x.pro", "../x.pro"},
        {"/", ""},
    };
    for (const auto& [given, expected] : cases) {
        CAPTURE(given);
        CHECK(TreePath(given) == expected);
    }
}
