// quarnel-cli on a game's tree whose folders hold sub-folders and links:
// a folder argument takes the folder's own files only, links back up end,
// and the english message file taken for a missing one is read in the
// english code page.
#include <doctest/doctest.h>

#include "CliTestSupport.h"
#include "DatWriter.h"
#include "ScratchFolder.h"

#include <sstream>

namespace fs = std::filesystem;
using namespace quarnel;
using namespace quarnel::test;
using namespace quarnel::test::cli;

namespace {

using Lines = std::vector<std::string>;

void PutBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes)
{
    fs::create_directories(file.parent_path());
    WriteAllBytes(file, bytes);
}

// The lines of a text that start with the prefix.
Lines LinesStarting(const std::string& text, const std::string& prefix)
{
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0)
            lines.push_back(line);
    return lines;
}

// A second-game install with critters in proto/critters and in sub-folders
// of it, in the master archive and in the loose data folder.
struct NestedInstall {
    ScratchFolder root{"quarnel-nested-"};

    NestedInstall()
    {
        WriteAllBytes(root.path / "master.dat",
                      Dat2Writer()
                          .Stored("proto\\critters\\00000001.pro", CleanCritter(1).Bytes())
                          .Stored("proto\\critters\\old\\00000002.pro", CleanCritter(2).Bytes())
                          .Build());
        WriteAllBytes(root.path / "critter.dat", Dat2Writer().Stored("art\\critters\\x.frm", "x").Build());
        WriteTextFile(root.path / "fallout2.cfg", "[system]\r\nmaster_patches=data\r\n");
        PutBytes(root.path / "data" / "proto" / "critters" / "00000003.pro", CleanCritter(3).Bytes());
        // A broken critter in a sub-folder: reported if it were taken.
        PutBytes(root.path / "data" / "proto" / "critters" / "backup" / "00000004.pro", {1, 2, 3});
    }
    std::string Path() const { return Text(root.path); }
};

} // namespace

TEST_CASE("--data with a folder takes the folder's own prototypes, none of its sub-folders")
{
    NestedInstall install;
    const Result show = Cli({"show", "--data", install.Path(), "proto/critters"});
    CHECK(show.status == 0);
    CHECK(show.err == "");
    CHECK(LinesStarting(show.out, "# ") == Lines{"# proto/critters/00000001.pro", "# proto/critters/00000003.pro"});
    // A folder named by a trailing separator or in another case is the same folder.
    CHECK(LinesStarting(Cli({"show", "--data", install.Path(), "PROTO\\Critters\\"}).out, "# ") ==
          Lines{"# proto/critters/00000001.pro", "# proto/critters/00000003.pro"});
    // A sub-folder named itself is a folder like any other.
    CHECK(
        LinesStarting(Cli({"show", "--data", install.Path(), "proto/critters/old", "proto/critters/00000001.pro"}).out,
                      "# ") == Lines{"# proto/critters/old/00000002.pro", "# proto/critters/00000001.pro"});

    const Result check = Cli({"check", "--data", install.Path(), "proto/critters"});
    CHECK(check.err == "");
    CHECK_FALSE(Contains(check.out, "00000002"));
    CHECK_FALSE(Contains(check.out, "00000004"));
}

TEST_CASE("data list ends on links that lead back up, listing each file once")
{
    NestedInstall install;
    const fs::path proto = install.root.path / "data" / "proto";
    std::error_code ec;
    for (const char* name : {"up", "up2", "up3"})
        fs::create_directory_symlink("..", proto / name, ec);
    fs::create_directory_symlink(".", proto / "critters" / "self", ec);
    if (ec) {
        MESSAGE("no link made (" << ec.message() << "): case skipped");
        return;
    }
    const Result list = Cli({"data", install.Path(), "list"});
    CHECK(list.status == 0);
    CHECK(LinesStarting(list.out, "data\t") ==
          Lines{"data\tproto/critters/00000003.pro", "data\tproto/critters/backup/00000004.pro"});
    const Result show = Cli({"show", "--data", install.Path(), "proto/critters"});
    CHECK(LinesStarting(show.out, "# ") == Lines{"# proto/critters/00000001.pro", "# proto/critters/00000003.pro"});
}

TEST_CASE("names --data and show --data read the english file taken for a missing language in the english code page")
{
    NestedInstall install;
    WriteTextFile(install.root.path / "fallout2.cfg", "[system]\r\nlanguage=czech\r\nmaster_patches=data\r\n");
    // E8 is e grave in Windows-1252 and c caron in Windows-1250; the czech folder has no pro_crit.msg.
    PutBytes(install.root.path / "data" / "text" / "english" / "game" / "pro_crit.msg",
             DatText("{100}{}{Cr\xe8me}\r\n{300}{}{Br\xfble}\r\n"));
    fs::create_directories(install.root.path / "data" / "text" / "czech" / "game");
    const Result names = Cli({"names", "--data", install.Path(), "pro_crit.msg"});
    CHECK(names.status == 0);
    CHECK(names.out == "[Description]\r\n100=Cr\u00e8me\r\n300=Br\u00fble\r\n");
    const Result show = Cli({"show", "--data", install.Path(), "proto/critters/00000003.pro"});
    CHECK(Contains(show.out, "Br\u00fble"));
}

TEST_CASE("names --data reads an install's language in its code page even when the bytes are valid UTF-8")
{
    NestedInstall install;
    WriteTextFile(install.root.path / "fallout2.cfg", "[system]\r\nlanguage=czech\r\nmaster_patches=data\r\n");
    // M, e caron, s caron, t caron in Windows-1250; E8 9A 9D is also a valid UTF-8 sequence.
    PutBytes(install.root.path / "data" / "text" / "czech" / "game" / "pro_crit.msg", DatText("{300}{}{M\xec\x9a\x9d"
                                                                                              "an}\r\n"));
    const Result names = Cli({"names", "--data", install.Path(), "pro_crit.msg"});
    CHECK(names.status == 0);
    CHECK(names.out == "[Description]\r\n300=M\u011b\u0161\u0165an\r\n");
    CHECK(Contains(Cli({"show", "--data", install.Path(), "proto/critters/00000003.pro"}).out,
                   "# name: M\u011b\u0161\u0165an\n"));
}
