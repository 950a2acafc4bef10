// dat pack: a tree of real and generated files packed in both formats and
// read back through the archive reader; what is stored; an existing archive
// refused; names refused before anything is written; failing writes that
// leave nothing behind.
#include <doctest/doctest.h>

#include "CliTestSupport.h"
#include "ScratchFolder.h"
#include "gamedata/Archive.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cctype>
#include <map>
#include <set>

namespace fs = std::filesystem;
using namespace quarnel;
using namespace quarnel::test;
using namespace quarnel::test::cli;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Noise(std::size_t size)
{
    Bytes bytes(size);
    std::uint32_t seed = 99;
    for (std::uint8_t& b : bytes)
        b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// The files under from, copied under to in folders of their own (the
// shared folders may not be written, and a copy of a folder keeps that).
void CopyFiles(const fs::path& from, const fs::path& to)
{
    for (const auto& entry : fs::recursive_directory_iterator(from))
        if (entry.is_regular_file()) {
            const fs::path copy = to / entry.path().lexically_relative(from);
            fs::create_directories(copy.parent_path());
            WriteAllBytes(copy, ReadAllBytes(entry.path()));
        }
}

// A mod's tree: the real test files when present, a critter, a message file,
// sound that does not compress and a hidden folder that stays out.
struct ModTree {
    ScratchFolder scratch{"quarnel-cli-pack-"};
    fs::path root = scratch.path / "mod";
    std::map<std::string, Bytes> files; // path inside the tree -> bytes

    ModTree()
    {
        fs::create_directories(root);
        const fs::path real = DataFolder(QUARNEL_SHARED_TESTDATA);
        if (IsPresent(real))
            CopyFiles(real, root / "data");
        else
            ReportSkipped("no real test data: dat pack of generated files only");
        Put("proto/critters/00000001.pro", CleanCritter(1).Bytes());
        std::string text;
        for (int i = 100; i < 600; ++i)
            text += "{" + std::to_string(i) + "}{}{A line of dialogue.}\r\n";
        Put("text/english/dialog/acmodoc.msg", Bytes(text.begin(), text.end()));
        Put("sound/music/noise.acm", Noise(50000));
        PutFile(root / ".git" / "HEAD", "ref: refs/heads/main\n");
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file() && entry.path().string().find(".git") == std::string::npos)
                files.emplace(entry.path().lexically_relative(root).generic_string(), ReadAllBytes(entry.path()));
    }
    void Put(const std::string& path, const Bytes& bytes)
    {
        fs::create_directories((root / path).parent_path());
        WriteAllBytes(root / path, bytes);
    }
    std::string Root() const { return Text(root); }
};

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

TEST_CASE("dat pack writes either game's archive, every file read back byte for byte")
{
    ModTree tree;
    for (const char* format : {"dat2", "dat1"}) {
        const bool dat1 = std::string(format) == "dat1";
        CAPTURE(format);
        const fs::path target = tree.scratch.path / (std::string(format) + ".dat");
        const Result packed = Cli({"dat", "pack", tree.Root(), "--to", Text(target), "--format", format, "--store",
                                   "*.msg", "--store", "proto/*"});
        CHECK(packed.status == 0);
        CHECK(packed.out.empty());
        CHECK(packed.err.empty());
        const auto archive = Archive::Open(target);
        CHECK(archive->Format() == (dat1 ? ArchiveFormat::Dat1 : ArchiveFormat::Dat2));
        REQUIRE(archive->Count() == tree.files.size());
        std::size_t compressed = 0;
        for (const auto& [path, bytes] : tree.files) {
            CAPTURE(path);
            const auto found = archive->Find(path);
            REQUIRE(found);
            const ArchiveEntry entry = archive->Entry(*found);
            CHECK(entry.path == (dat1 ? Upper(path) : path));
            CHECK(archive->Read(*found) == bytes);
            const bool storeAsked = path.ends_with(".msg") || path.starts_with("proto/");
            if (storeAsked || path == "sound/music/noise.acm")
                CHECK(entry.method == StorageMethod::Stored);
            compressed += entry.method != StorageMethod::Stored;
        }
        CHECK(compressed > 0);
        // The list shows the archive's own names.
        const Result list = Cli({"dat", "list", Text(target)});
        CHECK(Contains(list.out, dat1 ? "\tstored\tSOUND/MUSIC/NOISE.ACM\n" : "\tstored\tsound/music/noise.acm\n"));
    }
    CHECK(Names(tree.scratch.path) == std::set<std::string>{"mod", "dat1.dat", "dat2.dat"});
}

