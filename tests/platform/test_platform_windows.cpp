// What only Windows has: attributes set through Win32, hidden and system
// files in listings, UTF-16 paths, the Win32 error numbers, backslash paths,
// the version resource of an executable, and a junction as the temp folder.
#include <doctest/doctest.h>

#include "platform/AppPaths.h"
#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "platform/FileOps.h"
#include "platform/FolderListing.h"
#include "platform/Utf8.h"
#include "platform/VersionInfo.h"

#include "ScratchFolder.h"

#include <windows.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace quarnel;
using quarnel::test::ScratchFolder;

namespace {

// The attributes that "read-only only" and "archive only" decide. Wine keeps
// the archive bit on every file, so it is checked only where it must be set.
constexpr DWORD kDecided = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

DWORD DecidedAttributesOf(const fs::path& file) { return GetFileAttributesW(file.c_str()) & kDecided; }
DWORD AttributesOf(const fs::path& file) { return GetFileAttributesW(file.c_str()); }

} // namespace

TEST_CASE("Windows: read-only only and archive only set the attributes whole")
{
    ScratchFolder folder;
    const fs::path file = folder.File("a.pro");
    const DWORD starts[] = {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_READONLY,
                            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE,
                            FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY};
    for (DWORD start : starts) {
        CAPTURE(start);
        REQUIRE(SetFileAttributesW(file.c_str(), start));
        CHECK(SetReadOnlyOnly(file));
        CHECK(DecidedAttributesOf(file) == FILE_ATTRIBUTE_READONLY);
        CHECK(IsReadOnly(file));
        CHECK(SetArchiveOnly(file));
        CHECK(DecidedAttributesOf(file) == 0);
        CHECK((AttributesOf(file) & FILE_ATTRIBUTE_ARCHIVE) != 0);
        CHECK_FALSE(IsReadOnly(file));
    }
    CHECK_FALSE(SetReadOnlyOnly(folder.path / "missing.pro"));
    CHECK_FALSE(SetArchiveOnly(folder.path));
}

TEST_CASE("Windows: a read-only file refuses a write with File access denied")
{
    ScratchFolder folder;
    const fs::path file = folder.File("a.pro", "abcd");
    REQUIRE(SetReadOnlyOnly(file));
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    CHECK(handle == INVALID_HANDLE_VALUE);
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    CHECK(IoErrorMessage(IoCodeFromWin32(GetLastError())) == "File access denied");
    REQUIRE(SetArchiveOnly(file));
    handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    CHECK(handle != INVALID_HANDLE_VALUE);
    CloseHandle(handle);
}

TEST_CASE("Windows: hidden and system files are left out of the listing")
{
    ScratchFolder folder;
    for (const char* name : {"00000001.pro", "00000002.PRO", "00000003.pro", "00000004.pro"})
        folder.File(name);
    REQUIRE(SetFileAttributesW((folder.path / "00000002.PRO").c_str(), FILE_ATTRIBUTE_HIDDEN));
    REQUIRE(SetFileAttributesW((folder.path / "00000003.pro").c_str(), FILE_ATTRIBUTE_SYSTEM));
    REQUIRE(SetFileAttributesW((folder.path / "00000004.pro").c_str(), FILE_ATTRIBUTE_READONLY));
    CHECK(ListFolderFiles(folder.path, ".pro") == std::vector<std::string>{"00000001.pro", "00000004.pro"});
}

TEST_CASE("Windows: Win32 error numbers map to the message table")
{
    const std::pair<unsigned long, const char*> rows[] = {
        {ERROR_FILE_NOT_FOUND, "File not found"},
        {ERROR_PATH_NOT_FOUND, "Invalid filename"},
        {ERROR_TOO_MANY_OPEN_FILES, "Too many open files"},
        {ERROR_ACCESS_DENIED, "File access denied"},
        {ERROR_DISK_FULL, "Disk full"},
        {ERROR_HANDLE_DISK_FULL, "Disk full"},
        {ERROR_DIR_NOT_EMPTY, "I/O error 145"},
        {ERROR_ALREADY_EXISTS, "I/O error 183"},
        {ERROR_SHARING_VIOLATION, "I/O error 32"},
    };
    for (const auto& [error, text] : rows) {
        CAPTURE(error);
        CHECK(IoErrorMessage(IoCodeFromWin32(error)) == text);
    }
}

TEST_CASE("Windows: a move onto an existing copy fails and keeps both files")
{
    ScratchFolder folder;
    const fs::path from = folder.File("temp_file", "new");
    const fs::path to = folder.File("00000001.pro", "old");
    try {
        MoveFileNoReplace(from, to);
        FAIL("the move replaced an existing file");
    } catch (const IoError& e) {
        CHECK(std::string(e.what()) == "I/O error 183");
    }
    std::ifstream kept(to);
    CHECK(std::string(std::istreambuf_iterator<char>(kept), {}) == "old");
    CHECK(fs::exists(from));
}

TEST_CASE("Windows: non-ASCII file names go through the wide calls")
{
    ScratchFolder folder;
    const fs::path name = fs::path(L"Kr\u00f3lik \u0141\u00f3d\u017a.pro");
    const fs::path file = folder.File(name);
    REQUIRE(fs::exists(file));
    CHECK(SetReadOnlyOnly(file));
    CHECK(IsReadOnly(file));
    CHECK(SetArchiveOnly(file));
    const fs::path moved = folder.path / L"\u017c\u00f3\u0142w.pro";
    MoveFileNoReplace(file, moved);
    CHECK(fs::exists(moved));
    CHECK_FALSE(fs::exists(file));
    const auto listed = ListFolderFiles(folder.path, ".pro");
    REQUIRE(listed.size() == 1);
    CHECK(fs::u8path(listed.front()) == moved.filename());
}

TEST_CASE("Windows: the program's folders use backslashes")
{
    ScratchFolder folder;
    SetExecutableFolder(folder.path / "bin" / ".." / "app");
    CHECK(ExecutableFolder() == (folder.path / "app").string() + "\\");
    CHECK(TempFolder() == folder.path / "app" / "temp");
    CHECK(GameSubDirText(false) == "\\FO1\\");
    CHECK(GameSubDirText(true) == "\\FO2\\");
    CHECK(Separator() == "\\");
}

TEST_CASE("Windows: the version text comes from the executable's version resource")
{
    wchar_t self[MAX_PATH] = {};
    REQUIRE(GetModuleFileNameW(nullptr, self, MAX_PATH) > 0);
    // This program carries the same resource as quarnel.exe; its version is
    // deliberately not the compiled-in one, so the resource is what is read.
    CHECK(GetFileVersionText(Utf8FromPath(self)) == QUARNEL_TEST_RESOURCE_VERSION);
}
