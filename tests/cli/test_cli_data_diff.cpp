// quarnel-cli data A diff B: two trees built here, each read as the game
// reads it, compared path by path.
#include <doctest/doctest.h>

#include "CliTestSupport.h"
#include "DatWriter.h"
#include "ScratchFolder.h"

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;
using namespace quarnel;
using namespace quarnel::test;
using namespace quarnel::test::cli;

namespace {

void PutBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes)
{
    fs::create_directories(file.parent_path());
    WriteAllBytes(file, bytes);
}

// A second-game install: master.dat, critter.dat and the data folder as master_patches.
void MakeInstall(const fs::path& root, const Dat2Writer& master)
{
    fs::create_directories(root);
    WriteAllBytes(root / "master.dat", master.Build());
    WriteAllBytes(root / "critter.dat", Dat2Writer().Stored("art\\critters\\x.frm", "x").Build());
    WriteTextFile(root / "fallout2.cfg", "[system]\r\nmaster_patches=data\r\n");
}

const char* const kMessages = "text\\english\\game\\pro_crit.msg";

// Two installs that differ in every way a mod changes a game, and in some
// ways that are no change at all.
struct TwoInstalls {
    ScratchFolder root{"quarnel-data-diff-"};
    fs::path a = root.path / "a";
    fs::path b = root.path / "b";

    TwoInstalls()
    {
        MakeInstall(a, Dat2Writer()
                           .Stored("proto\\critters\\00000001.pro", CleanCritter(1).Set(48, 4, 5).Bytes())
                           .Zlib(kMessages, "{100}{}{Old}\n{101}{}{Gone}\n{103}{}{Caf\xE9}\n")
                           .Zlib("art\\same.frm", "same bytes")
                           .Zlib("art\\changed.frm", "abc")
                           .Stored("art\\gone.frm", "gone!")
                           .Stored("art\\repacked.frm", "packed otherwise")
                           .Stored("scripts\\shadow.int", "base")
                           .Stored("scripts\\loose.int", "as loose"));
        MakeInstall(b, Dat2Writer()
                           .Stored("proto\\critters\\00000001.pro", CleanCritter(1).Set(48, 4, 9).Bytes())
                           .Zlib(kMessages, "{100}{}{New}\n{102}{}{Fresh}\n{103}{}{Caf\xE9}\n")
                           .Zlib("art\\same.frm", "same bytes")
                           .Zlib("art\\changed.frm", "abd")
                           .Zlib("art\\repacked.frm", "packed otherwise")
                           .Stored("scripts\\shadow.int", "base"));
        // Shadowed in b only, by other bytes; and loose in b alone, with the bytes of a's archive.
        PutBytes(b / "data" / "scripts" / "shadow.int", DatText("patched"));
        PutBytes(b / "data" / "scripts" / "loose.int", DatText("as loose"));
        PutBytes(b / "data" / "maps" / "new.map", DatText("xyz"));
    }
};

} // namespace

TEST_CASE("data diff lists what the second tree changes, each kind of file in its own form")
{
    TwoInstalls trees;
    const Result diff = Cli({"data", Text(trees.a), "diff", Text(trees.b)});
    CHECK(diff.err == "");
    CHECK(diff.status == 1);
    // In the order of the paths; unchanged, repacked and equally shadowed files are not named.
    CHECK(diff.out == "# art/changed.frm\n"
                      "differs: 3 -> 3 bytes\n"
                      "# art/gone.frm\n"
                      "removed: 5 bytes\n"
                      "# maps/new.map\n"
                      "added: 3 bytes\n"
                      "# proto/critters/00000001.pro\n"
                      "base.ST: 5 -> 9\n"
                      "# scripts/shadow.int\n"
                      "differs: 4 -> 7 bytes\n"
                      "# text/english/game/pro_crit.msg\n"
                      "{100}: \"Old\" -> \"New\"\n"
                      "{101}: removed \"Gone\"\n"
                      "{102}: added \"Fresh\"\n");

    // The same the other way round: added and removed swap, values too.
    const Result back = Cli({"data", Text(trees.b), "diff", Text(trees.a), "proto/*", "maps/*"});
    CHECK(back.status == 1);
    CHECK(back.out == "# maps/new.map\nremoved: 3 bytes\n# proto/critters/00000001.pro\nbase.ST: 9 -> 5\n");

    // Patterns as the other actions take them: any case, either separator.
    const Result one = Cli({"data", Text(trees.a), "diff", Text(trees.b), "TEXT\\*.msg"});
    CHECK(one.status == 1);
    CHECK(one.out == "# text/english/game/pro_crit.msg\n"
                     "{100}: \"Old\" -> \"New\"\n"
                     "{101}: removed \"Gone\"\n"
                     "{102}: added \"Fresh\"\n");
    // Patterns that take only equal files: equal.
    CHECK(Cli({"data", Text(trees.a), "diff", Text(trees.b), "art/same.frm", "art/repacked.frm"}).status == 0);
}

