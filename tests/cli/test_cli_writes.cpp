// What quarnel-cli writes, when something unusual stands where it writes:
// --out onto a FIFO, a folder or a link; extraction into a folder holding
// links; set --data batches with one target that cannot be written; forced
// writes repeated; --game together with --data.
#include <doctest/doctest.h>

#include "CliTestSupport.h"
#include "DatWriter.h"
#include "FrmBuilder.h"
#include "ScratchFolder.h"
#include "platform/FileAttributes.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <functional>
#include <set>

namespace fs = std::filesystem;
using namespace quarnel;
using namespace quarnel::test;
using namespace quarnel::test::cli;

namespace {

[[maybe_unused]] std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A second-game install: critters 1 to 3 in master.dat, 3 also in a patch
// archive the game reads first, an empty override folder DATA/proto/critters.
struct Install {
    ScratchFolder root{"quarnel-writes-"};
    fs::path critters = root.path / "DATA" / "proto" / "critters";
    DatBytes one = CleanCritter(1).Bytes();
    DatBytes two = CleanCritter(2).Bytes();
    DatBytes three = CleanCritter(3).Bytes();

    Install()
    {
        WriteAllBytes(root.path / "master.dat", Dat2Writer()
                                                    .Zlib("proto\\critters\\00000001.pro", one)
                                                    .Zlib("proto\\critters\\00000002.pro", two)
                                                    .Zlib("proto\\critters\\00000003.pro", three)
                                                    .Build());
        WriteAllBytes(root.path / "patch000.dat", Dat2Writer().Stored("proto\\critters\\00000003.pro", three).Build());
        WriteTextFile(root.path / "fallout2.cfg", "[system]\nmaster_dat=master.dat\nmaster_patches=DATA\n");
        fs::create_directories(critters);
    }
    std::string Path() const { return Text(root.path); }
};

// team (offset 40, big-endian) set to value in a copy of the record.
DatBytes WithTeam(DatBytes record, std::uint8_t value)
{
    record[40] = record[41] = record[42] = 0;
    record[43] = value;
    return record;
}

} // namespace

#ifndef _WIN32
TEST_CASE("frm --out replaces a regular file only; a FIFO or a link is refused by its name")
{
    ScratchFolder scratch("quarnel-out-");
    FrmRecipe recipe;
    recipe.frameSets = {{FrmFrameRecipe{2, 1, {1, 2}}}};
    WriteAllBytes(scratch.path / "a.frm", BuildFrm(recipe));
    WriteAllBytes(scratch.path / "color.pal", BuildPalette());
    const fs::path kept = scratch.File("kept.txt", "keep");
    const fs::path out = scratch.path / "out.png";
    auto frm = [&] {
        return Cli(
            {"frm", Text(scratch.path / "a.frm"), "--palette", Text(scratch.path / "color.pal"), "--out", Text(out)});
    };

    WriteTextFile(out, "old");
    REQUIRE(frm().status == 0);
    REQUIRE(ReadAllBytes(out).size() > 8);
    CHECK(ReadAllBytes(out)[1] == 'P'); // the PNG signature, not the old text
    fs::remove(out);

    struct Case {
        std::string name;
        std::function<void()> make;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"FIFO", [&] { REQUIRE(mkfifo(out.c_str(), 0644) == 0); }, "not a regular file (a FIFO)"},
        {"link to a file", [&] { fs::create_symlink(kept, out); }, "is a link; not replaced, not written through"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        c.make();
        const fs::file_type type = fs::symlink_status(out).type();
        const Result result = frm();
        CHECK(result.status == 2);
        CHECK(result.err == "quarnel-cli: frm: " + Text(out) + ": " + c.reason + "\n");
        CHECK(fs::symlink_status(out).type() == type);
        CHECK(ReadAllBytes(kept) == DatBytes{'k', 'e', 'e', 'p'});
        CHECK(Names(scratch.path) == std::set<std::string>{"a.frm", "color.pal", "kept.txt", "out.png"});
        fs::remove(out);
    }
}

TEST_CASE("Extraction never follows a link inside its target folder")
{
    ScratchFolder scratch("quarnel-extract-");
    ScratchFolder outside("quarnel-outside-");
    const fs::path target = scratch.path / "out";
    fs::create_directories(target);
    fs::create_symlink(outside.path, target / "art");
    WriteTextFile(outside.path / "color.pal", "outside");
    fs::create_symlink(outside.path / "color.pal", target / "color.pal");
    WriteAllBytes(scratch.path / "a.dat", Dat2Writer()
                                              .Stored("art\\critters\\a.frm", "frame")
                                              .Stored("color.pal", "palette")
                                              .Stored("text\\ok.msg", "fine")
                                              .Build());

    const Result dat = Cli({"dat", "extract", Text(scratch.path / "a.dat"), "--to", Text(target)});
    CHECK(dat.status == 2);
    CHECK(Contains(dat.err, "quarnel-cli: " + Text(target / "art") +
                                ": is a link, not followed; art/critters/a.frm not extracted\n"));
    CHECK(Contains(dat.err,
                   "quarnel-cli: " + Text(target / "color.pal") + ": is a link; not replaced, not written through\n"));
    CHECK(Names(outside.path) == std::set<std::string>{"color.pal"});
    CHECK(ReadAllBytes(outside.path / "color.pal") == DatText("outside"));
    CHECK(ReadAllBytes(target / "text" / "ok.msg") == DatText("fine"));

    // The tree's extraction the same way.
    Install install;
    fs::create_directories(target / "proto");
    fs::create_symlink(outside.path, target / "proto" / "critters");
    const Result data = Cli({"data", install.Path(), "extract", "--to", Text(target), "proto/*"});
    CHECK(data.status == 2);
    CHECK(Contains(data.err, Text(target / "proto" / "critters") + ": is a link, not followed"));
    CHECK(Names(outside.path) == std::set<std::string>{"color.pal"});
}

