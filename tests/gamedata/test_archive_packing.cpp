// Writing archives: the LZSS encoder against streams worked out by hand from
// the format, the two packers' layouts byte for byte, the names each format
// refuses, and which files of a folder go in.
#include <doctest/doctest.h>

#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "gamedata/Archive.h"
#include "gamedata/Decompressors.h"
#include "gamedata/FolderPacking.h"
#include "gamedata/LzssEncoder.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Encode(const Bytes& in)
{
    Bytes out;
    EncodeLzss(in.data(), in.size(), out);
    return out;
}

// One item of a stream: a literal byte, or a reference (ring position, length).
struct Item {
    bool literal;
    unsigned value;  // the byte, or the ring position
    unsigned length; // references only
};

// The items of an LZSS stream as the format lays them out.
std::vector<Item> Items(const Bytes& stream)
{
    std::vector<Item> items;
    for (std::size_t i = 0; i < stream.size();) {
        const unsigned flags = stream[i++];
        for (int bit = 0; bit < 8 && i < stream.size(); ++bit)
            if (flags >> bit & 1)
                items.push_back({true, stream[i++], 0});
            else
                items.push_back({false, stream[i] | (stream[i + 1] & 0xF0u) << 4, (stream[i + 1] & 0x0Fu) + 3}), i += 2;
    }
    return items;
}

Bytes Noise(std::size_t size, std::uint32_t seed)
{
    Bytes bytes(size);
    for (std::uint8_t& b : bytes)
        b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

// Text that compresses well: numbered lines of a few repeated words.
Bytes Lines(std::size_t size)
{
    std::string text;
    for (int i = 0; text.size() < size; ++i)
        text += "{" + std::to_string(100 + i) + "}{}{The wasteland is " + (i % 3 ? "quiet" : "loud") + " today.}\n";
    text.resize(size);
    return B(text);
}

Bytes Unpacked(const Bytes& stream, std::size_t size, DecodeStatus& status)
{
    Bytes out(size);
    status = DecodeLzssExact(stream.data(), stream.size(), out.data(), size);
    return out;
}

Bytes Pack(ArchiveFormat format, const std::vector<std::pair<std::string, Bytes>>& files, bool store = false)
{
    const auto packer = ArchivePacker::For(format);
    for (const auto& [path, bytes] : files)
        packer->Add(path, bytes, store);
    return packer->Finish();
}

std::unique_ptr<Archive> Opened(const ScratchFolder& scratch, const Bytes& bytes)
{
    WriteAllBytes(scratch.path / "packed.dat", bytes);
    return Archive::Open(scratch.path / "packed.dat");
}

} // namespace

