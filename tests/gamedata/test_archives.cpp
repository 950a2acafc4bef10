// The DAT archives of both games: the LZSS and zlib decoders, archives built
// in code and read back, the real second-game archives taken apart, and
// damaged or hostile archives refused with a message naming them.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "TestDataFolders.h"
#include "gamedata/Archive.h"
#include "gamedata/Decompressors.h"
#include "gamedata/Extraction.h"
#include "gamedata/GamePath.h"
#include "platform/Errors.h"
#include "platform/Utf8.h"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

std::string Text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

DatBytes Cat(DatBytes a, const DatBytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string Decode(const DatBytes& stream, std::size_t size, DecodeStatus& status)
{
    std::string out(size, '\0');
    status = DecodeLzssExact(stream.data(), stream.size(), reinterpret_cast<std::uint8_t*>(out.data()), size);
    return out;
}

// Two literals, then a reference to the ring position of the first one with
// length 7: it reads bytes it writes itself. Then 3 bytes of the initial blanks.
const DatBytes kOverlapping = {0x03, 'a', 'b', 0xEE, 0xF4, 0x00, 0x00};
const std::string kOverlappingText = "ababababa   ";

fs::path Write(const ScratchFolder& scratch, const std::string& name, const DatBytes& bytes)
{
    WriteAllBytes(scratch.path / name, bytes);
    return scratch.path / name;
}

std::uint32_t Le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }

} // namespace

TEST_CASE("LZSS: literals, an overlapping ring copy, the initial blanks, and streams that end short or run on")
{
    DecodeStatus status;
    CHECK(Decode(kOverlapping, kOverlappingText.size(), status) == kOverlappingText);
    CHECK(status == DecodeStatus::Ok);
    // Flag bits are taken lowest first across more than one flag byte.
    CHECK(Decode(LzssLiterals("0123456789abcdefXYZ"), 19, status) == "0123456789abcdefXYZ");
    CHECK(status == DecodeStatus::Ok);

    Decode(kOverlapping, kOverlappingText.size() + 1, status);
    CHECK(status == DecodeStatus::InputEnded);
    Decode(kOverlapping, kOverlappingText.size() - 1, status); // the last copy would write past the end
    CHECK(status == DecodeStatus::RunsOn);
    Decode(DatBytes(kOverlapping.begin(), kOverlapping.end() - 1), 12, status); // a reference cut in half
    CHECK(status == DecodeStatus::InputEnded);
    Decode(LzssLiterals("abcd"), 3, status);
    CHECK(status == DecodeStatus::RunsOn);
}

TEST_CASE("LZSS chunks: stored and LZSS chunks, each LZSS chunk with a fresh ring")
{
    // The second LZSS chunk refers to ring position 4078: its own first
    // literal 'x', not the 'a' the first chunk left there.
    const DatBytes chunks =
        Cat(Cat(LzssChunk(kOverlapping), StoredChunk(DatText("<stored>"))), LzssChunk({0x01, 'x', 0xEE, 0xF0}));
    const std::string expected = kOverlappingText + "<stored>" + "xxxx";
    std::string out(expected.size(), '\0');
    auto* o = reinterpret_cast<std::uint8_t*>(out.data());
    CHECK(DecodeLzssChunks(chunks.data(), chunks.size(), o, out.size()) == DecodeStatus::Ok);
    CHECK(out == expected);
    CHECK(DecodeLzssChunks(chunks.data(), chunks.size() - 1, o, out.size()) == DecodeStatus::InputEnded);
    CHECK(DecodeLzssChunks(chunks.data(), chunks.size(), o, out.size() - 5) == DecodeStatus::RunsOn);
}

TEST_CASE("zlib: exactly the unpacked size; short, running on and damaged streams fail")
{
    const DatBytes data = DatText(std::string(5000, 'q') + "tail");
    const DatBytes stream = ZlibStream(data);
    std::vector<std::uint8_t> out(data.size());
    CHECK(DecodeZlib(stream.data(), stream.size(), out.data(), out.size()) == DecodeStatus::Ok);
    CHECK(out == data);
    CHECK(DecodeZlib(stream.data(), stream.size() - 6, out.data(), out.size()) == DecodeStatus::InputEnded);
    CHECK(DecodeZlib(stream.data(), stream.size(), out.data(), out.size() - 1) == DecodeStatus::RunsOn);
    std::vector<std::uint8_t> more(data.size() + 1);
    CHECK(DecodeZlib(stream.data(), stream.size(), more.data(), more.size()) == DecodeStatus::InputEnded);
    DatBytes damaged = stream;
    damaged[0] ^= 0xFF;
    CHECK(DecodeZlib(damaged.data(), damaged.size(), out.data(), out.size()) == DecodeStatus::Damaged);
}