TEST_CASE("data diff of equal trees says nothing and exits 0")
{
    TwoInstalls trees;
    // A tree against itself: every entry the same entry of the same archive.
    const Result self = Cli({"data", Text(trees.a), "diff", Text(trees.a)});
    CHECK(self.status == 0);
    CHECK(self.out == "");
    CHECK(self.err == "");
    // A copy of it: other archive files holding the same bytes.
    fs::copy(trees.a, trees.root.path / "copy", fs::copy_options::recursive);
    const Result copy = Cli({"data", Text(trees.a), "diff", Text(trees.root.path / "copy")});
    CHECK(copy.status == 0);
    CHECK(copy.out == "");
    CHECK(Cli({"data", Text(trees.a), "diff", Text(trees.root.path / "copy"), "--json"}).out ==
          "{\n  \"files\": []\n}\n");
}

TEST_CASE("data diff --json gives the same differences as one object")
{
    TwoInstalls trees;
    const Result diff = Cli({"data", Text(trees.a), "diff", Text(trees.b), "--json"});
    CHECK(diff.status == 1);
    CHECK(diff.err == "");
    const auto json = nlohmann::json::parse(diff.out);
    const auto& files = json.at("files");
    REQUIRE(files.size() == 6);
    CHECK(files[0] == nlohmann::json::parse(R"({"path": "art/changed.frm", "change": "changed", "sizes": [3, 3]})"));
    CHECK(files[1] == nlohmann::json::parse(R"({"path": "art/gone.frm", "change": "removed", "size": 5})"));
    CHECK(files[2] == nlohmann::json::parse(R"({"path": "maps/new.map", "change": "added", "size": 3})"));
    CHECK(files[3] == nlohmann::json::parse(R"({"path": "proto/critters/00000001.pro", "change": "changed",
        "sizes": [416, 416], "fields": [{"key": "base.ST", "a": "5", "b": "9"}]})"));
    CHECK(files[4] == nlohmann::json::parse(R"({"path": "scripts/shadow.int", "change": "changed", "sizes": [4, 7]})"));
    CHECK(files[5] == nlohmann::json::parse(R"({"path": "text/english/game/pro_crit.msg", "change": "changed",
        "sizes": [41, 42], "messages": [{"number": 100, "a": "Old", "b": "New"}, {"number": 101, "a": "Gone"},
        {"number": 102, "b": "Fresh"}]})"));
}

TEST_CASE("data diff decodes each tree's message file in its own encoding")
{
    ScratchFolder root("quarnel-data-diff-");
    // An install reads its english texts as Windows-1252; a mod's tree whose
    // file is valid UTF-8 is read as UTF-8: the same text both times.
    MakeInstall(root.path / "game", Dat2Writer().Stored(kMessages, "{1}{}{Caf\xE9}\n{2}{}{Na\xEFve}\n"));
    PutBytes(root.path / "mod" / "text" / "english" / "game" / "pro_crit.msg",
             DatText("{1}{}{Caf\xC3\xA9}\n{2}{}{Na\xC3\xAF"
                     "f}\n"));
    const Result diff = Cli({"data", Text(root.path / "game"), "diff", Text(root.path / "mod"), "text/*"});
    CHECK(diff.status == 1);
    CHECK(diff.out == "# text/english/game/pro_crit.msg\n{2}: \"Na\xC3\xAFve\" -> \"Na\xC3\xAF"
                      "f\"\n");

    // Bytes that no entry shows (a sound field) still make the file differ;
    // quotes and control bytes in a text are escaped.
    PutBytes(root.path / "mod" / "text" / "english" / "game" / "pro_crit.msg",
             DatText("{1}{snd}{Caf\xC3\xA9}\n{2}{}{Na\xC3\xAFve}\n"));
    CHECK(Cli({"data", Text(root.path / "game"), "diff", Text(root.path / "mod"), "text/*"}).out ==
          "# text/english/game/pro_crit.msg\ndiffers: 25 -> 30 bytes\n");
    PutBytes(root.path / "mod" / "text" / "english" / "game" / "pro_crit.msg",
             DatText("{1}{}{Caf\xC3\xA9}\n{2}{}{a \"b\"\tc\\}\n"));
    CHECK(Cli({"data", Text(root.path / "game"), "diff", Text(root.path / "mod"), "text/*"}).out ==
          "# text/english/game/pro_crit.msg\n{2}: \"Na\xC3\xAFve\" -> \"a \\\"b\\\"\\tc\\\\\"\n");
}

