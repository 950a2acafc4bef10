// Names and new prototypes through the sources: a message file from an
// archive copied whole into the override folder with the change, a new
// prototype's file, list line and names, and each refusal writing nothing.
// Expected bytes are worked out by hand from the records and texts written.
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "platform/FileAttributes.h"
#include "platform/Refusal.h"
#include "source/FolderSource.h"
#include "source/NewPrototype.h"
#include "source/PrototypeNaming.h"
#include "source/TreeSource.h"
#include "TestDataFolders.h"

#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

const std::string kList = "00000001.pro\r\n00000002.pro\r\n";
const std::string kMessages = "# items\r\n{100}{}{Knife}\r\n{101}{}{A knife}\r\n{200}{}{Spear}\r\n{201}{}{A spear}\r\n";

std::vector<std::uint8_t> Item(int number)
{
    return ProtoBuilder(69, 0x31).Set(0, 4, number).TextId(number * 100).Bytes();
}

std::string TextOf(const fs::path& file)
{
    const std::vector<std::uint8_t> bytes = ReadAllBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

// A second game's install: two items, their list and names in master.dat;
// data the override folder; patch000.dat holds what a case puts in it.
struct Install {
    ScratchFolder scratch;
    fs::path root = scratch.path;
    fs::path data = root / "data";
    explicit Install(const std::string& language = "english", const std::string& messages = kMessages)
    {
        WriteAllBytes(root / "master.dat", Dat2Writer()
                                               .Stored("proto\\items\\items.lst", kList)
                                               .Stored("proto\\items\\00000001.pro", Item(1))
                                               .Zlib("proto\\items\\00000002.pro", Item(2))
                                               .Stored("text\\" + language + "\\game\\pro_item.msg", messages)
                                               .Build());
        fs::create_directories(data);
        WriteTextFile(root / "fallout2.cfg", "[system]\nmaster_patches=data\nlanguage=" + language + "\n");
    }
    void Patch(const std::string& path, const std::string& text)
    {
        WriteAllBytes(root / "patch000.dat", Dat2Writer().Stored(path, text).Build());
    }
    bool DataEmpty() const { return fs::is_empty(data); }
};

SourceFile TreeFile(const std::string& path) { return {PathFromUtf8(path), path}; }

// The kind of the refusal the call throws.
template <typename Call> RefusalKind KindOf(Call call)
{
    try {
        call();
    } catch (const Refusal& refusal) {
        return refusal.Kind();
    }
    FAIL("not refused");
    return RefusalKind::Io;
}

} // namespace

TEST_CASE("a new prototype: the list's next number, a read-only copy in the override folder, its line and names")
{
    Install install;
    TreeSource source(install.root);
    const NewPrototypePlan plan =
        PlanNewPrototype(source, TreeFile("proto/items/00000002.pro"), {"Pike", std::nullopt}, NameEncoding::Automatic);
    CHECK(plan.number == 3);
    CHECK(plan.textId == 300);
    CHECK_FALSE(NewPrototypeQuestion(source, plan));
    CHECK(install.DataEmpty()); // nothing written by working it out

    const SourceFile created = WriteNewPrototype(source, plan, false);
    CHECK(created.label == "proto/items/00000003.pro");
    const fs::path copy = install.data / "proto" / "items" / "00000003.pro";
    std::vector<std::uint8_t> expected = Item(2);
    expected[1] = 0, expected[2] = 0, expected[3] = 3;                        // PID 0x00000003
    expected[4] = 0, expected[5] = 0, expected[6] = 0x01, expected[7] = 0x2C; // text ID 300
    CHECK(ReadAllBytes(copy) == expected);
    CHECK(IsReadOnly(copy));
    CHECK(TextOf(install.data / "proto" / "items" / "items.lst") == kList + "00000003.pro\r\n");
    // The description is the copied prototype's.
    CHECK(TextOf(install.data / "text" / "english" / "game" / "pro_item.msg") ==
          kMessages + "{300}{}{Pike}\r\n{301}{}{A spear}\r\n");

    // The next one follows, with the override folder's copies changed in place.
    const NewPrototypePlan next = PlanNewPrototype(source, TreeFile("proto/items/00000001.pro"),
                                                   {std::nullopt, "Sharp"}, NameEncoding::Automatic);
    CHECK(next.number == 4);
    CHECK(WriteNewPrototype(source, next, false).label == "proto/items/00000004.pro");
    CHECK(TextOf(install.data / "proto" / "items" / "items.lst") == kList + "00000003.pro\r\n00000004.pro\r\n");
    CHECK(TextOf(install.data / "text" / "english" / "game" / "pro_item.msg") ==
          kMessages + "{300}{}{Pike}\r\n{301}{}{A spear}\r\n{400}{}{Knife}\r\n{401}{}{Sharp}\r\n");

    // The source lists both with their PIDs and names.
    const std::vector<SourceEntry> items = source.List(ProtoType::Item);
    REQUIRE(items.size() == 4);
    CHECK(items[2].pid == 3u);
    CHECK(items[3].pid == 4u);
    CHECK(items[3].textId == 400);
    const SourceNames names = source.Names(ProtoType::Item, NameEncoding::Automatic);
    CHECK(names.Text(300) == "Pike");
    CHECK(names.Text(401) == "Sharp");
}