TEST_CASE("A first-game archive built in code: every method, folders, lookups without regard to case")
{
    ScratchFolder scratch;
    const DatBytes chunks = Cat(StoredChunk(DatText("head-")), LzssChunk(kOverlapping));
    Dat1Writer dat;
    dat.Stored("", "COLOR.PAL", "palette")
        .Lzss("ART\\CRITTERS", "HMJMPSAA.FRM", kOverlapping, 12)
        .Lzss("ART\\CRITTERS", "ZERO.FRM", LzssLiterals("zero attr"), 9, 0x00)
        .Chunks("PROTO\\CRITTERS", "00000001.PRO", chunks, 17)
        .Stored("PROTO\\CRITTERS", "EMPTY.PRO", "");
    // The name does not decide the format.
    const auto archive = Archive::Open(Write(scratch, "first.bin", dat.Build()));
    CHECK(archive->Format() == ArchiveFormat::Dat1);

    struct Expected {
        const char* path;
        const char* method;
        std::uint32_t packed;
        std::string bytes;
    };
    const Expected expected[] = {
        {"COLOR.PAL", "stored", 7, "palette"},
        {"ART/CRITTERS/HMJMPSAA.FRM", "lzss", 7, kOverlappingText},
        {"ART/CRITTERS/ZERO.FRM", "lzss", 11, "zero attr"},
        {"PROTO/CRITTERS/00000001.PRO", "lzss-chunks", static_cast<std::uint32_t>(chunks.size()),
         "head-" + kOverlappingText},
        {"PROTO/CRITTERS/EMPTY.PRO", "stored", 0, ""},
    };
    REQUIRE(archive->Count() == std::size(expected));
    for (std::size_t i = 0; i < archive->Count(); ++i) {
        CAPTURE(i);
        const ArchiveEntry entry = archive->Entry(i);
        CHECK(entry.path == expected[i].path);
        CHECK(std::string(MethodName(entry.method)) == expected[i].method);
        CHECK(entry.unpackedSize == expected[i].bytes.size());
        CHECK(entry.packedSize == expected[i].packed);
        CHECK(Text(archive->Read(i)) == expected[i].bytes);
    }
    CHECK(archive->Find("art\\critters\\hmjmpsaa.frm") == 1u);
    CHECK(archive->Find("Proto/Critters/00000001.pro") == 3u);
    CHECK(archive->Find("color.pal") == 0u);
    CHECK_FALSE(archive->Find("critters/hmjmpsaa.frm"));
}

TEST_CASE("A second-game archive built in code: stored and zlib entries")
{
    ScratchFolder scratch;
    const DatBytes big = DatText(std::string(70000, 'z') + "end");
    Dat2Writer dat;
    dat.Stored("proto\\critters\\00000001.pro", "stored record")
        .Zlib("Art\\Critters\\HMJMPSAA.frm", big)
        .Zlib("text\\english\\game\\pro_crit.msg", "{100}{}{Boy}");
    const auto archive = Archive::Open(Write(scratch, "master.dat", dat.Build()));
    CHECK(archive->Format() == ArchiveFormat::Dat2);
    REQUIRE(archive->Count() == 3);
    CHECK(archive->Entry(1).path == "Art/Critters/HMJMPSAA.frm");
    CHECK(std::string(MethodName(archive->Entry(0).method)) == "stored");
    CHECK(std::string(MethodName(archive->Entry(1).method)) == "zlib");
    CHECK(archive->Entry(1).unpackedSize == big.size());
    CHECK(archive->Entry(1).packedSize < 1000);
    CHECK(archive->Read(*archive->Find("ART/CRITTERS/hmjmpsaa.FRM")) == big);
    CHECK(Text(archive->Read(*archive->Find("TEXT\\ENGLISH\\GAME\\PRO_CRIT.MSG"))) == "{100}{}{Boy}");
    CHECK(Text(archive->Read(0)) == "stored record");
}

