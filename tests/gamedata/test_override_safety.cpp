// Writing into the override folder when something unusual stands in the
// file's place or on its way: links (to a file, a folder, a FIFO), a FIFO,
// a folder, a folder that may not be written; and forced writes repeated
// behind an archive the game reads first.
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "gamedata/GameTree.h"
#include "gamedata/OverrideWriter.h"
#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "platform/WriteRefusal.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A second-game install: critters 1 to 3 in master.dat, 3 also in a patch
// archive the game reads first, and an override folder DATA/proto/critters.
struct Install {
    ScratchFolder scratch{"quarnel-override-"};
    ScratchFolder outside{"quarnel-outside-"};
    fs::path critters = scratch.path / "DATA" / "proto" / "critters";
    Bytes record = ProtoBuilder(416, 0x21).Bytes();
    Bytes changed = [this] {
        Bytes bytes = record;
        bytes[100] ^= 0x5A;
        return bytes;
    }();

    Install()
    {
        WriteAllBytes(scratch.path / "master.dat", Dat2Writer()
                                                       .Zlib("proto\\critters\\00000001.pro", record)
                                                       .Zlib("proto\\critters\\00000002.pro", record)
                                                       .Zlib("proto\\critters\\00000003.pro", record)
                                                       .Build());
        WriteAllBytes(scratch.path / "patch000.dat",
                      Dat2Writer().Stored("proto\\critters\\00000003.pro", record).Build());
        WriteTextFile(scratch.path / "fallout2.cfg", "[system]\nmaster_patches=DATA\n");
        fs::create_directories(critters);
    }
};

// The names in a folder, hidden ones (a temporary file) included.
std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

[[maybe_unused]] WriteRefusalKind RefusalOf(const GameTree& tree, const std::string& path, const Bytes& before,
                                            const Bytes& after)
{
    try {
        WriteIntoOverride(tree, path, before, after);
    } catch (const WriteRefusedError& refusal) {
        return refusal.kind();
    }
    FAIL("the write was not refused");
    return WriteRefusalKind::NotWritable;
}

} // namespace

TEST_CASE("A new override copy is made whole: no temporary file is left, read-only from the start")
{
    Install install;
    const GameTree tree = GameTree::Open(install.scratch.path);
    const OverrideWrite written =
        WriteIntoOverride(tree, "proto/critters/00000001.pro", install.record, install.changed);
    CHECK(written.created);
    CHECK(ReadAllBytes(install.critters / "00000001.pro") == install.changed);
    CHECK(IsReadOnly(install.critters / "00000001.pro"));
    CHECK(Names(install.critters) == std::set<std::string>{"00000001.pro"});
}

#ifndef _WIN32
TEST_CASE("A link in the override folder is refused, never written through; so is anything but a regular file")
{
    struct Row {
        const char* name;
        std::function<void(const Install&, const fs::path& victim)> make;
        const char* path;
        WriteRefusalKind kind;
    };
    const Row rows[] = {
        {"the file itself a link to a regular file outside",
         [](const Install& in, const fs::path& victim) { fs::create_symlink(victim, in.critters / "00000001.pro"); },
         "proto/critters/00000001.pro", WriteRefusalKind::Link},
        {"a folder on the way a link to a folder outside",
         [](const Install& in, const fs::path&) {
             fs::remove_all(in.scratch.path / "DATA" / "proto");
             fs::create_directories(in.outside.path / "proto" / "critters");
             fs::create_symlink(in.outside.path / "proto", in.scratch.path / "DATA" / "proto");
         },
         "proto/critters/00000001.pro", WriteRefusalKind::Link},
        {"a FIFO where the new file goes",
         [](const Install& in, const fs::path&) { REQUIRE(mkfifo((in.critters / "00000002.pro").c_str(), 0644) == 0); },
         "proto/critters/00000002.pro", WriteRefusalKind::NotRegularFile},
        {"a folder where the new file goes, in another case",
         [](const Install& in, const fs::path&) { fs::create_directory(in.critters / "00000002.PRO"); },
         "proto/critters/00000002.pro", WriteRefusalKind::Folder},
        {"a file where a folder goes",
         [](const Install& in, const fs::path&) {
             fs::remove_all(in.critters);
             WriteTextFile(in.critters, "not a folder");
         },
         "proto/critters/00000001.pro", WriteRefusalKind::FileInTheWay},
    };
    for (const Row& row : rows) {
        const std::string rowName = row.name;
        CAPTURE(rowName);
        Install install;
        const fs::path victim = install.outside.path / "victim.pro";
        WriteAllBytes(victim, install.record);
        fs::permissions(victim, fs::perms::owner_read | fs::perms::owner_write);
        row.make(install, victim);
        // What stands there stays as it was, with nothing new beside it.
        const auto namesNow = [&] {
            return fs::is_directory(install.critters) ? Names(install.critters) : std::set<std::string>{};
        };
        const std::set<std::string> before = namesNow();
        const GameTree tree = GameTree::Open(install.scratch.path);
        CHECK(RefusalOf(tree, row.path, install.record, install.changed) == row.kind);
        CHECK(namesNow() == before);
        CHECK(ReadAllBytes(victim) == install.record);
        CHECK_FALSE(IsReadOnly(victim));
    }
}

TEST_CASE("A folder of the override folder that may not be written refuses the write before it starts")
{
    if (geteuid() == 0)
        return; // root writes into any folder: the unprivileged run checks this
    Install install;
    WriteAllBytes(install.critters / "00000002.pro", install.record);
    fs::permissions(install.critters, fs::perms::owner_read | fs::perms::owner_exec);
    const GameTree tree = GameTree::Open(install.scratch.path);
    try {
        CheckOverrideWrite(tree, "proto/critters/00000001.pro", false);
        FAIL("a folder that may not be written was taken");
    } catch (const WriteRefusedError& refusal) {
        CHECK(refusal.kind() == WriteRefusalKind::NotWritable);
        CHECK(refusal.path() == install.critters);
    }
    // The copy already there may still change in place.
    CHECK_NOTHROW(CheckOverrideWrite(tree, "proto/critters/00000002.pro", false));
    fs::permissions(install.critters, fs::perms::owner_all);
}
#endif

TEST_CASE("A forced write behind a patch archive can be repeated onto its own copy")
{
    Install install;
    const GameTree tree = GameTree::Open(install.scratch.path);
    CHECK_THROWS_AS(CheckOverrideWrite(tree, "proto/critters/00000003.pro", false), ArchiveError);
    CHECK_NOTHROW(CheckOverrideWrite(tree, "proto/critters/00000003.pro", true));
    REQUIRE(WriteIntoOverride(tree, "proto/critters/00000003.pro", install.record, install.changed, true).created);

    // The second write starts from the copy it wrote; the winner is still the patch archive's.
    Bytes twice = install.changed;
    twice[200] ^= 0x33;
    const OverrideWrite second = WriteIntoOverride(tree, "proto/critters/00000003.pro", install.changed, twice, true);
    CHECK_FALSE(second.created);
    CHECK(second.changed);
    CHECK(ReadAllBytes(install.critters / "00000003.pro") == twice);
    CHECK(IsReadOnly(install.critters / "00000003.pro"));
    CHECK(tree.Read("proto/critters/00000003.pro") == install.record);
}
