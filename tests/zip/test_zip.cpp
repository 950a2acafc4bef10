// The ZIP reader: archive-level errors, the end record search, ZIP64, name
// conversion, matching, extraction rules, member failures, the safety of
// hostile names and sizes, attributes and times, and crash regressions.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "TestDataFolders.h"
#include "ZipWriter.h"
#include "platform/Errors.h"
#include "platform/Utf8.h"
#include "preview/AbUnZipper.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using namespace quarnel;
using namespace quarnel::test;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

Bytes Cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

ZipEntry Entry(const std::string& name, const std::string& text, std::uint16_t method = 0)
{
    ZipEntry e;
    e.name = name;
    e.data = ToBytes(text);
    e.method = method;
    return e;
}

Bytes Archive(const ZipEntry& e) { return ZipWriter().Add(e).Build(); }

// Bytes that do not compress well, so that members span several read chunks.
Bytes Noise(std::size_t size, std::uint32_t seed)
{
    Bytes out(size);
    for (auto& b : out) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    return out;
}

std::size_t FindSignature(const Bytes& bytes, std::uint32_t sig)
{
    for (std::size_t i = bytes.size() - 4 + 1; i-- > 0;)
        if ((bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16) | (std::uint32_t(bytes[i + 3]) << 24)) == sig)
            return i;
    return std::string::npos;
}

std::uintmax_t BytesIn(const fs::path& folder)
{
    std::uintmax_t total = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            total += entry.file_size();
    return total;
}

// The local time a file was last written, read back without the reader.
std::tm LocalWriteTime(const fs::path& file)
{
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(fs::last_write_time(file)));
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    return local;
}

struct Outcome {
    Names files;                                             // names in the target folder, sorted
    std::vector<std::pair<std::string, std::string>> failed; // member name, error text
};

// A scratch folder with the archives of one case and a target folder "out".
struct ZipFolder {
    ScratchFolder scratch;
    fs::path Root() const { return scratch.path; }
    fs::path Out() const { return Root() / "out"; }

    std::string WriteArchive(const Bytes& bytes, const std::string& name = "a.zip") const
    {
        WriteAllBytes(Root() / name, bytes);
        return Utf8FromPath(Root() / name);
    }

    void FreshOut() const
    {
        std::error_code ec;
        fs::remove_all(Out(), ec);
        fs::create_directories(Out());
    }

    // Opens the archive, extracts the mask into a fresh target folder and
    // records what arrived and what failed.
    Outcome Extract(const Bytes& archive, const std::string& mask = "*", int options = eoCreateDirs) const
    {
        FreshOut();
        TAbUnZipper zip;
        Outcome outcome;
        zip.OnProcessItemFailure = [&](const ZipItem& item, const std::string& error) {
            outcome.failed.emplace_back(item.fileName, error);
        };
        zip.ExtractOptions = options;
        zip.SetFileName(WriteArchive(archive));
        zip.SetBaseDirectory(Utf8FromPath(Out()));
        zip.ExtractFiles(mask);
        zip.SetFileName("");
        for (const auto& entry : fs::directory_iterator(Out()))
            outcome.files.push_back(Utf8FromPath(entry.path().filename()));
        std::sort(outcome.files.begin(), outcome.files.end());
        return outcome;
    }

    std::string Text(const std::string& name) const
    {
        const Bytes bytes = ReadAllBytes(Out() / PathFromUtf8(name));
        return std::string(bytes.begin(), bytes.end());
    }
};

} // namespace