TEST_CASE("dat pack never replaces an archive unless told to, and leaves the archive itself out")
{
    ModTree tree;
    const fs::path target = tree.root / "patch000.dat";
    WriteAllBytes(target, Bytes{'o', 'l', 'd'});
    const Result refused = Cli({"dat", "pack", tree.Root(), "--to", Text(target)});
    CHECK(refused.status == 2);
    CHECK(refused.err == "quarnel-cli: " + Text(target) + ": already there; not replaced (--force replaces it)\n");
    CHECK(ReadAllBytes(target) == Bytes{'o', 'l', 'd'});

    const Result forced = Cli({"dat", "pack", tree.Root(), "--to", Text(target), "--force"});
    CHECK(forced.status == 0);
    const auto archive = Archive::Open(target);
    CHECK(archive->Count() == tree.files.size()); // not the old archive inside the new one
    CHECK_FALSE(archive->Find("patch000.dat"));
    CHECK(Names(tree.root).count("patch000.dat") == 1);

    SUBCASE("a folder at the target is never replaced, --force or not")
    {
        fs::create_directories(tree.scratch.path / "folder.dat");
        const Result folder =
            Cli({"dat", "pack", tree.Root(), "--to", Text(tree.scratch.path / "folder.dat"), "--force"});
        CHECK(folder.status == 2);
        CHECK(folder.err == "quarnel-cli: " + Text(tree.scratch.path / "folder.dat") + ": is a folder, not a file\n");
        CHECK(fs::is_directory(tree.scratch.path / "folder.dat"));
    }
}

TEST_CASE("dat pack refuses names the format cannot hold, naming each, and writes nothing")
{
    ModTree tree;
    tree.Put("art/critters/HFJMPSAA.FRM", Bytes{1});
    tree.Put("art/critters/hfjmpsaa.frm", Bytes{2});
    const std::string longName(200, 'n');
    tree.Put(std::string(60, 'f') + "/" + longName, Bytes{3}); // a folder and a name fit alone
    const fs::path target = tree.scratch.path / "out.dat";
    // Two names differing in case alone exist on a case-sensitive file system only.
    if (fs::exists(tree.root / "art" / "critters" / "hfjmpsaa.frm") &&
        !fs::equivalent(tree.root / "art" / "critters" / "hfjmpsaa.frm",
                        tree.root / "art" / "critters" / "HFJMPSAA.FRM")) {
        const Result clash = Cli({"dat", "pack", tree.Root(), "--to", Text(target)});
        CHECK(clash.status == 2);
        CHECK(clash.err == "quarnel-cli: " + tree.Root() +
                               ": art/critters/hfjmpsaa.frm: the same name as art/critters/HFJMPSAA.FRM in an archive, "
                               "whose names are read without regard to case\n"
                               "quarnel-cli: " +
                               Text(target) + ": not written: a DAT2 archive cannot hold the files named above\n");
        CHECK_FALSE(fs::exists(target));
        fs::remove(tree.root / "art" / "critters" / "hfjmpsaa.frm");
    }

    tree.Put("-art/x.frm", Bytes{4});
    const Result dat1 = Cli({"dat", "pack", tree.Root(), "--to", Text(target), "--format", "dat1"});
    CHECK(dat1.status == 2);
    CHECK(Contains(dat1.err, "-art/x.frm: a folder name starting with a character before \".\""));
    CHECK(Contains(dat1.err, Text(target) + ": not written: a DAT1 archive cannot hold the files named above\n"));
    CHECK_FALSE(fs::exists(target));
    CHECK(Names(tree.scratch.path) == std::set<std::string>{"mod"});
    // The second game takes both.
    CHECK(Cli({"dat", "pack", tree.Root(), "--to", Text(target)}).status == 0);
}

