// The preview without the window: the fallback order of the picture
// candidates, the picture list and its 8-bit line counter, the caption base,
// view stepping, the extraction cache and the archive errors.
#include "ProtoBuilder.h"
#include "TinyGif.h"
#include "ZipWriter.h"
#include "platform/Errors.h"
#include "preview/PreviewPictures.h"

#include <QTemporaryDir>
#include <fstream>
#include <QtTest>

#include <algorithm>
#include <chrono>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

class TestPreviewCore : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    fs::path Root() const { return fs::path(tmp.path().toStdString()); }
    fs::path ArchivePath() const { return Root() / "frm_critters.zip"; }
    fs::path Temp() const { return Root() / "temp"; }

    // A fresh temp folder and an archive holding the named members (each a
    // tiny picture, the list as given).
    void Stage(const QStringList& members, const std::string& list = "")
    {
        std::error_code ec;
        fs::remove_all(Temp(), ec);
        ZipWriter writer;
        if (!list.empty())
            writer.Deflated("gif_critters.lst", list);
        for (const QString& m : members)
            writer.Deflated(m.toStdString(), TinyStillGif());
        writer.WriteTo(ArchivePath());
    }

  private slots:
    void viewsWrapAround_data();
    void viewsWrapAround();
    void candidatesInFallbackOrder();
    void captionDropsTheExtension_data();
    void captionDropsTheExtension();
    void fallbackOrder_data();
    void fallbackOrder();
    void memberStoredInOtherCaseIsFound();
    void namesOutsideTheTempFolderAreNeverUsed();
    void listLinesAndEndings_data();
    void listLinesAndEndings();
    void lineCounterWrapsAt256();
    void missingListIsFileNotFound();
    void cacheOpensTheArchiveOncePerMember();
    void cacheNoticesAReplacedArchive();
    void archiveErrorsRepeatUntilTheArchiveChanges_data();
    void archiveErrorsRepeatUntilTheArchiveChanges();
    void tempFolderIsCreatedWithItsParents();
    void oneFilePerRequestedNameAndNoDamagedCopy();
    void pictureListIsReadInBoundedMemory();
    void sampleArchiveCoversEachCase_data();
    void sampleArchiveCoversEachCase();
};

void TestPreviewCore::viewsWrapAround_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("previous");
    QTest::newRow("0") << 0 << 1 << 5;
    QTest::newRow("2") << 2 << 3 << 1;
    QTest::newRow("4") << 4 << 5 << 3;
    QTest::newRow("5") << 5 << 0 << 4;
    QTest::newRow("above 5") << 9 << 0 << 8;
}

void TestPreviewCore::viewsWrapAround()
{
    QFETCH(int, view);
    QFETCH(int, next);
    QFETCH(int, previous);
    QCOMPARE(PreviewPictures::NextView(view), next);
    QCOMPARE(PreviewPictures::PreviousView(view), previous);
}

void TestPreviewCore::candidatesInFallbackOrder()
{
    QCOMPARE(PreviewPictures::Candidates("blob", 3),
             (std::vector<std::string>{"blob-3.gif", "blob-0.gif", "blob.gif", "reservAA.gif"}));
    QCOMPARE(
        PreviewPictures::Candidates("drone.frm", 0),
        (std::vector<std::string>{"drone.frm-0.gif", "drone.frm-0.gif", "drone.frm.gif", "reservAA.gif"}));
}

void TestPreviewCore::captionDropsTheExtension_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("caption");
    QTest::newRow("no extension") << "blob"
                                  << "blob";
    QTest::newRow("extension") << "drone.frm"
                               << "drone";
    QTest::newRow("only the last extension") << "a.b.frm"
                                             << "a.b";
    QTest::newRow("dot first") << ".frm"
                               << "";
    QTest::newRow("dot last") << "blob."
                              << "blob";
    QTest::newRow("blanks kept") << " blob "
                                 << " blob ";
}

void TestPreviewCore::captionDropsTheExtension()
{
    QFETCH(QString, base);
    QFETCH(QString, caption);
    QCOMPARE(QString::fromStdString(PreviewPictures::CaptionBase(base.toStdString())), caption);
}