TEST_CASE("archive open errors carry their texts and release the earlier archive")
{
    struct Row {
        const char* name;
        Bytes bytes;
        std::string file; // empty: no file; folder.zip and pipe.zip: made as such
        const char* error;
    };
    const Bytes good = ZipWriter().Stored("a.gif", "abc").Build();
    const char* notPk = ZipText::NotPkZip;
    const char* unhandled = ZipText::UnhandledType;
    Bytes cut = good;
    cut.resize(cut.size() - 30);
    Bytes spanned = {0x50, 0x4B, 0x07, 0x08};
    spanned.resize(100, 0x41);
    ZipEntry onOtherDisk = Entry("a.gif", "abc");
    onOtherDisk.diskNumberStart = 2;
    const Bytes zip64 = ZipWriter().Stored("a.gif", "abc").Zip64End().Build();
    Bytes noLocator = zip64;
    noLocator[FindSignature(noLocator, 0x07064b50)] = 'X';
    Bytes badRecord = zip64;
    badRecord[FindSignature(badRecord, 0x06064b50)] = 'X';
    Bytes farRecord = zip64;
    farRecord[FindSignature(farRecord, 0x07064b50) + 14] = 0x7F; // offset far past the end

    std::vector<Row> rows = {
        {"missing file", {}, "", ZipText::FileNotFound},
        {"empty file", {}, "empty.zip", ZipText::InvalidStream},
        {"folder", {}, "folder.zip", ZipText::InvalidStream},
        {"empty file, other extension", {}, "empty.dat", ZipText::InvalidStream},
        {"good archive, other extension", good, "a.dat", unhandled},
        {"good archive, no extension", good, "archive", unhandled},
        {"text file", ToBytes("hello, this is not an archive at all"), "t.zip", unhandled},
        {"shorter than an end record", ToBytes("PK\x05\x06"), "s.zip", unhandled},
        {"end record cut off", cut, "c.zip", unhandled},
        {"comment length beyond the file", ZipWriter().Stored("a.gif", "abc").EndCommentLength(5).Build(), "l.zip",
         unhandled},
        {"spanned marker without end record", spanned, "m.zip", notPk},
        {"bad central signature", ZipWriter().Stored("a.gif", "abc").BadCentralSignature().Build(), "b.zip", notPk},
        {"central directory past the end", ZipWriter().Stored("a.gif", "abc").EndCentralOffset(1000000).Build(),
         "o.zip", notPk},
        {"one entry more than written", ZipWriter().Stored("a.gif", "abc").EndEntryCount(2).Build(), "n.zip", notPk},
        {"more entries than the file could hold", ZipWriter().Stored("a.gif", "abc").EndEntryCount(65000).Build(),
         "h.zip", notPk},
        {"split archive, this disk 1", ZipWriter().Stored("a.gif", "abc").EndDiskNumbers(1, 1).Build(), "d1.zip",
         notPk},
        {"split archive, directory on disk 1", ZipWriter().Stored("a.gif", "abc").EndDiskNumbers(0, 1).Build(),
         "d2.zip", notPk},
        {"member on another disk", Archive(onOtherDisk), "d3.zip", notPk},
        {"ZIP64 split archive", ZipWriter().Stored("a.gif", "abc").Zip64End().EndDiskNumbers(0, 1).Build(), "d4.zip",
         notPk},
        {"ZIP64 locator missing", noLocator, "z1.zip", notPk},
        {"ZIP64 record signature wrong", badRecord, "z2.zip", notPk},
        {"ZIP64 record offset past the end", farRecord, "z3.zip", notPk},
        {"ZIP64 entry count the file cannot hold",
         ZipWriter().Stored("a.gif", "abc").Zip64End().EndEntryCount(~0ull).Build(), "z4.zip", notPk},
    };
#ifndef _WIN32
    rows.push_back({"pipe", {}, "pipe.zip", ZipText::InvalidStream}); // Windows has no named pipes in folders
#endif
    const ZipFolder folder;
    for (const Row& row : rows) {
        CAPTURE(row.name);
        std::string path = Utf8FromPath(folder.Root() / "does-not-exist.zip");
        if (row.file == "folder.zip" || row.file == "pipe.zip") {
            const fs::path special = folder.Root() / row.file;
            path = Utf8FromPath(special);
            std::error_code ec;
            fs::remove_all(special, ec);
#ifndef _WIN32
            if (row.file == "pipe.zip")
                REQUIRE(::mkfifo(special.c_str(), 0600) == 0);
            else
#endif
                fs::create_directory(special);
        } else if (!row.file.empty()) {
            path = folder.WriteArchive(row.bytes, row.file);
        }

        TAbUnZipper zip;
        zip.SetFileName(folder.WriteArchive(ZipWriter().Stored("x.gif", "x").Build(), "earlier.zip"));
        REQUIRE(zip.Items().size() == 1);
        try {
            zip.SetFileName(path);
            FAIL("no error");
        } catch (const ArchiveError& e) {
            CHECK(std::string(e.what()) == row.error);
        }
        // The earlier archive is released and the failed one not kept.
        CHECK(zip.Items().empty());
        CHECK(zip.FileName().empty());
    }
}

TEST_CASE("an upper-case extension and an empty archive open")
{
    const ZipFolder folder;
    TAbUnZipper zip;
    zip.SetFileName(folder.WriteArchive(ZipWriter().Stored("a.gif", "abc").Build(), "UPPER.ZIP"));
    CHECK(zip.Items().size() == 1);
    zip.SetFileName(folder.WriteArchive(ZipWriter().Build(), "empty-archive.zip"));
    CHECK(zip.Items().empty());
    CHECK(zip.FileName() == Utf8FromPath(folder.Root() / "empty-archive.zip"));
}

TEST_CASE("reopening releases the earlier archive")
{
    const ZipFolder folder;
    TAbUnZipper zip;
    zip.SetFileName(folder.WriteArchive(ZipWriter().Stored("a.gif", "1").Stored("b.gif", "2").Build(), "two.zip"));
    CHECK(zip.Items().size() == 2);
    zip.SetFileName(folder.WriteArchive(ZipWriter().Stored("c.gif", "3").Build(), "one.zip"));
    REQUIRE(zip.Items().size() == 1);
    CHECK(zip.Items()[0].fileName == "c.gif");
    zip.SetFileName("");
    CHECK(zip.Items().empty());
    CHECK(zip.FileName().empty());
    // Extracting with nothing open writes nothing.
    folder.FreshOut();
    zip.SetBaseDirectory(Utf8FromPath(folder.Out()));
    zip.ExtractFiles("*");
    CHECK(fs::is_empty(folder.Out()));
}

TEST_CASE("the end record is found behind comments and trailing bytes")
{
    // Lengths around the block edges: the first block holds 512 bytes, the
    // next ones overlap the block after them by one record.
    std::vector<std::pair<int, int>> rows; // comment length, trailer length
    for (int length : {0, 1, 489, 490, 491, 500, 1000, 1500, 3500, 5000, 65535})
        rows.emplace_back(length, 0);
    rows.emplace_back(0, 10);        // bytes after the record, no comment
    rows.emplace_back(65535, 70000); // record more than 64 KiB before the end
    const ZipFolder folder;
    for (const auto& [commentLength, trailerLength] : rows) {
        CAPTURE(commentLength);
        CAPTURE(trailerLength);
        std::string comment(std::size_t(commentLength), 'c');
        // A signature inside the comment whose comment length cannot fit is no record.
        if (commentLength >= 40 && trailerLength == 0)
            comment.replace(10, 22, "PK\x05\x06"s + std::string(16, '\0') + "\xff\xff");
        const Bytes bytes = ZipWriter()
                                .Deflated("pictures/a.gif", "picture")
                                .Comment(comment)
                                .Trailer(Bytes(std::size_t(trailerLength), 'T'))
                                .Build();
        const Outcome outcome = folder.Extract(bytes, "a.gif");
        CHECK(outcome.files == Names{"a.gif"});
        CHECK(folder.Text("a.gif") == "picture");
    }
}

