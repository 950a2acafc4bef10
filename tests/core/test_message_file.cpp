// The game's message files as a source of critter names: the entry format,
// which file of a folder is read, and a scan over a folder that has only
// pro_crit.msg.
#include <doctest/doctest.h>

#include "ScratchFolder.h"
#include "library/CritterNameFile.h"
#include "library/GameFolderScan.h"
#include "library/MessageFile.h"
#include "platform/TextLines.h"

#include <string>
#include <vector>

using namespace quarnel;
using quarnel::test::ScratchFolder;

TEST_CASE("Message entries: comments, blanks, lines, repeats")
{
    const std::string text = "# critters of the test folder\r\n"
                             "{100}{}{Rat}\r\n"
                             "text outside braces } is a comment\n"
                             "{ 200 }{snd}{Giant\r\nmole\nrat}\r\n"
                             "{300}\t{}\r\n  {Pig rat}\r"
                             "{100}{}{Cave rat}{0400}{}{}";
    const MessageFileResult result = ParseMessageText(text, "pro_crit.msg");
    CHECK(result.error.empty());
    REQUIRE(result.entries.size() == 5);
    CHECK(result.entries[1].key == "200");
    CHECK(result.entries[1].text == "Giant mole rat"); // CR LF is one break, each break one blank
    CHECK(result.entries[1].line == 4);
    CHECK(result.entries[3].line == 9); // a lone CR ends a line too
    // A repeated number: the later entry replaces the earlier one.
    CHECK(result.table.Lookup("100") == "Cave rat");
    CHECK(result.table.Lookup("300") == "Pig rat");
    CHECK(result.table.Lookup("400").empty());
    CHECK(result.entries[4].key == "400"); // the key is the number, not its spelling
    CHECK(result.table.Lookup("1").empty());
}

TEST_CASE("A damaged message file names its line and keeps the names before it")
{
    struct Case {
        const char* text;
        int line;
        const char* fault;
    };
    const std::vector<Case> cases = {
        {"{1}{}{A}\n{2}{}{B\n\nno end", 2, "never closed"},
        {"{1}{}{A}\n\n{x2}{}{B}\n{3}{}{C}", 3, "'x2' is not a message number"},
        {"{1}{}{A}\n{}{}{B}", 2, "'' is not a message number"},
        {"{1}{}{A}\n{99999999999}{}{B}", 2, "not a message number"},
        {"{1}{}{A}\n{2}{}{B {3}{}{C}", 2, "'{' inside"},
        {"{1}{}{A}\n{2}{}", 2, "has 2 of its 3 groups"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.text);
        const MessageFileResult result = ParseMessageText(c.text, "pro_crit.msg");
        CHECK(result.error.find("pro_crit.msg, line " + std::to_string(c.line) + ": ") == 0);
        CHECK(result.error.find(c.fault) != std::string::npos);
        CHECK(result.table.Lookup("1") == "A");
        CHECK(result.table.Lookup("3").empty());
    }
}

TEST_CASE("The name file of a folder: the ini first, else the message file in any case")
{
    ScratchFolder folder;
    CHECK(CritterNameFile(folder.path) == folder.path / "pro_crit.ini");
    folder.File("PRO_CRIT.MSG", "{300}{}{Rat}\n{400}{}{Mole");
    const auto msg = CritterNameFile(folder.path);
    CHECK(msg == folder.path / "PRO_CRIT.MSG");
    CHECK(LookupCritterName(msg, "300") == "Rat");
    const CritterNames names = LoadCritterNames(msg);
    CHECK(names.table.Lookup("300") == "Rat");
    CHECK(names.error.find("PRO_CRIT.MSG, line 2") == 0);

    // A scan over a folder with only the message file names its critters from it.
    folder.File("00000003.pro", std::string(416, '\0'));
    folder.File("00000004.pro", std::string(416, '\0'));
    const GameFolderScanResult scan = ScanGameFolder(folder.path, msg, folder.path / "temp");
    CHECK(ReadNamesFile(folder.path / "temp") == std::vector<std::string>{"Rat", ""});
    CHECK(scan.namesError == names.error);

    folder.File("pro_crit.ini", "[Description]\r\n300=Ini rat\r\n");
    CHECK(CritterNameFile(folder.path) == folder.path / "pro_crit.ini");
    CHECK(LookupCritterName(folder.path / "pro_crit.ini", "300") == "Ini rat");
}
