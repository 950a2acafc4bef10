// quarnel-cli merge as git's merge driver for prototypes: in process on
// three files, and through a real git merge of two branches.
#include <doctest/doctest.h>

#include "CliTestSupport.h"
#include "ScratchFolder.h"
#include "TestDataFolders.h"

#include <cstdlib>

namespace fs = std::filesystem;
using namespace quarnel;
using namespace quarnel::test;
using namespace quarnel::test::cli;

namespace {

std::string FileText(const fs::path& file)
{
    const auto bytes = ReadAllBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

// Three versions of a critter written as base.pro, ours.pro and theirs.pro.
struct ThreeFiles {
    ScratchFolder scratch{"quarnel-merge-"};
    fs::path base = scratch.path / "base.pro", ours = scratch.path / "ours.pro", theirs = scratch.path / "theirs.pro";

    ThreeFiles(const ProtoBuilder& b, const ProtoBuilder& o, const ProtoBuilder& t)
    {
        b.WriteTo(base), o.WriteTo(ours), t.WriteTo(theirs);
    }
    Result Merge() const { return Cli({"merge", Text(base), Text(ours), Text(theirs)}); }
};

} // namespace

TEST_CASE("merge takes each side's own changes and lists the fields both changed")
{
    // base.ST at 48, base.PE at 52, base.EN at 56, critter_flags at 44.
    const ProtoBuilder base = CleanCritter(1).Set(48, 4, 5).Set(52, 4, 5).Set(56, 4, 5).Set(44, 4, 0);
    SUBCASE("disjoint changes, and one change made on both sides alike")
    {
        ThreeFiles files(base, CleanCritter(1).Set(48, 4, 7).Set(52, 4, 5).Set(56, 4, 9).Set(44, 4, 0),
                         CleanCritter(1).Set(48, 4, 5).Set(52, 4, 8).Set(56, 4, 9).Set(44, 4, 0));
        const Result merge = files.Merge();
        CHECK(merge.status == 0);
        CHECK(merge.err == "");
        CHECK(ReadAllBytes(files.ours) ==
              CleanCritter(1).Set(48, 4, 7).Set(52, 4, 8).Set(56, 4, 9).Set(44, 4, 0).Bytes());
        CHECK(ReadAllBytes(files.theirs) ==
              CleanCritter(1).Set(48, 4, 5).Set(52, 4, 8).Set(56, 4, 9).Set(44, 4, 0).Bytes());
    }
    SUBCASE("changed on both sides to different values: ours kept, the rest merged")
    {
        ThreeFiles files(base, CleanCritter(1).Set(48, 4, 7).Set(52, 4, 5).Set(56, 4, 5).Set(44, 4, 2),
                         CleanCritter(1).Set(48, 4, 6).Set(52, 4, 8).Set(56, 4, 5).Set(44, 4, 0x400));
        const Result merge = files.Merge();
        CHECK(merge.status == 1);
        CHECK(merge.err == "quarnel-cli: " + Text(files.ours) +
                               ": 2 changed on both sides, ours kept (base -> ours | theirs):\n"
                               "critter_flags: 0x00000000 -> 0x00000002 | 0x00000400\n"
                               "base.ST: 5 -> 7 | 6\n");
        CHECK(ReadAllBytes(files.ours) ==
              CleanCritter(1).Set(48, 4, 7).Set(52, 4, 8).Set(56, 4, 5).Set(44, 4, 2).Bytes());
    }
    SUBCASE("prototypes of different sizes or types are left alone")
    {
        ThreeFiles sizes(base, CleanCritter(1).Set(48, 4, 7), CleanCritter(1, 412));
        const auto before = ReadAllBytes(sizes.ours);
        const Result merge = sizes.Merge();
        CHECK(merge.status == 1);
        CHECK(merge.err == "quarnel-cli: " + Text(sizes.ours) +
                               ": not merged, left as it was: the base is a critter of 416 bytes, ours a critter of "
                               "416 bytes, theirs a critter of 412 bytes\n");
        CHECK(ReadAllBytes(sizes.ours) == before);

        ThreeFiles types(base, base, ValidItem(3, 1));
        CHECK(types.Merge().status == 1);
        CHECK(ReadAllBytes(types.ours) == base.Bytes());
    }
    SUBCASE("a file that is no prototype is an error, ours untouched")
    {
        ThreeFiles files(base, CleanCritter(1).Set(48, 4, 7), base);
        WriteAllBytes(files.base, {}); // git's base of two files added on both sides: empty
        CHECK(files.Merge().status == 2);
        CHECK(ReadAllBytes(files.ours) == CleanCritter(1).Set(48, 4, 7).Bytes());
    }
}

TEST_CASE("merge of every type's fields: a one-byte field and the last field of each record")
{
    // An armor (item subtype 0, 129 bytes): sound is the one byte at 56, the
    // last field ends at byte 128.
    const ProtoBuilder base = ValidItem(0, 1);
    ProtoBuilder ours = ValidItem(0, 1), theirs = ValidItem(0, 1), both = ValidItem(0, 1);
    ours.Set(56, 1, 0x41);
    theirs.Set(125, 4, 77);
    both.Set(56, 1, 0x41).Set(125, 4, 77);
    ThreeFiles files(base, ours, theirs);
    CHECK(files.Merge().status == 0);
    CHECK(ReadAllBytes(files.ours) == both.Bytes());
}

TEST_CASE("git merges two branches' changes to one prototype through the driver")
{
#ifdef _WIN32
    quarnel::test::ReportSkipped("the merge driver is tested through git on Linux only");
#else
    if (std::system("git --version >/dev/null 2>&1") != 0) {
        quarnel::test::ReportSkipped("git is missing");
        return;
    }
    ScratchFolder scratch("quarnel-merge-git-");
    const std::string repo = Text(scratch.path);
    auto git = [&](const std::string& arguments) {
        return std::system(
            ("cd '" + repo + "' && git -c user.name=t -c user.email=t@t " + arguments + " >>git.log 2>&1").c_str());
    };
    REQUIRE(git("init -q -b main .") == 0);
    REQUIRE(git("config merge.quarnel.driver '" QUARNEL_CLI_EXECUTABLE " merge %O %A %B'") == 0);
    WriteTextFile(scratch.path / ".gitattributes", "*.pro merge=quarnel\n");
    WriteTextFile(scratch.path / ".git" / "info" / "exclude", "git.log\n");
    const fs::path critter = scratch.path / "00000001.pro";
    CleanCritter(1).Set(48, 4, 5).Set(52, 4, 5).WriteTo(critter);
    REQUIRE(git("add -A") == 0);
    REQUIRE(git("commit -qm base") == 0);
    // theirs: base.PE 5 -> 8; ours: base.ST 5 -> 7.
    REQUIRE(git("checkout -q -b theirs") == 0);
    CleanCritter(1).Set(48, 4, 5).Set(52, 4, 8).WriteTo(critter);
    REQUIRE(git("commit -qam pe") == 0);
    REQUIRE(git("checkout -q main") == 0);
    REQUIRE(git("checkout -q -b ours") == 0);
    CleanCritter(1).Set(48, 4, 7).Set(52, 4, 5).WriteTo(critter);
    REQUIRE(git("commit -qam st") == 0);

    SUBCASE("disjoint fields merge cleanly")
    {
        CHECK_MESSAGE(git("merge -q --no-edit theirs") == 0, FileText(scratch.path / "git.log"));
        CHECK(ReadAllBytes(critter) == CleanCritter(1).Set(48, 4, 7).Set(52, 4, 8).Bytes());
        CHECK(git("diff --quiet HEAD") == 0); // committed, nothing left over
    }
    SUBCASE("one field changed on both sides conflicts, with its listing")
    {
        REQUIRE(git("checkout -q theirs") == 0);
        CleanCritter(1).Set(48, 4, 6).Set(52, 4, 8).WriteTo(critter);
        REQUIRE(git("commit -qam st-too") == 0);
        REQUIRE(git("checkout -q ours") == 0);
        CHECK(git("merge -q --no-edit theirs") != 0);
        const std::string log = FileText(scratch.path / "git.log");
        CHECK_MESSAGE(Contains(log, "\nbase.ST: 5 -> 7 | 6\n"), log);
        CHECK_MESSAGE(Contains(log, "CONFLICT"), log);
        // The other side's change is in; the conflicting field keeps ours.
        CHECK(ReadAllBytes(critter) == CleanCritter(1).Set(48, 4, 7).Set(52, 4, 8).Bytes());
    }
    SUBCASE("a record of another size conflicts and stays ours")
    {
        REQUIRE(git("checkout -q theirs") == 0);
        CleanCritter(1, 412).WriteTo(critter);
        REQUIRE(git("commit -qam fo1") == 0);
        REQUIRE(git("checkout -q ours") == 0);
        CHECK(git("merge -q --no-edit theirs") != 0);
        CHECK(Contains(FileText(scratch.path / "git.log"), "not merged, left as it was"));
        CHECK(ReadAllBytes(critter) == CleanCritter(1).Set(48, 4, 7).Set(52, 4, 5).Bytes());
    }
#endif
}