TEST_CASE("ZIP64 end records and extra fields")
{
    struct Row {
        const char* name;
        bool endRecords;
        bool extraFields;
    };
    const ZipFolder folder;
    for (const Row& row :
         {Row{"ZIP64 end records", true, false}, Row{"ZIP64 extra fields", false, true}, Row{"both", true, true}}) {
        CAPTURE(row.name);
        const Bytes big = Noise(70000, 7);
        ZipEntry first = Entry("first.gif", "first member");
        ZipEntry second;
        second.name = "pictures/second.gif";
        second.data = big;
        second.method = 8;
        first.zip64 = second.zip64 = row.extraFields;
        const Bytes bytes = ZipWriter().Add(first).Add(second).Zip64End(row.endRecords).Comment("note").Build();

        TAbUnZipper zip;
        zip.SetFileName(folder.WriteArchive(bytes));
        REQUIRE(zip.Items().size() == 2);
        CHECK(zip.Items()[1].uncompressedSize == std::uint64_t(big.size()));
        CHECK(zip.Items()[1].localHeaderOffset > 0);
        CHECK(zip.Items()[1].localHeaderOffset < 0xFFFFFFFFull);
        zip.SetFileName("");

        const Outcome outcome = folder.Extract(bytes);
        CHECK(outcome.failed.empty());
        CHECK(outcome.files == Names{"first.gif", "second.gif"});
        CHECK(ReadAllBytes(folder.Out() / "second.gif") == big);
    }
}

TEST_CASE("member names become UTF-8")
{
    struct Row {
        const char* name;
        std::string raw;
        int flags;
        Bytes extra;
        std::string expected;
    };
    const std::string zaba = "\xC5\xBC"
                             "aba.gif"; // "żaba.gif"
    const Row rows[] = {
        {"ASCII unchanged", "pictures/abc.gif", 0, {}, "pictures/abc.gif"},
        {"backslashes are separators", "pictures\\abc.gif", 0, {}, "pictures/abc.gif"},
        {"UTF-8 by flag", zaba, 0x800, {}, zaba},
        {"UTF-8 by validity", zaba, 0, {}, zaba},
        {"code page 437",
         "\x81"
         "ber.gif",
         0,
         {},
         "\xC3\xBC"
         "ber.gif"},
        {"flagged but not UTF-8: code page 437", "\xC3(.gif", 0x800, {}, "\xE2\x94\x9C(.gif"},
        {"Unicode path with matching CRC", "?aba.gif", 0, UnicodePathExtra("?aba.gif", zaba), zaba},
        {"Unicode path with wrong CRC ignored",
         "\x81"
         "ber.gif",
         0,
         UnicodePathExtra("\x81"
                          "ber.gif",
                          "other.gif", 1234),
         "\xC3\xBC"
         "ber.gif"},
        {"Unicode path of another version ignored", "x.gif", 0, ExtraField(0x7075, {2, 0, 0, 0, 0, 'y'}), "x.gif"},
        {"flagged UTF-8 wins over Unicode path", "a.gif", 0x800, UnicodePathExtra("a.gif", "b.gif"), "a.gif"},
        {"NUCX UTF-16 name", "\x81.gif", 0, NucxExtra(u"\u0436.gif"), "\xD0\xB6.gif"},
        {"NUCX after another field", "\x81.gif", 0, Cat(ExtraField(0x1234, {1, 2, 3}), NucxExtra(u"n.gif")), "n.gif"},
        {"NUCX with a broken surrogate ignored", "\x81.gif", 0, NucxExtra(std::u16string(1, char16_t(0xD800)) + u"x"),
         "\xC3\xBC.gif"},
        {"extra field running past its end ignored", "\x81.gif", 0, ToBytes("\x75\x70\xff\x00\x01"s), "\xC3\xBC.gif"},
    };
    const ZipFolder folder;
    for (const Row& row : rows) {
        CAPTURE(row.name);
        ZipEntry e = Entry(row.raw, "data");
        e.flags = static_cast<std::uint16_t>(row.flags);
        e.centralExtra = row.extra;
        TAbUnZipper zip;
        zip.SetFileName(folder.WriteArchive(Archive(e)));
        REQUIRE(zip.Items().size() == 1);
        CHECK(zip.Items()[0].fileName == row.expected);
    }
}

TEST_CASE("the mask selects members")
{
    const std::pair<const char*, Names> rows[] = {
        {"a.gif", {"a.gif"}},                                        // plain name
        {"A.GIF", {"a.gif"}},                                        // case ignored
        {"C.gif", {"c.GIF"}},                                        // found in any folder
        {"*", {"a.gif", "b.gif", "c.GIF", "noext", "readme.txt"}},   // star
        {"*.*", {"a.gif", "b.gif", "c.GIF", "noext", "readme.txt"}}, // matches names without a dot
        {"*.gif", {"a.gif", "b.gif", "c.GIF"}},                      // extension
        {"?.gif", {"a.gif", "b.gif", "c.GIF"}},                      // question mark
        {"?a.gif", {}},                                              // question mark needs a character
        {"*e*", {"noext", "readme.txt"}},                            // star inside
        {"pictures/*", {"b.gif"}},                                   // folder part
        {"PICTURES\\B.GIF", {"b.gif"}},                              // folder part with backslash
        {"pictures/sub/*.gif", {"c.GIF"}},                           // nested folder part
        {"*/b.gif", {"b.gif"}},                                      // wildcard folder part
        {"/a.gif", {"a.gif"}},                                       // empty folder part is the root
        {"x/a.gif", {}},                                             // folder that no member has
        {"  a.gif ;\treadme.txt  ", {"a.gif", "readme.txt"}},        // semicolon list, trimmed
        {"a.gif;;", {"a.gif"}},                                      // empty list items ignored
        {"missing.gif", {}},                                         // name no member has
        {"", {}},                                                    // empty mask
        {"a.gi", {}},                                                // prefix is not a match
    };
    const Bytes bytes = ZipWriter()
                            .Stored("a.gif", "a")
                            .Folder("pictures")
                            .Deflated("pictures/b.gif", "b")
                            .Stored("pictures/sub/c.GIF", "c")
                            .Stored("readme.txt", "r")
                            .Stored("noext", "n")
                            .Build();
    const ZipFolder folder;
    for (const auto& [mask, files] : rows) {
        CAPTURE(mask);
        const Outcome outcome = folder.Extract(bytes, mask);
        CHECK(outcome.failed.empty());
        CHECK(outcome.files == files);
    }
}

