// The cfg of an install as the games read it: the [system] section only,
// comments after ';', blanks around keys and values, a byte order mark; and
// what opening the install reports about the archives the cfg names.
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "gamedata/GameConfig.h"
#include "gamedata/GameTree.h"

#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

bool Mentions(const std::vector<std::string>& warnings, const std::string& part)
{
    for (const std::string& warning : warnings)
        if (warning.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST_CASE("cfg: [system] keys only, ';' comments anywhere, blanks trimmed, a byte order mark skipped")
{
    struct Row {
        const char* name;
        std::string text;
        std::string masterDat, masterPatches, critterDat, critterPatches, language;
    };
    const Row rows[] = {
        {"comment after a value", "[system]\nmaster_patches=DATA ; mods go here\n", "master.dat", "DATA", "critter.dat",
         "data", "english"},
        {"comment right after a value", "[system]\nlanguage=czech;cz\r\n", "master.dat", "data", "critter.dat", "data",
         "czech"},
        {"only a comment as value keeps the default", "[system]\nmaster_dat= ;none\n", "master.dat", "data",
         "critter.dat", "data", "english"},
        {"comment after the section header", "[system] ; paths\ncritter_dat=c.dat\n", "master.dat", "data", "c.dat",
         "data", "english"},
        {"blanks and tabs around keys and values", "[system]\n \t critter_patches \t=\t  MY DATA  \t\r\n", "master.dat",
         "data", "critter.dat", "MY DATA", "english"},
        {"byte order mark before the first section", "\xEF\xBB\xBF[system]\nlanguage=polish\n", "master.dat", "data",
         "critter.dat", "data", "polish"},
        {"a commented-out key", "[system]\n;master_dat=old.dat\n#critter_dat=old.dat\n", "master.dat", "data",
         "critter.dat", "data", "english"},
        {"keys after [system] in another section",
         "[system]\nmaster_dat=m.dat\n[sound]\nmaster_dat=wrong.dat\n"
         "language=wrong\n[debug]\nmaster_patches=wrong\n",
         "m.dat", "data", "critter.dat", "data", "english"},
        {"keys before any section", "master_dat=wrong.dat\n[system]\nlanguage=german\n", "master.dat", "data",
         "critter.dat", "data", "german"},
        {"a section whose name only starts like system",
         "[systems]\nmaster_dat=wrong.dat\n[SYSTEM]\nLANGUAGE=russian\n", "master.dat", "data", "critter.dat", "data",
         "russian"},
    };
    for (const Row& row : rows) {
        const std::string rowName = row.name;
        CAPTURE(rowName);
        const GameConfig config = ParseGameConfig(row.text);
        CHECK(config.masterDat == row.masterDat);
        CHECK(config.masterPatches == row.masterPatches);
        CHECK(config.critterDat == row.critterDat);
        CHECK(config.critterPatches == row.critterPatches);
        CHECK(config.language == row.language);
    }
}

TEST_CASE("cfg: a comment after master_patches names the override folder, not a new folder")
{
    ScratchFolder scratch;
    WriteAllBytes(scratch.path / "master.dat", Dat2Writer().Stored("proto\\critters\\00000001.pro", "master").Build());
    WriteAllBytes(scratch.path / "critter.dat", Dat2Writer().Stored("art\\critters\\x.frm", "art").Build());
    PutFile(scratch.path / "DATA" / "proto" / "critters" / "00000001.pro", "loose");
    PutFile(scratch.path / "fallout2.cfg",
            "\xEF\xBB\xBF[system]\r\nmaster_patches=DATA ; mods go here\r\n"
            "language = german ; of the texts\r\n[sound]\r\nmaster_patches=elsewhere\r\n");
    const GameTree tree = GameTree::Open(scratch.path);
    CHECK(tree.Warnings().empty());
    CHECK(tree.Language() == "german");
    CHECK(tree.OverrideFor("proto/critters/00000001.pro").Folder() == scratch.path / "DATA");
    CHECK(tree.Find("proto/critters/00000001.pro")->layer->Name() == "DATA");
}

TEST_CASE("A missing or damaged critter archive is reported when the install opens")
{
    struct Row {
        const char* name;
        const char* cfg;         // nullptr: no cfg
        const char* critterFile; // written when not nullptr
        std::string critterBytes;
        const char* warning; // a part of the one warning, nullptr: none
    };
    const std::string good = [] {
        const DatBytes bytes = Dat2Writer().Stored("art\\critters\\x.frm", "art").Build();
        return std::string(bytes.begin(), bytes.end());
    }();
    const Row rows[] = {
        {"named and missing", "[system]\ncritter_dat=crits.dat\n", nullptr, "", "crits.dat: File not found"},
        {"the default name, missing", "[system]\nmaster_dat=master.dat\n", nullptr, "", nullptr},
        {"named and damaged", "[system]\ncritter_dat=crits.dat\n", "crits.dat", std::string(64, '\x7F'),
         "crits.dat: not a DAT archive"},
        {"named and there", "[system]\ncritter_dat=crits.dat\n", "crits.dat", good, nullptr},
        {"named in another case", "[system]\ncritter_dat=CRITS.DAT\n", "crits.dat", good, nullptr},
        {"no cfg, no critter archive", nullptr, nullptr, "", nullptr},
    };
    for (const Row& row : rows) {
        const std::string rowName = row.name;
        CAPTURE(rowName);
        ScratchFolder scratch;
        WriteAllBytes(scratch.path / "master.dat", Dat2Writer().Stored("proto\\critters\\00000001.pro", "m").Build());
        if (row.cfg)
            PutFile(scratch.path / "fallout2.cfg", row.cfg);
        if (row.critterFile)
            PutFile(scratch.path / row.critterFile, row.critterBytes);
        const GameTree tree = GameTree::Open(scratch.path);
        if (row.warning) {
            CHECK(tree.Warnings().size() == 1);
            CHECK(Mentions(tree.Warnings(), row.warning));
        } else {
            CHECK(tree.Warnings().empty());
        }
        // The rest of the install opens.
        CHECK(tree.Find("proto/critters/00000001.pro"));
    }
}