void TestPreviewCore::fallbackOrder_data()
{
    QTest::addColumn<QStringList>("members");
    QTest::addColumn<QString>("base");
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("shown");
    QStringList six;
    for (int v = 0; v < 6; ++v)
        six << QString("c-%1.gif").arg(v);
    QTest::newRow("all views, view 2") << (six + QStringList{"reservAA.gif"}) << "c" << 2 << "c-2.gif";
    QTest::newRow("all views, view 5") << six << "c" << 5 << "c-5.gif";
    QTest::newRow("only view 0") << QStringList{"c-0.gif", "c.gif", "reservAA.gif"} << "c" << 2 << "c-0.gif";
    QTest::newRow("only the single picture") << QStringList{"c.gif", "reservAA.gif"} << "c" << 4 << "c.gif";
    QTest::newRow("single picture at view 0") << QStringList{"c.gif"} << "c" << 0 << "c.gif";
    QTest::newRow("none: fallback picture")
        << QStringList{"other-2.gif", "reservAA.gif"} << "c" << 2 << "reservAA.gif";
    QTest::newRow("none, no fallback either") << QStringList{"other-2.gif"} << "c" << 2 << "";
    QTest::newRow("under a folder") << QStringList{"pictures/c-3.gif"} << "c" << 3 << "c-3.gif";
    QTest::newRow("extension in the list line")
        << QStringList{"drone.frm-1.gif", "drone-1.gif"} << "drone.frm" << 1 << "drone.frm-1.gif";
    QTest::newRow("blank in the list line is part of the name")
        << QStringList{"c-2.gif", "c -2.gif"} << "c " << 2 << "c -2.gif";
}

void TestPreviewCore::fallbackOrder()
{
    QFETCH(QStringList, members);
    QFETCH(QString, base);
    QFETCH(int, view);
    QFETCH(QString, shown);
    Stage(members);
    PreviewPictures pictures(ArchivePath(), Temp());
    const fs::path picture = pictures.ResolvePicture(PreviewPictures::Candidates(base.toStdString(), view));
    if (shown.isEmpty()) {
        QVERIFY(picture.empty());
    } else {
        QCOMPARE(picture, Temp() / shown.toStdString());
        QCOMPARE(ReadAllBytes(picture), TinyStillGif());
    }
}

void TestPreviewCore::memberStoredInOtherCaseIsFound()
{
    Stage({"pictures/Blob-2.GIF"});
    PreviewPictures pictures(ArchivePath(), Temp());
    QCOMPARE(pictures.ResolvePicture(PreviewPictures::Candidates("blob", 2)), Temp() / "blob-2.gif");
    QCOMPARE(pictures.ArchiveOpenCount(), 1);
}

void TestPreviewCore::namesOutsideTheTempFolderAreNeverUsed()
{
    // A list line naming a path must not reach files beside the temp folder.
    Stage({"reservAA.gif"});
    WriteAllBytes(Root() / "outside-2.gif", TinyAnimatedGif());
    PreviewPictures pictures(ArchivePath(), Temp());
    QCOMPARE(pictures.ResolvePicture(PreviewPictures::Candidates("../outside", 2)), Temp() / "reservAA.gif");
    QCOMPARE(pictures.ResolvePicture({"*.gif", "a;b.gif", "/etc/hostname"}), fs::path());
}

void TestPreviewCore::listLinesAndEndings_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<int>("fid");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("LF") << QByteArray("a\nb\nc\n") << 1 << QStringList{"b"};
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\nc\r\n") << 1 << QStringList{"b"};
    QTest::newRow("last line without an end") << QByteArray("a\nb\nc") << 2 << QStringList{"c"};
    QTest::newRow("nothing after the last LF") << QByteArray("a\nb\n") << 2 << QStringList{};
    QTest::newRow("empty line counts") << QByteArray("a\n\nc\n") << 1 << QStringList{""};
    QTest::newRow("blanks kept") << QByteArray(" a \t\r\nb") << 0 << QStringList{" a \t"};
    QTest::newRow("lone CR stays in the line") << QByteArray("a\rb\nc") << 0 << QStringList{"a\rb"};
    QTest::newRow("extension kept") << QByteArray("drone.frm\n") << 0 << QStringList{"drone.frm"};
    QTest::newRow("empty list") << QByteArray() << 0 << QStringList{};
    QTest::newRow("FID beyond the list") << QByteArray("a\nb\n") << 7 << QStringList{};
}

void TestPreviewCore::listLinesAndEndings()
{
    QFETCH(QByteArray, list);
    QFETCH(int, fid);
    QFETCH(QStringList, entries);
    fs::create_directories(Temp());
    WriteAllBytes(Temp() / "gif_critters.lst", std::vector<std::uint8_t>(list.begin(), list.end()));
    PreviewPictures pictures(ArchivePath(), Temp());
    QStringList got;
    for (const std::string& e : pictures.ListEntriesForFid(fid))
        got << QString::fromStdString(e);
    QCOMPARE(got, entries);
    QCOMPARE(pictures.ArchiveOpenCount(), 0); // the list is only read, never extracted here
}