TEST_CASE("dat pack: a write that fails leaves neither the archive nor a temporary file")
{
    ModTree tree;
    SUBCASE("the target's folder is a file")
    {
        WriteAllBytes(tree.scratch.path / "plain", Bytes{'x'});
        const fs::path target = tree.scratch.path / "plain" / "out.dat";
        const Result failed = Cli({"dat", "pack", tree.Root(), "--to", Text(target)});
        CHECK(failed.status == 2);
        CHECK(failed.err == "quarnel-cli: " + Text(target) + ": Invalid filename\n"); // ENOTDIR: error 3
        CHECK(Names(tree.scratch.path) == std::set<std::string>{"mod", "plain"});
        CHECK(ReadAllBytes(tree.scratch.path / "plain") == Bytes{'x'});
    }
#ifndef _WIN32
    SUBCASE("the target's folder may not be written")
    {
        if (geteuid() == 0)
            return; // root writes into any folder: the unprivileged run checks this
        const fs::path locked = tree.scratch.path / "locked";
        fs::create_directories(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        const Result failed = Cli({"dat", "pack", tree.Root(), "--to", Text(locked / "out.dat")});
        fs::permissions(locked, fs::perms::owner_all);
        CHECK(failed.status == 2);
        CHECK(failed.err == "quarnel-cli: " + Text(locked / "out.dat") +
                                ": cannot be created, its folder may not be written (File access denied)\n");
        CHECK(Names(locked).empty());
    }
    SUBCASE("a file of the folder cannot be read")
    {
        if (geteuid() == 0)
            return; // root reads any file: the unprivileged run checks this
        const fs::path secret = tree.root / "secret.txt";
        WriteAllBytes(secret, Bytes{'s'});
        fs::permissions(secret, fs::perms::none);
        const Result failed = Cli({"dat", "pack", tree.Root(), "--to", Text(tree.scratch.path / "out.dat")});
        fs::permissions(secret, fs::perms::owner_all);
        CHECK(failed.status == 2);
        CHECK(failed.err == "quarnel-cli: " + Text(secret) + ": File access denied\n");
        CHECK(Names(tree.scratch.path) == std::set<std::string>{"mod"});
    }
#endif
}

TEST_CASE("dat pack refuses a folder that is not one, or that holds no file")
{
    ScratchFolder scratch("quarnel-cli-pack-");
    const Result missing = Cli({"dat", "pack", Text(scratch.path / "none"), "--to", Text(scratch.path / "a.dat")});
    CHECK(missing.status == 2);
    CHECK(missing.err == "quarnel-cli: " + Text(scratch.path / "none") + ": no such folder\n");
    fs::create_directories(scratch.path / "empty" / ".git");
    PutFile(scratch.path / "empty" / ".git" / "HEAD", "hidden");
    const Result empty = Cli({"dat", "pack", Text(scratch.path / "empty"), "--to", Text(scratch.path / "a.dat")});
    CHECK(empty.status == 2);
    CHECK(empty.err == "quarnel-cli: " + Text(scratch.path / "empty") + ": holds no file to pack; nothing written\n");
    const Result format =
        Cli({"dat", "pack", Text(scratch.path / "empty"), "--to", Text(scratch.path / "a.dat"), "--format", "zip"});
    CHECK(format.status == 2);
    CHECK(Names(scratch.path) == std::set<std::string>{"empty"});
}