TEST_CASE("the LZSS encoder writes the streams the format describes")
{
    SUBCASE("a repeat: three literals, then one reference to ring position 0xFEE, where writing starts")
    {
        // Flags 0b0111: three literals and a reference; 0xFEE -> lo 0xEE, hi 0xF0 | (9 - 3).
        CHECK(Encode(B("abcabcabcabc")) == Bytes{0x07, 'a', 'b', 'c', 0xEE, 0xF6});
    }
    SUBCASE("a run: references overlap the bytes they write, and ring positions wrap at 4096")
    {
        // 'x', then 18 from 0xFEE, 18 from (4078 + 18) & 4095 = 0, 3 from 18.
        CHECK(Encode(Bytes(40, 'x')) == Bytes{0x01, 'x', 0xEE, 0xFF, 0x00, 0x0F, 0x12, 0x00});
    }
    SUBCASE("the longest reference is 18 bytes: 19 bytes of a run take one, 20 a literal after it")
    {
        CHECK(Encode(Bytes(19, 'x')) == Bytes{0x01, 'x', 0xEE, 0xFF});
        CHECK(Encode(Bytes(20, 'x')) == Bytes{0x05, 'x', 0xEE, 0xFF, 'x'});
    }
    SUBCASE("fewer than three bytes are never a reference")
    {
        CHECK(Encode(B("abab")) == Bytes{0x0F, 'a', 'b', 'a', 'b'});
        CHECK(Encode({}).empty());
    }
    SUBCASE("lazy matching: a literal first when the next byte starts a longer match")
    {
        // b0 c1 d2 e3 f4 g5 -6 a7 b8 c9 d10 +11 a12 b13 ... g18: eight literals; "bcd" at 8
        // from 0 (3 bytes); '+'; at 12 "abcd" from 7 (4) gives way to "bcdefg" from 0 (6) at 13.
        const std::vector<Item> items = Items(Encode(B("bcdefg-abcd+abcdefg")));
        REQUIRE(items.size() == 12);
        for (int i = 0; i < 8; ++i)
            CHECK(items[i].literal);
        CHECK_FALSE(items[8].literal);
        CHECK(items[8].value == 4078);
        CHECK(items[8].length == 3);
        CHECK(items[9].literal);
        CHECK(items[10].literal);
        CHECK(items[10].value == 'a');
        CHECK_FALSE(items[11].literal);
        CHECK(items[11].value == 4078);
        CHECK(items[11].length == 6);
    }
    SUBCASE("a reference reaches back 4078 bytes, never 4079")
    {
        for (const std::size_t distance : {std::size_t{4078}, std::size_t{4079}}) {
            // "QRS" at 0 and again distance bytes on; digits between never hold it.
            Bytes in = B("QRS");
            const Bytes filler = Noise(distance - 3, 7);
            for (const std::uint8_t b : filler)
                in.push_back(static_cast<std::uint8_t>('0' + b % 10));
            in.insert(in.end(), {'Q', 'R', 'S'});
            const std::vector<Item> items = Items(Encode(in));
            CAPTURE(distance);
            CHECK(items.back().literal == (distance == 4079));
            if (distance == 4078)
                CHECK(items.back().value == 4078); // the first "QRS"
            DecodeStatus status;
            CHECK(Unpacked(Encode(in), in.size(), status) == in);
            CHECK(status == DecodeStatus::Ok);
        }
    }
}

TEST_CASE("LZSS streams and chunks decode to their input")
{
    std::vector<Bytes> inputs{{}, B("a"), B("ab"), B("abc"), Bytes(5000, 0), Lines(70000), Noise(20000, 1)};
    Bytes mixed = Lines(9000);
    const Bytes noise = Noise(9000, 2);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    inputs.push_back(mixed);
    for (const Bytes& in : inputs) {
        CAPTURE(in.size());
        DecodeStatus status;
        CHECK(Unpacked(Encode(in), in.size(), status) == in);
        CHECK(status == DecodeStatus::Ok);
        const Bytes chunks = EncodeLzssChunks(in.data(), in.size());
        Bytes out(in.size());
        CHECK(DecodeLzssChunks(chunks.data(), chunks.size(), out.data(), out.size()) == DecodeStatus::Ok);
        CHECK(out == in);
    }
    SUBCASE("text compresses to well under a third; a run to one literal and references of 18")
    {
        CHECK(Encode(Lines(70000)).size() < 70000 / 3);
        // 1 literal, 999 references of 18 and one of 17: 1001 items, 126 flag bytes.
        CHECK(Encode(Bytes(18000, 0)).size() == 126 + 1 + 1000 * 2);
    }
    SUBCASE("a chunk holds 16384 bytes: one more starts a second chunk")
    {
        const Bytes full = Noise(16384, 3);
        const Bytes chunks = EncodeLzssChunks(full.data(), full.size());
        const std::size_t first = std::size_t{chunks[0]} << 8 | chunks[1];
        CHECK(first + 2 == chunks.size());
        Bytes more = full;
        more.push_back('z');
        const Bytes two = EncodeLzssChunks(more.data(), more.size());
        REQUIRE(two.size() == chunks.size() + 4);
        // The second chunk: a length of 2, a flag byte and the literal.
        CHECK(Bytes(two.end() - 4, two.end()) == Bytes{0x00, 0x02, 0x01, 'z'});
        CHECK((chunks[0] & 0x80) == 0); // an LZSS chunk, never a stored one
    }
}