void TestPreviewCore::lineCounterWrapsAt256()
{
    std::string list;
    for (int i = 0; i < 600; ++i)
        list += "line" + std::to_string(i) + (i % 2 ? "\r\n" : "\n");
    fs::create_directories(Temp());
    WriteTextFile(Temp() / "gif_critters.lst", list);
    PreviewPictures pictures(ArchivePath(), Temp());
    QCOMPARE(pictures.ListEntriesForFid(5), (std::vector<std::string>{"line5", "line261", "line517"}));
    QCOMPARE(pictures.ListEntriesForFid(87), (std::vector<std::string>{"line87", "line343", "line599"}));
    QCOMPARE(pictures.ListEntriesForFid(88), (std::vector<std::string>{"line88", "line344"}));
    QCOMPARE(pictures.ListEntriesForFid(255), (std::vector<std::string>{"line255", "line511"}));
}

void TestPreviewCore::missingListIsFileNotFound()
{
    std::error_code ec;
    fs::remove_all(Temp(), ec);
    fs::create_directories(Temp());
    PreviewPictures pictures(ArchivePath(), Temp());
    try {
        pictures.ListEntriesForFid(0);
        QFAIL("no error");
    } catch (const IoError& e) {
        QCOMPARE(e.code(), 2);
        QCOMPARE(std::string(e.what()), std::string("File not found"));
    }
}

void TestPreviewCore::cacheOpensTheArchiveOncePerMember()
{
    Stage({"blob-2.gif", "reservAA.gif"}, "blob\nghost\n");
    PreviewPictures pictures(ArchivePath(), Temp());
    const auto resolve = [&](const char* base, int view) {
        return pictures.ResolvePicture(PreviewPictures::Candidates(base, view)).filename().string();
    };

    pictures.ExtractPreviewMember("gif_critters.lst");
    QCOMPARE(pictures.ListEntriesForFid(1), std::vector<std::string>{"ghost"});
    QCOMPARE(pictures.ArchiveOpenCount(), 1);
    QCOMPARE(resolve("blob", 2), std::string("blob-2.gif"));
    QCOMPARE(pictures.ArchiveOpenCount(), 2);
    QCOMPARE(resolve("blob", 2), std::string("blob-2.gif")); // the copy serves
    QCOMPARE(pictures.ArchiveOpenCount(), 2);

    // A critter without pictures: the kept directory answers the three
    // misses; only the fallback is extracted.
    QCOMPARE(resolve("ghost", 2), std::string("reservAA.gif"));
    QCOMPARE(pictures.ArchiveOpenCount(), 3);
    QCOMPARE(resolve("ghost", 2), std::string("reservAA.gif"));
    QCOMPARE(resolve("ghost", 3), std::string("reservAA.gif"));
    QCOMPARE(pictures.ArchiveOpenCount(), 3);

    // A copy that has gone is extracted again.
    fs::remove(Temp() / "blob-2.gif");
    QCOMPARE(resolve("blob", 2), std::string("blob-2.gif"));
    QCOMPARE(pictures.ArchiveOpenCount(), 4);
}

void TestPreviewCore::cacheNoticesAReplacedArchive()
{
    Stage({"reservAA.gif"});
    PreviewPictures pictures(ArchivePath(), Temp());
    QCOMPARE(pictures.ResolvePicture(PreviewPictures::Candidates("ghost", 2)), Temp() / "reservAA.gif");
    const int afterFirst = pictures.ArchiveOpenCount();
    QCOMPARE(afterFirst, 2); // the directory, then the fallback

    // Same contents, new time: the directory is read again.
    fs::last_write_time(ArchivePath(), fs::last_write_time(ArchivePath()) + std::chrono::seconds(10));
    QCOMPARE(pictures.ResolvePicture(PreviewPictures::Candidates("ghost", 2)), Temp() / "reservAA.gif");
    QCOMPARE(pictures.ArchiveOpenCount(), afterFirst + 1);

    // A new archive that has the picture: it is found.
    ZipWriter()
        .Stored("reservAA.gif", TinyStillGif())
        .Deflated("ghost-2.gif", TinyAnimatedGif())
        .WriteTo(ArchivePath());
    fs::last_write_time(ArchivePath(), fs::last_write_time(ArchivePath()) + std::chrono::seconds(20));
    QCOMPARE(pictures.ResolvePicture(PreviewPictures::Candidates("ghost", 2)), Temp() / "ghost-2.gif");
    QCOMPARE(ReadAllBytes(Temp() / "ghost-2.gif"), TinyAnimatedGif());
}

