// The preview without the window: the fallback order of the picture
// candidates, the picture list and its 8-bit line counter, the caption base,
// view stepping, the extraction cache and the archive errors.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "TestDataFolders.h"
#include "TinyGif.h"
#include "ZipWriter.h"
#include "platform/Errors.h"
#include "preview/PreviewPictures.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

// A scratch folder holding the archive and the temp folder of one case.
struct PreviewFolder {
    ScratchFolder scratch;
    fs::path Root() const { return scratch.path; }
    fs::path ArchivePath() const { return Root() / "frm_critters.zip"; }
    fs::path Temp() const { return Root() / "temp"; }

    // A fresh temp folder and an archive holding the named members (each a
    // tiny picture, the list as given).
    void Stage(const Names& members, const std::string& list = "") const
    {
        std::error_code ec;
        fs::remove_all(Temp(), ec);
        ZipWriter writer;
        if (!list.empty())
            writer.Deflated("gif_critters.lst", list);
        for (const std::string& m : members)
            writer.Deflated(m, TinyStillGif());
        writer.WriteTo(ArchivePath());
    }

    void FreshTemp() const
    {
        std::error_code ec;
        fs::remove_all(Temp(), ec);
        fs::create_directories(Temp());
    }
};

} // namespace

TEST_CASE("the views wrap around")
{
    struct Row {
        int view, next, previous;
    };
    for (const Row& row : {Row{0, 1, 5}, Row{2, 3, 1}, Row{4, 5, 3}, Row{5, 0, 4}, Row{9, 0, 8}}) {
        CAPTURE(row.view);
        CHECK(PreviewPictures::NextView(row.view) == row.next);
        CHECK(PreviewPictures::PreviousView(row.view) == row.previous);
    }
}

TEST_CASE("the candidates come in fallback order")
{
    CHECK(PreviewPictures::Candidates("blob", 3) == Names{"blob-3.gif", "blob-0.gif", "blob.gif", "reservAA.gif"});
    CHECK(PreviewPictures::Candidates("drone.frm", 0) ==
          Names{"drone.frm-0.gif", "drone.frm-0.gif", "drone.frm.gif", "reservAA.gif"});
}

TEST_CASE("the caption drops the last extension")
{
    const std::pair<const char*, const char*> rows[] = {
        {"blob", "blob"}, {"drone.frm", "drone"}, {"a.b.frm", "a.b"},
        {".frm", ""},     {"blob.", "blob"},      {" blob ", " blob "},
    };
    for (const auto& [base, caption] : rows) {
        CAPTURE(base);
        CHECK(PreviewPictures::CaptionBase(base) == caption);
    }
}

TEST_CASE("the first member of the fallback order is shown")
{
    struct Row {
        const char* name;
        Names members;
        const char* base;
        int view;
        const char* shown; // empty: nothing
    };
    Names six;
    for (int v = 0; v < 6; ++v)
        six.push_back("c-" + std::to_string(v) + ".gif");
    Names sixAndFallback = six;
    sixAndFallback.push_back("reservAA.gif");
    const Row rows[] = {
        {"all views, view 2", sixAndFallback, "c", 2, "c-2.gif"},
        {"all views, view 5", six, "c", 5, "c-5.gif"},
        {"only view 0", {"c-0.gif", "c.gif", "reservAA.gif"}, "c", 2, "c-0.gif"},
        {"only the single picture", {"c.gif", "reservAA.gif"}, "c", 4, "c.gif"},
        {"single picture at view 0", {"c.gif"}, "c", 0, "c.gif"},
        {"none: fallback picture", {"other-2.gif", "reservAA.gif"}, "c", 2, "reservAA.gif"},
        {"none, no fallback either", {"other-2.gif"}, "c", 2, ""},
        {"under a folder", {"pictures/c-3.gif"}, "c", 3, "c-3.gif"},
        {"extension in the list line", {"drone.frm-1.gif", "drone-1.gif"}, "drone.frm", 1, "drone.frm-1.gif"},
        {"blank in the list line is part of the name", {"c-2.gif", "c -2.gif"}, "c ", 2, "c -2.gif"},
    };
    const PreviewFolder folder;
    for (const Row& row : rows) {
        CAPTURE(row.name);
        folder.Stage(row.members);
        PreviewPictures pictures(folder.ArchivePath(), folder.Temp());
        const fs::path picture = pictures.ResolvePicture(PreviewPictures::Candidates(row.base, row.view));
        if (std::string(row.shown).empty()) {
            CHECK(picture.empty());
        } else {
            CHECK(picture == folder.Temp() / row.shown);
            CHECK(ReadAllBytes(picture) == TinyStillGif());
        }
    }
}