TEST_CASE("the packers lay out the archives as the games read them")
{
    SUBCASE("second game: data from the start, the tree, its size and the archive's size")
    {
        // "abc" does not shrink under zlib: stored, its packed size its own size.
        const Bytes expected{'a', 'b', 'c', 1, 0,   0,   0,                                            // one file
                             11,  0,   0,   0, 'P', 'r', 'o', 't', 'o', '\\', 'x', '.', 'p', 'r', 'o', // name
                             0,   3,   0,   0, 0,   3,   0,   0,   0,   0,    0,   0,   0, // stored, sizes, offset 0
                             32,  0,   0,   0,                                             // tree: 4 + 4 + 11 + 13
                             43,  0,   0,   0};                                            // 3 + 32 + 8
        CHECK(Pack(ArchiveFormat::Dat2, {{"Proto/x.pro", B("abc")}}) == expected);
    }
    SUBCASE("first game: the top folder first, names upper case, stored files with a packed size of 0")
    {
        // Directory: 16 + (1 + 1 + 16) + (1 + 3 + 16) + (1 + 5 + 16) + (1 + 5 + 16) = 98 bytes.
        const Bytes expected{0, 0,   0,   2,   0,   0,   0,  2, 0, 0,    0, 0,  0, 0,   0, 0, // two folders
                             1, '.', 3,   'A', 'R', 'T',                                      //
                             0, 0,   0,   1,   0,   0,   0,  1, 0, 0,    0, 16, 0, 0,   0, 0, // the top: one file
                             5, 'A', '.', 'T', 'X', 'T', 0,  0, 0, 0x20, 0, 0,  0, 98,  0, 0, 0, 3, 0, 0,
                             0, 0,   0,   0,   0,   1,   0,  0, 0, 1,    0, 0,  0, 16,  0, 0, 0, 0, // ART: one file
                             5, 'X', '.', 'F', 'R', 'M', 0,  0, 0, 0x20, 0, 0,  0, 101, 0, 0, 0, 2, 0, 0,
                             0, 0,   'a', 'b', 'c', 'd', 'e'};
        CHECK(Pack(ArchiveFormat::Dat1, {{"a.txt", B("abc")}, {"art/x.frm", B("de")}}) == expected);
    }
    SUBCASE("a first-game archive never ends in what reads as the second game's trailer")
    {
        // Directory: 16 + (1 + 1 + 16) + (1 + 1 + 16) = 52 bytes; the file's four
        // bytes end the archive at 56, and 56 little-endian is what they hold.
        const Bytes trailer{56, 0, 0, 0};
        const Bytes packed = Pack(ArchiveFormat::Dat1, {{"x", trailer}}, true);
        REQUIRE(packed.size() == 57); // one byte more
        CHECK(packed.back() == 0);
        ScratchFolder scratch("quarnel-pack-");
        const auto archive = Opened(scratch, packed);
        CHECK(archive->Format() == ArchiveFormat::Dat1);
        CHECK(archive->Read(0) == trailer);
    }
    SUBCASE("a first-game archive that does end in such bytes still opens as one")
    {
        // Built by hand, without the packer's extra byte: the 56 at the end is its size.
        const Bytes dat1{0,  0,   0, 1, 0, 0,    0, 1, 0, 0,  0, 0,  0, 0, 0, 0, 1, '.', //
                         0,  0,   0, 1, 0, 0,    0, 1, 0, 0,  0, 16, 0, 0, 0, 0,         //
                         1,  'X', 0, 0, 0, 0x20, 0, 0, 0, 52, 0, 0,  0, 4, 0, 0, 0, 0,   //
                         56, 0,   0, 0};
        REQUIRE(dat1.size() == 56);
        ScratchFolder scratch("quarnel-pack-");
        const auto archive = Opened(scratch, dat1);
        CHECK(archive->Format() == ArchiveFormat::Dat1);
        CHECK(archive->Read(0) == Bytes{56, 0, 0, 0});
    }
    SUBCASE("an archive of no files opens: the first game's holds its top folder alone")
    {
        const Bytes dat1{0,   0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0,  0, 0, 0, 1,
                         '.', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0};
        CHECK(Pack(ArchiveFormat::Dat1, {}) == dat1);
        ScratchFolder scratch("quarnel-pack-");
        CHECK(Opened(scratch, dat1)->Count() == 0);
        CHECK(Opened(scratch, Pack(ArchiveFormat::Dat2, {}))->Count() == 0);
    }
}

