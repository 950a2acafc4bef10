// The platform layer: error numbers and messages, the attribute bits checked
// with stat() itself, moves and folder removal, folder listing, line
// splitting, UTF-8 and the program's folders.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "platform/AppPaths.h"
#include "platform/ByteOrder.h"
#include "platform/ErrorBoundary.h"
#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "platform/FileIdentity.h"
#include "platform/FileOps.h"
#include "platform/FolderListing.h"
#include "platform/Glob.h"
#include "platform/Refusal.h"
#include "platform/RegularFile.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

#include "ScratchFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace quarnel;
using quarnel::test::ScratchFolder;

namespace {

#ifndef _WIN32
mode_t ModeOf(const fs::path& file)
{
    struct stat info {};
    REQUIRE(stat(file.c_str(), &info) == 0);
    return info.st_mode & 07777;
}

void SetMode(const fs::path& file, mode_t mode) { REQUIRE(chmod(file.c_str(), mode) == 0); }
#endif

int ThrownCode(void (*action)(const fs::path&, const fs::path&), const fs::path& a, const fs::path& b)
{
    try {
        action(a, b);
    } catch (const IoError& e) {
        return e.code();
    }
    return 0;
}

// A move onto an existing file: ERROR_ALREADY_EXISTS on Windows, "not empty" on Linux.
#ifdef _WIN32
constexpr int kAlreadyExistsCode = 183;
#else
constexpr int kAlreadyExistsCode = 145;
#endif

} // namespace

TEST_CASE("errno values map to the error numbers of the message table")
{
    struct Row {
        int err;
        int code;
    };
    const Row rows[] = {
        {ENOSPC, 101},
#ifdef EDQUOT
        {EDQUOT, 101},
#endif
        {EACCES, 5},   {EPERM, 5},       {EROFS, 5},     {ENOENT, 2}, {ENOTDIR, 3},
        {EMFILE, 4},   {ENOTEMPTY, 145}, {EXDEV, EXDEV}, {EIO, EIO},
    };
    for (const Row& row : rows) {
        CAPTURE(row.err);
        CHECK(IoCodeFromErrno(row.err) == row.code);
    }
}

TEST_CASE("error numbers carry their messages")
{
    const std::pair<int, const char*> rows[] = {
        {2, "File not found"},          {3, "Invalid filename"},          {4, "Too many open files"},
        {5, "File access denied"},      {100, "Read beyond end of file"}, {101, "Disk full"},
        {106, "Invalid numeric input"}, {145, "I/O error 145"},           {1, "I/O error 1"},
    };
    for (const auto& [code, text] : rows) {
        CAPTURE(code);
        CHECK(IoErrorMessage(code) == text);
        CHECK(std::string(IoError(code).what()) == text);
        CHECK(IoError(code).code() == code);
    }
    errno = ENOSPC;
    try {
        ThrowIoErrorFromErrno();
        FAIL("no error thrown");
    } catch (const IoError& e) {
        CHECK(e.code() == 101);
        CHECK(std::string(e.what()) == "Disk full");
    }
    CHECK(std::string(ConvertError("1x").what()) == "'1x' is not a valid integer value");
}

TEST_CASE("the error box text ends in a full stop unless it ends at or below one")
{
    const std::pair<const char*, const char*> rows[] = {
        {"Disk full", "Disk full."},
        {"Done.", "Done."},
        {"Check red fields!", "Check red fields!"},
        {"(5)", "(5)"},
        {"ends blank ", "ends blank "},
        {"a-", "a-"},
        {"a/", "a/."},
        {"", "."},
        {"caf\xc3\xa9", "caf\xc3\xa9."},
    };
    for (const auto& [text, shown] : rows) {
        CAPTURE(text);
        CHECK(WithFullStop(text) == shown);
    }
}

#ifndef _WIN32
TEST_CASE("read-only only clears every write bit; archive only sets the owner's write bit")
{
    ScratchFolder folder;
    const fs::path file = folder.File("a.pro");
    struct Row {
        mode_t before;
        mode_t readOnly;
        mode_t archive;
    };
    const Row rows[] = {
        {0644, 0444, 0644}, {0666, 0444, 0666}, {0777, 0555, 0777}, {0600, 0400, 0600},
        {0444, 0444, 0644}, {0400, 0400, 0600}, {0000, 0000, 0200}, {0462, 0440, 0662},
    };
    for (const Row& row : rows) {
        CAPTURE(row.before);
        SetMode(file, row.before);
        CHECK(SetReadOnlyOnly(file));
        CHECK(ModeOf(file) == row.readOnly);
        CHECK(IsReadOnly(file));
        SetMode(file, row.before);
        CHECK(SetArchiveOnly(file));
        CHECK(ModeOf(file) == row.archive);
        CHECK_FALSE(IsReadOnly(file));
    }
    // Any one write bit means the file is not read-only.
    for (mode_t mode : {0644, 0464, 0446, 0200, 0020, 0002}) {
        CAPTURE(mode);
        SetMode(file, mode);
        CHECK_FALSE(IsReadOnly(file));
    }
}

