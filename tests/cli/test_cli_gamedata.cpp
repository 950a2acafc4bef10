// quarnel-cli on the games' own files: archives taken apart, the merged tree
// of an install built in a temporary folder, and critters edited through it.
#include <doctest/doctest.h>

#include "CliTestSupport.h"
#include "DatWriter.h"
#include "platform/FileAttributes.h"
#include "ScratchFolder.h"

namespace fs = std::filesystem;
using namespace quarnel;
using namespace quarnel::test;
using namespace quarnel::test::cli;

namespace {

std::string AsText(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A second-game install: critters in the master and critter archives, one
// shadowed by a patch archive, one loose in a DATA folder of mixed case.
struct SecondGameInstall {
    ScratchFolder root{"quarnel-install-"};
    DatBytes one = CleanCritter(1).Bytes();
    DatBytes twoMaster = CleanCritter(2).Set(40, 4, 20).Bytes();
    DatBytes twoCritter = CleanCritter(2).Set(40, 4, 21).Bytes();
    DatBytes three = CleanCritter(3).Bytes();

    SecondGameInstall()
    {
        WriteAllBytes(root.path / "master.dat", Dat2Writer()
                                                    .Zlib("proto\\critters\\00000001.pro", one)
                                                    .Stored("proto\\critters\\00000002.pro", twoMaster)
                                                    .Zlib("proto\\critters\\00000004.pro", CleanCritter(4).Bytes())
                                                    .Build());
        WriteAllBytes(root.path / "critter.dat",
                      Dat2Writer().Zlib("proto\\critters\\00000002.pro", twoCritter).Build());
        WriteAllBytes(
            root.path / "patch000.dat",
            Dat2Writer().Stored("PROTO\\CRITTERS\\00000004.PRO", CleanCritter(4).Set(40, 4, 9).Bytes()).Build());
        fs::create_directories(root.path / "DATA" / "Proto" / "CRITTERS");
        WriteAllBytes(root.path / "DATA" / "Proto" / "CRITTERS" / "00000003.PRO", three);
        WriteTextFile(root.path / "fallout2.cfg", "[system]\r\nmaster_dat=master.dat\r\nmaster_patches=data\r\n");
    }
    std::string Path() const { return Text(root.path); }
};

} // namespace

TEST_CASE("dat lists and extracts either format, and never writes outside the folder")
{
    ScratchFolder scratch("quarnel-cli-");
    const DatBytes stream = LzssLiterals("hello, world");
    WriteAllBytes(scratch.path / "first.dat", Dat1Writer()
                                                  .Stored("", "color.pal", "palette")
                                                  .Lzss("art\\critters", "HMJMPSAA.FRM", stream, 12)
                                                  .Chunks("text", "a.msg", StoredChunk(DatText("chunked")), 7)
                                                  .Build());
    WriteAllBytes(scratch.path / "second.bin", Dat2Writer().Zlib("Proto\\Critters\\00000001.PRO", "zipped").Build());

    const Result first = Cli({"dat", "list", Text(scratch.path / "first.dat")});
    CHECK(first.status == 0);
    CHECK(Contains(first.out, "7\t7\tstored\tcolor.pal\n"));
    CHECK(Contains(first.out, "12\t" + std::to_string(stream.size()) + "\tlzss\tart/critters/HMJMPSAA.FRM\n"));
    CHECK(Contains(first.out, "7\t9\tlzss-chunks\ttext/a.msg\n"));
    const Result second = Cli({"dat", "list", Text(scratch.path / "second.bin")}); // told apart by content
    CHECK(second.out ==
          "6\t" + std::to_string(ZlibStream(DatText("zipped")).size()) + "\tzlib\tProto/Critters/00000001.PRO\n");

    const fs::path out = scratch.path / "out";
    REQUIRE(
        Cli({"dat", "extract", Text(scratch.path / "first.dat"), "--to", Text(out), "ART\\*.frm", "*.PAL"}).status ==
        0);
    CHECK(AsText(ReadAllBytes(out / "art" / "critters" / "HMJMPSAA.FRM")) == "hello, world");
    CHECK(AsText(ReadAllBytes(out / "color.pal")) == "palette");
    CHECK_FALSE(fs::exists(out / "text"));

    // A path that would leave the folder is refused; the archive's other files still come out.
    WriteAllBytes(scratch.path / "evil.dat",
                  Dat2Writer().Stored("..\\escaped.txt", "x").Stored("NUL.txt", "x").Stored("ok.txt", "fine").Build());
    const Result evil = Cli({"dat", "extract", Text(scratch.path / "evil.dat"), "--to", Text(out)});
    CHECK(evil.status == 2);
    CHECK(Contains(evil.err, "evil.dat: ../escaped.txt"));
    CHECK(Contains(evil.err, "evil.dat: NUL.txt"));
    CHECK_FALSE(fs::exists(scratch.path / "escaped.txt"));
    CHECK(AsText(ReadAllBytes(out / "ok.txt")) == "fine");

    // Entries that share one zlib stream claim far more than the archive holds: refused before writing.
    WriteAllBytes(scratch.path / "shared.dat", SharedStreamDat("bomb", 100));
    const Result bomb = Cli({"dat", "extract", Text(scratch.path / "shared.dat"), "--to", Text(scratch.path / "bomb")});
    CHECK(bomb.status == 2);
    CHECK_MESSAGE(Contains(bomb.err, "more than 64 times the archive's size: nothing written"), bomb.err);
    CHECK_FALSE(fs::exists(scratch.path / "bomb"));

    WriteAllBytes(scratch.path / "broken.dat", DatBytes(20, 0xEE));
    const Result broken = Cli({"dat", "list", Text(scratch.path / "broken.dat")});
    CHECK(broken.status == 2);
    CHECK(Contains(broken.err, "broken.dat"));
}

TEST_CASE("data shows the second game's layer order through list, where and cat")
{
    const SecondGameInstall install;
    const Result list = Cli({"data", install.Path(), "list", "proto/critters/*"});
    CHECK(list.status == 0);
    CHECK(list.out == "master.dat\tproto/critters/00000001.pro\n"
                      "critter.dat\tproto/critters/00000002.pro\n"
                      "DATA\tProto/CRITTERS/00000003.PRO\n"
                      "patch000.dat\tPROTO/CRITTERS/00000004.PRO\n");
    CHECK(Cli({"data", install.Path(), "where", "PROTO\\critters\\00000002.pro"}).out ==
          "critter.dat\t416\nmaster.dat\t416\n");
    CHECK(Cli({"data", install.Path(), "cat", "proto/critters/00000002.pro"}).out == AsText(install.twoCritter));
    const Result missing = Cli({"data", install.Path(), "cat", "proto/critters/00000009.pro"});
    CHECK(missing.status == 2);
    CHECK(Contains(missing.err, "proto/critters/00000009.pro: in no layer of the tree"));

    ScratchFolder out("quarnel-out-");
    REQUIRE(Cli({"data", install.Path(), "extract", "--to", Text(out.path), "*/00000002.pro"}).status == 0);
    CHECK(ReadAllBytes(out.path / "proto" / "critters" / "00000002.pro") == install.twoCritter);

    // The critter commands read the same winners.
    const Result shown = Cli({"show", "--data", install.Path(), "proto/critters"});
    CHECK(shown.status == 0);
    CHECK(Contains(shown.out, "# critter.dat") == false);
    CHECK(Contains(shown.out, "# proto/critters/00000002.pro\n"));
    CHECK(Contains(shown.out, "team = 21\n"));
    CHECK(Contains(shown.out, "# Proto/CRITTERS/00000003.PRO\n"));
    CHECK(Contains(Cli({"export", "--data", install.Path(), "proto/critters/00000004.pro"}).out, "\"team\": 9"));
    CHECK(
        Cli({"diff", "--data", install.Path(), "proto/critters/00000001.pro", "proto/critters/00000002.pro"}).status ==
        1);
}

TEST_CASE("set --data writes a read-only copy into the override folder, never behind a patch archive")
{
    const SecondGameInstall install;
    const fs::path critters = install.root.path / "DATA" / "Proto" / "CRITTERS";

    // From an archive: a whole new file in the existing folder of any case, the change applied.
    REQUIRE(Cli({"set", "--data", install.Path(), "team=77", "--", "proto/critters/00000001.pro"}).status == 0);
    DatBytes expected = install.one;
    expected[40] = expected[41] = expected[42] = 0, expected[43] = 77;
    CHECK(ReadAllBytes(critters / "00000001.pro") == expected);
    CHECK(IsReadOnly(critters / "00000001.pro"));
    CHECK(Cli({"data", install.Path(), "where", "proto/critters/00000001.pro"}).out == "DATA\t416\nmaster.dat\t416\n");

    // Already loose: changed in place, still read-only.
    REQUIRE(Cli({"set", "--data", install.Path(), "exp=5", "--", "proto/critters/00000003.pro"}).status == 0);
    DatBytes changed = install.three;
    changed[404] = changed[405] = changed[406] = 0, changed[407] = 5;
    CHECK(ReadAllBytes(critters / "00000003.PRO") == changed);
    CHECK(IsReadOnly(critters / "00000003.PRO"));

    // A patch archive the game reads first holds 00000004: the whole batch is refused, nothing written.
    const Result shadowed = Cli({"set", "--data", install.Path(), "team=1", "--", "proto/critters"});
    CHECK(shadowed.status == 2);
    CHECK_MESSAGE(Contains(shadowed.err, "PROTO/CRITTERS/00000004.PRO is also in patch000.dat, which the game reads "
                                         "first; a copy in DATA would not be used"),
                  shadowed.err);
    CHECK(ReadAllBytes(critters / "00000001.pro") == expected);
    CHECK_FALSE(fs::exists(critters / "00000002.pro"));
    CHECK_FALSE(fs::exists(critters / "00000004.PRO"));

    REQUIRE(Cli({"set", "--data", install.Path(), "--force", "team=1", "--", "proto/critters/00000004.pro"}).status ==
            0);
    CHECK(fs::exists(critters / "00000004.PRO"));

    // import goes the same way.
    ScratchFolder scratch("quarnel-cli-");
    WriteTextFile(scratch.path / "two.json",
                  Cli({"export", "--data", install.Path(), "proto/critters/00000001.pro"}).out);
    REQUIRE(Cli({"import", "--data", install.Path(), Text(scratch.path / "two.json"), "proto/critters/00000002.pro"})
                .status == 0);
    CHECK(Contains(Cli({"show", "--data", install.Path(), "proto/critters/00000002.pro"}).out, "team = 77\n"));
}

TEST_CASE("data finds the first game's critter art in the critter tree only")
{
    ScratchFolder root("quarnel-install-");
    WriteAllBytes(root.path / "MASTER.DAT", Dat1Writer()
                                                .Stored("art\\critters", "hanpwraa.frm", "master art")
                                                .Stored("proto\\critters", "00000001.pro", "p")
                                                .Build());
    WriteAllBytes(root.path / "CRITTER.DAT", Dat1Writer()
                                                 .Stored("art\\critters", "hanpwraa.frm", "critter art")
                                                 .Stored("proto\\critters", "00000002.pro", "q")
                                                 .Build());
    WriteTextFile(root.path / "fallout.cfg", "[system]\nmaster_dat=master.dat\ncritter_dat=critter.dat\n");
    CHECK(Cli({"data", Text(root.path), "where", "art/critters/HANPWRAA.FRM"}).out == "CRITTER.DAT\t11\n");
    CHECK(Cli({"data", Text(root.path), "where", "proto/critters/00000001.pro"}).out == "MASTER.DAT\t1\n");
    CHECK(Cli({"data", Text(root.path), "where", "proto/critters/00000002.pro"}).status == 2);

    const Result neither = Cli({"data", Text(root.path / "nothing"), "list"});
    CHECK(neither.status == 2);
    CHECK_FALSE(neither.err.empty());
}

TEST_CASE("check --data checks the install's list and names; names --data reads its language's message file")
{
    SecondGameInstall install;
    const fs::path root = install.root.path;
    // The list swaps 1 and 2, names a file that is not there and leaves out 3
    // and 4; the name file lacks 400 and stops at a fault on line 4.
    WriteAllBytes(
        root / "patch001.dat",
        Dat2Writer()
            .Stored("proto\\critters\\critters.lst", "00000002.pro\r\n00000001.pro  ; the first\r\n00000009.pro\r\n")
            .Stored("text\\english\\game\\pro_crit.msg", "{100}{}{Man}\n{200}{}{Dog}\n{300}{}{Ant}\n}\n")
            .Build());
    const Result check = Cli({"check", "--data", install.Path()});
    CHECK(check.status == 1);
    CHECK_MESSAGE(check.out == "text/english/game/pro_crit.msg, line 4: a '}' outside an entry\n"
                               "00000004.PRO: text_id = 400 has no name in text/english/game/pro_crit.msg\n"
                               "00000002.pro: pid = 2, but the file is on line 1 of critters.lst\n"
                               "00000001.pro: pid = 1, but the file is on line 2 of critters.lst\n"
                               "proto/critters/critters.lst, line 3: 00000009.pro is not in proto/critters\n"
                               "00000003.PRO: not listed in critters.lst\n"
                               "00000004.PRO: not listed in critters.lst\n"
                               "art/critters/critters.lst: missing: no critter has a standing picture\n",
                  check.out);

    // The names of the install's language, in its code page.
    WriteTextFile(root / "fallout2.cfg", "[system]\r\nlanguage=czech\r\n");
    fs::create_directories(root / "DATA" / "TEXT" / "CZECH" / "GAME");
    WriteTextFile(root / "DATA" / "TEXT" / "CZECH" / "GAME" / "PRO_CRIT.MSG", "{100}{}{M\xec\x9a\x9d"
                                                                              "an}\n{200}{}{\x8a}\n");
    const Result names = Cli({"names", "--data", install.Path(), "pro_crit.msg"});
    CHECK(names.status == 0);
    CHECK(names.out == "[Description]\r\n100=M\u011b\u0161\u0165an\r\n200=\u0160\r\n");
    CHECK(Cli({"names", "--data", install.Path(), "text/english/game/pro_crit.msg"}).status == 2); // its fault
}
