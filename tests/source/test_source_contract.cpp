// One contract for every kind of prototype source: the same cases run over
// a game folder beside the program (FO2 with its name table and picture
// archive) and over a game's install holding the same critters, one inside
// master.dat and one loose in its override folder. Listing, reading,
// writing in place, refusing, names and art must agree.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "DatWriter.h"
#include "FrmBuilder.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "ZipWriter.h"
#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "source/FolderSource.h"
#include "source/TreeSource.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

// The critters every source holds: a second game's, a first game's, and a
// file too short to be any critter.
const std::vector<std::uint8_t> kFirst = ProtoBuilder(416, 0x11).TextId(100).FidIndex(1).Bytes();
const std::vector<std::uint8_t> kSecond = ProtoBuilder(412, 0x22).TextId(200).FidIndex(2).Bytes();
const std::vector<std::uint8_t> kShort(10, 0x33);
const char* const kFirstName = "00000001.pro";
const char* const kSecondName = "00000002.pro";
const char* const kShortName = "00000003.pro";
// "Ratté" in Windows-1252 in both name files; the source gives it as UTF-8.
const char* const kRawName = "Ratt\xE9";
const char* const kUtf8Name = "Ratt\xC3\xA9";

std::vector<std::uint8_t> OnePixelFrm()
{
    FrmRecipe recipe;
    recipe.frameSets = {{FrmFrameRecipe{1, 1, {7}, 0, 0, std::nullopt}}};
    return BuildFrm(recipe);
}

// One source over scratch files, and how its files are named and stored.
struct Fixture {
    ScratchFolder root{"quarnel-source-"};
    std::unique_ptr<PrototypeSource> source;
    std::function<std::string(const std::string&)> label; // the label of a critter by file name
    std::function<fs::path(const std::string&)> stored;   // where a write of it goes on disk
    std::function<std::string(const std::string&)> layer; // the layer it is listed in
    std::function<std::string(const PrototypeArt&)> art;  // the picture's base name
    std::string folderArgument;                           // names the critters' folder
    std::string emptyFolderArgument;                      // names a folder holding no prototype
    std::string missingFile;                              // names no file
    fs::path folder;                                      // the folder the source stands for
};

// The folder beside the program: FO2 with pro_crit.ini, frm_critters.zip.
void FolderFixture(Fixture& f)
{
    const fs::path folder = f.root.path / "FO2";
    fs::create_directories(folder);
    fs::create_directories(f.root.path / "empty");
    WriteAllBytes(folder / kFirstName, kFirst);
    WriteAllBytes(folder / kSecondName, kSecond);
    WriteAllBytes(folder / kShortName, kShort);
    WriteTextFile(folder / "pro_crit.ini", std::string("[Description]\r\n100=") + kRawName + "\r\n200=Mole\r\n");
    ZipWriter()
        .Stored("gif_critters.lst", "reservaa\r\nhmjmpsaa\r\nmaddogaa\r\n")
        .WriteTo(f.root.path / "frm_critters.zip");
    f.source =
        std::make_unique<FolderSource>(GameFolderFiles{folder, f.root.path / "frm_critters.zip", f.root.path / "temp"});
    f.label = [folder](const std::string& name) { return Utf8FromPath(folder / name); };
    f.stored = [folder](const std::string& name) { return folder / name; };
    f.layer = [](const std::string&) { return std::string("FO2"); };
    f.art = [](const PrototypeArt& art) { return art.previewBases.empty() ? std::string() : art.previewBases[0]; };
    f.folderArgument = Utf8FromPath(folder);
    f.emptyFolderArgument = Utf8FromPath(f.root.path / "empty");
    f.missingFile = Utf8FromPath(folder / "00000009.pro");
    f.folder = folder;
}