TEST_CASE("folder entries are skipped and stored paths dropped")
{
    ZipEntry dosFolder = Entry("legacy", "");
    dosFolder.externalAttributes = 0x10;
    const Bytes bytes = ZipWriter()
                            .Folder("pictures")
                            .Folder("pictures/sub")
                            .Add(dosFolder)
                            .Stored("pictures/sub/deep.gif", "deep")
                            .Build();
    // Even with the restore-path option set, nothing but the file name is used.
    const ZipFolder folder;
    const Outcome outcome = folder.Extract(bytes, "*", eoCreateDirs | eoRestorePath);
    CHECK(outcome.failed.empty());
    CHECK(outcome.files == Names{"deep.gif"});
    CHECK(folder.Text("deep.gif") == "deep");
}

TEST_CASE("a later duplicate wins and existing files are overwritten")
{
    const ZipFolder folder;
    const Bytes bytes = ZipWriter().Stored("one/x.gif", "first").Deflated("two/X.gif", "second").Build();
    folder.FreshOut();
    WriteTextFile(folder.Out() / "x.gif", "old content");
    fs::permissions(folder.Out() / "x.gif", fs::perms::owner_read); // a read-only copy from earlier

    TAbUnZipper zip;
    Names failures;
    zip.OnProcessItemFailure = [&](const ZipItem&, const std::string& e) { failures.push_back(e); };
    zip.SetFileName(folder.WriteArchive(bytes));
    zip.SetBaseDirectory(Utf8FromPath(folder.Out()));
    zip.ExtractFiles("x.gif");
    CHECK(failures.empty());
    // Both members match; they land in central directory order, under their own file names.
#ifdef _WIN32
    // Windows file names ignore case: the second member replaced the first.
    CHECK(std::distance(fs::directory_iterator(folder.Out()), fs::directory_iterator()) == 1);
    CHECK(folder.Text("x.gif") == "second");
#else
    CHECK(folder.Text("x.gif") == "first");
    CHECK(folder.Text("X.gif") == "second");
#endif

    const Bytes same = ZipWriter().Stored("one/y.gif", "first").Deflated("two/y.gif", "second").Build();
    const Outcome outcome = folder.Extract(same, "y.gif");
    CHECK(outcome.files == Names{"y.gif"});
    CHECK(folder.Text("y.gif") == "second");
}

TEST_CASE("empty members give empty files")
{
    struct Row {
        const char* name;
        int method;
        bool withDeflateData;
    };
    const Row rows[] = {
        {"stored", 0, false},
        {"deflated, with an end block", 8, true},
        {"deflated, no data at all", 8, false},
        {"unknown method, nothing to decode", 99, false},
    };
    const ZipFolder folder;
    for (const Row& row : rows) {
        CAPTURE(row.name);
        ZipEntry e = Entry("empty.gif", "", static_cast<std::uint16_t>(row.method));
        if (!row.withDeflateData)
            e.compressedData = Bytes{};
        const Outcome outcome = folder.Extract(Archive(e));
        CHECK(outcome.failed.empty());
        REQUIRE(outcome.files == Names{"empty.gif"});
        CHECK(fs::file_size(folder.Out() / "empty.gif") == 0);
    }
}

TEST_CASE("large members round-trip")
{
    struct Row {
        const char* name;
        int method;
        int size;
    };
    const ZipFolder folder;
    for (const Row& row : {Row{"stored, several chunks", 0, 200000}, Row{"deflated, several chunks", 8, 200000},
                           Row{"deflated, exactly one chunk", 8, 65536}}) {
        CAPTURE(row.name);
        ZipEntry e;
        e.name = "big.gif";
        e.data = Noise(std::size_t(row.size), 99);
        // Half noise, half runs: deflate output then spans both kinds of block.
        std::fill(e.data.begin(), e.data.begin() + row.size / 2, 'r');
        e.method = static_cast<std::uint16_t>(row.method);
        const Outcome outcome = folder.Extract(Archive(e));
        CHECK(outcome.failed.empty());
        CHECK(ReadAllBytes(folder.Out() / "big.gif") == e.data);
    }
}