TEST_CASE("The real second-game archives: listed and extracted as the format describes them")
{
    const fs::path folder = DataFolder(QUARNEL_SHARED_TESTDATA) / "dat";
    if (!IsPresent(folder)) {
        ReportSkipped("no shared test archives in " + Utf8FromPath(folder));
        return;
    }
    for (const char* name : {"HFR00S00.dat", "HMR00S00.dat"}) {
        CAPTURE(name);
        // The tree parsed here from the format: trailer, count, entries.
        const DatBytes bytes = ReadAllBytes(folder / name);
        REQUIRE(bytes.size() > 8);
        const std::uint32_t treeSize = Le32(bytes.data() + bytes.size() - 8);
        CHECK(Le32(bytes.data() + bytes.size() - 4) == bytes.size());
        const std::uint8_t* p = bytes.data() + bytes.size() - 8 - treeSize;
        const std::uint32_t count = Le32(p);
        p += 4;

        const auto archive = Archive::Open(folder / name);
        REQUIRE(archive->Count() == count);
        ScratchFolder out;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t length = Le32(p);
            std::string path(reinterpret_cast<const char*>(p + 4), length);
            p += 4 + length;
            const bool compressed = p[0] != 0;
            const std::uint32_t unpacked = Le32(p + 1), packed = Le32(p + 5), offset = Le32(p + 9);
            p += 13;
            for (char& c : path)
                c = c == '\\' ? '/' : c;
            CAPTURE(path);
            const ArchiveEntry entry = archive->Entry(i);
            CHECK(entry.path == path);
            CHECK(entry.unpackedSize == unpacked);
            CHECK(entry.packedSize == (compressed ? packed : unpacked));
            CHECK(std::string(MethodName(entry.method)) == (compressed ? "zlib" : "stored"));

            // The entry's bytes as zlib gives them, against the file extracted.
            DatBytes expected(unpacked);
            if (compressed) {
                uLongf size = unpacked;
                REQUIRE(uncompress(expected.data(), &size, bytes.data() + offset, packed) == Z_OK);
                REQUIRE(size == unpacked);
            } else {
                expected.assign(bytes.begin() + offset, bytes.begin() + offset + unpacked);
            }
            const fs::path file = ExtractTo(out.path, entry.path, archive->Read(*archive->Find(GamePathKey(path))));
            CHECK(file == out.path / PathFromUtf8(path));
            CHECK(ReadAllBytes(file) == expected);
        }
    }
}

TEST_CASE("Damaged and hostile archives are refused with the archive named and what is wrong")
{
    ScratchFolder scratch;
    const DatBytes record = DatText("0123456789");
    struct Case {
        const char* name;
        DatBytes bytes;
        const char* error; // on opening, or on reading the first entry when opening succeeds
    };
    auto dat2 = [](auto edit) {
        Dat2Writer writer;
        edit(writer);
        return writer.Build();
    };
    const DatBytes zlibRecord = ZlibStream(record);
    std::vector<Case> cases = {
        {"empty.dat", {}, "not a DAT archive"},
        {"noise.dat", DatText(std::string(300, '\x7F')), "not a DAT archive"},
        {"count.dat", dat2([](Dat2Writer& w) {
             w.Stored("a", "x");
             w.fileCount = 100000000;
         }),
         "claims 100000000 entries"},
        {"tree.dat", dat2([](Dat2Writer& w) {
             w.Stored("a", "x");
             w.treeSize = 1000;
         }),
         "tree size 1000"},
        {"cut.dat", dat2([&](Dat2Writer& w) {
             w.Add({{}, std::string(20, 'n'), record, 10, 0, {}, {}});
             w.fileCount = 2;
         }),
         "entry 2 of the tree is cut short"},
        {"offset.dat", dat2([&](Dat2Writer& w) {
             w.Add({{}, "a", record, 10, 0, 4000, {}});
         }),
         "outside the file"},
        {"huge.dat", dat2([&](Dat2Writer& w) {
             w.Add({{}, "a", zlibRecord, (64u << 20) + 1, 1, {}, {}});
         }),
         "above the limit"},
        {"ratio.dat", dat2([&](Dat2Writer& w) {
             w.Add({{}, "a", zlibRecord, 1000000, 1, {}, {}});
         }),
         "too large for packed size"},
        {"short.dat", dat2([&](Dat2Writer& w) {
             w.Add({{}, "a", zlibRecord, 11, 1, {}, {}});
         }),
         "ends before"},
        {"runs-on.dat", dat2([&](Dat2Writer& w) {
             w.Add({{}, "a", zlibRecord, 9, 1, {}, {}});
         }),
         "runs on"},
        {"packed.dat", dat2([&](Dat2Writer& w) {
             w.Add({{}, "a", zlibRecord, 10, 1, {}, 100000});
         }),
         "too large for unpacked size"},
    };
    Dat1Writer files;
    files.Stored("", "A", "x");
    files.fileCount = 5000;
    cases.push_back({"files.dat", files.Build(), "claims 5000 files"});
    cases.push_back({"lzss.dat", Dat1Writer().Lzss("", "A", LzssLiterals("abc"), 4).Build(), "ends before"});
    cases.push_back(
        {"dat1-offset.dat", Dat1Writer().Add({"", "A", record, 10, 0x20, 0xFFFFFFF0u, 0}).Build(), "outside the file"});
    cases.push_back(
        {"method.dat", Dat1Writer().Add({"", "A", record, 10, 0x80, {}, {}}).Build(), "unknown storage method 0x80"});

    for (const Case& c : cases) {
        CAPTURE(c.name);
        const fs::path file = Write(scratch, c.name, c.bytes);
        std::string error;
        try {
            const auto archive = Archive::Open(file);
            archive->Read(0);
        } catch (const ArchiveError& e) {
            error = e.what();
        }
        CHECK(error.find(Utf8FromPath(file)) == 0);
        CHECK(error.find(c.error) != std::string::npos);
    }
    CHECK_THROWS_AS(Archive::Open(scratch.path / "missing.dat"), ArchiveError);
    CHECK_THROWS_AS(Archive::Open(scratch.path), ArchiveError);
}