void TestPreviewCore::archiveErrorsRepeatUntilTheArchiveChanges_data()
{
    QTest::addColumn<QByteArray>("archive"); // null: no archive file
    QTest::addColumn<QString>("error");
    QTest::newRow("missing") << QByteArray() << "File not found";
    QTest::newRow("empty") << QByteArray("") << "Invalid Stream";
    QTest::newRow("not an archive") << QByteArray("GIF89a, not a ZIP") << "Unhandled Archive Type";
    QTest::newRow("bad central directory") << [] {
        const Bytes b = ZipWriter().Stored("a.gif", "a").BadCentralSignature().Build();
        return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
    }() << "Invalid file - not a PKZip file";
}

void TestPreviewCore::archiveErrorsRepeatUntilTheArchiveChanges()
{
    QFETCH(QByteArray, archive);
    QFETCH(QString, error);
    std::error_code ec;
    fs::remove(ArchivePath(), ec);
    fs::remove_all(Temp(), ec);
    if (!archive.isNull())
        WriteAllBytes(ArchivePath(), std::vector<std::uint8_t>(archive.begin(), archive.end()));
    PreviewPictures pictures(ArchivePath(), Temp());
    for (int attempt = 1; attempt <= 2; ++attempt) {
        try {
            pictures.ResolvePicture(PreviewPictures::Candidates("blob", 2));
            QFAIL("no error");
        } catch (const ArchiveError& e) {
            QCOMPARE(QString(e.what()), error);
        }
        // A missing archive is looked for each time; a broken one is read once.
        QCOMPARE(pictures.ArchiveOpenCount(), archive.isNull() ? attempt : 1);
    }
    // The failed archive is released: a good one works with the same object.
    ZipWriter().Stored("blob-2.gif", TinyStillGif()).WriteTo(ArchivePath());
    QCOMPARE(pictures.ResolvePicture(PreviewPictures::Candidates("blob", 2)), Temp() / "blob-2.gif");
}

void TestPreviewCore::oneFilePerRequestedNameAndNoDamagedCopy()
{
    std::error_code ec;
    fs::remove_all(Temp(), ec);
    ZipWriter writer;
    for (int i = 0; i < 32; ++i) {
        std::string name = "ghost-2.gif";
        for (std::size_t c = 0; c < 5; ++c)
            if (i & (1 << c))
                name[c] = static_cast<char>(name[c] - 'a' + 'A');
        writer.Stored("v" + std::to_string(i) + "/" + name, std::to_string(i));
    }
    ZipEntry damaged;
    damaged.name = "bad-2.gif";
    damaged.data = TinyStillGif();
    damaged.crc = 0x12345678;
    writer.Add(damaged).Stored("bad-0.gif", TinyStillGif()).Stored(".hidden.gif", "h");
    writer.WriteTo(ArchivePath());

    PreviewPictures pictures(ArchivePath(), Temp());
    pictures.ExtractPreviewMember("ghost-2.gif");
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(Temp()))
        files.push_back(entry.path().filename().string());
    QCOMPARE(files, std::vector<std::string>{"ghost-2.gif"});
    QCOMPARE(ReadAllBytes(Temp() / "ghost-2.gif"), ToBytes("31"));

    // A member failing its CRC leaves no copy: the next candidate serves.
    QCOMPARE(pictures.ResolvePicture(PreviewPictures::Candidates("bad", 2)), Temp() / "bad-0.gif");
    QVERIFY(!fs::exists(Temp() / "bad-2.gif"));
    // A dot-name would be a hidden file that the clean-up leaves behind.
    pictures.ExtractPreviewMember(".hidden.gif");
    QVERIFY(!fs::exists(Temp() / ".hidden.gif"));

    // A list line with leading blanks finds the copy its extraction wrote.
    ZipWriter().Stored("blob-2.gif", TinyStillGif()).WriteTo(ArchivePath());
    fs::last_write_time(ArchivePath(), fs::last_write_time(ArchivePath()) + std::chrono::seconds(5));
    QCOMPARE(pictures.ResolvePicture(PreviewPictures::Candidates("  blob", 2)), Temp() / "  blob-2.gif");
    QCOMPARE(pictures.ResolvePicture(PreviewPictures::Candidates("  blob", 2)), Temp() / "  blob-2.gif");
}