TEST_CASE("member failures: the error text, and no file left behind")
{
    struct Row {
        const char* name;
        Bytes archive;
        std::string error;                  // empty: no failure
        std::optional<std::string> content; // the file left behind, or none
    };
    const std::string text = "a picture's bytes, long enough to be worth compressing, compressing, compressing";
    const std::string damaged = ZipText::DamagedData;
    std::vector<Row> rows;

    ZipEntry e = Entry("m.gif", text);
    e.versionNeeded = 64;
    rows.push_back({"version needed 6.4", Archive(e), ZipText::NewerVersion, std::nullopt});
    e.versionNeeded = 0x0340; // a high byte of 3 does not count
    rows.push_back({"version needed 6.4 from a Unix host", Archive(e), ZipText::NewerVersion, std::nullopt});
    e.versionNeeded = 63;
    rows.push_back({"version needed 6.3 is fine", Archive(e), "", text});

    e = Entry("m.gif", text);
    e.badLocalSignature = true;
    rows.push_back({"bad local header", Archive(e), ZipText::NotPkZip, std::nullopt});
    e = Entry("m.gif", text);
    e.localHeaderOffset = 1u << 30;
    rows.push_back({"local header past the end", Archive(e), ZipText::NotPkZip, std::nullopt});

    e = Entry("m.gif", text);
    e.flags = 1;
    rows.push_back({"encrypted", Archive(e), ZipText::InvalidPassword, std::nullopt});

    e = Entry("m.gif", text, 8);
    e.crc = 0xDEADBEEF;
    rows.push_back({"wrong CRC, deflated: no file", Archive(e), ZipText::CrcFailed, std::nullopt});
    e.method = 0;
    rows.push_back({"wrong CRC, stored: no file", Archive(e), ZipText::CrcFailed, std::nullopt});

    e = Entry("m.gif", text, 8);
    e.compressedData = Bytes(40, 0xFF);
    rows.push_back({"garbage instead of deflate data", Archive(e), damaged, std::nullopt});
    e = Entry("m.gif", text, 8);
    e.compressedData = DeflateRaw(ToBytes(text));
    e.compressedData->resize(e.compressedData->size() / 2);
    rows.push_back({"deflate data cut short", Archive(e), damaged, std::nullopt});
    e = Entry("m.gif", text, 8);
    e.uncompressedSize = 10;
    rows.push_back({"deflate data longer than recorded", Archive(e), damaged, std::nullopt});
    e.uncompressedSize = text.size() + 1;
    rows.push_back({"deflate data shorter than recorded", Archive(e), damaged, std::nullopt});
    e = Entry("m.gif", text, 8);
    e.compressedSize = 1u << 20;
    rows.push_back({"compressed size past the end", Archive(e), damaged, std::nullopt});
    e = Entry("m.gif", text, 0);
    e.uncompressedSize = text.size() - 1;
    rows.push_back({"stored sizes disagree", Archive(e), damaged, std::nullopt});

    e = Entry("m.gif", text, 8);
    e.zip64 = true;
    e.uncompressedSize = TAbUnZipper::kMaxMemberSize + 1;
    rows.push_back({"declared size above the bound", Archive(e), ZipText::TooLarge, std::nullopt});
    e.uncompressedSize = 0xFFFFFFFFFFFFull;
    rows.push_back({"declared size of 256 TiB", Archive(e), ZipText::TooLarge, std::nullopt});

    const ZipFolder folder;
    for (const Row& row : rows) {
        CAPTURE(row.name);
        const Outcome outcome = folder.Extract(row.archive);
        if (row.error.empty()) {
            CHECK(outcome.failed.empty());
        } else {
            REQUIRE(outcome.failed.size() == 1);
            CHECK(outcome.failed[0].first == "m.gif");
            CHECK(outcome.failed[0].second == row.error);
        }
        if (!row.content) {
            CHECK(outcome.files.empty());
        } else {
            CHECK(outcome.files == Names{"m.gif"});
            CHECK(folder.Text("m.gif") == *row.content);
        }
    }
}

TEST_CASE("an unsupported method deletes the file begun")
{
    const Bytes bytes = ZipWriter()
                            .Stored("keep.gif", "kept")
                            .Add(Entry("m.gif", "bzip2 data, supposedly", 12))
                            .Add(Entry("n.gif", "method 14", 14))
                            .Build();
    const ZipFolder folder;
    folder.FreshOut();
    WriteTextFile(folder.Out() / "m.gif", "an older copy");
    TAbUnZipper zip;
    Names failures;
    zip.OnProcessItemFailure = [&](const ZipItem&, const std::string& e) { failures.push_back(e); };
    zip.SetFileName(folder.WriteArchive(bytes));
    zip.SetBaseDirectory(Utf8FromPath(folder.Out()));
    zip.ExtractFiles("*");
    CHECK(failures == Names(2, ZipText::UnsupportedMethod));
    CHECK_FALSE(fs::exists(folder.Out() / "m.gif"));
    CHECK_FALSE(fs::exists(folder.Out() / "n.gif"));
    CHECK(folder.Text("keep.gif") == "kept");
}

// Parent references, absolute paths, drives, streams, device names and names
// Windows would change; on Windows each of them would really escape or open
// something else.
TEST_CASE("unsafe names never leave the target folder")
{
    struct Row {
        std::string raw;
        Bytes extra;
    };
    std::vector<Row> rows;
    for (const char* name : {"../evil.gif",
                             "..\\evil.gif",
                             "a/../../evil.gif",
                             "a/..",
                             "..",
                             ".",
                             "/tmp/evil.gif",
                             "\\evil.gif",
                             "C:evil.gif",
                             "C:/evil.gif",
                             "c:\\evil.gif",
                             "evil.gif:stream",
                             "",
                             "a/.",
                             "CON",
                             "pics/nul.gif",
                             "COM1.txt",
                             "lpt9",
                             "nul .txt",
                             "NUL  .txt",
                             "Prn.tar.gz",
                             "conout$.gif",
                             "COM\xC2\xB9.gif",
                             "lpt\xC2\xB3",
                             "evil.gif.",
                             "evil.gif ",
                             ".evil.gif"})
        rows.push_back({name, {}});
    rows.push_back({"evil.gif\0.txt"s, {}});
    rows.push_back({"\x81"
                    "harmless.gif",
                    UnicodePathExtra("\x81"
                                     "harmless.gif",
                                     "../evil.gif")});
    rows.push_back({"\x81"
                    "harmless.gif",
                    NucxExtra(u"/evil.gif")});

    const ZipFolder folder;
    const fs::path nested = folder.Out() / "deeper";
    for (const Row& row : rows) {
        CAPTURE(row.raw);
        ZipEntry e = Entry(row.raw, "payload");
        e.centralExtra = row.extra;
        folder.FreshOut();
        fs::create_directories(nested);

        TAbUnZipper zip;
        Names failures;
        zip.OnProcessItemFailure = [&](const ZipItem&, const std::string& error) { failures.push_back(error); };
        zip.SetFileName(folder.WriteArchive(ZipWriter().Add(e).Stored("fine.gif", "fine").Build()));
        zip.SetBaseDirectory(Utf8FromPath(nested));
        zip.ExtractFiles("*");
        CHECK(failures == Names{ZipText::UnsafeName});
        CHECK(ReadAllBytes(nested / "fine.gif") == ToBytes("fine"));
        Names escaped;
        for (const auto& entry : fs::recursive_directory_iterator(folder.Root()))
            if (Utf8FromPath(entry.path().filename()).find("evil") != std::string::npos)
                escaped.push_back(Utf8FromPath(entry.path()));
        CHECK(escaped == Names{});
        CHECK((!fs::exists("/tmp/evil.gif") || fs::file_size("/tmp/evil.gif") != 7));
        CHECK(std::distance(fs::directory_iterator(nested), fs::directory_iterator()) == 1);
    }
}

