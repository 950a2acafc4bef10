// A save of a game folder's critter checks the copy on disk once: after the
// tree source found the loaded copy unchanged, its question and its write
// neither look the file up nor read the archive again.
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "platform/FileAttributes.h"
#include "source/TreeSource.h"

#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

const char* const kCritter = "proto/critters/00000001.pro";
const char* const kPatched = "proto/critters/00000003.pro";

// Critters 1 and 3 in master.dat, 3 also in patch000.dat, DATA the override folder.
struct Install {
    ScratchFolder scratch;
    fs::path root = scratch.path;
    std::vector<std::uint8_t> record = ProtoBuilder(416, 0x44).Bytes();
    Install()
    {
        WriteAllBytes(root / "master.dat", Dat2Writer()
                                               .Zlib("proto\\critters\\00000001.pro", record)
                                               .Stored("proto\\critters\\00000003.pro", record)
                                               .Build());
        WriteAllBytes(root / "patch000.dat", Dat2Writer().Stored("proto\\critters\\00000003.pro", record).Build());
        fs::create_directories(root / "DATA");
        WriteTextFile(root / "fallout2.cfg", "[system]\nmaster_patches=data\n");
    }
};

} // namespace

TEST_CASE("A checked write of a tree's critter reads the archive entry once")
{
    Install install;
    TreeSource source(install.root);
    const LoadedPrototype loaded = source.Read({fs::path(kCritter), kCritter});
    REQUIRE(loaded.layer == "master.dat");
    REQUIRE_FALSE(source.CopyChange(loaded));
    CHECK_FALSE(source.CheckedWriteQuestion(loaded));
    // From here on the archive cannot be read: the write must not read it again.
    fs::resize_file(install.root / "master.dat", 16);
    std::vector<std::uint8_t> after = install.record;
    after[50] ^= 0x0F;
    const SourceWrite written = source.WriteChecked(loaded, after, false);
    CHECK(written.changed);
    const fs::path copy = install.root / "DATA" / "proto" / "critters" / "00000001.pro";
    CHECK(ReadAllBytes(copy) == after);
    CHECK(IsReadOnly(copy));
}

TEST_CASE("A checked write asks and refuses as a write that looks the file up")
{
    Install install;
    TreeSource source(install.root);
    const LoadedPrototype loaded = source.Read({fs::path(kPatched), kPatched});
    REQUIRE(loaded.layer == "patch000.dat");
    // The texts are the lookup's own (the contract test checks them): only that they agree.
    const auto question = source.CheckedWriteQuestion(loaded);
    REQUIRE(question);
    CHECK(source.WriteQuestion(loaded.file) == question);
    std::vector<std::uint8_t> after = install.record;
    after[20] ^= 0x01;
    try {
        source.WriteChecked(loaded, after, false);
        FAIL("a shadowed write was not refused");
    } catch (const SourceRefusal& refusal) {
        CHECK(refusal.Kind() == RefusalKind::Shadowed);
    }
    CHECK_FALSE(fs::exists(install.root / "DATA" / "proto"));
    CHECK(source.WriteChecked(loaded, after, true).changed);
    CHECK(ReadAllBytes(install.root / "DATA" / "proto" / "critters" / "00000003.pro") == after);
}
