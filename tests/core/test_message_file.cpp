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

TEST_CASE("Message entries as the games read them")
{
    const std::string longest(kMessageFieldLimit, 'x');
    const std::string text = "# critters of the test folder\r\n"
                             "{100}{}{Rat}\r\n"
                             "text outside braces, [ ] ( ) included, is skipped\n"
                             "{200}{snd}{Giant \r\nmole\nrat}\r\n"
                             "{+300}\t{}\r\n  {Pig\rrat}\n"
                             "{100}{}{Cave {rat}{0400}{}{}\n"
                             "{2147483647}{}{" +
                             longest + "}{-2147483648}{}{Low}{-0}{}{Zero}";
    const MessageFileResult result = ParseMessageText(text);
    CHECK_FALSE(result.fault);
    REQUIRE(result.entries.size() == 8);
    // A line break inside a text joins the lines with no blank; CR LF reads as LF.
    CHECK(result.entries[1].text == "Giant molerat");
    CHECK(result.entries[1].line == 4);
    CHECK(result.entries[2].key == "300");
    CHECK(result.entries[2].line == 7);
    CHECK(result.entries[2].text == "Pig\rrat"); // a lone CR is an ordinary byte, no line end
    CHECK(result.entries[3].line == 9);
    // A repeated number: the later entry wins; '{' inside a field is a character.
    CHECK(result.table.Lookup("100") == "Cave {rat");
    CHECK(result.table.Lookup("400").empty());
    CHECK(result.entries[4].key == "400"); // the key is the number, not its spelling
    CHECK(result.table.Lookup("2147483647") == longest);
    CHECK(result.table.Lookup("-2147483648") == "Low");
    CHECK(result.table.Lookup("0") == "Zero");
    CHECK(result.table.Lookup("1").empty());
}

TEST_CASE("A damaged message file: the games stop at the fault, the entries before it stay")
{
    struct Case {
        std::string text;
        int line;
        const char* fault;
    };
    const std::string tooLong(kMessageFieldLimit + 1, 'x');
    const std::vector<Case> cases = {
        {"{1}{}{A}\n} {2}{}{B}", 2, "a '}' outside an entry"},
        {"{1}{}{A}\n{2}\n}{}{B}", 3, "a '}' outside an entry"},
        {"{1}{}{A}\n{2}{}{B\n\nno end", 2, "the '{' is never closed"},
        {"{1}{}{A}\n{2}{}{\n" + tooLong + "}", 2, "more than 1023 bytes"},
        {"{1}{}{A}\n{2}{}", 2, "the entry {2} has 2 of its 3 fields"},
        {"{1}{}{A}\n\n{x2}{}{B}\n{3}{}{C}", 3, "'x2' is not a message number"},
        {"{1}{}{A}\n{}{}{B}", 2, "'' is not"},
        {"{1}{}{A}\n{+}{}{B}", 2, "'+' is not"},
        {"{1}{}{A}\n{- 5}{}{B}", 2, "'- 5' is not"},
        {"{1}{}{A}\n{5 }{}{B}", 2, "'5 ' is not"},
        {"{1}{}{A}\n{ 200 }{}{B}", 2, "' 200 ' is not"},
        {"{1}{}{A}\n{5-}{}{B}", 2, "'5-' is not"},
        {"{1}{}{A}\n{2147483648}{}{B}", 2, "'2147483648' is not"},
        {"{1}{}{A}\n{-2147483649}{}{B}", 2, "'-2147483649' is not"},
        {"{1}{}{A}\n{4294967295}{}{B}", 2, "'4294967295' is not"},
        {"{1}{}{A}\n{4294967396}{}{B}", 2, "'4294967396' is not"}, // would wrap to 100
        {"{1}{}{A}\n{99999999999999999999999}{}{B}", 2, "is not a message number"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.text);
        const MessageFileResult result = ParseMessageText(c.text);
        REQUIRE(result.fault);
        CHECK(result.fault->line == c.line);
        CHECK(result.fault->what.find(c.fault) != std::string::npos);
        CHECK(result.entries.size() == 1);
        CHECK(result.table.Lookup("1") == "A");
        CHECK(result.table.Lookup("100").empty());
        CHECK(MessageFaultText("pro_crit.msg", *result.fault) ==
              "pro_crit.msg, line " + std::to_string(c.line) + ": " + result.fault->what);
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
    CHECK(names.error == "PRO_CRIT.MSG, line 2: the '{' is never closed");

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