TEST_CASE("attributes of what is not a file are left alone")
{
    ScratchFolder folder;
    const fs::path sub = folder.path / "sub";
    fs::create_directory(sub);
    SetMode(sub, 0755);
    CHECK_FALSE(SetReadOnlyOnly(sub));
    CHECK_FALSE(SetArchiveOnly(sub));
    CHECK(ModeOf(sub) == 0755);
    CHECK_FALSE(SetReadOnlyOnly(folder.path / "missing.pro"));
    CHECK_FALSE(SetArchiveOnly(folder.path / "missing.pro"));
    CHECK_FALSE(SetReadOnlyOnly(fs::path()));
    CHECK_FALSE(SetArchiveOnly(fs::path()));
    CHECK_FALSE(IsReadOnly(folder.path / "missing.pro"));
}
#endif

TEST_CASE("a read-only file refuses a write until archive only")
{
#ifndef _WIN32
    if (geteuid() == 0) {
        MESSAGE("running as root, who may write any file: scripts/test runs the tests unprivileged");
        return;
    }
#endif
    ScratchFolder folder;
    const fs::path file = folder.File("a.pro", "abcd");
    REQUIRE(SetReadOnlyOnly(file));
    errno = 0;
    CHECK(std::fopen(file.string().c_str(), "r+b") == nullptr);
    CHECK(IoCodeFromErrno(errno) == 5);
    REQUIRE(SetArchiveOnly(file));
    std::FILE* f = std::fopen(file.string().c_str(), "r+b");
    REQUIRE(f != nullptr);
    std::fclose(f);
}

TEST_CASE("a move never replaces an existing file")
{
    ScratchFolder folder;
    const fs::path from = folder.File("from", "new");
    const fs::path to = folder.File("to", "old");
    CHECK(ThrownCode(MoveFileNoReplace, from, to) == kAlreadyExistsCode);
    std::ifstream kept(to);
    CHECK(std::string(std::istreambuf_iterator<char>(kept), {}) == "old");
    CHECK(fs::exists(from));
    CHECK(ThrownCode(MoveFileNoReplace, folder.path / "absent", folder.path / "b") == 2);
    MoveFileNoReplace(from, folder.path / "moved");
    CHECK_FALSE(fs::exists(from));
    CHECK(fs::exists(folder.path / "moved"));
}

TEST_CASE("a folder is removed only when it is empty")
{
    ScratchFolder folder;
    const fs::path sub = folder.path / "temp";
    fs::create_directory(sub);
    std::ofstream(sub / ".hidden") << "x";
    auto removeCode = [](const fs::path& path) {
        try {
            RemoveFolder(path);
        } catch (const IoError& e) {
            return e.code();
        }
        return 0;
    };
    CHECK(removeCode(sub) == 145);
    CHECK(fs::exists(sub));
    fs::remove(sub / ".hidden");
    CHECK(removeCode(sub) == 0);
    CHECK_FALSE(fs::exists(sub));
    CHECK(removeCode(sub) == 2);
}

TEST_CASE("a folder lists its ordinary, visible files by extension in name order")
{
    ScratchFolder folder;
    for (const char* name : {"b.pro", "A.PRO", "c.Pro", "pro", "xpro", "d.pro.bak", "e.txt"})
        folder.File(name);
    fs::create_directory(folder.path / "dir.pro");
#ifndef _WIN32
    // On Linux a leading dot hides a file (Windows uses attributes: see the Windows cases).
    for (const char* name : {".hidden.pro", ".pro"})
        folder.File(name);
    // A pipe or a dangling link is no file to read; a link to a file is one.
    REQUIRE(::mkfifo((folder.path / "pipe.pro").c_str(), 0644) == 0);
    fs::create_symlink(folder.path / "gone", folder.path / "dangling.pro");
    fs::create_symlink(folder.path / "e.txt", folder.path / "f.pro");
#endif
    std::vector<std::string> critters = {"A.PRO", "b.pro", "c.Pro"};
    if (fs::exists(folder.path / "f.pro"))
        critters.push_back("f.pro");
    CHECK(ListFolderFiles(folder.path, ".pro") == critters);
    CHECK(ListFolderFiles(folder.path, "").size() == 7 + (fs::exists(folder.path / "f.pro") ? 1 : 0));
    CHECK(ListFolderFiles(folder.path / "missing", ".pro").empty());
}