// A second game's install: the first critter, the names and the art in
// master.dat, the others loose in the override folder data.
void TreeFixture(Fixture& f)
{
    const fs::path data = f.root.path / "data";
    WriteAllBytes(
        f.root.path / "master.dat",
        Dat2Writer()
            .Stored("proto\\critters\\00000001.pro", kFirst)
            .Stored("text\\english\\game\\pro_crit.msg", std::string("{100}{}{") + kRawName + "}\r\n{200}{}{Mole}\r\n")
            .Stored("art\\critters\\critters.lst", "reserv\r\nhmjmps,11,1\r\nmaddog,16\r\n")
            .Stored("art\\critters\\HMJMPSAA.FRM", OnePixelFrm())
            .Stored("color.pal", BuildPalette())
            .Build());
    WriteAllBytes(f.root.path / "critter.dat", Dat2Writer().Build());
    WriteTextFile(f.root.path / "fallout2.cfg", "[system]\nmaster_patches=data\n");
    WriteAllBytes(data / "proto" / "critters" / kSecondName, kSecond);
    WriteAllBytes(data / "proto" / "critters" / kShortName, kShort);
    fs::create_directories(data / "proto" / "empty");
    auto tree = std::make_unique<TreeSource>(f.root.path);
    REQUIRE(tree->Tree().Warnings().empty());
    f.source = std::move(tree);
    f.label = [](const std::string& name) { return "proto/critters/" + name; };
    f.stored = [data](const std::string& name) { return data / "proto" / "critters" / name; };
    f.layer = [](const std::string& name) { return name == kFirstName ? "master.dat" : "data"; };
    f.art = [](const PrototypeArt& art) { return art.frm ? art.frm->baseName : std::string(); };
    f.folderArgument = "proto/critters";
    f.emptyFolderArgument = "proto/empty";
    f.missingFile = "proto/critters/00000009.pro";
    f.folder = f.root.path;
}

// Runs a case over every kind of source, naming the kind in a failure.
void ForEachSource(const std::function<void(Fixture&)>& check)
{
    const std::pair<const char*, void (*)(Fixture&)> kinds[] = {{"folder", FolderFixture}, {"tree", TreeFixture}};
    for (const auto& [kind, build] : kinds) {
        const std::string source = kind;
        CAPTURE(source);
        Fixture fixture;
        build(fixture);
        check(fixture);
    }
}

std::vector<std::uint8_t> Edited(std::vector<std::uint8_t> bytes, std::size_t offset, std::uint8_t value)
{
    bytes.at(offset) = value;
    return bytes;
}

} // namespace

TEST_CASE("a source lists its critters in name order with layer, text ID and size, and nothing of other types")
{
    ForEachSource([](Fixture& f) {
        const std::vector<SourceEntry> entries = f.source->List(ProtoType::Critter);
        REQUIRE(entries.size() == 3);
        const struct {
            const char* name;
            std::optional<std::int32_t> textId;
            std::size_t size;
        } expected[] = {{kFirstName, 100, 416}, {kSecondName, 200, 412}, {kShortName, std::nullopt, 10}};
        for (std::size_t i = 0; i < entries.size(); ++i) {
            CAPTURE(i);
            CHECK(entries[i].fileName == expected[i].name);
            CHECK(entries[i].file.label == f.label(expected[i].name));
            CHECK(entries[i].layer == f.layer(expected[i].name));
            CHECK(entries[i].textId == expected[i].textId);
            CHECK(entries[i].recordSize == expected[i].size);
        }
        CHECK(f.source->List(ProtoType::Item).empty());
        CHECK(f.source->Which() == Game::Second);
        CHECK(fs::equivalent(f.source->Folder(), f.folder));
    });
}

TEST_CASE("a source resolves arguments: a folder stands for its prototypes, each file once, nothing named refused")
{
    ForEachSource([](Fixture& f) {
        const std::vector<SourceFile> files =
            f.source->Resolve({f.label(kSecondName), f.folderArgument, f.label(kSecondName)});
        std::vector<std::string> labels;
        for (const SourceFile& file : files)
            labels.push_back(file.label);
        CHECK(labels == std::vector<std::string>{f.label(kSecondName), f.label(kFirstName), f.label(kShortName)});
        CHECK(f.source->NamesOneFile(f.label(kFirstName)));
        CHECK_FALSE(f.source->NamesOneFile(f.folderArgument));
        try {
            f.source->Resolve({f.emptyFolderArgument});
            FAIL("an empty folder was resolved");
        } catch (const SourceRefusal& refusal) {
            CHECK(refusal.Kind() == RefusalKind::NotFound);
        }
        // A file that is not there is never read, whether refused when named or when read.
        CHECK_THROWS(f.source->Read(f.source->ResolveOne(f.missingFile)));
    });
}