TEST_CASE("a member stored in another case is found")
{
    const PreviewFolder folder;
    folder.Stage({"pictures/Blob-2.GIF"});
    PreviewPictures pictures(folder.ArchivePath(), folder.Temp());
    CHECK(pictures.ResolvePicture(PreviewPictures::Candidates("blob", 2)) == folder.Temp() / "blob-2.gif");
    CHECK(pictures.ArchiveOpenCount() == 1);
}

TEST_CASE("names outside the temp folder are never used")
{
    // A list line naming a path must not reach files beside the temp folder.
    const PreviewFolder folder;
    folder.Stage({"reservAA.gif"});
    WriteAllBytes(folder.Root() / "outside-2.gif", TinyAnimatedGif());
    PreviewPictures pictures(folder.ArchivePath(), folder.Temp());
    CHECK(pictures.ResolvePicture(PreviewPictures::Candidates("../outside", 2)) == folder.Temp() / "reservAA.gif");
    CHECK(pictures.ResolvePicture({"*.gif", "a;b.gif", "/etc/hostname"}) == fs::path());
}

TEST_CASE("picture list lines and their endings")
{
    struct Row {
        const char* name;
        std::string list;
        int fid;
        Names entries;
    };
    const Row rows[] = {
        {"LF", "a\nb\nc\n", 1, {"b"}},
        {"CR LF", "a\r\nb\r\nc\r\n", 1, {"b"}},
        {"last line without an end", "a\nb\nc", 2, {"c"}},
        {"nothing after the last LF", "a\nb\n", 2, {}},
        {"empty line counts", "a\n\nc\n", 1, {""}},
        {"blanks kept", " a \t\r\nb", 0, {" a \t"}},
        {"lone CR stays in the line", "a\rb\nc", 0, {"a\rb"}},
        {"extension kept", "drone.frm\n", 0, {"drone.frm"}},
        {"empty list", "", 0, {}},
        {"FID beyond the list", "a\nb\n", 7, {}},
    };
    const PreviewFolder folder;
    fs::create_directories(folder.Temp());
    for (const Row& row : rows) {
        CAPTURE(row.name);
        WriteTextFile(folder.Temp() / "gif_critters.lst", row.list);
        PreviewPictures pictures(folder.ArchivePath(), folder.Temp());
        CHECK(pictures.ListEntriesForFid(row.fid) == row.entries);
        CHECK(pictures.ArchiveOpenCount() == 0); // the list is only read, never extracted here
    }
}

TEST_CASE("the line counter wraps at 256")
{
    std::string list;
    for (int i = 0; i < 600; ++i)
        list += "line" + std::to_string(i) + (i % 2 ? "\r\n" : "\n");
    const PreviewFolder folder;
    fs::create_directories(folder.Temp());
    WriteTextFile(folder.Temp() / "gif_critters.lst", list);
    PreviewPictures pictures(folder.ArchivePath(), folder.Temp());
    CHECK(pictures.ListEntriesForFid(5) == Names{"line5", "line261", "line517"});
    CHECK(pictures.ListEntriesForFid(87) == Names{"line87", "line343", "line599"});
    CHECK(pictures.ListEntriesForFid(88) == Names{"line88", "line344"});
    CHECK(pictures.ListEntriesForFid(255) == Names{"line255", "line511"});
}