TEST_CASE("each file is compressed only when that makes it smaller")
{
    ScratchFolder scratch("quarnel-pack-");
    const Bytes text = Lines(30000), noise = Noise(30000, 9);
    for (const ArchiveFormat format : {ArchiveFormat::Dat2, ArchiveFormat::Dat1}) {
        const bool dat1 = format == ArchiveFormat::Dat1;
        CAPTURE(dat1);
        const auto archive = Opened(scratch, Pack(format, {{"text.msg", text}, {"noise.acm", noise}, {"empty", {}}}));
        auto entry = [&](const char* path) { return archive->Entry(*archive->Find(path)); };
        CHECK(entry("text.msg").method == (dat1 ? StorageMethod::LzssChunks : StorageMethod::Zlib));
        CHECK(entry("text.msg").packedSize < 30000 / 3);
        CHECK(entry("noise.acm").method == StorageMethod::Stored);
        CHECK(entry("noise.acm").packedSize == 30000);
        CHECK(entry("empty").method == StorageMethod::Stored);
        CHECK(archive->Read(*archive->Find("text.msg")) == text);
        CHECK(archive->Read(*archive->Find("noise.acm")) == noise);
        CHECK(archive->Read(*archive->Find("empty")).empty());
        // Asked to store: stored although it would shrink.
        const auto stored = Opened(scratch, Pack(format, {{"text.msg", text}}, true));
        CHECK(stored->Entry(0).method == StorageMethod::Stored);
        CHECK(stored->Read(0) == text);
    }
}

TEST_CASE("directories are sorted as the games search them, so that every name is found")
{
    ScratchFolder scratch("quarnel-pack-");
    // '_' sorts after the letters as a byte but before them once they are
    // lowered, as the games compare; a name order by bytes would lose files.
    std::vector<std::pair<std::string, Bytes>> files;
    for (const char* folder : {"art_x", "artb", "art", "Art2", "a"})
        for (const char* name : {"Z_1.frm", "zb.frm", "z.frm", "_.frm", "Z0.frm"})
            files.push_back({std::string(folder) + "/" + name, B(std::string(folder) + name)});
    files.push_back({"top_.txt", B("t1")});
    files.push_back({"topa.txt", B("t2")});
    for (const ArchiveFormat format : {ArchiveFormat::Dat2, ArchiveFormat::Dat1}) {
        CAPTURE(format == ArchiveFormat::Dat1);
        const auto archive = Opened(scratch, Pack(format, files));
        REQUIRE(archive->Count() == files.size());
        for (const auto& [path, bytes] : files) {
            CAPTURE(path);
            const auto found = archive->Find(path);
            REQUIRE(found);
            CHECK(archive->Read(*found) == bytes);
            CHECK_FALSE(archive->IsRepeated(*found));
        }
        if (format == ArchiveFormat::Dat1) {
            // The top folder first, then A, ART, ART2, ART_X, ARTB; a folder's files likewise.
            std::vector<std::string> paths;
            for (std::size_t i = 0; i < archive->Count(); ++i)
                paths.emplace_back(archive->Entry(i).path);
            CHECK(paths[0] == "TOP_.TXT");
            CHECK(paths[1] == "TOPA.TXT");
            CHECK(paths[2] == "A/_.FRM");
            CHECK(paths[3] == "A/Z.FRM");
            CHECK(paths[4] == "A/Z0.FRM");
            CHECK(paths[5] == "A/Z_1.FRM");
            CHECK(paths[6] == "A/ZB.FRM");
            CHECK(paths[7] == "ART/_.FRM");
            CHECK(paths[12] == "ART2/_.FRM");
            CHECK(paths[17] == "ART_X/_.FRM");
            CHECK(paths[22] == "ARTB/_.FRM");
        } else {
            CHECK(archive->Entry(0).path == "a/_.frm");
            CHECK(archive->Entry(archive->Count() - 1).path == "topa.txt");
        }
    }
}