TEST_CASE("a source reads a critter's bytes with their size and layer, and decides its game")
{
    ForEachSource([](Fixture& f) {
        for (const auto& [name, bytes] : {std::pair{kFirstName, kFirst}, std::pair{kSecondName, kSecond}}) {
            const std::string file = name;
            CAPTURE(file);
            const LoadedPrototype loaded = f.source->Read(f.source->ResolveOne(f.label(name)));
            CHECK(loaded.bytes == bytes);
            CHECK(loaded.sizeText == std::to_string(bytes.size()) + " bytes");
            CHECK(loaded.layer == f.layer(name));
            CHECK_FALSE(f.source->CopyChange(loaded).has_value());
            // FO2 and the second game's install both say: the second game, whatever the size.
            CHECK(f.source->IsSecondGame(loaded.file, bytes.size(), std::nullopt));
            CHECK_FALSE(f.source->IsSecondGame(loaded.file, bytes.size(), false));
        }
    });
}

TEST_CASE("a source writes a changed critter where it is read from next, read-only kept, and nothing for no change")
{
    ForEachSource([](Fixture& f) {
        for (const std::string name : {kFirstName, kSecondName}) {
            CAPTURE(name);
            if (fs::exists(f.stored(name)))
                SetReadOnlyOnly(f.stored(name));
            const SourceFile file = f.source->ResolveOne(f.label(name));
            const LoadedPrototype loaded = f.source->Read(file);
            CHECK_FALSE(f.source->WriteQuestion(file).has_value());
            CHECK_NOTHROW(f.source->CheckWritable(file, false));

            const SourceWrite same = f.source->Write(loaded, loaded.bytes, false);
            CHECK_FALSE(same.changed);

            const std::vector<std::uint8_t> after = Edited(loaded.bytes, 40, 0xC4);
            const SourceWrite written = f.source->Write(loaded, after, false);
            CHECK(written.changed);
            CHECK(fs::equivalent(PathFromUtf8(written.where), f.stored(name)));
            CHECK(ReadAllBytes(f.stored(name)) == after);
            CHECK(IsReadOnly(f.stored(name)));
            // What a read gives now is what was written.
            f.source->Refresh(file);
            CHECK(f.source->Read(f.source->ResolveOne(f.label(name))).bytes == after);
        }
    });
}

TEST_CASE("a source refuses a write when the copy changed since it was read, by kind, writing nothing")
{
    ForEachSource([](Fixture& f) {
        const LoadedPrototype loaded = f.source->Read(f.source->ResolveOne(f.label(kSecondName)));
        const std::vector<std::uint8_t> other = Edited(kSecond, 100, 0x01);
        WriteAllBytes(f.stored(kSecondName), other);

        const auto change = f.source->CopyChange(loaded);
        REQUIRE(change.has_value());
        CHECK(change->Kind() == RefusalKind::Changed);
        try {
            f.source->Write(loaded, Edited(loaded.bytes, 40, 0xC4), false);
            FAIL("a changed copy was written over");
        } catch (const SourceRefusal& refusal) {
            CHECK(refusal.Kind() == RefusalKind::Changed);
        }
        CHECK(ReadAllBytes(f.stored(kSecondName)) == other);
    });
}

TEST_CASE("a source refuses a write when a folder stands where the copy goes, and leaves the folder")
{
    ForEachSource([](Fixture& f) {
        const SourceFile file = f.source->ResolveOne(f.label(kFirstName));
        const LoadedPrototype loaded = f.source->Read(file);
        fs::remove(f.stored(kFirstName));
        fs::create_directories(f.stored(kFirstName) / "inside");
        CHECK_THROWS(f.source->CheckWritable(file, false));
        CHECK_THROWS(f.source->Write(loaded, Edited(loaded.bytes, 40, 0xC4), false));
        CHECK(fs::is_directory(f.stored(kFirstName) / "inside"));
    });
}