TEST_CASE("a missing picture list is File not found")
{
    const PreviewFolder folder;
    folder.FreshTemp();
    PreviewPictures pictures(folder.ArchivePath(), folder.Temp());
    try {
        pictures.ListEntriesForFid(0);
        FAIL("no error");
    } catch (const IoError& e) {
        CHECK(e.code() == 2);
        CHECK(std::string(e.what()) == "File not found");
    }
}

TEST_CASE("the cache opens the archive once per member")
{
    const PreviewFolder folder;
    folder.Stage({"blob-2.gif", "reservAA.gif"}, "blob\nghost\n");
    PreviewPictures pictures(folder.ArchivePath(), folder.Temp());
    const auto resolve = [&](const char* base, int view) {
        return pictures.ResolvePicture(PreviewPictures::Candidates(base, view)).filename().string();
    };

    pictures.ExtractPreviewMember("gif_critters.lst");
    CHECK(pictures.ListEntriesForFid(1) == Names{"ghost"});
    CHECK(pictures.ArchiveOpenCount() == 1);
    CHECK(resolve("blob", 2) == "blob-2.gif");
    CHECK(pictures.ArchiveOpenCount() == 2);
    CHECK(resolve("blob", 2) == "blob-2.gif"); // the copy serves
    CHECK(pictures.ArchiveOpenCount() == 2);

    // A critter without pictures: the kept directory answers the three
    // misses; only the fallback is extracted.
    CHECK(resolve("ghost", 2) == "reservAA.gif");
    CHECK(pictures.ArchiveOpenCount() == 3);
    CHECK(resolve("ghost", 2) == "reservAA.gif");
    CHECK(resolve("ghost", 3) == "reservAA.gif");
    CHECK(pictures.ArchiveOpenCount() == 3);

    // A copy that has gone is extracted again.
    fs::remove(folder.Temp() / "blob-2.gif");
    CHECK(resolve("blob", 2) == "blob-2.gif");
    CHECK(pictures.ArchiveOpenCount() == 4);
}

TEST_CASE("the cache notices a replaced archive")
{
    const PreviewFolder folder;
    const fs::path archive = folder.ArchivePath();
    folder.Stage({"reservAA.gif"});
    PreviewPictures pictures(archive, folder.Temp());
    CHECK(pictures.ResolvePicture(PreviewPictures::Candidates("ghost", 2)) == folder.Temp() / "reservAA.gif");
    const int afterFirst = pictures.ArchiveOpenCount();
    CHECK(afterFirst == 2); // the directory, then the fallback

    // Same contents, new time: the directory is read again.
    fs::last_write_time(archive, fs::last_write_time(archive) + std::chrono::seconds(10));
    CHECK(pictures.ResolvePicture(PreviewPictures::Candidates("ghost", 2)) == folder.Temp() / "reservAA.gif");
    CHECK(pictures.ArchiveOpenCount() == afterFirst + 1);

    // A new archive that has the picture: it is found.
    ZipWriter().Stored("reservAA.gif", TinyStillGif()).Deflated("ghost-2.gif", TinyAnimatedGif()).WriteTo(archive);
    fs::last_write_time(archive, fs::last_write_time(archive) + std::chrono::seconds(20));
    CHECK(pictures.ResolvePicture(PreviewPictures::Candidates("ghost", 2)) == folder.Temp() / "ghost-2.gif");
    CHECK(ReadAllBytes(folder.Temp() / "ghost-2.gif") == TinyAnimatedGif());
}