TEST_CASE("set --data checks every target before the first write")
{
    Install install;
    // 00000002 has a folder in its place: the batch of three writes nothing.
    fs::create_directory(install.critters / "00000002.pro");
    const Result folder =
        Cli({"set", "--data", install.Path(), "--force", "team=7", "--", "proto/critters/00000001.pro",
             "proto/critters/00000002.pro", "proto/critters/00000003.pro"});
    CHECK(folder.status == 2);
    CHECK(folder.err == "quarnel-cli: " + Text(install.critters / "00000002.pro") +
                            ": is a folder, not a file\nquarnel-cli: set: nothing written\n");
    CHECK(Names(install.critters) == std::set<std::string>{"00000002.pro"});

    // A link to a critter outside: refused, the file it leads to untouched.
    ScratchFolder outside("quarnel-outside-");
    fs::remove(install.critters / "00000002.pro");
    WriteAllBytes(outside.path / "victim.pro", install.two);
    fs::create_symlink(outside.path / "victim.pro", install.critters / "00000002.pro");
    const Result link = Cli({"set", "--data", install.Path(), "team=7", "--", "proto/critters/00000001.pro",
                             "proto/critters/00000002.pro"});
    CHECK(link.status == 2);
    CHECK(
        Contains(link.err, Text(install.critters / "00000002.pro") + ": is a link; not replaced, not written through"));
    CHECK(ReadAllBytes(outside.path / "victim.pro") == install.two);
    CHECK_FALSE(IsReadOnly(outside.path / "victim.pro"));
    CHECK_FALSE(fs::exists(install.critters / "00000001.pro"));
}

TEST_CASE("set --data writes nothing when a folder of the override folder may not be written")
{
    if (geteuid() == 0)
        return; // root writes into any folder: the unprivileged run checks this
    Install install;
    // 00000002 is loose and may change in place; 00000001 would be new in a locked folder.
    WriteAllBytes(install.critters / "00000002.pro", install.two);
    fs::permissions(install.critters, fs::perms::owner_read | fs::perms::owner_exec);
    const Result locked = Cli({"set", "--data", install.Path(), "team=7", "--", "proto/critters/00000001.pro",
                               "proto/critters/00000002.pro"});
    fs::permissions(install.critters, fs::perms::owner_all);
    CHECK(locked.status == 2);
    CHECK(locked.err == "quarnel-cli: " + Text(install.critters) +
                            ": folder may not be written (File access denied)\nquarnel-cli: set: nothing written\n");
    CHECK(ReadAllBytes(install.critters / "00000002.pro") == install.two);
    CHECK(Names(install.critters) == std::set<std::string>{"00000002.pro"});
}
#endif

TEST_CASE("set --data --force can write the same shadowed critter twice")
{
    Install install;
    REQUIRE(Cli({"set", "--data", install.Path(), "--force", "team=7", "--", "proto/critters/00000003.pro"}).status ==
            0);
    const Result second =
        Cli({"set", "--data", install.Path(), "--force", "team=9", "--", "proto/critters/00000003.pro"});
    CHECK(second.status == 0);
    CHECK(second.err.empty());
    CHECK(ReadAllBytes(install.critters / "00000003.pro") == WithTeam(install.three, 9));
    CHECK(IsReadOnly(install.critters / "00000003.pro"));
    // Unforced, the copy behind the patch archive is still refused.
    CHECK(Cli({"set", "--data", install.Path(), "team=1", "--", "proto/critters/00000003.pro"}).status == 2);
    CHECK(ReadAllBytes(install.critters / "00000003.pro") == WithTeam(install.three, 9));
}

TEST_CASE("--game decides the game with --data too")
{
    Install install; // a second-game install
    CHECK(Contains(Cli({"export", "--data", install.Path(), "proto/critters/00000001.pro"}).out, "\"game\": \"fo2\""));
    CHECK(Contains(Cli({"export", "--data", install.Path(), "--game", "fo1", "proto/critters/00000001.pro"}).out,
                   "\"game\": \"fo1\""));
}