TEST_CASE("a member larger than the free space fails")
{
    const Bytes bytes = ZipWriter().Stored("fits.gif", "0123456789").Deflated("big.gif", "0123456789A").Build();
    const ZipFolder folder;
    folder.FreshOut();
    TAbUnZipper zip;
    std::vector<std::pair<std::string, std::string>> failures;
    zip.OnProcessItemFailure = [&](const ZipItem& i, const std::string& e) { failures.emplace_back(i.fileName, e); };
    zip.FreeSpace = [](const fs::path&) { return std::uintmax_t(10); };
    zip.SetFileName(folder.WriteArchive(bytes));
    zip.SetBaseDirectory(Utf8FromPath(folder.Out()));
    zip.ExtractFiles("*");
    REQUIRE(failures.size() == 1);
    CHECK(failures[0].first == "big.gif");
    CHECK(failures[0].second == IoErrorMessage(101));
    CHECK(fs::exists(folder.Out() / "fits.gif"));
    CHECK_FALSE(fs::exists(folder.Out() / "big.gif"));
}

TEST_CASE("attributes follow the recording host")
{
    struct Row {
        const char* name;
        int madeBy;
        std::uint32_t attributes;
        bool readOnly;
    };
    const Row rows[] = {
        {"DOS archive bit", 20, 0x20u, false},
        {"DOS read-only", 20, 0x21u, true},
        {"DOS read-only, hidden, system", 20, 0x07u, true},
        {"Unix rw-r--r--", 0x0314, 0100644u << 16, false},
        {"Unix r--r--r--", 0x0314, 0100444u << 16, true},
        {"Unix r--r--r-- with a DOS byte saying writable", 0x0314, (0100444u << 16) | 0x20, true},
        {"Unix rwsr-xr-x gives no execute bits", 0x0314, 0104755u << 16, false},
        {"DOS host, attributes above 0x1FFFF: Unix mode", 20, 0100444u << 16, true},
        {"DOS host, 0x1FFFF is still DOS", 20, 0x1FFEEu, false},
    };
    const ZipFolder folder;
    for (const Row& row : rows) {
        CAPTURE(row.name);
        ZipEntry e = Entry("m.gif", "data");
        e.versionMadeBy = static_cast<std::uint16_t>(row.madeBy);
        e.externalAttributes = row.attributes;
        const Outcome outcome = folder.Extract(Archive(e));
        CHECK(outcome.failed.empty());
        const fs::path file = folder.Out() / "m.gif";
#ifdef _WIN32
        // Only read-only is taken over: a copy is never hidden or a system file.
        const DWORD attributes = GetFileAttributesW(file.c_str());
        REQUIRE(attributes != INVALID_FILE_ATTRIBUTES);
        CHECK(((attributes & FILE_ATTRIBUTE_READONLY) != 0) == row.readOnly);
        CHECK((attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0);
#else
        struct stat st {};
        REQUIRE(::stat(file.c_str(), &st) == 0);
        CHECK(((st.st_mode & 0222) == 0) == row.readOnly);
        CHECK((st.st_mode & 0111) == 0);
        CHECK((st.st_mode & S_ISUID) == 0);
        CHECK((st.st_mode & 0400) != 0);
#endif
    }
}

TEST_CASE("the modification time comes from the DOS date and time")
{
    ZipEntry e = Entry("m.gif", "data");
    e.dosDate = DosDate(2021, 6, 15);
    e.dosTime = DosTime(13, 45, 30);
    ZipEntry bad = Entry("bad.gif", "data");
    bad.dosDate = DosDate(2021, 13, 40); // no such date: the time of writing stays
    const ZipFolder folder;
    const auto before = std::chrono::system_clock::now() - std::chrono::seconds(5);
    const Outcome outcome = folder.Extract(ZipWriter().Add(e).Add(bad).Build());
    CHECK(outcome.failed.empty());
    const std::tm local = LocalWriteTime(folder.Out() / "m.gif");
    CHECK(local.tm_year + 1900 == 2021);
    CHECK(local.tm_mon + 1 == 6);
    CHECK(local.tm_mday == 15);
    CHECK(local.tm_hour == 13);
    CHECK(local.tm_min == 45);
    CHECK(local.tm_sec == 30);
    CHECK(std::chrono::file_clock::to_sys(fs::last_write_time(folder.Out() / "bad.gif")) >= before);
}

TEST_CASE("the base directory drops one trailing separator and must exist")
{
    const ZipFolder folder;
    TAbUnZipper zip;
    fs::create_directories(folder.Root() / "target");
    const std::string target = Utf8FromPath(folder.Root() / "target");
    zip.SetBaseDirectory(target + "/");
    CHECK(zip.BaseDirectory() == target);
    zip.SetBaseDirectory(target);
    CHECK(zip.BaseDirectory() == target);
    zip.SetBaseDirectory(target + "//"); // only one separator is dropped
    CHECK(zip.BaseDirectory() == target + "/");
    zip.SetBaseDirectory("/");
    CHECK(zip.BaseDirectory() == "/");
#ifdef _WIN32
    // Backslashes are separators too, and a drive's root keeps its own.
    zip.SetBaseDirectory(target + "\\");
    CHECK(zip.BaseDirectory() == target);
    const std::string driveRoot = Utf8FromPath(folder.Root().root_path());
    REQUIRE(driveRoot.size() == 3);
    zip.SetBaseDirectory(driveRoot);
    CHECK(zip.BaseDirectory() == driveRoot);
#endif
    const std::string missing = Utf8FromPath(folder.Root() / "nope");
    for (const std::string& path : {missing, missing + "/", std::string()}) {
        CAPTURE(path);
        try {
            zip.SetBaseDirectory(path);
            FAIL("no error");
        } catch (const ArchiveError& e) {
            CHECK(std::string(e.what()) == ZipText::NoDirectory);
        }
    }
}

TEST_CASE("a missing target folder is created only with the create option")
{
    const Bytes bytes = ZipWriter().Stored("a.gif", "a").Build();
    const ZipFolder folder;
    for (int options : {int(eoCreateDirs), 0}) {
        CAPTURE(options);
        const fs::path target = folder.Root() / "vanishing" / "folder";
        fs::create_directories(target);
        TAbUnZipper zip;
        Names failures;
        zip.OnProcessItemFailure = [&](const ZipItem&, const std::string& e) { failures.push_back(e); };
        zip.ExtractOptions = options;
        zip.SetFileName(folder.WriteArchive(bytes));
        zip.SetBaseDirectory(Utf8FromPath(target));
        fs::remove_all(folder.Root() / "vanishing");
        zip.ExtractFiles("a.gif");
        if (options == eoCreateDirs) {
            CHECK(failures.empty());
            CHECK(fs::exists(target / "a.gif"));
        } else {
            CHECK(failures == Names{ZipText::NoDirectory});
            CHECK_FALSE(fs::exists(target));
        }
    }
}

TEST_CASE("every truncation and byte flip is survived")
{
    // A small archive with every kind of structure; each cut and each changed
    // byte must end in an archive error or member failures, never worse.
    ZipEntry zip64 = Entry("pictures/z.gif", "zip64 member, deflated", 8);
    zip64.zip64 = true;
    ZipEntry unicode = Entry("\x81.gif", "u");
    unicode.centralExtra = UnicodePathExtra("\x81.gif", "u.gif");
    const Bytes good = ZipWriter()
                           .Folder("pictures")
                           .Deflated("pictures/a.gif", std::string(64, 'a'))
                           .Add(zip64)
                           .Add(unicode)
                           .Zip64End()
                           .Comment("comment")
                           .Build();
    const ZipFolder folder;
    int opened = 0;
    int tooLarge = 0;
    auto attempt = [&](const Bytes& bytes) {
        folder.FreshOut();
        TAbUnZipper zip;
        zip.OnProcessItemFailure = [](const ZipItem&, const std::string&) {};
        try {
            zip.SetFileName(folder.WriteArchive(bytes, "mangled.zip"));
            ++opened;
        } catch (const ArchiveError&) {
            return;
        }
        zip.SetBaseDirectory(Utf8FromPath(folder.Out()));
        zip.ExtractFiles("*");
        for (const auto& entry : fs::directory_iterator(folder.Out()))
            tooLarge += fs::file_size(entry.path()) > 64;
    };
    for (std::size_t length = 0; length < good.size(); ++length)
        attempt(Bytes(good.begin(), good.begin() + std::ptrdiff_t(length)));
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (std::uint8_t value : {std::uint8_t(good[i] ^ 0x80), std::uint8_t(0xFF), std::uint8_t(0)}) {
            Bytes bytes = good;
            bytes[i] = value;
            attempt(bytes);
        }
    }
    CHECK(tooLarge == 0);
    CHECK(opened > 0);
}

