// The names of a game's tree decoded in the code page of the file's
// language, also when its bytes happen to be valid UTF-8; the english file
// taken in place of a missing one in the english code page; loose files of
// no known language guessed; one size limit for message files wherever they
// come from.
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "gamedata/GameTree.h"
#include "library/CritterNameFile.h"
#include "library/TreeCritterList.h"
#include "platform/RegularFile.h"

#include <string>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

// A second-game install with a cfg naming the language and the message files given.
fs::path MakeInstall(const fs::path& root, const std::string& language,
                     const std::vector<std::pair<std::string, std::string>>& messageFiles)
{
    WriteAllBytes(root / "master.dat", Dat2Writer().Stored("proto\\critters\\00000001.pro", "m").Build());
    WriteAllBytes(root / "critter.dat", Dat2Writer().Stored("art\\critters\\x.frm", "art").Build());
    PutFile(root / "fallout2.cfg", "[system]\r\nlanguage=" + language + "\r\n");
    for (const auto& [language, text] : messageFiles)
        PutFile(root / "data" / "text" / language / "game" / "pro_crit.msg", text);
    return root;
}

} // namespace

TEST_CASE("An install's names are decoded in its language's code page, even when they are valid UTF-8")
{
    struct Row {
        const char* name;
        std::string language; // of the cfg
        std::string folder;   // the language folder that holds pro_crit.msg
        std::string bytes;    // the text of entry 300
        NameEncoding encoding;
        std::string utf8; // its text, worked out from the code page tables
    };
    const Row rows[] = {
        // M, e caron, s caron, t caron in Windows-1250: E8 9A 9D is a valid UTF-8 sequence.
        {"czech", "czech", "czech",
         "M\xec\x9a\x9d"
         "an",
         NameEncoding::Cp1250,
         "M\xc4\x9b\xc5\xa1\xc5\xa5"
         "an"},
        {"polish", "polish", "polish", "\xb3\xf3\xbf\x6b\x6f", NameEncoding::Cp1250, "\xc5\x82\xc3\xb3\xc5\xbcko"},
        // D0 9F is UTF-8 for a Cyrillic Pe; in Windows-1251 it is Er and dzhe.
        {"russian", "russian", "russian", "\xd0\x9f", NameEncoding::Cp1251, "\xd0\xa0\xd1\x9f"},
        // C3 A9 is UTF-8 for e acute; in Windows-1252 it is A tilde and the copyright sign.
        {"german", "german", "german", "Caf\xc3\xa9", NameEncoding::Cp1252, "Caf\xc3\x83\xc2\xa9"},
        // Czech asked for, only the english file there: english bytes, english code page
        // (E8 is c caron in Windows-1250, e grave in Windows-1252).
        {"english in place of czech", "czech", "english", "Cr\xe8me", NameEncoding::Cp1252, "Cr\xc3\xa8me"},
    };
    for (const Row& row : rows) {
        const std::string rowName = row.name;
        CAPTURE(rowName);
        ScratchFolder scratch;
        MakeInstall(scratch.path, row.language, {{row.folder, "{300}{}{" + row.bytes + "}\r\n"}});
        const GameTree tree = GameTree::Open(scratch.path);
        REQUIRE(tree.Warnings().empty());
        const CritterNames names = LoadTreeCritterNames(tree);
        CHECK(names.encoding == row.encoding);
        CHECK(DecodeName(names.table.Lookup("300"), names.encoding) == row.utf8);
    }
}

TEST_CASE("Loose name files and a mod's tree are still taken as UTF-8 when they are valid UTF-8")
{
    ScratchFolder scratch;
    const CritterNames utf8 = LoadCritterNames(scratch.File("pro_crit.msg", "{300}{}{M\xc4\x9bsto}\n"));
    CHECK(utf8.encoding == NameEncoding::Utf8);
    CHECK(DecodeName(utf8.table.Lookup("300"), utf8.encoding) == "M\xc4\x9bsto");
    CHECK(LoadCritterNames(scratch.path / "pro_crit.msg", NameEncoding::Automatic, "czech").encoding ==
          NameEncoding::Utf8);
    const CritterNames legacy = LoadCritterNames(scratch.File("other.msg", "{300}{}{Cr\xe8me}\n"));
    CHECK(legacy.encoding == NameEncoding::Cp1252);

    // A mod's tree has no cfg that names its language.
    PutFile(scratch.path / "mod" / "proto" / "critters" / "00000001.pro", "x");
    PutFile(scratch.path / "mod" / "text" / "english" / "game" / "pro_crit.msg", "{300}{}{Caf\xc3\xa9}\n");
    const GameTree mod = GameTree::Open(scratch.path / "mod");
    CHECK(LoadTreeCritterNames(mod).encoding == NameEncoding::Utf8);

    // An encoding chosen by the user wins over the install's language.
    ScratchFolder install;
    MakeInstall(install.path, "czech", {{"czech", "{300}{}{\xd0\x9f}\n"}});
    const CritterNames chosen = LoadTreeCritterNames(GameTree::Open(install.path), NameEncoding::Utf8);
    CHECK(chosen.encoding == NameEncoding::Utf8);
    CHECK(DecodeName(chosen.table.Lookup("300"), chosen.encoding) == "\xd0\x9f");
}

TEST_CASE("Message files of a tree and loose ones have one size limit: 16 MiB read, one byte more refused")
{
    const std::size_t limit = std::size_t{16} * 1024 * 1024;
    const std::string entry = "{300}{}{Dog}\r\n";
    for (const std::size_t size : {limit, limit + 1}) {
        CAPTURE(size);
        const std::string text = entry + std::string(size - entry.size(), ' ');
        ScratchFolder scratch;
        PutFile(scratch.path / "proto" / "critters" / "00000001.pro", "x");
        PutFile(scratch.path / "text" / "english" / "game" / "pro_crit.msg", text);
        const GameTree tree = GameTree::Open(scratch.path);
        const fs::path loose = scratch.path / "text" / "english" / "game" / "pro_crit.msg";
        if (size == limit) {
            CHECK(LoadTreeCritterNames(tree).table.Lookup("300") == "Dog");
            CHECK(LoadCritterNames(loose).table.Lookup("300") == "Dog");
        } else {
            CHECK_THROWS_WITH_AS(LoadTreeCritterNames(tree), doctest::Contains("pro_crit.msg: larger than 16 MiB"),
                                 FileRefusedError);
            CHECK_THROWS_AS(LoadCritterNames(loose), FileRefusedError);
        }
    }
}
