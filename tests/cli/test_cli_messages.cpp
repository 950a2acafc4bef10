// quarnel-cli's archive and tree commands at their edges: names that would
// break a line, paths the archive holds twice, paths typed with a leading
// separator, extraction refused before anything is written; errors that name
// the file once with the reason; options an action does not use; the limits
// of show --textconv, of a one-byte field and the rows of check.
#include <doctest/doctest.h>

#include "CliTestSupport.h"
#include "ScratchFolder.h"

#include <fstream>

namespace fs = std::filesystem;
using namespace quarnel;
using namespace quarnel::test;
using namespace quarnel::test::cli;

namespace {

std::string AsText(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A second-game install of one master archive (and an empty override folder).
fs::path Install(const ScratchFolder& scratch, const std::string& name, const DatBytes& master)
{
    const fs::path folder = scratch.path / name;
    fs::create_directories(folder / "data");
    WriteAllBytes(folder / "master.dat", master);
    WriteTextFile(folder / "fallout2.cfg", "[system]\r\nmaster_dat=master.dat\r\nmaster_patches=data\r\n");
    return folder;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

TEST_CASE("dat list keeps one line per file and says which of two equal paths the game reads")
{
    ScratchFolder scratch("quarnel-cli-list-");
    const fs::path names = scratch.path / "names.dat";
    WriteAllBytes(names, Dat2Writer()
                             .Stored("DIR\\a\nb.txt", "x")
                             .Stored("DIR\\tab\there.txt", "x")
                             .Stored(std::string("DIR\\nul\0x", 9), "x")
                             .Stored("DIR\\cr\r.txt", "x")
                             .Build());
    const Result listed = Cli({"dat", "list", Text(names)});
    CHECK(listed.status == 0);
    CHECK(listed.out == "1\t1\tstored\tDIR/a\\nb.txt\n"
                        "1\t1\tstored\tDIR/tab\\there.txt\n"
                        "1\t1\tstored\tDIR/nul\\x00x\n"
                        "1\t1\tstored\tDIR/cr\\r.txt\n");
    const Result tree = Cli({"data", Text(Install(scratch, "names", ReadAllBytes(names))), "list"});
    CHECK(Contains(tree.out, "master.dat\tDIR/a\\nb.txt\n"));
    CHECK(Contains(tree.out, "master.dat\tDIR/tab\\there.txt\n"));
    CHECK(Count(tree.out, "\n") == 4);

    // Sorted B B C: the game's binary search probes entry 1 first, the second B.
    const DatBytes twice = Dat2Writer().Stored("DIR\\B", "one").Stored("DIR\\B", "two!").Stored("DIR\\C", "c").Build();
    WriteAllBytes(scratch.path / "twice.dat", twice);
    CHECK(Cli({"dat", "list", Text(scratch.path / "twice.dat")}).out ==
          "3\t3\tstored\tDIR/B\trepeated; the game reads another entry\n"
          "4\t4\tstored\tDIR/B\trepeated; the game reads this entry\n"
          "1\t1\tstored\tDIR/C\n");
    REQUIRE(Cli({"dat", "extract", Text(scratch.path / "twice.dat"), "--to", Text(scratch.path / "out")}).status == 0);
    CHECK(AsText(ReadAllBytes(scratch.path / "out" / "DIR" / "B")) == "two!");

    const std::string install = Text(Install(scratch, "twice", twice));
    CHECK(Cli({"data", install, "cat", "dir/b"}).out == "two!");
    CHECK(Cli({"data", install, "where", "DIR/B"}).out == "master.dat\t4\n");
    CHECK(Cli({"data", install, "list"}).out == "master.dat\tDIR/B\nmaster.dat\tDIR/C\n");
    REQUIRE(Cli({"data", install, "extract", "--to", Text(scratch.path / "tree-out"), "dir/*"}).status == 0);
    CHECK(AsText(ReadAllBytes(scratch.path / "tree-out" / "DIR" / "B")) == "two!");
}

TEST_CASE("data takes a path however it starts or is separated")
{
    ScratchFolder scratch("quarnel-cli-paths-");
    const DatBytes critter = CleanCritter(1).Bytes();
    const std::string install =
        Text(Install(scratch, "install", Dat2Writer().Zlib("proto\\critters\\00000001.pro", critter).Build()));
    for (const char* given : {"/proto/critters/00000001.pro", "//proto/critters/00000001.pro",
                              "\\proto\\critters\\00000001.pro", "proto//critters/./00000001.pro"}) {
        CAPTURE(given);
        CHECK(Cli({"data", install, "where", given}).out == "master.dat\t416\n");
        CHECK(Cli({"data", install, "cat", given}).out == AsText(critter));
    }
    CHECK(Cli({"data", install, "list", "/proto/critters/*"}).out == "master.dat\tproto/critters/00000001.pro\n");
    REQUIRE(Cli({"data", install, "extract", "--to", Text(scratch.path / "out"), "//proto/*"}).status == 0);
    CHECK(ReadAllBytes(scratch.path / "out" / "proto" / "critters" / "00000001.pro") == critter);
}

TEST_CASE("data extract refuses an archive that would unpack far beyond its size, and names what it cannot write")
{
    ScratchFolder scratch("quarnel-cli-extract-");
    // 100 entries of 1 MiB share one zlib stream: 104857600 bytes from an archive of a few KB.
    const std::string bomb = Text(Install(scratch, "bomb", SharedStreamDat("bomb", 100)));
    const fs::path out = scratch.path / "out";
    const Result refused = Cli({"data", bomb, "extract", "--to", Text(out), "bomb/*"});
    CHECK(refused.status == 2);
    CHECK_MESSAGE(refused.err == "quarnel-cli: " + bomb +
                                     ": master.dat: the files would unpack to 104857600 bytes, more than 64 "
                                     "times the archive's size: nothing written\n",
                  refused.err);
    CHECK_FALSE(fs::exists(out));
    // A few of them stay within the rule.
    REQUIRE(Cli({"data", bomb, "extract", "--to", Text(out), "bomb/1.bin"}).status == 0);
    CHECK(fs::file_size(out / "bomb" / "1.bin") == (1u << 20));

    // A folder where a file is to go.
    const std::string install =
        Text(Install(scratch, "install", Dat2Writer().Stored("proto\\critters\\00000001.pro", "x").Build()));
    fs::create_directories(out / "proto" / "critters" / "00000001.pro" / "inside");
    const Result blocked = Cli({"data", install, "extract", "--to", Text(out), "proto/*"});
    CHECK(blocked.status == 2);
    CHECK(blocked.err == "quarnel-cli: " + Text(out / "proto" / "critters" / "00000001.pro") +
                             ": a folder is in the way; not extracted\n");

    // A read-only target folder: the file and the reason (only unprivileged users are refused).
    const fs::path locked = scratch.path / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const bool writable = std::ofstream(locked / "probe").is_open();
    if (!writable) {
        const Result denied = Cli({"data", install, "extract", "--to", Text(locked), "proto/*"});
        CHECK(denied.status == 2);
        CHECK_MESSAGE(Contains(denied.err, "quarnel-cli: " + Text(locked / "proto")), denied.err);
        CHECK_MESSAGE(Contains(denied.err, "File access denied"), denied.err);
    }
}

TEST_CASE("Errors name the file once with the reason; options an action does not use are refused")
{
    ScratchFolder scratch("quarnel-cli-messages-");
    const std::string missing = Text(scratch.path / "nofile.dat");
    CHECK(Cli({"dat", "list", missing}).err == "quarnel-cli: " + missing + ": File not found\n");
    CHECK(Cli({"dat", "extract", missing, "--to", Text(scratch.path / "out")}).err ==
          "quarnel-cli: " + missing + ": File not found\n");

    const DatBytes critterDat = Dat2Writer().Stored("proto\\critters\\00000001.pro", CleanCritter(1).Bytes()).Build();
    const std::string install = Text(Install(scratch, "install", critterDat));
    for (const char* action : {"list", "where", "cat"}) {
        CAPTURE(action);
        const Result refused = Cli({"data", install, action, "proto/critters/00000001.pro", "--to", "foo"});
        CHECK(refused.status == 2);
        CHECK(Contains(refused.err, std::string(action) + " takes no --to"));
        CHECK(refused.out.empty());
    }

    // A negative frame: a plain range, not a number of 300 digits.
    const Result frame = Cli({"frm", Text(scratch.path / "x.frm"), "--frame", "-1", "--info"});
    CHECK(frame.status == 2);
    CHECK(Contains(frame.err, "--frame"));
    CHECK_MESSAGE(Contains(frame.err, "0 to 2147483647"), frame.err);
    CHECK(frame.err.size() < 200);

    // art of a prototype that is no critter names it.
    const fs::path mod = scratch.path / "mod";
    fs::create_directories(mod / "proto" / "critters");
    ProtoBuilder(61).Set(0, 2, 0).Set(32, 4, 6).WriteTo(mod / "proto" / "critters" / "00000001.pro");
    const Result art =
        Cli({"art", "--data", Text(mod), "proto/critters/00000001.pro", "--out", Text(scratch.path / "a.png")});
    CHECK(art.status == 2);
    CHECK_MESSAGE(art.err.rfind("quarnel-cli: proto/critters/00000001.pro: 61 bytes", 0) == 0, art.err);

    CHECK(Cli({"show", "--textconv", "--data", Text(mod), "proto/critters/00000001.pro"}).status == 2);

    // A folder in the override folder where the changed copy is to go: the copy and the reason.
    const fs::path blocked = Install(scratch, "blocked", critterDat);
    fs::create_directories(blocked / "data" / "proto" / "critters" / "00000001.pro" / "inside");
    const Result inTheWay = Cli({"set", "--data", Text(blocked), "team=3", "--", "proto/critters/00000001.pro"});
    CHECK(inTheWay.status == 2);
    CHECK_MESSAGE(Contains(inTheWay.err, Text(blocked / "data" / "proto" / "critters" / "00000001.pro") +
                                             ": is a folder, not a file\n"),
                  inTheWay.err);

    // The refusal to write behind a patch archive names the file once.
    const fs::path patched = Install(scratch, "patched", critterDat);
    WriteAllBytes(patched / "patch000.dat", critterDat);
    fs::create_directories(patched / "data" / "proto" / "critters");
    CleanCritter(1).WriteTo(patched / "data" / "proto" / "critters" / "00000001.pro");
    const Result shadowed = Cli({"set", "--data", Text(patched), "team=3", "--", "proto/critters/00000001.pro"});
    CHECK(shadowed.status == 2);
    const std::string firstLine = shadowed.err.substr(0, shadowed.err.find('\n'));
    CHECK_MESSAGE(Count(firstLine, "00000001.pro") == 1, shadowed.err);
    CHECK_MESSAGE(Contains(firstLine, "patch000.dat"), shadowed.err);
}

// The converter's first line says whether the bytes are a critter of the
// wrong size (a type byte of 1, or none at all) or a record of another type
// that its own layout refuses.
TEST_CASE("The text converter tells a record of no critter's size from a damaged record of another type")
{
    ScratchFolder scratch("quarnel-cli-kinds-");
    struct Row {
        const char* name;
        DatBytes bytes;
        std::string firstLine;
    };
    DatBytes critterTyped(300, 0);
    critterTyped[0] = 1;
    DatBytes wall(20, 0);
    wall[0] = 3;
    const Row rows[] = {
        {"empty", {}, "# not shown as a critter: 0 bytes: not a critter prototype (412 or 416 bytes)"},
        {"critter", critterTyped, "# not shown as a critter: 300 bytes: not a critter prototype (412 or 416 bytes)"},
        {"wall", wall, "# not shown as a prototype: 20 bytes: a wall has "},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        const fs::path file = scratch.path / (std::string(row.name) + ".pro");
        WriteAllBytes(file, row.bytes);
        const Result shown = Cli({"show", "--textconv", Text(file)});
        CHECK(shown.status == 0);
        CHECK_MESSAGE(shown.out.rfind(row.firstLine, 0) == 0, shown.out);
    }
}

TEST_CASE("Limits at their edge: the text converter's dump, a one-byte field")
{
    ScratchFolder scratch("quarnel-cli-edges-");
    // show --textconv dumps 1 MiB; the note says so only when there is more.
    for (const std::size_t size : {std::size_t{1} << 20, (std::size_t{1} << 20) + 1}) {
        CAPTURE(size);
        const fs::path file = scratch.path / ("dump" + std::to_string(size) + ".bin");
        WriteAllBytes(file, DatBytes(size, 0xEE));
        const Result shown = Cli({"show", "--textconv", Text(file)});
        CHECK(shown.status == 0);
        CHECK(Contains(shown.out, "\n000ffff0  ee ee"));
        CHECK_FALSE(Contains(shown.out, "\n00100000 "));
        CHECK(Contains(shown.out, "# only the first 1 MiB is shown\n") == (size > (std::size_t{1} << 20)));
    }

    // sound is one unsigned byte (offset 56 of an item): 0 to 255.
    const fs::path key = scratch.path / "key.pro";
    ProtoBuilder(61).Set(0, 2, 0).Set(32, 4, 6).Set(56, 1, 7).WriteTo(key);
    const DatBytes before = ReadAllBytes(key);
    for (const char* edit : {"sound=-1", "sound=256"}) {
        CAPTURE(edit);
        const Result refused = Cli({"set", edit, "--", Text(key)});
        CHECK(refused.status == 2);
        CHECK(Contains(refused.err, "out of range (0 to 255)"));
        CHECK(ReadAllBytes(key) == before);
    }
    for (const int sound : {255, 0}) {
        REQUIRE(Cli({"set", "sound=" + std::to_string(sound), "--", Text(key)}).status == 0);
        CHECK(ReadAllBytes(key)[56] == sound);
        CHECK(Contains(Cli({"show", Text(key)}).out, "\nsound = " + std::to_string(sound) + "\n"));
    }
}

TEST_CASE("check: ammunition and power name items only; no inventory picture is no fault")
{
    ScratchFolder scratch("quarnel-cli-check-");
    const ItemFolders folders(scratch.path);
    const fs::path& items = folders.items;
    WriteTextFile(folders.misc / "misc.lst", "00000001.pro\r\n");
    WriteTextFile(folders.messages / "pro_item.msg", "{100}{}{A}\n{200}{}{B}\n{300}{}{C}\n{400}{}{D}\n{500}{}{E}\n");
    ProtoBuilder(36).Set(0, 2, 0x500).PidNumber(1).Set(8, 4, 0x05000001).WriteTo(folders.misc / "00000001.pro");
    ValidItem(3, 1).Set(113, 4, 0x05000001).WriteTo(items / "00000001.pro"); // ammunition: the misc prototype 1
    ValidItem(5, 2).Set(57, 4, 0x05000001).WriteTo(items / "00000002.pro");  // power: the misc prototype 1
    ValidItem(6, 3).Set(52, 4, -1).WriteTo(items / "00000003.pro");          // no inventory picture
    ValidItem(3, 4).Set(81, 4, 0x05000001).WriteTo(items / "00000004.pro");  // a projectile may be misc
    ValidItem(4, 5).Set(52, 4, 0x06000005).WriteTo(items / "00000005.pro");  // a picture of type 6
    const Result report = Cli({"check", Text(items)});
    CHECK(report.status == 1);
    CHECK(report.out == "00000001.pro: weapon.ammo_pid = 0x05000001: not the PID of an item\n"
                        "00000002.pro: misc.power_pid = 0x05000001: not the PID of an item\n"
                        "00000005.pro: inventory_fid = 0x06000005: type 6 in bits 24 to 27, not 7 (inventory "
                        "pictures)\n");
}