TEST_CASE("lines end at LF or CR LF")
{
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"\n", {""}},
        {"\r\n", {""}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\r", {"a"}},
        {"a\rb\r\n", {"a\rb"}},
        {"a\r\r\n", {"a\r"}},
        {" a \t\n", {" a \t"}},
    };
    for (const auto& [text, lines] : rows) {
        CAPTURE(text);
        CHECK(SplitLines(text) == lines);
    }
}

TEST_CASE("whole files are read as they are")
{
    ScratchFolder folder;
    const std::string big(70000, 'q'); // more than one read buffer
    CHECK(ReadFileBytes(folder.File("big", big + "\r\nend")) == big + "\r\nend");
    CHECK(ReadFileBytes(folder.File("empty", "")).empty());
    auto code = [](const fs::path& path) {
        try {
            ReadFileBytes(path);
        } catch (const IoError& e) {
            return e.code();
        }
        return 0;
    };
    CHECK(code(folder.path / "missing") == 2);
    CHECK(code(fs::path()) == 2);
}

// A device, pipe or folder is refused before it is read, so a name file or
// critter linked to /dev/zero or a FIFO neither fills the memory nor blocks;
// a file is read up to the limit and no further.
TEST_CASE("only regular files are read, and never past their limit")
{
    ScratchFolder folder;
    auto refusal = [](const fs::path& path) -> std::string {
        try {
            ReadFileBytes(path, 8);
        } catch (const FileRefusedError& e) {
            return e.what();
        }
        return "read";
    };
    CHECK(refusal(folder.path) == "is a folder, not a file");
    CHECK(ReadFileBytes(folder.File("eight", "12345678"), 8) == "12345678");
    CHECK(refusal(folder.File("nine", "123456789")) == "larger than 8 bytes, not read");
    CHECK(ReadFilePrefix(folder.File("long", "123456789"), 4) == "1234");
    const std::string big(kMaxTextFileBytes + 1, 'a');
    CHECK_THROWS_AS(ReadFileBytes(folder.File("big", big)), FileRefusedError);
    CHECK(ReadFileBytes(folder.File("limit", big.substr(1))).size() == kMaxTextFileBytes);
#ifndef _WIN32
    REQUIRE(::mkfifo((folder.path / "fifo.pro").c_str(), 0644) == 0);
    fs::create_symlink("/dev/zero", folder.path / "zero.pro");
    for (const char* name : {"fifo.pro", "zero.pro"})
        CHECK(refusal(folder.path / name) == "not a regular file (a device, pipe or socket)");
    CHECK(refusal("/dev/zero") == "not a regular file (a device, pipe or socket)");
    CHECK_THROWS_AS(ReadFilePrefix(folder.path / "fifo.pro", 417), FileRefusedError);
#endif
}

// Every refusal of a read is one type whose kind tells the cases apart, so a
// caller never has to search the message; the limit is taken at N and N+1.
TEST_CASE("a refused read says what kind of refusal it is")
{
    ScratchFolder folder;
    auto kind = [](const std::function<void()>& read) -> std::optional<RefusalKind> {
        try {
            read();
        } catch (const Refusal& e) {
            return e.Kind();
        }
        return std::nullopt;
    };
    CHECK(kind([&] { ReadFileBytes(folder.path / "missing"); }) == RefusalKind::NotFound);
    CHECK(kind([&] { ReadFileBytes(folder.path); }) == RefusalKind::Folder);
    const fs::path eight = folder.File("eight", "12345678");
    CHECK(kind([&] { ReadFileBytes(eight, 8); }) == std::nullopt);
    CHECK(kind([&] { ReadFileBytes(eight, 7); }) == RefusalKind::TooLarge);
#ifndef _WIN32
    CHECK(kind([&] { ReadFileBytes("/dev/null"); }) == RefusalKind::NotRegularFile);
#endif
    CHECK(kind([] { throw IoError(2); }) == RefusalKind::NotFound);
    CHECK(kind([] { throw IoError(5); }) == RefusalKind::Io);
    CHECK(kind([] { throw ConvertError("1x"); }) == RefusalKind::Invalid);
    CHECK(kind([] { throw ArchiveError("not a ZIP"); }) == RefusalKind::Damaged);
}

