// new and rename on a mod's tree and an install, read back through show and
// check; check's shared text IDs, PIDs past 16 bits and every prototype
// folder of a tree. Expected texts and bytes are worked out by hand.
#include <doctest/doctest.h>

#include "CliTestSupport.h"
#include "ScratchFolder.h"
#include "platform/FileAttributes.h"

#include <filesystem>
#include <string>

using namespace quarnel;
using namespace quarnel::test;
using namespace quarnel::test::cli;
namespace fs = std::filesystem;

namespace {

std::string TextOf(const fs::path& file)
{
    const std::vector<std::uint8_t> bytes = ReadAllBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

// A mod's tree with two clean items, their list (CR LF) and their names.
struct ItemTree {
    ScratchFolder root{"quarnel-names-"};
    ItemFolders folders{root.path};
    fs::path list = folders.items / "items.lst";
    fs::path messages = folders.messages / "pro_item.msg";
    ItemTree()
    {
        ValidItem(6, 1).WriteTo(folders.items / "00000001.pro");
        ValidItem(6, 2).WriteTo(folders.items / "00000002.pro");
        WriteTextFile(list, "00000001.pro\r\n00000002.pro\r\n");
        WriteTextFile(messages, "{100}{}{Rock}\r\n{101}{}{A rock}\r\n{200}{}{Stone}\r\n{201}{}{A stone}\r\n");
    }
    std::string Path() const { return Text(root.path); }
};

} // namespace

TEST_CASE("new makes the next prototype of the list, read back by show and passed by check")
{
    ItemTree tree;
    const Result made = Cli({"new", "--data", tree.Path(), "proto/items/00000002.pro", "--name", "Pebble",
                             "--description", "A small stone"});
    CHECK(made.status == 0);
    CHECK(made.out == "proto/items/00000003.pro\n");
    CHECK(made.err.empty());
    const fs::path created = tree.folders.items / "00000003.pro";
    CHECK(IsReadOnly(created));
    std::vector<std::uint8_t> expected = ValidItem(6, 2).PidNumber(3).TextId(300).Bytes();
    CHECK(ReadAllBytes(created) == expected);
    CHECK(TextOf(tree.list) == "00000001.pro\r\n00000002.pro\r\n00000003.pro\r\n");
    CHECK(TextOf(tree.messages) == "{100}{}{Rock}\r\n{101}{}{A rock}\r\n{200}{}{Stone}\r\n{201}{}{A stone}\r\n"
                                   "{300}{}{Pebble}\r\n{301}{}{A small stone}\r\n");

    const Result shown = Cli({"show", "--data", tree.Path(), "proto/items/00000003.pro"});
    CHECK(shown.status == 0);
    CHECK(Contains(shown.out, "# name: Pebble\n# description: A small stone\n"));
    CHECK(Contains(shown.out, "pid = 3\n"));

    // The next one, with the copied prototype's texts.
    const Result next = Cli({"new", "--data", tree.Path(), "proto/items/00000001.pro"});
    CHECK(next.out == "proto/items/00000004.pro\n");
    CHECK(Contains(TextOf(tree.messages), "{400}{}{Rock}\r\n{401}{}{A rock}\r\n"));
    const Result check = Cli({"check", "--data", tree.Path()});
    CHECK_MESSAGE(check.status == 0, check.out);
    CHECK(check.out.empty());
}

TEST_CASE("new refuses, writing nothing, a used text ID, a text the game would read otherwise, a shadowed list")
{
    ItemTree tree;
    WriteTextFile(tree.messages, "{100}{}{Rock}\r\n{301}{}{Used}\r\n");
    const Result used = Cli({"new", "--data", tree.Path(), "proto/items/00000001.pro", "--name", "X"});
    CHECK(used.status == 2);
    CHECK(used.err == "quarnel-cli: proto/items/00000001.pro: text ID 301 is already used in "
                      "text/english/game/pro_item.msg (line 2)\n");
    WriteTextFile(tree.messages, "{100}{}{Rock}\r\n");
    const Result brace = Cli({"new", "--data", tree.Path(), "proto/items/00000001.pro", "--name", "{x}"});
    CHECK(brace.status == 2);
    CHECK(brace.err == "quarnel-cli: proto/items/00000001.pro: name: holds a '}', which ends a message text for "
                       "the game\n");
    CHECK_FALSE(fs::exists(tree.folders.items / "00000003.pro"));
    CHECK(TextOf(tree.list) == "00000001.pro\r\n00000002.pro\r\n");
    CHECK(TextOf(tree.messages) == "{100}{}{Rock}\r\n");
    CHECK(Cli({"new", tree.Path() + "/proto/items/00000001.pro"}).status == 2); // --data is required

    // An install whose patch archive holds the list: refused unless forced.
    ScratchFolder install("quarnel-names-install-");
    WriteAllBytes(install.path / "master.dat", Dat2Writer()
                                                   .Stored("proto\\items\\items.lst", "00000001.pro\r\n")
                                                   .Stored("proto\\items\\00000001.pro", ValidItem(6, 1).Bytes())
                                                   .Stored("text\\english\\game\\pro_item.msg", "{100}{}{Rock}\n")
                                                   .Build());
    WriteAllBytes(install.path / "patch000.dat",
                  Dat2Writer().Stored("proto\\items\\items.lst", "00000001.pro\r\n").Build());
    WriteTextFile(install.path / "fallout2.cfg", "[system]\nmaster_patches=data\n");
    const Result shadowed = Cli({"new", "--data", Text(install.path), "proto/items/00000001.pro"});
    CHECK(shadowed.status == 2);
    CHECK(shadowed.err == "quarnel-cli: proto/items/items.lst is also in patch000.dat, which the game reads first; "
                          "a copy in data would not be used\n");
    CHECK_FALSE(fs::exists(install.path / "data"));
    const Result forced = Cli({"new", "--data", Text(install.path), "proto/items/00000001.pro", "--force"});
    CHECK(forced.status == 0);
    CHECK(TextOf(install.path / "data" / "proto" / "items" / "items.lst") == "00000001.pro\r\n00000002.pro\r\n");
    CHECK(TextOf(install.path / "data" / "text" / "english" / "game" / "pro_item.msg") ==
          "{100}{}{Rock}\n{200}{}{Rock}\n");
}

TEST_CASE("rename sets the name and description in the tree's or the named message file")
{
    ItemTree tree;
    const Result renamed = Cli({"rename", "--data", tree.Path(), "proto/items/00000001.pro", "--name",
                                "Caf\xC3\xA9 rock", "--description", "\xE2\x82\xAC 5"});
    CHECK(renamed.status == 0);
    CHECK(renamed.out.empty());
    CHECK(TextOf(tree.messages) ==
          "{100}{}{Caf\xE9 rock}\r\n{101}{}{\x80 5}\r\n{200}{}{Stone}\r\n{201}{}{A stone}\r\n");
    CHECK(Contains(Cli({"show", "--data", tree.Path(), "proto/items/00000001.pro"}).out,
                   "# name: Caf\xC3\xA9 rock\n# description: \xE2\x82\xAC 5\n"));

    // A loose prototype and its message file given with --msg, in the code page chosen.
    ScratchFolder loose("quarnel-names-loose-");
    ValidItem(6, 2).WriteTo(loose.path / "stone.pro");
    WriteTextFile(loose.path / "items.msg", "{200}{}{Stone}\n");
    const Result cyrillic = Cli({"rename", Text(loose.path / "stone.pro"), "--msg", Text(loose.path / "items.msg"),
                                 "--name", "\xD0\x9A\xD0\xB0\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x8C", "--encoding", "cp1251"});
    CHECK(cyrillic.status == 0);
    CHECK(TextOf(loose.path / "items.msg") == "{200}{}{\xCA\xE0\xEC\xE5\xED\xFC}\n");
    const Result western =
        Cli({"rename", Text(loose.path / "stone.pro"), "--msg", Text(loose.path / "items.msg"), "--name", "\xD0\x9A"});
    CHECK(western.status == 2);
    CHECK(Contains(western.err, "name: '\xD0\x9A' (U+041A) is not in Windows-1252, the message file's encoding"));
    CHECK(TextOf(loose.path / "items.msg") == "{200}{}{\xCA\xE0\xEC\xE5\xED\xFC}\n");
    CHECK(Cli({"rename", Text(loose.path / "stone.pro"), "--msg", Text(loose.path / "items.msg")}).status == 2);
}

TEST_CASE("check reports a text ID two prototypes of a type share and a list line whose file has another PID")
{
    ItemTree tree;
    ValidItem(6, 3).TextId(100).WriteTo(tree.folders.items / "00000003.pro");
    // PID 0x00010004: its number is 65540, not line 4.
    ValidItem(6, 4).Set(0, 4, 0x00010004).WriteTo(tree.folders.items / "00000004.pro");
    WriteTextFile(tree.list, "00000001.pro\r\n00000002.pro\r\n00000003.pro\r\n00000004.pro\r\n");
    const Result check = Cli({"check", Text(tree.folders.items)});
    CHECK(check.status == 1);
    CHECK(check.out == "00000003.pro: text_id = 100 is also that of 00000001.pro\n"
                       "00000004.pro: pid = 65540, but the file is on line 4 of items.lst\n"
                       "00000004.pro: text_id = 400 has no name in pro_item.msg\n");
    const Result data = Cli({"check", "--data", tree.Path()});
    CHECK(data.status == 1);
    CHECK(data.out == "00000003.pro: text_id = 100 is also that of 00000001.pro\n"
                      "00000004.pro: text_id = 400 has no name in text/english/game/pro_item.msg\n"
                      "00000004.pro: pid = 65540, but the file is on line 4 of items.lst\n");
}

TEST_CASE("check takes a critter's PID number from its 24 bits")
{
    ScratchFolder folder("quarnel-names-FO2-");
    const fs::path critters = folder.path / "FO2";
    fs::create_directories(critters);
    WriteTextFile(critters / "pro_crit.ini", "[Description]\n100=Man\n200=Dog\n");
    // 70000 = 0x011170: the PID 0x01011170 is critter 70000.
    CleanCritter(0).Set(0, 4, 0x01011170).TextId(100).WriteTo(critters / "00070000.pro");
    // 4464 = 0x1170: a file name that only the PID's low 16 bits agree with.
    CleanCritter(0).Set(0, 4, 0x01011170).TextId(200).WriteTo(critters / "00004464.pro");
    const Result check = Cli({"check", Text(critters)});
    CHECK(check.out == "00004464.pro: pid = 70000, the file name says 4464\n");
}

TEST_CASE("check --data without a folder checks every prototype folder the tree has, and none it lacks")
{
    ItemTree tree;
    fs::create_directories(tree.root.path / "proto" / "critters");
    CleanCritter(1).TextId(100).WriteTo(tree.root.path / "proto" / "critters" / "00000001.pro");
    WriteTextFile(tree.root.path / "proto" / "critters" / "critters.lst", "00000001.pro\r\n");
    WriteTextFile(tree.folders.messages / "pro_crit.msg", "{100}{}{Man}\n");
    // A misc prototype without a list; walls, scenery and tiles are not there at all.
    ProtoBuilder(28).Set(0, 4, 0x05000001).TextId(100).Set(8, 4, 0x05000001).WriteTo(tree.folders.misc / "m.pro");
    const Result check = Cli({"check", "--data", tree.Path()});
    CHECK(check.status == 1);
    CHECK(check.out == "art/critters/critters.lst: missing: no critter has a standing picture\n"
                       "pro_misc.msg: missing in text/english/game: the names of the text IDs are not checked\n"
                       "proto/misc/misc.lst: missing: the game finds none of these files without it\n");
}

TEST_CASE("the help lists new and rename")
{
    const Result help = Cli({"--help"});
    CHECK(Contains(help.out, "  new "));
    CHECK(Contains(help.out, "  rename "));
    CHECK(Contains(Cli({"frob"}).err, "the commands are show, export, import, set, diff, check, names, dat, data, art, "
                                      "frm, new, rename, merge\n"));
}