// The inputs live in the source tree (a truncated directory, huge sizes,
// entries sharing bytes, names that climb out, an end record that lies): a
// missing or empty folder is a failure, never a silent pass. Each is refused
// or extracted without a crash, nothing lands beside the target folder and
// no file grows past the member limit.
TEST_CASE("inputs that once crashed the reader are survived")
{
    const fs::path regressions = DataFolder(QUARNEL_ZIP_REGRESSIONS);
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_directory(regressions, ec))
        for (const auto& entry : fs::directory_iterator(regressions))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    REQUIRE_MESSAGE(!files.empty(), "no regression inputs in " << Utf8FromPath(regressions));
    std::sort(files.begin(), files.end());
    const ZipFolder folder;
    for (const fs::path& file : files) {
        CAPTURE(Utf8FromPath(file.filename()));
        const Bytes bytes = ReadAllBytes(file);
        folder.FreshOut();
        TAbUnZipper zip;
        zip.OnProcessItemFailure = [](const ZipItem&, const std::string&) {};
        try {
            zip.SetFileName(folder.WriteArchive(bytes, "regression.zip"));
        } catch (const ArchiveError&) {
            continue;
        }
        zip.SetBaseDirectory(Utf8FromPath(folder.Out()));
        zip.ExtractFiles("*");
        zip.SetFileName("");
        for (const auto& entry : fs::recursive_directory_iterator(folder.Out()))
            if (entry.is_regular_file())
                CHECK(fs::file_size(entry.path()) <= TAbUnZipper::kMaxMemberSize);
        for (const auto& entry : fs::directory_iterator(folder.Root()))
            CHECK_MESSAGE((entry.path() == folder.Out() || entry.path().filename() == "regression.zip"),
                          Utf8FromPath(entry.path()));
    }
}