TEST_CASE("a new prototype is refused, writing nothing, for a used text ID, a shadowed file or a taken number")
{
    const SourceFile from = TreeFile("proto/items/00000001.pro");
    const NameEdit texts{"Pike", std::nullopt};
    for (const char* used : {"{300}{}{Taken}\r\n", "{301}{}{Taken}\r\n"}) {
        Install install("english", kMessages + used);
        TreeSource source(install.root);
        try {
            PlanNewPrototype(source, from, texts, NameEncoding::Automatic);
            FAIL("a used text ID was taken");
        } catch (const SourceRefusal& refusal) {
            CHECK(std::string(refusal.what()) == "text ID " + std::string(used).substr(1, 3) +
                                                     " is already used in text/english/game/pro_item.msg (line 6)");
        }
    }

    for (const std::string shadowed : {"proto\\items\\items.lst", "text\\english\\game\\pro_item.msg"}) {
        CAPTURE(shadowed);
        Install install;
        install.Patch(shadowed, shadowed == "proto\\items\\items.lst" ? kList : kMessages);
        TreeSource source(install.root);
        const NewPrototypePlan plan = PlanNewPrototype(source, from, texts, NameEncoding::Automatic);
        const auto question = NewPrototypeQuestion(source, plan);
        REQUIRE(question);
        CHECK(question->find("is also in patch000.dat, which the game reads before data") != std::string::npos);
        CHECK(KindOf([&] { WriteNewPrototype(source, plan, false); }) == RefusalKind::Shadowed);
        CHECK(install.DataEmpty());
        CHECK(WriteNewPrototype(source, plan, true).label == "proto/items/00000003.pro");
    }

    Install install;
    TreeSource source(install.root);
    CHECK(KindOf([&] {
              PlanNewPrototype(source, from, {"a}b", std::nullopt}, NameEncoding::Automatic);
          }) == RefusalKind::Invalid);
    CHECK(KindOf([&] {
              PlanNewPrototype(source, from, {std::nullopt, "\xD0\x96"}, NameEncoding::Automatic);
          }) == RefusalKind::Invalid);
    // A file of the next number that the list does not name yet.
    const NewPrototypePlan plan = PlanNewPrototype(source, from, texts, NameEncoding::Automatic);
    WriteAllBytes(install.data / "proto" / "items" / "00000003.pro", Item(3));
    source.Refresh(TreeFile("proto/items/00000003.pro"));
    CHECK(KindOf([&] { WriteNewPrototype(source, plan, false); }) == RefusalKind::Changed);
    CHECK_FALSE(fs::exists(install.data / "proto" / "items" / "items.lst"));
    CHECK(KindOf([&] { PlanNewPrototype(source, from, texts, NameEncoding::Automatic); }) == RefusalKind::Invalid);
}