// The inputs live in the source tree (a directory cut short, counts and
// sizes of 4 GiB, entries sharing bytes, names that climb out): a missing or
// empty folder is a failure, never a silent pass. Each opens or is refused;
// an entry reads at its stated size or is refused; a lookup of an entry's path
// finds an entry of that path; extraction writes nothing beside its folder.
TEST_CASE("Inputs the fuzzer once stumbled over open or fail with an ArchiveError")
{
    const fs::path folder = DataFolder(QUARNEL_DAT_REGRESSIONS);
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        for (const auto& item : fs::directory_iterator(folder))
            if (item.is_regular_file())
                files.push_back(item.path());
    REQUIRE_MESSAGE(!files.empty(), "no regression inputs in " << Utf8FromPath(folder));
    std::sort(files.begin(), files.end());
    ScratchFolder scratch;
    const fs::path out = scratch.path / "out";
    for (const fs::path& file : files) {
        CAPTURE(Utf8FromPath(file.filename()));
        std::unique_ptr<Archive> archive;
        try {
            archive = Archive::Open(file);
        } catch (const ArchiveError&) {
            continue;
        }
        for (std::size_t i = 0; i < archive->Count() && i < 256; ++i) {
            const ArchiveEntry entry = archive->Entry(i);
            const auto found = archive->Find(entry.path);
            REQUIRE(found);
            CHECK(GamePathKey(archive->Entry(*found).path) == GamePathKey(entry.path));
            try {
                const std::vector<std::uint8_t> bytes = archive->Read(i);
                CHECK(bytes.size() == entry.unpackedSize);
                ExtractTo(out, entry.path, bytes);
            } catch (const Refusal&) {
            }
        }
        for (const auto& item : fs::directory_iterator(scratch.path))
            CHECK_MESSAGE(item.path() == out, Utf8FromPath(item.path()));
    }
}

TEST_CASE("Extraction refuses names that would leave the target folder, and writes nothing for them")
{
    ScratchFolder scratch;
    const fs::path out = scratch.path / "out";
    for (const char* name :
         {"../escape.txt", "a/../../escape.txt", "/abs.txt", "\\abs.txt", "C:x.txt", "c:/x.txt", "art\\..\\..\\x",
          "a/CON", "a/nul.txt", "LPT1/x", "a/name.", "a/name ", "a/dir./x", "", "a/"}) {
        CAPTURE(name);
        CHECK_THROWS_AS(ExtractTo(out, name, DatText("x")), ArchiveError);
    }
    std::error_code ec;
    CHECK((!fs::exists(out) || fs::is_empty(out, ec)));
    CHECK(ReadAllBytes(ExtractTo(out, "Art\\Critters\\a.frm", DatText("ok"))) == DatText("ok"));
    CHECK(fs::is_regular_file(out / "Art" / "Critters" / "a.frm"));
}

TEST_CASE("Glob patterns over paths: * and ?, case and either separator")
{
    CHECK(MatchesGlob("proto/critters/00000001.pro", "PROTO\\CRITTERS\\*.PRO"));
    CHECK(MatchesGlob("proto/critters/00000001.pro", "*"));
    CHECK(MatchesGlob("art/critters/hmjmpsaa.frm", "art/*/hm??psaa.frm"));
    CHECK(MatchesGlob("art/critters/a/b.frm", "art/*.frm")); // a star runs over folders
    CHECK_FALSE(MatchesGlob("art/critters/hmjmpsaa.frm", "art/critters/*.fr"));
    CHECK_FALSE(MatchesGlob("proto/critters/1.pro", "critters/*"));
    CHECK(IsUnderFolder("Proto/Critters/1.pro", "proto\\critters\\"));
    CHECK_FALSE(IsUnderFolder("proto/crittersx/1.pro", "proto/critters"));
}
