// New files made whole under a temporary name and renamed into place: the
// bytes and mode of the result, nothing left behind by a failure, and the
// refusal of everything that is not a regular file at the path.
#include <doctest/doctest.h>

#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "platform/NewFile.h"
#include "platform/WriteRefusal.h"

#include "ScratchFolder.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>
#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace quarnel;
using quarnel::test::ScratchFolder;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string Content(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace

TEST_CASE("a new file replaces a regular file whole and leaves no temporary file")
{
    ScratchFolder folder;
    WriteNewFile(folder.path / "a.png", Bytes("first"));
    CHECK(Content(folder.path / "a.png") == "first");
    CHECK_FALSE(IsReadOnly(folder.path / "a.png"));
    WriteNewFile(folder.path / "a.png", Bytes("second, longer"));
    CHECK(Content(folder.path / "a.png") == "second, longer");
    WriteNewFile(folder.path / "empty.bin", {});
    CHECK(fs::file_size(folder.path / "empty.bin") == 0);
    WriteNewFile(folder.path / "00000001.pro", Bytes("critter"), true);
    CHECK(IsReadOnly(folder.path / "00000001.pro"));
    // A read-only file in the way is replaced too (its folder decides, not its mode).
    WriteNewFile(folder.path / "00000001.pro", Bytes("again"), true);
    CHECK(Content(folder.path / "00000001.pro") == "again");
    CHECK(Names(folder.path) == std::set<std::string>{"a.png", "empty.bin", "00000001.pro"});
}

#ifndef _WIN32
TEST_CASE("nothing but a regular file is replaced: links, folders, FIFOs and devices are refused")
{
    ScratchFolder folder;
    const fs::path target = folder.File("target.txt", "keep");
    const fs::path out = folder.path / "out.png";
    struct Case {
        std::string name;
        std::function<void()> make;
        WriteRefusalKind kind;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"link to a regular file", [&] { fs::create_symlink(target, out); }, WriteRefusalKind::Link,
         "is a link; not replaced, not written through"},
        {"dangling link", [&] { fs::create_symlink(folder.path / "none", out); }, WriteRefusalKind::Link,
         "is a link; not replaced, not written through"},
        {"folder", [&] { fs::create_directory(out); }, WriteRefusalKind::Folder, "is a folder, not a file"},
        {"FIFO", [&] { REQUIRE(mkfifo(out.c_str(), 0644) == 0); }, WriteRefusalKind::NotRegularFile,
         "not a regular file (a FIFO)"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        c.make();
        const fs::file_type before = fs::symlink_status(out).type();
        try {
            WriteNewFile(out, Bytes("png"));
            FAIL("replaced");
        } catch (const WriteRefusedError& refusal) {
            CHECK(refusal.kind() == c.kind);
            CHECK(refusal.path() == out);
            CHECK(std::string(refusal.what()) == out.string() + ": " + c.reason);
        }
        CHECK(fs::symlink_status(out).type() == before);
        CHECK(Content(target) == "keep");
        CHECK(Names(folder.path) == std::set<std::string>{"target.txt", "out.png"});
        fs::remove(out);
    }
    // A device is refused by the check alone: no test replaces a system node.
    try {
        CheckReplaceable("/dev/null");
        FAIL("a device taken");
    } catch (const WriteRefusedError& refusal) {
        CHECK(refusal.kind() == WriteRefusalKind::NotRegularFile);
        CHECK(std::string(refusal.what()) == "/dev/null: not a regular file (a device)");
    }
}

TEST_CASE("a write that fails half-way leaves the old file and no temporary file")
{
    ScratchFolder folder;
    const fs::path file = folder.File("a.png", "old");
    // Writes size bytes under a file-size limit of 10 bytes (it holds for root
    // too); true when the write failed.
    const auto writeUnderLimit = [&](std::size_t size, char fill) {
        rlimit old{};
        REQUIRE(getrlimit(RLIMIT_FSIZE, &old) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 10;
        REQUIRE(setrlimit(RLIMIT_FSIZE, &small) == 0);
        bool failed = false;
        try {
            WriteNewFile(file, std::vector<std::uint8_t>(size, fill));
        } catch (const IoError&) {
            failed = true;
        }
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        return failed;
    };
    CHECK(writeUnderLimit(11, 'x'));
    CHECK(Content(file) == "old");
    CHECK(Names(folder.path) == std::set<std::string>{"a.png"});
    // Ten bytes, the limit itself, are written.
    CHECK_FALSE(writeUnderLimit(10, 'y'));
    CHECK(Content(file) == std::string(10, 'y'));
}

TEST_CASE("a folder that may not be written refuses the new file, naming it")
{
    if (geteuid() == 0)
        return; // root writes into any folder: the unprivileged run checks this
    ScratchFolder folder;
    const fs::path locked = folder.path / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    try {
        CheckFolderTakesFiles(locked);
        FAIL("taken");
    } catch (const WriteRefusedError& refusal) {
        CHECK(refusal.kind() == WriteRefusalKind::NotWritable);
        CHECK(std::string(refusal.what()) == locked.string() + ": folder may not be written (File access denied)");
    }
    try {
        WriteNewFile(locked / "a.png", Bytes("png"));
        FAIL("written");
    } catch (const WriteRefusedError& refusal) {
        CHECK(refusal.kind() == WriteRefusalKind::NotWritable);
        CHECK(refusal.path() == locked / "a.png");
    }
    fs::permissions(locked, fs::perms::owner_all);
    CHECK(fs::is_empty(locked));
}
#endif