// Values worked out by hand; a high first byte catches a sign that spreads.
TEST_CASE("numbers are read and written in either byte order")
{
    const std::uint8_t bytes[] = {0x81, 0x02, 0x03, 0xF4, 0x05, 0x06, 0x07, 0x88};
    CHECK(ReadBigEndian16(bytes) == 0x8102);
    CHECK(ReadBigEndian32(bytes) == 0x810203F4u);
    CHECK(ReadLittleEndian16(bytes) == 0x0281);
    CHECK(ReadLittleEndian32(bytes) == 0xF4030281u);
    CHECK(ReadLittleEndian64(bytes) == 0x88070605F4030281ull);
    CHECK(ReadBigEndian(bytes, 1) == 0x81u);
    CHECK(ReadBigEndian(bytes, 3) == 0x810203u);
    CHECK(ReadBigEndian(bytes, 4) == 0x810203F4u);
    std::uint8_t out[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    WriteBigEndian(out, 2, 0x12345678u);
    CHECK(out[0] == 0x56);
    CHECK(out[1] == 0x78);
    CHECK(out[2] == 0xAA); // nothing past the width
    WriteBigEndian(out, 4, 0xFFFFFFFEu);
    CHECK((out[0] == 0xFF && out[1] == 0xFF && out[2] == 0xFF && out[3] == 0xFE));
}

// The game's paths take either separator; the picture archive's masks do not,
// and there a star of the name meets a star of the mask as itself first, so
// "*x" is no match for "*" there (the star is spent on the star).
TEST_CASE("one glob matcher under both sets of rules")
{
    const GlobRules paths{.eitherSeparator = true};
    const GlobRules masks{.eitherSeparator = false, .starMatchesItselfFirst = true};
    struct Row {
        const char* name;
        const char* pattern;
        bool asPath;
        bool asMask;
    };
    const Row rows[] = {
        {"proto/critters/00000001.pro", "PROTO\\CRITTERS\\*.PRO", true, false},
        {"proto/critters/00000001.pro", "proto/*/0000000?.PRO", true, true},
        {"art/critters/a/b.frm", "art/*.frm", true, true}, // a star runs over folders
        {"ab", "a?", true, true},
        {"abc", "a?", false, false}, // "?" is one character, not two
        {"a", "a?", false, false},
        {"", "", true, true},
        {"", "*", true, true},
        {"", "?", false, false},
        {"a*b", "*b", true, true},
        {"*x", "*", true, false},
        {"**", "*", true, false},
        {"x*", "*", true, true},
        {"HUMAN.GIF", "human.gif", true, true},
        {"a\\b", "a/b", true, false},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        CAPTURE(row.pattern);
        CHECK(MatchesGlob(row.name, row.pattern, paths) == row.asPath);
        CHECK(MatchesGlob(row.name, row.pattern, masks) == row.asMask);
    }
}

// Two paths name one file when they reach the same file on disk.
TEST_CASE("file identity follows links and sees through spellings")
{
    ScratchFolder folder;
    const fs::path a = folder.File("a.pro");
    folder.File("b.pro");
    fs::create_directory(folder.path / "sub");
    REQUIRE(IdentityOf(a));
    CHECK(IdentityOf(a) == IdentityOf(folder.path / "sub" / ".." / "a.pro"));
    CHECK(IdentityOf(a) != IdentityOf(folder.path / "b.pro"));
    CHECK_FALSE(IdentityOf(folder.path / "missing.pro"));
#ifndef _WIN32
    fs::create_symlink(a, folder.path / "link.pro");
    fs::create_directory_symlink(folder.path, folder.path / "sub" / "again");
    CHECK(IdentityOf(folder.path / "link.pro") == IdentityOf(a));
    CHECK(IdentityOf(folder.path / "sub" / "again" / "a.pro") == IdentityOf(a));
#endif
}

// The check before a batch writes: it opens what the user may write, read-only
// or not, and leaves every attribute as it found it.
TEST_CASE("write access is tried without changing the file")
{
    ScratchFolder folder;
    const fs::path writable = folder.File("w.pro", "abc");
    const fs::path readOnly = folder.File("r.pro", "abc");
    REQUIRE(SetReadOnlyOnly(readOnly));
    CHECK(WriteAccessError(writable) == 0);
    CHECK(WriteAccessError(readOnly) == 0);
    CHECK(IsReadOnly(readOnly));
    CHECK_FALSE(IsReadOnly(writable));
    CHECK(WriteAccessError(folder.path / "missing.pro") == 2);
    CHECK(ReadFileBytes(readOnly) == "abc");
}

TEST_CASE("strict UTF-8 at the edges of each form")
{
    const std::pair<std::string, bool> rows[] = {
        {"", true},
        {"\x7f", true},
        {"\xc2\x80", true},          // U+0080, the first two-byte form
        {"\xc1\xbf", false},         // overlong U+007F
        {"\xdf\xbf", true},          // U+07FF
        {"\xe0\xa0\x80", true},      // U+0800
        {"\xe0\x9f\xbf", false},     // overlong U+07FF
        {"\xed\x9f\xbf", true},      // U+D7FF
        {"\xed\xa0\x80", false},     // U+D800, a surrogate
        {"\xed\xbf\xbf", false},     // U+DFFF
        {"\xee\x80\x80", true},      // U+E000
        {"\xef\xbf\xbf", true},      // U+FFFF
        {"\xf0\x90\x80\x80", true},  // U+10000
        {"\xf0\x8f\xbf\xbf", false}, // overlong U+FFFF
        {"\xf4\x8f\xbf\xbf", true},  // U+10FFFF
        {"\xf4\x90\x80\x80", false}, // above U+10FFFF
        {"\xf8\x88\x80\x80\x80", false},
        {"\x80", false},
        {"\xc2", false},
        {"a\xe2\x82", false},
        {"\xe2\x82\xac", true},
        {"\xe2\x28\xac", false},
    };
    for (const auto& [text, valid] : rows) {
        CAPTURE(text);
        CHECK(IsValidUtf8(text) == valid);
    }
    const std::pair<char32_t, std::string> encodings[] = {
        {0x41, "A"},
        {0x7F, "\x7f"},
        {0x80, "\xc2\x80"},
        {0x7FF, "\xdf\xbf"},
        {0x800, "\xe0\xa0\x80"},
        {0x20AC, "\xe2\x82\xac"},
        {0xFFFF, "\xef\xbf\xbf"},
        {0x10000, "\xf0\x90\x80\x80"},
        {0x10FFFF, "\xf4\x8f\xbf\xbf"},
    };
    for (const auto& [codePoint, bytes] : encodings) {
        CAPTURE(static_cast<unsigned>(codePoint));
        std::string out = "<";
        AppendUtf8(out, codePoint);
        CHECK(out == "<" + bytes);
    }
}

#ifndef _WIN32
TEST_CASE("the program's folders sit beside the executable")
{
    ScratchFolder folder;
    SetExecutableFolder(folder.path / "bin" / ".." / "app");
    CHECK(ExecutableFolder() == (folder.path / "app").string() + "/");
    CHECK(TempFolder() == folder.path / "app" / "temp");
    SetExecutablePath(folder.path / "tool" / "quarnel");
    CHECK(ExecutableFolder() == (folder.path / "tool").string() + "/");
    CHECK(GameSubDirText(false) == "/FO1/");
    CHECK(GameSubDirText(true) == "/FO2/");
    CHECK(Separator() == "/");
}
#endif

#ifndef _WIN32
// A fresh file replaces a link itself, never what it points to, and gets the
// mode every other program's new file gets (0644 under umask 022).
TEST_CASE("a fresh file is created in place of a link, with the usual mode")
{
    ScratchFolder folder;
    const fs::path target = folder.File("target.txt", "keep");
    fs::create_symlink(target, folder.path / "out.txt");
    const mode_t old = ::umask(022);
    std::FILE* out = CreateFreshFile(folder.path / "out.txt");
    ::umask(old);
    REQUIRE(out);
    std::fputs("new", out);
    std::fclose(out);
    CHECK(ReadFileBytes(target) == "keep");
    CHECK_FALSE(IsLink(folder.path / "out.txt"));
    CHECK(ReadFileBytes(folder.path / "out.txt") == "new");
    struct stat status {};
    REQUIRE(::stat((folder.path / "out.txt").c_str(), &status) == 0);
    CHECK((status.st_mode & 07777) == 0644);
}
#endif