TEST_CASE("archive errors repeat until the archive changes")
{
    struct Row {
        const char* name;
        std::optional<Bytes> archive; // none: no archive file
        const char* error;
    };
    const Row rows[] = {
        {"missing", std::nullopt, "File not found"},
        {"empty", Bytes{}, "Invalid Stream"},
        {"not an archive", ToBytes("GIF89a, not a ZIP"), "Unhandled Archive Type"},
        {"bad central directory", ZipWriter().Stored("a.gif", "a").BadCentralSignature().Build(),
         "Invalid file - not a PKZip file"},
    };
    const PreviewFolder folder;
    for (const Row& row : rows) {
        CAPTURE(row.name);
        std::error_code ec;
        fs::remove(folder.ArchivePath(), ec);
        fs::remove_all(folder.Temp(), ec);
        if (row.archive)
            WriteAllBytes(folder.ArchivePath(), *row.archive);
        PreviewPictures pictures(folder.ArchivePath(), folder.Temp());
        for (int attempt = 1; attempt <= 2; ++attempt) {
            CAPTURE(attempt);
            try {
                pictures.ResolvePicture(PreviewPictures::Candidates("blob", 2));
                FAIL("no error");
            } catch (const ArchiveError& e) {
                CHECK(std::string(e.what()) == row.error);
            }
            // A missing archive is looked for each time; a broken one is read once.
            CHECK(pictures.ArchiveOpenCount() == (row.archive ? 1 : attempt));
        }
        // The failed archive is released: a good one works with the same object.
        ZipWriter().Stored("blob-2.gif", TinyStillGif()).WriteTo(folder.ArchivePath());
        CHECK(pictures.ResolvePicture(PreviewPictures::Candidates("blob", 2)) == folder.Temp() / "blob-2.gif");
    }
}

TEST_CASE("one file per requested name, and no damaged copy")
{
    const PreviewFolder folder;
    ZipWriter writer;
    for (int i = 0; i < 32; ++i) {
        std::string name = "ghost-2.gif";
        for (std::size_t c = 0; c < 5; ++c)
            if (i & (1 << c))
                name[c] = static_cast<char>(name[c] - 'a' + 'A');
        writer.Stored(std::string("v") + std::to_string(i) + "/" + name, std::to_string(i));
    }
    ZipEntry damaged;
    damaged.name = "bad-2.gif";
    damaged.data = TinyStillGif();
    damaged.crc = 0x12345678;
    writer.Add(damaged).Stored("bad-0.gif", TinyStillGif()).Stored(".hidden.gif", "h");
    writer.WriteTo(folder.ArchivePath());

    PreviewPictures pictures(folder.ArchivePath(), folder.Temp());
    pictures.ExtractPreviewMember("ghost-2.gif");
    Names files;
    for (const auto& entry : fs::directory_iterator(folder.Temp()))
        files.push_back(entry.path().filename().string());
    CHECK(files == Names{"ghost-2.gif"});
    CHECK(ReadAllBytes(folder.Temp() / "ghost-2.gif") == ToBytes("31"));

    // A member failing its CRC leaves no copy: the next candidate serves.
    CHECK(pictures.ResolvePicture(PreviewPictures::Candidates("bad", 2)) == folder.Temp() / "bad-0.gif");
    CHECK_FALSE(fs::exists(folder.Temp() / "bad-2.gif"));
    // A dot-name would be a hidden file that the clean-up leaves behind.
    pictures.ExtractPreviewMember(".hidden.gif");
    CHECK_FALSE(fs::exists(folder.Temp() / ".hidden.gif"));

    // A list line with leading blanks finds the copy its extraction wrote.
    ZipWriter().Stored("blob-2.gif", TinyStillGif()).WriteTo(folder.ArchivePath());
    fs::last_write_time(folder.ArchivePath(), fs::last_write_time(folder.ArchivePath()) + std::chrono::seconds(5));
    CHECK(pictures.ResolvePicture(PreviewPictures::Candidates("  blob", 2)) == folder.Temp() / "  blob-2.gif");
    CHECK(pictures.ResolvePicture(PreviewPictures::Candidates("  blob", 2)) == folder.Temp() / "  blob-2.gif");
}