TEST_CASE("a source gives the names of its critters as UTF-8 and the art their FID names")
{
    ForEachSource([](Fixture& f) {
        const SourceNames names = f.source->Names(ProtoType::Critter, NameEncoding::Automatic);
        CHECK(names.missing.empty());
        CHECK(names.names.error.empty());
        CHECK(names.Text(100) == kUtf8Name);
        CHECK(names.Text(200) == "Mole");
        CHECK(names.Text(300).empty());
        // The user's choice of encoding applies: UTF-8 makes the lone é byte a replacement character.
        CHECK(f.source->Names(ProtoType::Critter, NameEncoding::Utf8).Text(100) == "Ratt\xEF\xBF\xBD");

        CHECK(f.art(f.source->Art(0x01000001)) == "hmjmpsaa");
        CHECK(f.art(f.source->Art(0x01000002)) == "maddogaa");
    });
}

TEST_CASE(
    "a tree refuses a write when another layer serves the critter now, and asks before a write the game would not use")
{
    Fixture f;
    TreeFixture(f);
    const SourceFile first = f.source->ResolveOne(f.label(kFirstName));
    const LoadedPrototype loaded = f.source->Read(first);
    REQUIRE(loaded.layer == "master.dat");
    // The same bytes, but now in data, which the game reads before master.dat.
    WriteAllBytes(f.stored(kFirstName), kFirst);
    const auto change = f.source->CopyChange(loaded);
    REQUIRE(change.has_value());
    CHECK(change->Kind() == RefusalKind::OtherLayerWins);
    CHECK(std::string(change->what()) ==
          "00000001.pro is now read from data, not from master.dat where it was loaded from");
    try {
        f.source->Write(loaded, Edited(kFirst, 40, 0xC4), false);
        FAIL("a copy of another layer was written over");
    } catch (const SourceRefusal& refusal) {
        CHECK(refusal.Kind() == RefusalKind::OtherLayerWins);
    }
    CHECK(ReadAllBytes(f.stored(kFirstName)) == kFirst);

    // A patch archive the game reads before data holds the second critter.
    WriteAllBytes(f.root.path / "patch000.dat", Dat2Writer().Stored("proto\\critters\\00000002.pro", kSecond).Build());
    TreeSource patched(f.root.path);
    const SourceFile second = patched.ResolveOne(f.label(kSecondName));
    const LoadedPrototype shadowed = patched.Read(second);
    CHECK(shadowed.layer == "patch000.dat");
    CHECK(patched.WriteQuestion(second) ==
          "00000002.pro is also in patch000.dat, which the game reads before data. A copy saved in data would not be "
          "used. Save anyway?");
    try {
        patched.Write(shadowed, Edited(kSecond, 40, 0xC4), false);
        FAIL("a shadowed write went ahead unforced");
    } catch (const SourceRefusal& refusal) {
        CHECK(refusal.Kind() == RefusalKind::Shadowed);
    }
    CHECK(ReadAllBytes(f.stored(kSecondName)) == kSecond);
    CHECK(patched.Write(shadowed, Edited(kSecond, 40, 0xC4), true).changed);
    CHECK(ReadAllBytes(f.stored(kSecondName)) == Edited(kSecond, 40, 0xC4));
}

TEST_CASE("a tree names what it has no names for, and a folder without a name table says why it cannot read one")
{
    Fixture tree;
    TreeFixture(tree);
    CHECK(tree.source->Names(ProtoType::Item, NameEncoding::Automatic).missing ==
          "no text/english/game/pro_item.msg, so no names");
    Fixture folder;
    FolderFixture(folder);
    fs::remove(folder.root.path / "FO2" / "pro_crit.ini");
    CHECK_THROWS_AS(folder.source->Names(ProtoType::Critter, NameEncoding::Automatic), IoError);
}