TEST_CASE("a new prototype is refused, writing nothing, when the list or names changed since it was worked out")
{
    for (const char* changed : {"proto/items/items.lst", "text/english/game/pro_item.msg"}) {
        CAPTURE(changed);
        Install install;
        TreeSource source(install.root);
        const NewPrototypePlan plan = PlanNewPrototype(source, TreeFile("proto/items/00000001.pro"),
                                                       {"Pike", std::nullopt}, NameEncoding::Automatic);
        // Another program's copy in the override folder now serves the file.
        WriteTextFile(install.data / PathFromUtf8(changed), "{900}{}{Other}\r\n");
        source.Refresh(TreeFile(changed));
        CHECK(KindOf([&] { WriteNewPrototype(source, plan, false); }) == RefusalKind::Changed);
        CHECK_FALSE(fs::exists(install.data / "proto" / "items" / "00000003.pro"));
    }
}

TEST_CASE("a write that fails after the checks names what was written and what was not")
{
#ifdef _WIN32
    ReportSkipped("a folder that refuses new files is made on Linux only");
#else
    if (::geteuid() == 0) {
        ReportSkipped("needs an unprivileged run: root writes into any folder");
        return;
    }
    Install install;
    // The override folder's copy of the names may be written, its folder takes no new file.
    const fs::path game = install.data / "text" / "english" / "game";
    WriteTextFile(game / "pro_item.msg", kMessages);
    fs::permissions(game, fs::perms::owner_read | fs::perms::owner_exec);
    TreeSource source(install.root);
    const NewPrototypePlan plan =
        PlanNewPrototype(source, TreeFile("proto/items/00000001.pro"), {"Pike", std::nullopt}, NameEncoding::Automatic);
    try {
        WriteNewPrototype(source, plan, false);
        FAIL("the write into a closed folder succeeded");
    } catch (const SourceRefusal& refusal) {
        const std::string text = refusal.what();
        CHECK(text.find("text/english/game/pro_item.msg: ") == 0);
        CHECK(text.find("; written: proto/items/00000003.pro; not written: text/english/game/pro_item.msg, "
                        "proto/items/items.lst") != std::string::npos);
    }
    CHECK(fs::exists(install.data / "proto" / "items" / "00000003.pro"));
    CHECK(TextOf(game / "pro_item.msg") == kMessages);
    CHECK_FALSE(fs::exists(install.data / "proto" / "items" / "items.lst"));
#endif
}

TEST_CASE("a new prototype's number fits the 24 bits of a PID: the last one is taken, the one past it refused")
{
    ScratchFolder mod;
    const fs::path items = mod.path / "proto" / "items";
    WriteAllBytes(items / "00000001.pro", Item(1));
    WriteTextFile(mod.path / "text" / "english" / "game" / "pro_item.msg", "{100}{}{Knife}\n");
    const std::string lines(0xFFFFFE - 1, '\n');
    WriteTextFile(items / "items.lst", "00000001.pro\n" + lines);
    {
        TreeSource source(mod.path);
        const NewPrototypePlan last =
            PlanNewPrototype(source, TreeFile("proto/items/00000001.pro"), {}, NameEncoding::Automatic);
        CHECK(last.number == 0xFFFFFFu);
        CHECK(last.textId == 1677721500); // 0x64000000 - 100
        CHECK(last.path == "proto/items/16777215.pro");
        CHECK(std::vector<std::uint8_t>(last.bytes.begin(), last.bytes.begin() + 8) ==
              std::vector<std::uint8_t>{0x00, 0xFF, 0xFF, 0xFF, 0x63, 0xFF, 0xFF, 0x9C});
    }
    WriteTextFile(items / "items.lst", "00000001.pro\n" + lines + "x.pro\n");
    TreeSource source(mod.path);
    CHECK(KindOf([&] {
              PlanNewPrototype(source, TreeFile("proto/items/00000001.pro"), {}, NameEncoding::Automatic);
          }) == RefusalKind::Invalid);
}