TEST_CASE("hostile archives fail fast")
{
    using Clock = std::chrono::steady_clock;
    const auto elapsedMs = [](Clock::time_point start) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    // A valid lookup first, for the time a healthy archive takes.
    const ZipFolder folder;
    Bytes valid = ZipWriter().Stored("big.gif", Noise(2'000'000, 7)).Stored("a.gif", "a").Build();
    TAbUnZipper zip;
    const std::string validFile = folder.WriteArchive(valid, "valid.zip");
    auto start = Clock::now();
    zip.SetFileName(validFile);
    const auto validMs = elapsedMs(start);

    const Bytes cut(valid.begin(), valid.end() - 30);
    const struct {
        const char* name;
        Bytes bytes;
        const char* error;
    } cases[] = {{"random.zip", Noise(4 * 1024 * 1024, 99), ZipText::UnhandledType},
                 {"cut.zip", cut, ZipText::UnhandledType}};
    for (const auto& c : cases) {
        CAPTURE(c.name);
        const std::string file = folder.WriteArchive(c.bytes, c.name);
        start = Clock::now();
        try {
            zip.SetFileName(file);
            FAIL("no error");
        } catch (const ArchiveError& e) {
            CHECK(std::string(e.what()) == c.error);
        }
        // The search reads each block once: a second at most even under sanitizers.
        CHECK(elapsedMs(start) < 1000 + 20 * validMs);
    }
}

TEST_CASE("shared data and the call budget bound the bytes written")
{
    // Twenty central entries that all point at one deflated megabyte.
    ZipWriter bomb;
    for (int i = 0; i < 20; ++i) {
        ZipEntry e = Entry(std::string("b") + std::to_string(i) + ".gif", std::string(1 << 20, '\0'), 8);
        e.localHeaderOffset = 0;
        bomb.Add(e);
    }
    const ZipFolder folder;
    Outcome outcome = folder.Extract(bomb.Build());
    CHECK(BytesIn(folder.Out()) == 0);
    CHECK(outcome.failed.size() == 20);
    CHECK(outcome.files.empty());

    // A member recorded as 1000 bytes whose data inflates to 8 MiB stops at the
    // recorded size: it fails as damaged and leaves nothing. Under a 1 MiB file
    // size limit, a reader that wrote on past the recorded size would fail with
    // "File too large" instead.
    ZipEntry inflating = Entry("z.gif", std::string(1000, '\0'), 8);
    inflating.compressedData = DeflateRaw(Bytes(8 << 20, 0));
    REQUIRE(inflating.compressedData->size() < 64 * 1024);
    {
#ifndef _WIN32
        rlimit before{};
        REQUIRE(getrlimit(RLIMIT_FSIZE, &before) == 0);
        rlimit limited = before;
        limited.rlim_cur = std::min<rlim_t>(before.rlim_cur, 1 << 20);
        REQUIRE(setrlimit(RLIMIT_FSIZE, &limited) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
#endif
        outcome = folder.Extract(ZipWriter().Add(inflating).Build());
#ifndef _WIN32
        std::signal(SIGXFSZ, oldHandler);
        setrlimit(RLIMIT_FSIZE, &before);
#endif
    }
    REQUIRE(outcome.failed.size() == 1);
    CHECK(outcome.failed[0].second == ZipText::DamagedData);
    CHECK(outcome.files.empty());

    // Distinct members stop at the bytes one call may write.
    folder.FreshOut();
    TAbUnZipper zip;
    Names failures;
    zip.OnProcessItemFailure = [&](const ZipItem& item, const std::string& error) {
        failures.push_back(item.fileName + ": " + error);
    };
    zip.MaxBytesPerCall = 10'000;
    zip.SetFileName(folder.WriteArchive(ZipWriter()
                                            .Stored("a.gif", Noise(4000, 1))
                                            .Deflated("b.gif", Noise(4000, 2))
                                            .Stored("c.gif", Noise(4000, 3))
                                            .Build()));
    zip.SetBaseDirectory(Utf8FromPath(folder.Out()));
    zip.ExtractFiles("*");
    CHECK(failures == Names{std::string("c.gif: ") + ZipText::TooLarge});
    CHECK(BytesIn(folder.Out()) == 8000);
    // The budget is per call.
    zip.ExtractFiles("c.gif");
    CHECK(BytesIn(folder.Out()) == 12000);
}

TEST_CASE("planted links are never written through")
{
    const ZipFolder folder;
    folder.FreshOut();
    const fs::path hardVictim = folder.Root() / "hard-victim.txt";
    WriteAllBytes(hardVictim, ToBytes("keep too"));
    std::error_code ec;
    fs::create_hard_link(hardVictim, folder.Out() / "c.gif", ec);
    if (ec)
        return ReportSkipped("this file system cannot make a hard link");
    Names planted = {"c.gif"};
#ifndef _WIN32
    // Symbolic links need a privilege on Windows that the test run lacks.
    const fs::path victim = folder.Root() / "victim.txt";
    WriteAllBytes(victim, ToBytes("keep"));
    fs::create_symlink(victim, folder.Out() / "a.gif");
    fs::create_symlink(folder.Root() / "nowhere.txt", folder.Out() / "b.gif");
    planted.insert(planted.end(), {"a.gif", "b.gif"});
#endif

    TAbUnZipper zip;
    zip.SetFileName(folder.WriteArchive(
        ZipWriter().Stored("a.gif", "new a").Stored("b.gif", "new b").Deflated("c.gif", "new c").Build()));
    zip.SetBaseDirectory(Utf8FromPath(folder.Out()));
    zip.ExtractFiles("*");
    CHECK(ReadAllBytes(hardVictim) == ToBytes("keep too"));
#ifndef _WIN32
    CHECK(ReadAllBytes(victim) == ToBytes("keep"));
    CHECK_FALSE(fs::exists(folder.Root() / "nowhere.txt"));
#endif
    for (const std::string& name : planted) {
        CAPTURE(name);
        CHECK_FALSE(fs::is_symlink(fs::symlink_status(folder.Out() / name)));
        CHECK(fs::hard_link_count(folder.Out() / name) == 1);
    }
    CHECK(ReadAllBytes(folder.Out() / "c.gif") == ToBytes("new c"));
}