TEST_CASE("data diff shows prototypes of different kinds, and an unreadable copy as an error")
{
    ScratchFolder root("quarnel-data-diff-");
    MakeInstall(root.path / "a", Dat2Writer()
                                     .Stored("proto\\critters\\00000001.pro", CleanCritter(1).Bytes())
                                     .Zlib("art\\broken.frm", "twelve bytes"));
    DatEntry broken;
    broken.name = "art\\broken.frm", broken.packed = DatBytes(20, 0xFF), broken.unpackedSize = 12, broken.method = 1;
    MakeInstall(root.path / "b",
                Dat2Writer().Stored("proto\\critters\\00000001.pro", CleanCritter(1, 412).Bytes()).Add(broken));
    const Result diff = Cli({"data", Text(root.path / "a"), "diff", Text(root.path / "b")});
    CHECK(diff.status == 2);
    CHECK(Contains(diff.err, "art/broken.frm"));
    // The other files are still compared.
    CHECK(diff.out == "# proto/critters/00000001.pro\ndamage_type: 0 -> absent\n");

    PutBytes(root.path / "b" / "data" / "proto" / "critters" / "00000001.pro", ValidItem(3, 1).Bytes());
    const Result kinds = Cli({"data", Text(root.path / "a"), "diff", Text(root.path / "b"), "proto/*"});
    CHECK(kinds.status == 1);
    CHECK(kinds.out == "# proto/critters/00000001.pro\ndifferent types: a critter -> an item (weapon)\n");
}

TEST_CASE("data diff refuses what it cannot compare")
{
    TwoInstalls trees;
    const Result missing = Cli({"data", Text(trees.a), "diff"});
    CHECK(missing.status == 2);
    CHECK(Contains(missing.err, "diff takes the tree to compare with"));
    const Result nowhere = Cli({"data", Text(trees.a), "diff", Text(trees.root.path / "nowhere")});
    CHECK(nowhere.status == 2);
    CHECK(Contains(nowhere.err, "nowhere"));
    CHECK(Cli({"data", Text(trees.a), "list", "--json"}).status == 2);
    // An archive that could not be opened leaves the comparison in doubt: an error, after the differences.
    WriteTextFile(trees.b / "patch000.dat", "no archive");
    const Result partial = Cli({"data", Text(trees.a), "diff", Text(trees.b), "maps/*"});
    CHECK(partial.status == 2);
    CHECK(Contains(partial.err, "patch000.dat"));
    CHECK(partial.out == "# maps/new.map\nadded: 3 bytes\n");
    CHECK(Cli({"data", Text(trees.a), "diff", Text(trees.b), "--to", Text(trees.root.path)}).status == 2);
}

TEST_CASE("data diff reads entries at the same place of two archive files")
{
    // Same layout, same sizes, one byte apart: only the bytes tell.
    ScratchFolder root("quarnel-data-diff-");
    MakeInstall(root.path / "a", Dat2Writer().Stored("art\\a.frm", "abc").Zlib("art\\b.frm", "same"));
    MakeInstall(root.path / "b", Dat2Writer().Stored("art\\a.frm", "abd").Zlib("art\\b.frm", "same"));
    const Result diff = Cli({"data", Text(root.path / "a"), "diff", Text(root.path / "b")});
    CHECK(diff.status == 1);
    CHECK(diff.out == "# art/a.frm\ndiffers: 3 -> 3 bytes\n");
}
