// quarnel-cli through its command line, in process: the text forms, the JSON
// round trip on the real critters, batch edits with and without the rules,
// the refusals that must leave every file as it was, and git's text converter.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "cli/CliApp.h"
#include "cli/CliError.h"
#include "source/FolderSource.h"
#include "library/IniFile.h"
#include "library/MessageFile.h"
#include "platform/FileAttributes.h"
#include "platform/FolderListing.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "CliTestSupport.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "TestDataFolders.h"

#include <cstdlib>
#include <sstream>

namespace fs = std::filesystem;
using namespace quarnel;
using namespace quarnel::test::cli;
using quarnel::test::ProtoBuilder;
using quarnel::test::ReadAllBytes;
using quarnel::test::ScratchFolder;
using quarnel::test::WriteAllBytes;
using quarnel::test::WriteTextFile;

TEST_CASE("show prints every field in file order with its stored value")
{
    ScratchFolder scratch("quarnel-cli-");
    const fs::path second = scratch.path / "a.pro";
    const fs::path first = scratch.path / "b.pro";
    CleanCritter(65535)
        .Set(32, 4, -1)
        .Set(44, 4, 0x2402)
        .Set(400, 4, 2)
        .Set(408, 4, 16)
        .Set(4, 4, -300)
        .WriteTo(second);
    CleanCritter(7, 412).Set(408, 4, 16).WriteTo(first);

    const Result shown = Cli({"show", Text(second)});
    CHECK(shown.status == 0);
    std::istringstream lines(shown.out);
    std::vector<std::string> keys;
    for (std::string line; std::getline(lines, line);)
        keys.push_back(line.substr(0, line.find(' ')));
    REQUIRE(keys.size() == RecordLayout().size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        CHECK(keys[i] == RecordLayout()[i].key);
    for (const char* line : {"pid_type = 0x0100\n", "pid = 65535\n", "text_id = -300\n", "head_fid = 0xFFFFFFFF\n",
                             "critter_flags = 0x00002402  # Barter, Invulnerable, Range hand-to-hand\n",
                             "body_type = 2  # Robotic\n", "kill_type = 16  # Aliens\n", "damage_type = 0  # Normal\n"})
        CHECK_MESSAGE(Contains(shown.out, line), line);

    // A 412-byte file: no damage type, and the first game's kill types.
    const Result firstGame = Cli({"show", Text(first)});
    CHECK(Contains(firstGame.out, "kill_type = 16  # not in the list\n"));
    CHECK(!Contains(firstGame.out, "damage_type"));

    // A folder stands for its *.pro files in any case, each block headed by its name.
    CleanCritter(8).WriteTo(scratch.path / "C.PRO");
    WriteTextFile(scratch.path / "notes.txt", "x");
    const Result folder = Cli({"show", Text(scratch.path)});
    CHECK(folder.status == 0);
    CHECK(Contains(folder.out, "# " + Text(scratch.path / "C.PRO") + "\n"));
    CHECK(folder.out.find("# " + Text(second)) < folder.out.find("# " + Text(first)));
    CHECK(!Contains(folder.out, "notes.txt"));
}

TEST_CASE("export and import reproduce every real critter byte for byte")
{
    ScratchFolder scratch("quarnel-cli-");
    if (!CopyRealCritters(scratch.path)) {
        quarnel::test::ReportSkipped("no real critters in " QUARNEL_SHARED_TESTDATA);
        return;
    }
    int files = 0;
    for (const char* game : {"FO1", "FO2"})
        for (const std::string& name : ListFolderFiles(scratch.path / game, ".pro")) {
            const fs::path original = scratch.path / game / name;
            const Result exported = Cli({"export", Text(original)});
            REQUIRE(exported.status == 0);
            CHECK(Contains(exported.out, std::string("\"game\": \"") + (game[2] == '1' ? "fo1" : "fo2") + "\""));
            WriteTextFile(scratch.path / "critter.json", exported.out);
            // Into a target whose every byte differs, so that every field is written.
            const fs::path target = scratch.path / "target.pro";
            ProtoBuilder(static_cast<int>(fs::file_size(original)), 0xA7).WriteTo(target);
            const Result imported = Cli({"import", Text(scratch.path / "critter.json"), Text(target)});
            CHECK_MESSAGE(imported.status == 0, imported.err);
            CHECK_MESSAGE(ReadAllBytes(target) == ReadAllBytes(original), name);
            CHECK(IsReadOnly(target));
            SetArchiveOnly(target);
            ++files;
        }
    CHECK(files == 40);
}

TEST_CASE("import changes exactly the fields whose values changed")
{
    ScratchFolder scratch("quarnel-cli-");
    const fs::path file = scratch.path / "00000001.pro";
    CleanCritter(1).WriteTo(file);
    const std::vector<std::uint8_t> before = ReadAllBytes(file);
    std::string json = Cli({"export", Text(file)}).out;
    auto replace = [&](const std::string& from, const std::string& to) {
        REQUIRE(Contains(json, from));
        json.replace(json.find(from), from.size(), to);
    };
    replace("\"pid\": 1,", "\"pid\": 40000,");
    replace("\"Barter\": 0", "\"Barter\": -2");
    replace("\"damage_type\": 0", "\"damage_type\": 6");
    WriteTextFile(scratch.path / "edited.json", json);
    REQUIRE(Cli({"import", Text(scratch.path / "edited.json"), Text(file)}).status == 0);

    std::vector<std::uint8_t> expected = before;
    const std::vector<std::uint8_t> after = ReadAllBytes(file);
    expected[2] = 0x9C, expected[3] = 0x40;                                     // pid 40000
    expected[388] = expected[389] = expected[390] = 0xFF, expected[391] = 0xFE; // skills.Barter -2
    expected[415] = 6;
    CHECK(after == expected);
}

TEST_CASE("bad JSON and bad targets are refused with the key named, nothing written")
{
    ScratchFolder scratch("quarnel-cli-");
    const fs::path file = scratch.path / "00000001.pro";
    CleanCritter(1).WriteTo(file);
    const std::string good = Cli({"export", Text(file)}).out;
    CleanCritter(2).WriteTo(file); // the import would change pid and text_id
    const fs::path small = scratch.path / "small.pro";
    CleanCritter(2, 412).WriteTo(small);
    WriteAllBytes(scratch.path / "short.pro", std::vector<std::uint8_t>(300, 1));

    auto edited = [&](const std::string& from, const std::string& to) {
        std::string json = good;
        json.replace(json.find(from), from.size(), to);
        return json;
    };
    struct Case {
        const char* name;
        std::string json;
        fs::path target;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"not JSON", "{\"pid\": 1,", file, "not JSON"},
        {"above 32 bits", edited("\"ST\": 5", "\"ST\": 4294967296"), file, "base.ST: 4294967296 is out of range"},
        {"below 32 bits", edited("\"exp\": ", "\"exp\": -2147483649, \"x\": "), file,
         "exp: -2147483649 is out of range"},
        {"pid above 2 bytes", edited("\"pid\": 1", "\"pid\": 65536"), file, "pid: 65536 is out of range"},
        {"not an integer", edited("\"team\": ", "\"team\": 1.5, \"y\": "), file, "team: 1.5 is not an integer"},
        {"a text", edited("\"ai_packet\": ", "\"ai_packet\": \"3\", \"z\": "), file,
         "ai_packet: \"3\" is not an integer"},
        {"unknown key", edited("\"ST\": 5", "\"ST\": 5, \"Strength\": 5"), file, "base.Strength: unknown key"},
        {"unknown top key", edited("\"pid\": 1", "\"pid\": 1, \"colour\": 3"), file, "colour: unknown key"},
        {"missing key", edited("\"Barter\": 0,", ""), file, "skills.Barter: missing"},
        {"key twice", edited("\"pid\": 1", "\"pid\": 1, \"pid\": 2"), file, "pid: given twice"},
        {"damage type of a 412-byte target", good, small, "damage_type: unknown key"},
        {"300-byte target", good, scratch.path / "short.pro", "300 bytes"},
        {"missing target", good, scratch.path / "gone.pro", "File not found"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        WriteTextFile(scratch.path / "in.json", c.json);
        const auto bytes = fs::exists(c.target) ? ReadAllBytes(c.target) : std::vector<std::uint8_t>();
        const Result result = Cli({"import", Text(scratch.path / "in.json"), Text(c.target)});
        CHECK(result.status == 2);
        CHECK_MESSAGE(Contains(result.err, c.message), result.err);
        if (!bytes.empty())
            CHECK(ReadAllBytes(c.target) == bytes);
    }
    CHECK(!fs::exists(scratch.path / "gone.pro"));
}

TEST_CASE("set edits many files, all or nothing")
{
    ScratchFolder scratch("quarnel-cli-");
    const fs::path folder = scratch.path / "mod";
    fs::create_directory(folder);
    CleanCritter(1).Set(36, 4, 3).WriteTo(folder / "00000001.pro");
    CleanCritter(2, 412).Set(36, 4, -1).WriteTo(folder / "00000002.PRO");
    auto value = [](const fs::path& file, int offset, int width = 4) {
        return ProRecord::View(file).Field(offset, width);
    };

    // The file named twice (alone and through its folder) is edited once.
    REQUIRE(Cli({"set", "ai_packet+=5", "team=$1F", "exp-=60", "pid=0xFFFF", "--", Text(folder),
                 Text(folder / "00000001.pro")})
                .status == 0);
    CHECK(value(folder / "00000001.pro", 36) == 8);
    CHECK(value(folder / "00000002.PRO", 36) == 4);
    CHECK(value(folder / "00000002.PRO", 40) == 31);
    CHECK(value(folder / "00000001.pro", 404) == -10);
    CHECK(value(folder / "00000002.PRO", 2, 2) == 65535);
    CHECK(IsReadOnly(folder / "00000001.pro"));
    CHECK(fs::file_size(folder / "00000002.PRO") == 412);

    // One edit that fails anywhere stops the whole batch before any write.
    const auto one = ReadAllBytes(folder / "00000001.pro");
    const auto two = ReadAllBytes(folder / "00000002.PRO");
    struct Case {
        std::vector<std::string> arguments;
        const char* message;
    };
    const std::vector<Case> refused = {
        {{"set", "pid+=1", "--", Text(folder)}, "pid: 65536 is out of range"},
        {{"set", "pid_type=-1", "--", Text(folder)}, "pid_type: -1 is out of range"},
        {{"set", "damage_type=1", "--", Text(folder)}, "damage_type: a 412-byte file has no such field"},
        {{"set", "base.Strength=1", "--", Text(folder)}, "unknown key 'base.Strength'"},
        {{"set", "team=4294967296", "--", Text(folder)}, "'4294967296' is not a 32-bit integer"},
        {{"set", "team=-2147483649", "--", Text(folder)}, "team: -2147483649 is out of range"},
        {{"set", "team", "--", Text(folder)}, "is not an edit"},
        {{"set", "team=1", "--", Text(folder), Text(scratch.path / "gone.pro")}, "gone.pro: File not found"},
        {{"set", "team=1", Text(folder)}, "no FILE after --"},
    };
    WriteAllBytes(scratch.path / "short.pro", std::vector<std::uint8_t>(300, 1));
    for (const Case& c : refused) {
        CAPTURE(c.message);
        const Result result = Cli(c.arguments);
        CHECK(result.status == 2);
        CHECK_MESSAGE(Contains(result.err, c.message), result.err);
    }
    const Result shortFile = Cli({"set", "team=1", "--", Text(folder), Text(scratch.path / "short.pro")});
    CHECK(Contains(shortFile.err, "300 bytes"));
    CHECK(ReadAllBytes(folder / "00000001.pro") == one);
    CHECK(ReadAllBytes(folder / "00000002.PRO") == two);
    CHECK(ReadAllBytes(scratch.path / "short.pro") == std::vector<std::uint8_t>(300, 1));

    // A dry run prints the changes in show form and writes nothing.
    const Result dry = Cli({"set", "--dry-run", "kill_type=3", "team=31", "--", Text(folder / "00000001.pro")});
    CHECK(dry.status == 0);
    CHECK(dry.out == "# " + Text(folder / "00000001.pro") + "\nkill_type = 3  # Super Mutants\n");
    CHECK(ReadAllBytes(folder / "00000001.pro") == one);
}

TEST_CASE("set --rules recomputes the derived base values in the order of the edits")
{
    ScratchFolder scratch("quarnel-cli-");
    const fs::path file = scratch.path / "FO2" / "00000001.pro";
    fs::create_directory(scratch.path / "FO2");
    auto derived = [&](int i) { return ProRecord::View(file).Field(76 + 4 * i, 4); };
    enum { HP = 0, AP = 1, AC = 2, Melee = 4, CarryWeight = 5, Sequence = 6, Healing = 7, Crit = 8 };

    // Without the rules only the edited field changes.
    CleanCritter(1).Derived(HP, 99, 0).WriteTo(file);
    REQUIRE(Cli({"set", "extra.ST=3", "--", Text(file)}).status == 0);
    CHECK(derived(HP) == 99);

    // ST 5 + 3: hit points 15 + 8 + 10, carry weight 25 + 25 x 8, melee 8 - 5.
    SetArchiveOnly(file);
    CleanCritter(1).Derived(HP, 99, 0).WriteTo(file);
    REQUIRE(Cli({"set", "--rules", "extra.ST=3", "--", Text(file)}).status == 0);
    CHECK(derived(HP) == 33);
    CHECK(derived(CarryWeight) == 225);
    CHECK(derived(Melee) == 3);
    CHECK(derived(Sequence) == 10); // not fed by strength

    // Totals ST 0, EN -9: hit points -3 when strength changed last, 0 when endurance did.
    for (const bool enduranceLast : {false, true}) {
        SetArchiveOnly(file);
        CleanCritter(1).WriteTo(file);
        const std::vector<std::string> st = {"base.ST=2", "extra.ST=-2"}, en = {"extra.EN=-14"};
        std::vector<std::string> arguments = {"set", "--rules"};
        for (const auto& group : enduranceLast ? std::vector{st, en} : std::vector{en, st})
            arguments.insert(arguments.end(), group.begin(), group.end());
        arguments.insert(arguments.end(), {"--", Text(file)});
        REQUIRE(Cli(arguments).status == 0);
        CHECK(derived(HP) == (enduranceLast ? 0 : -3));
        CHECK(derived(Melee) == 1);   // 0 - 5 raised to 1
        CHECK(derived(Healing) == 0); // trunc(-9 / 3) raised to 0
    }

    // A primary base value writes its total (as a step button does); the
    // same total again recomputes nothing; an edit after the cascade sees its result.
    SetArchiveOnly(file);
    CleanCritter(1).Derived(AP, 40, 0).Derived(AC, 40, 0).Derived(Crit, 40, 0).WriteTo(file);
    REQUIRE(Cli({"set", "--rules", "base.AG=9", "extra.AG=-4", "base.AP+=1", "base.LU=5", "--", Text(file)}).status ==
            0);
    CHECK(derived(AC) == 5);    // AG 9, then 5 again
    CHECK(derived(AP) == 8);    // 5 + trunc(5 / 2), then one more
    CHECK(derived(Crit) == 40); // LU written as it was: nothing recomputed
}

TEST_CASE("a write that finds the file gone or changed writes nothing")
{
    ScratchFolder scratch("quarnel-cli-");
    const fs::path file = scratch.path / "00000001.pro";
    CleanCritter(1).WriteTo(file);
    const FolderSource loose;
    const LoadedPrototype before = loose.Read({file, Text(file)});
    std::vector<std::uint8_t> after = before.bytes;
    after[51] = 9;

    fs::remove(file);
    CHECK_THROWS_WITH(loose.Write(before, after, false), "File not found");
    CHECK(!fs::exists(file));

    CleanCritter(1, 412).WriteTo(file);
    CHECK_THROWS_AS(loose.Write(before, after, false), SourceRefusal);
    CHECK(fs::file_size(file) == 412);

    SetArchiveOnly(file);
    CleanCritter(1).Set(60, 4, 1).WriteTo(file);
    const auto changed = ReadAllBytes(file);
    CHECK_THROWS_AS(loose.Write(before, after, false), SourceRefusal);
    CHECK(ReadAllBytes(file) == changed);
    CHECK(IsReadOnly(file)); // restored on the way out as well
}

TEST_CASE("diff lists the differing fields")
{
    ScratchFolder scratch("quarnel-cli-");
    CleanCritter(1).Set(44, 4, 2).WriteTo(scratch.path / "a.pro");
    CleanCritter(1).Set(44, 4, 0x402).Set(48, 4, 9).WriteTo(scratch.path / "b.pro");
    CleanCritter(1, 412).WriteTo(scratch.path / "c.pro");
    const Result differ = Cli({"diff", Text(scratch.path / "a.pro"), Text(scratch.path / "b.pro")});
    CHECK(differ.status == 1);
    CHECK(differ.out == "critter_flags: 0x00000002 -> 0x00000402\nbase.ST: 5 -> 9\n");
    CHECK(Cli({"diff", Text(scratch.path / "a.pro"), Text(scratch.path / "a.pro")}).status == 0);
    // The damage type is missing in the first game's layout.
    const Result layouts = Cli({"diff", Text(scratch.path / "a.pro"), Text(scratch.path / "c.pro")});
    CHECK(Contains(layouts.out, "damage_type: 0 -> absent\n"));
}

TEST_CASE("check reports each fault a modder must mend, once")
{
    ScratchFolder scratch("quarnel-cli-");
    const fs::path folder = scratch.path / "FO1";
    fs::create_directory(folder);
    CleanCritter(1, 412).WriteTo(folder / "00000001.pro");
    CleanCritter(7, 412).WriteTo(folder / "00000002.pro");             // PID 7
    CleanCritter(3, 412).TextId(999).WriteTo(folder / "00000003.pro"); // no name
    CleanCritter(4, 412).Gender(2, 0).Primary(0, 11, 0).Primary(6, 0, 1).WriteTo(folder / "00000004.pro");
    CleanCritter(5, 412)
        .Damage(2, true, 101, 0)
        .Set(176, 4, -1)
        .Set(400, 4, 3)
        .Set(408, 4, 15)
        .WriteTo(folder / "00000005.PRO");
    WriteAllBytes(folder / "00000006.pro", std::vector<std::uint8_t>(300, 0));
    WriteTextFile(folder / "PRO_CRIT.MSG",
                  "{100}{}{Man}\n{200}{}{Dog}\n{300}{}{Ant}\n{400}{}{Rat}\n{500}{}{Cow}\n{700}{}{X}\n");

    const Result report = Cli({"check", Text(folder)});
    CHECK(report.status == 1);
    CHECK(report.out == "00000002.pro: pid = 7, the file name says 2\n"
                        "00000003.pro: text_id = 999 has no name in PRO_CRIT.MSG\n"
                        "00000004.pro: base.ST = 11, outside 1 to 10\n"
                        "00000004.pro: base.LU = 0, outside 1 to 10\n"
                        "00000004.pro: base.Gender = 2, not 0 or 1\n"
                        "00000005.PRO: base.DRfire = 101, outside 0 to 100\n"
                        "00000005.PRO: base.Poison = -1, outside 0 to 100\n"
                        "00000005.PRO: body_type = 3, not in the list of the first game\n"
                        "00000005.PRO: kill_type = 15, not in the list of the first game\n"
                        "00000006.pro: 300 bytes, not a critter prototype (412 or 416 bytes)\n");

    for (const char* name : {"00000002.pro", "00000003.pro", "00000004.pro", "00000005.PRO", "00000006.pro"})
        fs::remove(folder / name);
    const Result clean = Cli({"check", Text(folder)});
    CHECK(clean.out.empty());
    CHECK(clean.status == 0);
    CHECK(Cli({"check", Text(scratch.path / "none")}).status == 2);
}

TEST_CASE("names writes the ini that gives every name of the message file")
{
    ScratchFolder scratch("quarnel-cli-");
    const fs::path msg = scratch.path / "pro_crit.msg";
    WriteTextFile(msg, "# comment\n{100}{}{Boy}\n{200}{snd}{Big \nDog}\n{100}{}{Man = old}\n{-1}{}{}\n");
    const Result names = Cli({"names", Text(msg)});
    CHECK(names.status == 0);
    CHECK(names.out == "[Description]\r\n100=Man = old\r\n200=Big Dog\r\n-1=\r\n");

    // The program's own ini reader finds in it what the message reader found.
    WriteTextFile(scratch.path / "pro_crit.ini", names.out);
    const MessageFileResult messages = ReadMessageFile(msg);
    for (const MessageEntry& entry : messages.entries)
        CHECK(ReadIniValue(scratch.path / "pro_crit.ini", "Description", entry.key) ==
              messages.table.Lookup(entry.key));

    WriteTextFile(msg, "{100}{}{Boy}\n{200}{}{Dog\n");
    const Result broken = Cli({"names", Text(msg)});
    CHECK(broken.status == 2);
    CHECK(broken.out.empty());
    CHECK(Contains(broken.err, "line 2"));
}

TEST_CASE("names writes UTF-8 from the file's one code page; check and names name a fault's file once")
{
    ScratchFolder scratch("quarnel-cli-");
    const fs::path msg = scratch.path / "pro_crit.msg";
    // A Windows-1251 name, and a Windows-1250 one that is valid UTF-8 on its own.
    const std::string names = "{100}{}{\xca\xf0\xfb\xf1\xe0}\n{200}{}{M\xec\x9a\x9d"
                              "an}\n";
    WriteTextFile(msg, names);
    struct Row {
        std::vector<std::string> options;
        const char* first;
        const char* second;
    };
    const Row rows[] = {
        {{},
         "\u00CA\u00F0\u00FB\u00F1\u00E0",
         "M\u00EC\u0161\u009D"
         "an"}, // no language known: Windows-1252
        {{"--encoding", "cp1251"},
         "\u041A\u0440\u044B\u0441\u0430",
         "M\u043C\u0459\u045C"
         "an"},
        {{"--encoding", "CP1250"},
         "\u0118\u0111\u0171\u0144\u0155",
         "M\u011B\u0161\u0165"
         "an"},
        {{"--encoding", "utf-8"},
         "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD",
         "M\uC69D"
         "an"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> arguments = {"names"};
        arguments.insert(arguments.end(), row.options.begin(), row.options.end());
        arguments.push_back(Text(msg));
        CAPTURE(row.first);
        const Result result = Cli(arguments);
        CHECK(result.status == 0);
        CHECK(result.out == std::string("[Description]\r\n100=") + row.first + "\r\n200=" + row.second + "\r\n");
    }
    CHECK(Cli({"names", "--encoding", "cp1253", Text(msg)}).status == 2);

    WriteTextFile(msg, "{100}{}{A}\n}\n");
    const Result broken = Cli({"names", Text(msg)});
    CHECK(broken.status == 2);
    CHECK(broken.err == "quarnel-cli: " + Text(msg) + ", line 2: a '}' outside an entry\n");

    // check: the fault where the games stop, and a name that is not text in the chosen encoding.
    const fs::path folder = scratch.path / "mod";
    fs::create_directory(folder);
    CleanCritter(1).WriteTo(folder / "00000001.pro");
    WriteTextFile(folder / "pro_crit.msg", names + "{+5}{}{}\n{- 5}{}{C}\n");
    const std::string fault = "pro_crit.msg, line 4: '- 5' is not a message number (digits with an optional sign, "
                              "no blanks, -2147483648 to 2147483647)\n";
    const Result utf8 = Cli({"check", "--encoding", "utf-8", Text(folder)});
    CHECK(utf8.status == 1);
    CHECK(utf8.out ==
          fault + "00000001.pro: the name of text_id = 100 in pro_crit.msg is not UTF-8 text (byte 0xCA)\n");
    CHECK(Cli({"check", "--encoding", "cp1251", Text(folder)}).out == fault);
}

TEST_CASE("every command has its help; a bad command line is an error")
{
    for (const char* command : {"show", "export", "import", "set", "diff", "check", "names"}) {
        const Result help = Cli({command, "--help"});
        CHECK(help.status == 0);
        CHECK_MESSAGE(Contains(help.out, std::string("quarnel-cli ") + command), command);
    }
    CHECK(Cli({}).status == 2);
    CHECK(Cli({"frobnicate"}).status == 2);
    CHECK(Cli({"export", "--game", "fo3", "x.pro"}).status == 2);
    CHECK(Cli({"diff", "a.pro"}).status == 2);
    // A name starting with '/' is a file, on Windows too.
    CHECK(Contains(Cli({"names", "/nonexistent.msg"}).err, "File not found"));
}

TEST_CASE("git shows a changed byte as its field's line")
{
#ifdef _WIN32
    quarnel::test::ReportSkipped("git's text converter is tested on Linux only");
#else
    if (std::system("git --version >/dev/null 2>&1") != 0) {
        quarnel::test::ReportSkipped("git is missing");
        return;
    }
    ScratchFolder scratch("quarnel-cli-");
    const std::string repo = Text(scratch.path);
    auto git = [&](const std::string& arguments) {
        return std::system(
            ("cd '" + repo + "' && git -c user.name=t -c user.email=t@t " + arguments + " >/dev/null 2>&1").c_str());
    };
    REQUIRE(git("init -q .") == 0);
    REQUIRE(git("config diff.quarnel.textconv '" QUARNEL_CLI_EXECUTABLE " show --textconv'") == 0);
    WriteTextFile(scratch.path / ".gitattributes", "*.pro diff=quarnel\n*.PRO diff=quarnel\n");
    CleanCritter(1).WriteTo(scratch.path / "00000001.pro");
    CleanCritter(2, 412).WriteTo(scratch.path / "00000002.PRO");
    REQUIRE(git("add -A") == 0);
    REQUIRE(git("commit -qm critters") == 0);
    CleanCritter(1).Set(51, 1, 6).WriteTo(scratch.path / "00000001.pro");
    CleanCritter(2, 412).Set(411, 1, 3).WriteTo(scratch.path / "00000002.PRO");
    REQUIRE(std::system(("cd '" + repo + "' && git diff > diff.txt 2>&1").c_str()) == 0);
    const std::string diff = [&] {
        const auto bytes = ReadAllBytes(scratch.path / "diff.txt");
        return std::string(bytes.begin(), bytes.end());
    }();
    CHECK_MESSAGE(Contains(diff, "\n-base.ST = 5\n+base.ST = 6\n"), diff);
    CHECK_MESSAGE(Contains(diff, "\n-kill_type = 0  # Men\n+kill_type = 3  # Super Mutants\n"), diff);
    CHECK(!Contains(diff, "Binary files"));

    // A file that is no critter anywhere in history must not stop git log:
    // the converter says why and dumps its bytes, 16 a line.
    WriteAllBytes(scratch.path / "00000003.pro", std::vector<std::uint8_t>(411, 0xAB));
    REQUIRE(git("add -A") == 0);
    REQUIRE(git("commit -qm broken") == 0);
    WriteAllBytes(scratch.path / "00000003.pro", std::vector<std::uint8_t>(20, 0xCD));
    REQUIRE(git("commit -qam shorter") == 0);
    REQUIRE(std::system(("cd '" + repo + "' && git log -p > log.txt 2>&1").c_str()) == 0);
    const auto logBytes = ReadAllBytes(scratch.path / "log.txt");
    const std::string log(logBytes.begin(), logBytes.end());
    CHECK_MESSAGE(Contains(log, "+# not shown as a prototype: 411 bytes: type byte 0xAB (byte 0) is no prototype type "
                                "(0 item, 1 critter, 2 scenery, 3 wall, 4 tile, 5 misc)\n"
                                "+00000000  ab ab ab ab ab ab ab ab ab ab ab ab ab ab ab ab\n"),
                  log);
    CHECK(Contains(log, "+00000010  cd cd cd cd\n"));
    CHECK(Contains(log, "+base.ST = 6\n"));

    const Result missing = Cli({"show", "--textconv", Text(scratch.path / "gone.pro")});
    CHECK(missing.status == 0);
    CHECK(missing.out == "# not shown as a critter: File not found\n");
    CHECK(Cli({"show", "--textconv", Text(scratch.path / "00000001.pro")}).out ==
          Cli({"show", Text(scratch.path / "00000001.pro")}).out);
#endif
}