TEST_CASE("names an archive cannot hold are refused, saying why")
{
    const auto dat1 = ArchivePacker::For(ArchiveFormat::Dat1);
    const auto dat2 = ArchivePacker::For(ArchiveFormat::Dat2);
    for (const auto* packer : {dat1.get(), dat2.get()}) {
        CHECK_FALSE(packer->Refusal("proto/critters/00000001.pro"));
        CHECK_FALSE(packer->Refusal("a b~!.txt"));
        CHECK(packer->Refusal("art/caf\xc3\xa9.frm")->find("printable ASCII") != std::string::npos);
        CHECK(packer->Refusal("art/tab\there")->find("printable ASCII") != std::string::npos);
        CHECK(packer->Refusal("art\\x.frm")->find("separator") != std::string::npos);
        CHECK(packer->Refusal("art//x.frm"));
    }
    // A length byte: 255 characters fit, 256 do not, for a file name and a folder path.
    const std::string name255(255, 'n');
    const std::string folder255 = std::string(127, 'f') + "/" + std::string(127, 'g');
    CHECK_FALSE(dat1->Refusal("art/" + name255));
    CHECK(dat1->Refusal("art/" + name255 + "n")->find("256 characters") != std::string::npos);
    CHECK_FALSE(dat1->Refusal(folder255 + "/x.frm"));
    CHECK(dat1->Refusal(folder255 + "g/x.frm")->find("folder path of 256") != std::string::npos);
    CHECK_FALSE(dat2->Refusal(folder255 + "g/" + name255 + "n"));
    // A folder the first game's search would look for before the top folder ".".
    CHECK(dat1->Refusal("-art/x.frm"));
    CHECK_FALSE(dat1->Refusal(".art/x.frm"));
    CHECK_FALSE(dat1->Refusal("-x.frm"));
    CHECK_FALSE(dat2->Refusal("-art/x.frm"));

    SUBCASE("a folder's names: refusals and two names of one key listed, hidden files and the target left out")
    {
        ScratchFolder scratch("quarnel-pack-");
        const fs::path root = scratch.path / "mod";
        PutFile(root / "proto" / "a.pro", "a");
        PutFile(root / "proto" / "A.PRO", "A");
        // Two names of one key exist on a case-sensitive file system only.
        const bool twoNames = !fs::equivalent(root / "proto" / "a.pro", root / "proto" / "A.PRO");
        const std::string deep = "text/" + std::string(130, 'f') + "/" + std::string(130, 'g');
#ifndef _WIN32 // beyond the 260 characters of a Windows path
        PutFile(root / deep / "x.msg", "deep");
#endif
        PutFile(root / ".git" / "config", "hidden");
        PutFile(root / ".hidden", "hidden");
        PutFile(root / "old.dat", "the archive being replaced");
        const FolderPack pack = ListFolderPack(root, *dat1, root / "old.dat");
        std::vector<std::string> refused;
        if (twoNames)
            refused.push_back("proto/a.pro: the same name as proto/A.PRO in an archive, whose names are read "
                              "without regard to case");
#ifndef _WIN32
        refused.push_back(deep + "/x.msg: a folder path of 266 characters");
#endif
        REQUIRE(pack.refused.size() == refused.size());
        for (std::size_t i = 0; i < refused.size(); ++i)
            CHECK(pack.refused[i].starts_with(refused[i]));
        REQUIRE(pack.files.size() == 1);
        std::string kept = pack.files[0].path;
        std::transform(kept.begin(), kept.end(), kept.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        CHECK(kept == "proto/a.pro");
        if (twoNames)
            CHECK(pack.files[0].path == "proto/A.PRO");
    }
}