TEST_CASE("the picture list is read in bounded memory")
{
    const PreviewFolder folder;
    folder.FreshTemp();
    {
        std::ofstream list(folder.Temp() / "gif_critters.lst", std::ios::binary);
        list << "zero\r\none\r\n" << std::string(5000, 'x') << "\r\n";
        list << std::string(16 * 1024 * 1024, '\n') << "last\r";
    }
    PreviewPictures pictures(folder.ArchivePath(), folder.Temp());
    const auto ones = pictures.ListEntriesForFid(1);
    REQUIRE(ones.size() == std::size_t(16 * 1024 * 1024 / 256 + 1));
    CHECK(ones.front() == "one");
    const auto twos = pictures.ListEntriesForFid(2);
    REQUIRE(twos.size() >= 2);
    CHECK(twos.front() == std::string(4096, 'x')); // cut: no file name is that long
    CHECK(twos[1] == "");
    // 16 MiB + 3 lines: the last one is number 16 Mi + 3, which is 3 modulo 256.
    CHECK(pictures.ListEntriesForFid(3).back() == "last");
}

TEST_CASE("the temp folder is created with its parents")
{
    const PreviewFolder folder;
    folder.Stage({}, "blob\n");
    const fs::path deep = folder.Root() / "a" / "b" / "temp";
    PreviewPictures pictures(folder.ArchivePath(), deep);
    pictures.ExtractPreviewMember("gif_critters.lst");
    CHECK(pictures.ListEntriesForFid(0) == Names{"blob"});

    // A temp folder that cannot be made: the target folder error.
    WriteTextFile(folder.Root() / "blocker", "a file where a folder should be");
    PreviewPictures blocked(folder.ArchivePath(), folder.Root() / "blocker" / "temp");
    try {
        blocked.ExtractPreviewMember("gif_critters.lst");
        FAIL("no error");
    } catch (const ArchiveError& e) {
        CHECK(std::string(e.what()) == "Directory does not exist");
    }
}

TEST_CASE("the sample archive covers each case of the fallback order")
{
    struct Row {
        int fid;
        const char* caption;
        Names shownPerView; // views 0 to 5
    };
    const Row rows[] = {
        {0, "blob", {"blob-0.gif", "blob-1.gif", "blob-2.gif", "blob-3.gif", "blob-4.gif", "blob-5.gif"}},
        {1, "walker", Names(6, "walker-0.gif")}, // only view 0
        {2, "crawler", Names(6, "crawler.gif")}, // only the single picture
        {3, "ghost", Names(6, "reservAA.gif")},  // no picture
        {4, "brute", {"brute-0.gif", "brute-1.gif", "brute-2.gif", "brute-3.gif", "brute-4.gif", "brute-5.gif"}},
        {5, "drone", Names(6, "drone.frm.gif")}, // extension in the list
    };
    const fs::path sample = DataFolder(QUARNEL_SAMPLE_ARCHIVE);
    if (!IsPresent(sample))
        return ReportSkipped("sample/frm_critters.zip has not been generated");
    const PreviewFolder folder;
    for (const Row& row : rows) {
        CAPTURE(row.fid);
        std::error_code ec;
        fs::remove_all(folder.Temp(), ec);
        PreviewPictures pictures(sample, folder.Temp());
        pictures.ExtractPreviewMember("gif_critters.lst");
        const Names entries = pictures.ListEntriesForFid(row.fid);
        REQUIRE(entries.size() == 1);
        CHECK(PreviewPictures::CaptionBase(entries[0]) == row.caption);
        for (int view = 0; view < 6; ++view) {
            CAPTURE(view);
            const fs::path shown = pictures.ResolvePicture(PreviewPictures::Candidates(entries[0], view));
            CHECK(shown.filename().string() == row.shownPerView[std::size_t(view)]);
            const Bytes bytes = ReadAllBytes(shown);
            REQUIRE(bytes.size() >= 6);
            CHECK(std::string(bytes.begin(), bytes.begin() + 6) == "GIF89a");
            const bool animated = std::search(bytes.begin(), bytes.end(), std::begin("NETSCAPE2.0"),
                                              std::end("NETSCAPE2.0") - 1) != bytes.end();
            CHECK(animated == (row.fid == 0 && view == 3));
        }
    }
}
