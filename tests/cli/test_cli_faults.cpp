// quarnel-cli where batch runs over real mod folders went wrong: output that
// scripts parse, batches that stop before the first write, files that are
// not files, git's text converter, and the messages that must say what is wrong.
#include <doctest/doctest.h>

#include "CliTestSupport.h"
#include "platform/FileAttributes.h"
#include "proto/ProFile.h"
#include "ScratchFolder.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace quarnel;
using namespace quarnel::test::cli;
using quarnel::test::ReadAllBytes;
using quarnel::test::ScratchFolder;
using quarnel::test::WriteAllBytes;
using quarnel::test::WriteTextFile;

namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values)
{
    return std::vector<std::uint8_t>(values.begin(), values.end());
}

std::vector<std::uint8_t> Slice(const fs::path& file, int offset, int width)
{
    const auto bytes = ReadAllBytes(file);
    return std::vector<std::uint8_t>(bytes.begin() + offset, bytes.begin() + offset + width);
}

std::string FileText(const fs::path& file)
{
    const auto bytes = ReadAllBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST_CASE("export prints one JSON object keyed by file name for a folder and for several files")
{
    ScratchFolder scratch("quarnel-cli-");
    fs::create_directories(scratch.path / "a");
    fs::create_directories(scratch.path / "b");
    CleanCritter(1).WriteTo(scratch.path / "a" / "00000001.pro");
    CleanCritter(2).WriteTo(scratch.path / "a" / "00000002.pro");
    CleanCritter(3, 412).WriteTo(scratch.path / "b" / "00000001.pro");

    const Result folder = Cli({"export", Text(scratch.path / "a")});
    REQUIRE(folder.status == 0);
    const auto parsed = nlohmann::json::parse(folder.out);
    CHECK(parsed.size() == 2);
    CHECK(parsed.at("00000002.pro").at("pid") == 2);

    // Two files of one name: each keyed by its path as given; the others by name.
    const Result several = Cli({"export", Text(scratch.path / "a" / "00000001.pro"),
                                Text(scratch.path / "a" / "00000002.pro"), Text(scratch.path / "b" / "00000001.pro")});
    REQUIRE(several.status == 0);
    const auto keyed = nlohmann::json::parse(several.out);
    CHECK(keyed.size() == 3);
    CHECK(keyed.at(Text(scratch.path / "b" / "00000001.pro")).at("pid") == 3);
    CHECK(keyed.at(Text(scratch.path / "a" / "00000001.pro")).at("game") == "fo2");
    CHECK(keyed.contains("00000002.pro"));

    // One file on its own is its bare object; a folder of one file is still keyed.
    CHECK(nlohmann::json::parse(Cli({"export", Text(scratch.path / "b" / "00000001.pro")}).out).at("pid") == 3);
    CHECK(nlohmann::json::parse(Cli({"export", Text(scratch.path / "b")}).out).contains("00000001.pro"));

    // A file that cannot be read leaves the rest a valid object.
    WriteAllBytes(scratch.path / "a" / "00000003.pro", std::vector<std::uint8_t>(300, 1));
    const Result damaged = Cli({"export", Text(scratch.path / "a")});
    CHECK(damaged.status == 2);
    CHECK(nlohmann::json::parse(damaged.out).size() == 2);
}

TEST_CASE("set checks every file for writing before it writes the first")
{
    ScratchFolder scratch("quarnel-cli-");
    const fs::path folder = scratch.path / "mod";
    fs::create_directory(folder);
    for (int i = 1; i <= 10; ++i)
        CleanCritter(i).WriteTo(folder / ("0000000" + std::to_string(i - 1) + ".pro"));

    // An edit that changes nothing prints no header in a dry run, and writes nothing.
    const Result unchanged =
        Cli({"set", "--dry-run", "team=" + std::to_string(ProRecord::View(folder / "00000000.pro").Field(40, 4)), "--",
             Text(folder / "00000000.pro")});
    CHECK(unchanged.status == 0);
    CHECK(unchanged.out.empty());

#ifdef _WIN32
    quarnel::test::ReportSkipped("a file of another user is tried on Linux only");
#else
    // A file of another user (the shared test data belongs to root) among
    // ten of the test's own: unprivileged, it cannot be written.
    const fs::path foreign = RealFolder("FO2") / "00000001.pro";
    if (::geteuid() == 0 || !quarnel::test::IsPresent(foreign) || ::access(foreign.c_str(), W_OK) == 0) {
        quarnel::test::ReportSkipped("needs an unprivileged run and the shared test data of another user");
        return;
    }
    fs::create_symlink(foreign, folder / "00000005.pro.link.pro");
    std::vector<std::vector<std::uint8_t>> before;
    for (int i = 0; i < 10; ++i)
        before.push_back(ReadAllBytes(folder / ("0000000" + std::to_string(i) + ".pro")));
    const auto foreignBefore = ReadAllBytes(foreign);

    const Result refused = Cli({"set", "team=77", "--", Text(folder)});
    CHECK(refused.status == 2);
    CHECK_MESSAGE(Contains(refused.err, "00000005.pro.link.pro: cannot be opened for writing: File access denied"),
                  refused.err);
    CHECK(Contains(refused.err, "set: nothing written"));
    for (int i = 0; i < 10; ++i)
        CHECK(ReadAllBytes(folder / ("0000000" + std::to_string(i) + ".pro")) == before[static_cast<std::size_t>(i)]);
    CHECK(ReadAllBytes(foreign) == foreignBefore);
    CHECK_FALSE(IsReadOnly(folder / "00000000.pro")); // the check leaves attributes as they were
#endif
}

TEST_CASE("anything but a regular file is refused, and no file is read past its limit")
{
    ScratchFolder scratch("quarnel-cli-");
    fs::create_directory(scratch.path / "dir");
    CleanCritter(1).WriteTo(scratch.path / "a.pro");
    WriteAllBytes(scratch.path / "short.pro", std::vector<std::uint8_t>(300, 1));
    WriteAllBytes(scratch.path / "long.pro", std::vector<std::uint8_t>(100000, 1));

    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    std::vector<Case> cases = {
        {{"diff", Text(scratch.path / "dir"), Text(scratch.path / "a.pro")}, "dir: is a folder, not a file"},
        {{"import", Text(scratch.path / "a.json"), Text(scratch.path / "dir")}, "is a folder"},
        {{"diff", Text(scratch.path / "a.pro"), Text(scratch.path / "short.pro")},
         "short.pro: 300 bytes: not a critter"},
        {{"show", Text(scratch.path / "long.pro")}, "long.pro: 100000 bytes: not a critter"},
    };
#ifndef _WIN32
    REQUIRE(::mkfifo((scratch.path / "fifo.pro").c_str(), 0644) == 0);
    fs::create_symlink("/dev/zero", scratch.path / "zero.pro");
    const std::string special = "not a regular file (a device, pipe or socket)";
    cases.push_back({{"show", "/dev/zero"}, "/dev/zero: " + special});
    cases.push_back({{"show", Text(scratch.path / "fifo.pro")}, "fifo.pro: " + special});
    cases.push_back({{"export", Text(scratch.path / "zero.pro")}, "zero.pro: " + special});
    cases.push_back({{"names", "/dev/zero"}, special});
    cases.push_back({{"import", "/dev/zero", Text(scratch.path / "a.pro")}, special});
    cases.push_back({{"set", "team=1", "--", Text(scratch.path / "a.pro"), Text(scratch.path / "fifo.pro")},
                     "fifo.pro: " + special});
#endif
    WriteTextFile(scratch.path / "a.json", Cli({"export", Text(scratch.path / "a.pro")}).out);
    const auto before = ReadAllBytes(scratch.path / "a.pro");
    for (const Case& c : cases) {
        CAPTURE(c.message);
        const Result result = Cli(c.arguments);
        CHECK(result.status == 2);
        CHECK_MESSAGE(Contains(result.err, c.message), result.err);
    }
    CHECK(ReadAllBytes(scratch.path / "a.pro") == before);

    // A JSON text far larger than a critter's is refused before it is parsed.
    WriteTextFile(scratch.path / "big.json", "[" + std::string(2 << 20, ' ') + "]");
    const Result big = Cli({"import", Text(scratch.path / "big.json"), Text(scratch.path / "a.pro")});
    CHECK(big.status == 2);
    CHECK_MESSAGE(Contains(big.err, "larger than 1 MiB"), big.err);
}

TEST_CASE("a file reached twice, through a folder and a link or another spelling, is taken once")
{
    ScratchFolder scratch("quarnel-cli-");
    const fs::path folder = scratch.path / "mod";
    fs::create_directory(folder);
    CleanCritter(1).Experience(100).WriteTo(folder / "00000001.pro");
    std::vector<std::string> files = {Text(folder), Text(folder / "." / "00000001.pro")};
#ifndef _WIN32
    fs::create_directory_symlink(folder, scratch.path / "link");
    fs::create_symlink(folder / "00000001.pro", scratch.path / "other.pro");
    files.push_back(Text(scratch.path / "link"));
    files.push_back(Text(scratch.path / "other.pro"));
#endif
    std::vector<std::string> arguments = {"set", "exp+=1", "--"};
    arguments.insert(arguments.end(), files.begin(), files.end());
    const Result set = Cli(arguments);
    CHECK_MESSAGE(set.status == 0, set.err);
    CHECK(ProRecord::View(folder / "00000001.pro").Field(404, 4) == 101);
    const Result shown = Cli({"show", Text(folder), Text(folder / "." / "00000001.pro")});
    CHECK(shown.out == Cli({"show", Text(folder / "00000001.pro")}).out);
}

TEST_CASE("4-byte fields take -2147483648 to 4294967295 as decimal, hexadecimal and JSON")
{
    ScratchFolder scratch("quarnel-cli-");
    const fs::path file = scratch.path / "00000001.pro";
    CleanCritter(1).WriteTo(file);
    auto set = [&](const std::string& edit) {
        SetArchiveOnly(file);
        return Cli({"set", edit, "--", Text(file)});
    };
    REQUIRE(set("critter_flags=4294967295").status == 0);
    CHECK(Slice(file, 44, 4) == Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
    REQUIRE(set("critter_flags=2147483648").status == 0);
    CHECK(Slice(file, 44, 4) == Bytes({0x80, 0, 0, 0}));
    REQUIRE(set("exp=-2147483648").status == 0);
    CHECK(Slice(file, 404, 4) == Bytes({0x80, 0, 0, 0}));
    REQUIRE(set("critter_flags=0x7FFFFFFF").status == 0);
    REQUIRE(set("critter_flags+=1").status == 0);
    CHECK(Slice(file, 44, 4) == Bytes({0x80, 0, 0, 0}));
    CHECK(Contains(set("critter_flags=4294967296").err, "is not a 32-bit integer"));
    CHECK(Contains(set("exp-=1").err, "exp: -2147483649 is out of range (-2147483648 to 4294967295)"));
    CHECK(Contains(set("pid=65536").err, "pid: 65536 is out of range (0 to 65535)"));

    const std::string json = Cli({"export", Text(file)}).out;
    auto imported = [&](const std::string& from, const std::string& to) {
        std::string edited = json;
        REQUIRE(Contains(edited, from));
        edited.replace(edited.find(from), from.size(), to);
        WriteTextFile(scratch.path / "in.json", edited);
        SetArchiveOnly(file);
        return Cli({"import", Text(scratch.path / "in.json"), Text(file)});
    };
    const std::string exp = "\"exp\": " + std::to_string(ProRecord::View(file).Field(404, 4));
    CHECK(imported(exp, "\"exp\": 4294967295").status == 0);
    CHECK(Slice(file, 404, 4) == Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
    CHECK(imported(exp, "\"exp\": 2147483648").status == 0);
    CHECK(Slice(file, 404, 4) == Bytes({0x80, 0, 0, 0}));
    const auto kept = ReadAllBytes(file);
    CHECK(Contains(imported(exp, "\"exp\": 4294967296").err, "exp: 4294967296 is out of range"));
    CHECK(Contains(imported(exp, "\"exp\": 18446744073709551616").err, "is not an integer"));
    CHECK(Contains(imported("\"game\": \"fo2\"", "\"game\": \"fo3\"").err, "neither \"fo1\" nor \"fo2\""));
    CHECK(ReadAllBytes(file) == kept);
}

TEST_CASE("check finds what breaks a shipped folder")
{
    ScratchFolder scratch("quarnel-cli-");
    for (const char* game : {"FO1", "FO2", "empty"})
        fs::create_directory(scratch.path / game);
    // A second-game critter in a first-game folder: the first game's kill types apply.
    CleanCritter(1).Set(408, 4, 15).WriteTo(scratch.path / "FO1" / "00000001.pro");
    CleanCritter(1, 412).WriteTo(scratch.path / "FO2" / "00000001.pro");
    CleanCritter(2).Set(0, 2, 0x0200).WriteTo(scratch.path / "FO2" / "00000002.pro");
    for (const char* game : {"FO1", "FO2"}) {
        WriteTextFile(scratch.path / game / "pro_crit.ini", "[Description]\n100=Man\n200=Dog\n");
        WriteTextFile(scratch.path / game / "pro_crit.msg", "{100}{}{Man}\n}\n");
    }

    const Result first = Cli({"check", Text(scratch.path / "FO1")});
    CHECK(first.status == 1);
    CHECK_MESSAGE(
        Contains(first.out, "00000001.pro: 416 bytes in a folder of the first game, whose critters have 412\n"),
        first.out);
    CHECK(Contains(first.out, "00000001.pro: kill_type = 15, not in the list of the first game\n"));
    CHECK(Contains(first.out, "pro_crit.msg, line 2"));

    const Result second = Cli({"check", Text(scratch.path / "FO2")});
    CHECK(Contains(second.out, "00000001.pro: 412 bytes in a folder of the second game, whose critters have 416\n"));
    CHECK(Contains(second.out, "00000002.pro: pid_type = 0x0200, not a critter (0x0100)\n"));

    const Result empty = Cli({"check", Text(scratch.path / "empty")});
    CHECK(empty.status == 1);
    CHECK(Contains(empty.out, "no *.pro file in the folder"));
}

TEST_CASE("messages say what is wrong")
{
    const Result unknown = Cli({"frob"});
    CHECK(unknown.status == 2);
    CHECK(
        Contains(unknown.err, "frob: unknown command; the commands are show, export, import, set, diff, check, names"));
    const Result version = Cli({"--version"});
    CHECK(version.status == 0);
    CHECK(version.out.rfind("quarnel-cli 1.", 0) == 0);

    ScratchFolder scratch("quarnel-cli-");
    const fs::path file = scratch.path / "00000001.pro";
    CleanCritter(1).WriteTo(file);
    const std::string json = Cli({"export", Text(file)}).out;
    auto imported = [&](const std::string& from, const std::string& to) {
        std::string edited = json;
        edited.replace(edited.find(from), from.size(), to);
        WriteTextFile(scratch.path / "in.json", edited);
        return Cli({"import", Text(scratch.path / "in.json"), Text(file)}).err;
    };
    CHECK(Contains(imported("\"ST\": 5", "\"ST\": 5, \"ST\": 6"), "base.ST: given twice"));
    CHECK(Contains(imported("\"pid\": 1", "\"pid\": 1, \"base.ST\": 6"),
                   "base.ST: not a key of its own; JSON nests it under \"base\""));

#ifndef _WIN32
    // Output that cannot be written is an error with a message, not a silent exit.
    const std::string command =
        QUARNEL_CLI_EXECUTABLE " show '" + Text(file) + "' > /dev/full 2> '" + Text(scratch.path / "err.txt") + "'";
    const int status = std::system(command.c_str());
    CHECK(WEXITSTATUS(status) == 2);
    CHECK(FileText(scratch.path / "err.txt") == "quarnel-cli: Disk full.\n");
#endif
}
