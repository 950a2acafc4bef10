// The first-game conversion on real folders (byte checks of the copies, the
// read-only state of the sources, no overwriting on a second run) and the
// removal of the scratch folder.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "ProtoBuilder.h"
#include "RecordingDialogs.h"
#include "ScratchFolder.h"
#include "tools/FirstGameConversion.h"
#include "tools/TempFolderCleanup.h"

#include <algorithm>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
using namespace quarnel;
using quarnel::test::ProtoBuilder;
using quarnel::test::ReadAllBytes;
using quarnel::test::RecordingDialogs;
using quarnel::test::ScratchFolder;
using quarnel::test::WriteAllBytes;
using quarnel::test::WriteTextFile;

namespace {

using Names = std::vector<std::string>;

// A move onto an existing copy: ERROR_ALREADY_EXISTS on Windows, "not empty" on Linux.
#ifdef _WIN32
constexpr int kExistingCopyCode = 183;
#else
constexpr int kExistingCopyCode = 145;
#endif

// A prototype record of either game's size, or plain bytes for any other size.
std::vector<std::uint8_t> Record(int size, std::uint8_t seed)
{
    if (size == 412 || size == 416)
        return ProtoBuilder(size, seed).Bytes();
    return std::vector<std::uint8_t>(static_cast<std::size_t>(size), seed);
}

void WriteRecord(const fs::path& file, int size, std::uint8_t seed) { WriteAllBytes(file, Record(size, seed)); }

std::vector<std::uint8_t> Converted(std::vector<std::uint8_t> bytes)
{
    bytes.insert(bytes.end(), 4, 0);
    return bytes;
}

Names Entries(const fs::path& folder)
{
    Names names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Whether the system refuses writes to the file, asked without the platform
// layer: no write bit on Linux, the read-only attribute on Windows.
bool WriteProtected(const fs::path& file)
{
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
#else
    const auto writeBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (fs::status(file).permissions() & writeBits) == fs::perms::none;
#endif
}

// Makes a file that the system counts as hidden and returns its name: a
// leading dot on Linux, the hidden attribute on Windows.
std::string WriteHiddenFile(const fs::path& folder, const std::string& name, const std::vector<std::uint8_t>& bytes)
{
#ifdef _WIN32
    WriteAllBytes(folder / name, bytes);
    REQUIRE(SetFileAttributesW((folder / name).c_str(), FILE_ATTRIBUTE_HIDDEN));
    return name;
#else
    WriteAllBytes(folder / ("." + name), bytes);
    return "." + name;
#endif
}

} // namespace

TEST_CASE("the conversion copies only first-game files, padded to the second game's size")
{
    ScratchFolder folder;
    WriteRecord(folder.path / "00000001.pro", 412, 0x11);
    WriteRecord(folder.path / "00000002.PRO", 412, 0x22);
    WriteRecord(folder.path / "00000003.pro", 416, 0x33);
    WriteRecord(folder.path / "notes.txt", 412, 0x44);
    SetReadOnlyOnly(folder.path / "00000002.PRO");

    RecordingDialogs dialogs;
    ConvertFirstGameFiles(folder.path, dialogs);

    CHECK(dialogs.messages == Names{kConversionStartMessage, kConversionEndMessage});
    CHECK(std::string(kConversionStartMessage) ==
          "Start conversion FO1 *.pro files to FO2 size. After clicking \"OK\" wait until the process is "
          "completed!");
    CHECK(std::string(kConversionEndMessage) == "FO1 *.pro files converted to FO2 size!");
    CHECK(Entries(folder.path / "converted") == Names{"00000001.pro", "00000002.PRO"});
    CHECK(ReadAllBytes(folder.path / "converted" / "00000001.pro") == Converted(Record(412, 0x11)));
    CHECK(ReadAllBytes(folder.path / "converted" / "00000002.PRO") == Converted(Record(412, 0x22)));

    // Sources keep names and contents; the converted ones are read-only again.
    CHECK(Entries(folder.path) == Names{"00000001.pro", "00000002.PRO", "00000003.pro", "converted", "notes.txt"});
    CHECK(ReadAllBytes(folder.path / "00000001.pro") == Record(412, 0x11));
    CHECK(ReadAllBytes(folder.path / "00000002.PRO") == Record(412, 0x22));
    CHECK(ReadAllBytes(folder.path / "00000003.pro") == Record(416, 0x33));
    for (const char* name : {"00000001.pro", "00000002.PRO"}) {
        CAPTURE(name);
        CHECK(WriteProtected(folder.path / name));
    }
}

TEST_CASE("nothing to convert makes no folder")
{
    struct File {
        const char* name;
        int size;
    };
    struct Row {
        const char* name;
        std::vector<File> files;
        bool hiddenPrototype;
    };
    const Row rows[] = {
        {"empty folder", {}, false},
        {"no prototypes", {{"readme.txt", 412}, {"pro_crit.ini", 20}}, false},
        {"only second-game size", {{"00000001.pro", 416}, {"00000002.pro", 0}}, false},
        {"sizes beside 412",
         {{"00000001.pro", 411}, {"00000002.pro", 413}, {"00000003.pro", 415}, {"00000004.pro", 417}},
         false},
        {"hidden prototype", {}, true},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        ScratchFolder folder;
        for (const File& file : row.files)
            WriteRecord(folder.path / file.name, file.size, 0x5A);
        if (row.hiddenPrototype)
            WriteHiddenFile(folder.path, "00000001.pro", Record(412, 0x5A));

        RecordingDialogs dialogs;
        ConvertFirstGameFiles(folder.path, dialogs);
        CHECK(dialogs.messages == Names{kConversionStartMessage, kConversionEndMessage});
        CHECK_FALSE(fs::exists(folder.path / "converted"));
    }
}

TEST_CASE("a second run stops at an existing copy")
{
    ScratchFolder folder;
    WriteRecord(folder.path / "00000002.pro", 412, 0x22);
    RecordingDialogs dialogs;
    ConvertFirstGameFiles(folder.path, dialogs);

    // A new file sorted before the converted one, and the converted source changed.
    WriteRecord(folder.path / "00000001.pro", 412, 0x11);
    SetArchiveOnly(folder.path / "00000002.pro");
    WriteRecord(folder.path / "00000002.pro", 412, 0x99);
    WriteRecord(folder.path / "00000003.pro", 412, 0x33);
    dialogs.Clear();
    try {
        ConvertFirstGameFiles(folder.path, dialogs);
        FAIL("no error on an existing copy");
    } catch (const IoError& e) {
        CHECK(e.code() == kExistingCopyCode);
        CHECK(std::string(e.what()) == "I/O error " + std::to_string(kExistingCopyCode));
    }
    CHECK(dialogs.messages == Names{kConversionStartMessage});
    // The copy made before the failure stays, the existing copy is not
    // replaced, later files are untouched and no scratch file is left.
    CHECK(Entries(folder.path / "converted") == Names{"00000001.pro", "00000002.pro"});
    CHECK(ReadAllBytes(folder.path / "converted" / "00000001.pro") == Converted(Record(412, 0x11)));
    CHECK(ReadAllBytes(folder.path / "converted" / "00000002.pro") == Converted(Record(412, 0x22)));
    CHECK(ReadAllBytes(folder.path / "00000002.pro") == Record(412, 0x99));
}

TEST_CASE("the temp folder stays while something the removal leaves is in it")
{
    for (const bool subfolder : {true, false}) {
        CAPTURE(subfolder);
        ScratchFolder scratch;
        const fs::path folder = scratch.path / "temp";
        fs::create_directories(folder);
        WriteTextFile(folder / "tmp.txt", "list");
        WriteTextFile(folder / "listfiles.txt", "list");
        WriteRecord(folder / "picture.gif", 10, 1);
        SetReadOnlyOnly(folder / "picture.gif");
        std::string leftover = "sub";
        if (subfolder)
            fs::create_directory(folder / leftover);
        else
            leftover = WriteHiddenFile(folder, "hidden", {'x'});

        try {
            DeleteFolder(folder);
            FAIL("a folder that is not empty was reported removed");
        } catch (const IoError& e) {
            CHECK(std::string(e.what()) == "I/O error 145");
        }
        CHECK(Entries(folder) == Names{leftover});

        fs::remove(folder / leftover);
        DeleteFolder(folder);
        CHECK_FALSE(fs::exists(folder));
    }
}

TEST_CASE("the removal of a missing temp folder is File not found")
{
    ScratchFolder scratch;
    try {
        DeleteFolder(scratch.path / "temp");
        FAIL("a missing folder was reported removed");
    } catch (const IoError& e) {
        CHECK(e.code() == 2);
        CHECK(std::string(e.what()) == "File not found");
    }
}

#ifndef _WIN32
// Symbolic links need a privilege on Windows that the test run lacks; the
// Windows run removes a junction as the temp folder instead (test_core).
TEST_CASE("the removal never follows a symbolic link")
{
    ScratchFolder scratch;
    const fs::path root = scratch.path;
    const fs::path elsewhere = root / "documents";
    fs::create_directories(elsewhere);
    WriteTextFile(elsewhere / "letter.txt", "keep");
    fs::create_symlink(elsewhere, root / "temp");
    DeleteFolder(root / "temp/");
    CHECK_FALSE(fs::exists(fs::symlink_status(root / "temp")));
    CHECK(fs::exists(elsewhere / "letter.txt"));

    // A link inside the folder goes, its target stays.
    fs::create_directories(root / "temp");
    fs::create_symlink(elsewhere / "letter.txt", root / "temp" / "link.gif");
    DeleteFolder(root / "temp");
    CHECK_FALSE(fs::exists(root / "temp"));
    CHECK(fs::exists(elsewhere / "letter.txt"));
}
#endif