void TestPreviewCore::pictureListIsReadInBoundedMemory()
{
    std::error_code ec;
    fs::remove_all(Temp(), ec);
    fs::create_directories(Temp());
    {
        std::ofstream list(Temp() / "gif_critters.lst", std::ios::binary);
        list << "zero\r\none\r\n" << std::string(5000, 'x') << "\r\n";
        list << std::string(16 * 1024 * 1024, '\n') << "last\r";
    }
    PreviewPictures pictures(ArchivePath(), Temp());
    const auto ones = pictures.ListEntriesForFid(1);
    QCOMPARE(ones.size(), std::size_t(16 * 1024 * 1024 / 256 + 1));
    QCOMPARE(ones.front(), std::string("one"));
    const auto twos = pictures.ListEntriesForFid(2);
    QCOMPARE(twos.front(), std::string(4096, 'x')); // cut: no file name is that long
    QCOMPARE(twos[1], std::string());
    // 16 MiB + 3 lines: the last one is number 16 Mi + 3, which is 3 modulo 256.
    QCOMPARE(pictures.ListEntriesForFid(3).back(), std::string("last"));
}

void TestPreviewCore::tempFolderIsCreatedWithItsParents()
{
    Stage({}, "blob\n");
    const fs::path deep = Root() / "a" / "b" / "temp";
    PreviewPictures pictures(ArchivePath(), deep);
    pictures.ExtractPreviewMember("gif_critters.lst");
    QCOMPARE(pictures.ListEntriesForFid(0), std::vector<std::string>{"blob"});

    // A temp folder that cannot be made: the target folder error.
    WriteTextFile(Root() / "blocker", "a file where a folder should be");
    PreviewPictures blocked(ArchivePath(), Root() / "blocker" / "temp");
    try {
        blocked.ExtractPreviewMember("gif_critters.lst");
        QFAIL("no error");
    } catch (const ArchiveError& e) {
        QCOMPARE(std::string(e.what()), std::string("Directory does not exist"));
    }
}

void TestPreviewCore::sampleArchiveCoversEachCase_data()
{
    QTest::addColumn<int>("fid");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("shownPerView"); // views 0 to 5
    QTest::newRow("all six views") << 0 << "blob" << QStringList{"blob-0.gif", "blob-1.gif", "blob-2.gif",
                                                                 "blob-3.gif", "blob-4.gif", "blob-5.gif"};
    QTest::newRow("only view 0") << 1 << "walker" << QStringList(6, "walker-0.gif");
    QTest::newRow("only the single picture") << 2 << "crawler" << QStringList(6, "crawler.gif");
    QTest::newRow("no picture") << 3 << "ghost" << QStringList(6, "reservAA.gif");
    QTest::newRow("six views again") << 4 << "brute"
                                     << QStringList{"brute-0.gif", "brute-1.gif", "brute-2.gif",
                                                    "brute-3.gif", "brute-4.gif", "brute-5.gif"};
    QTest::newRow("extension in the list") << 5 << "drone" << QStringList(6, "drone.frm.gif");
}

void TestPreviewCore::sampleArchiveCoversEachCase()
{
    QFETCH(int, fid);
    QFETCH(QString, caption);
    QFETCH(QStringList, shownPerView);
    const fs::path sample = QUARNEL_SAMPLE_ARCHIVE;
    if (!fs::exists(sample))
        QSKIP("sample/frm_critters.zip has not been generated");
    std::error_code ec;
    fs::remove_all(Temp(), ec);
    PreviewPictures pictures(sample, Temp());
    pictures.ExtractPreviewMember("gif_critters.lst");
    const std::vector<std::string> entries = pictures.ListEntriesForFid(fid);
    QCOMPARE(entries.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(PreviewPictures::CaptionBase(entries[0])), caption);
    for (int view = 0; view < 6; ++view) {
        const fs::path shown = pictures.ResolvePicture(PreviewPictures::Candidates(entries[0], view));
        QCOMPARE(QString::fromStdString(shown.filename().string()), shownPerView[view]);
        const Bytes bytes = ReadAllBytes(shown);
        QCOMPARE(std::string(bytes.begin(), bytes.begin() + 6), std::string("GIF89a"));
        const bool animated = std::search(bytes.begin(), bytes.end(), std::begin("NETSCAPE2.0"),
                                          std::end("NETSCAPE2.0") - 1) != bytes.end();
        QCOMPARE(animated, fid == 0 && view == 3);
    }
}

QTEST_GUILESS_MAIN(TestPreviewCore)
#include "test_preview_core.moc"