TEST_CASE("a rename writes the message file whole into the override folder, only when a text changes")
{
    Install install;
    TreeSource source(install.root);
    const SourceFile knife = TreeFile("proto/items/00000001.pro");
    const RenamePlan same = PlanRename(source, knife, {"Knife", "A knife"}, std::nullopt, NameEncoding::Automatic);
    CHECK_FALSE(same.Changes());
    CHECK_FALSE(RenameQuestion(source, same));
    CHECK_FALSE(WriteRename(source, same, false).changed);
    CHECK(install.DataEmpty());

    const RenamePlan plan = PlanRename(source, knife, {"Dagger", std::nullopt}, std::nullopt, NameEncoding::Automatic);
    CHECK(plan.textId == 100);
    CHECK(WriteRename(source, plan, false).changed);
    const fs::path copy = install.data / "text" / "english" / "game" / "pro_item.msg";
    CHECK(TextOf(copy) == "# items\r\n{100}{}{Dagger}\r\n{101}{}{A knife}\r\n{200}{}{Spear}\r\n{201}{}{A spear}\r\n");
    // Again: the copy in the override folder is the one changed.
    WriteRename(source, PlanRename(source, knife, {std::nullopt, "Short"}, std::nullopt, NameEncoding::Automatic),
                false);
    CHECK(TextOf(copy) == "# items\r\n{100}{}{Dagger}\r\n{101}{}{Short}\r\n{200}{}{Spear}\r\n{201}{}{A spear}\r\n");
}

TEST_CASE("a rename asks before a copy the game would not use and refuses it without force")
{
    Install install;
    install.Patch("text\\english\\game\\pro_item.msg", kMessages);
    TreeSource source(install.root);
    const RenamePlan plan = PlanRename(source, TreeFile("proto/items/00000002.pro"), {"Pike", std::nullopt},
                                       std::nullopt, NameEncoding::Automatic);
    REQUIRE(RenameQuestion(source, plan));
    CHECK(KindOf([&] { WriteRename(source, plan, false); }) == RefusalKind::Shadowed);
    CHECK(install.DataEmpty());
    CHECK(WriteRename(source, plan, true).changed);
    CHECK(TextOf(install.data / "text" / "english" / "game" / "pro_item.msg") ==
          "# items\r\n{100}{}{Knife}\r\n{101}{}{A knife}\r\n{200}{}{Pike}\r\n{201}{}{A spear}\r\n");
}

TEST_CASE("a Russian install's names are written in Windows-1251, the chosen encoding overriding")
{
    Install install("russian");
    TreeSource source(install.root);
    const SourceFile knife = TreeFile("proto/items/00000001.pro");
    WriteRename(
        source,
        PlanRename(source, knife, {"\xD0\x9D\xD0\xBE\xD0\xB6", std::nullopt}, std::nullopt, NameEncoding::Automatic),
        false);
    const fs::path copy = install.data / "text" / "russian" / "game" / "pro_item.msg";
    CHECK(TextOf(copy) ==
          "# items\r\n{100}{}{\xCD\xEE\xE6}\r\n{101}{}{A knife}\r\n{200}{}{Spear}\r\n{201}{}{A spear}\r\n");
    CHECK(KindOf([&] {
              PlanRename(source, knife, {"\xD0\x96", std::nullopt}, std::nullopt, NameEncoding::Cp1252);
          }) == RefusalKind::Invalid);
}

TEST_CASE("a loose prototype's message file is changed in place, refused when it changed since it was read")
{
    ScratchFolder folder;
    WriteAllBytes(folder.path / "00000002.pro", Item(2));
    const fs::path messages = folder.path / "names.msg";
    WriteTextFile(messages, "{200}{}{Spear}\n{201}{}{A\nspear}\n");
    FolderSource source;
    const MessageFileRef ref = source.NamedMessageFile(Utf8FromPath(messages), NameEncoding::Automatic);
    const SourceFile spear = source.ResolveOne(Utf8FromPath(folder.path / "00000002.pro"));
    const RenamePlan plan = PlanRename(source, spear, {"Pike", "A pike"}, ref, NameEncoding::Automatic);
    CHECK(WriteRename(source, plan, false).changed);
    CHECK(TextOf(messages) == "{200}{}{Pike}\n{201}{}{A pike}\n");

    const RenamePlan later = PlanRename(source, spear, {"Lance", std::nullopt}, ref, NameEncoding::Automatic);
    WriteTextFile(messages, "{200}{}{Pike}\n{201}{}{A pike}\n{5}{}{x}\n");
    CHECK(KindOf([&] { WriteRename(source, later, false); }) == RefusalKind::Changed);
    CHECK(TextOf(messages) == "{200}{}{Pike}\n{201}{}{A pike}\n{5}{}{x}\n");
}
