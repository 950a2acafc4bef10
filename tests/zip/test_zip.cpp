// The ZIP reader: archive-level errors, the end record search, ZIP64, name
// conversion, matching, extraction rules, member failures, the safety of
// hostile names and sizes, attributes and times, and crash regressions.
#include "ProtoBuilder.h"
#include "ZipWriter.h"
#include "platform/Errors.h"
#include "preview/AbUnZipper.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <algorithm>
#include <ctime>

using namespace quarnel;
using namespace quarnel::test;
namespace fs = std::filesystem;

namespace {

QByteArray Q(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}
Bytes B(const QByteArray& bytes)
{
    return Bytes(bytes.begin(), bytes.end());
}
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

Bytes Archive(const ZipEntry& e)
{
    return ZipWriter().Add(e).Build();
}

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
        if ((bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16) | (std::uint32_t(bytes[i + 3]) << 24)) ==
            sig)
            return i;
    return std::string::npos;
}

struct Outcome {
    std::vector<std::string> files;                          // names in the target folder, sorted
    std::vector<std::pair<std::string, std::string>> failed; // member name, error text
};

} // namespace

class TestZip : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    fs::path Root() const { return fs::path(tmp.path().toStdString()); }
    fs::path Out() const { return Root() / "out"; }

    std::string WriteArchive(const Bytes& bytes, const std::string& name = "a.zip")
    {
        WriteAllBytes(Root() / name, bytes);
        return (Root() / name).string();
    }

    void FreshOut()
    {
        std::error_code ec;
        fs::remove_all(Out(), ec);
        fs::create_directories(Out());
    }

    // Opens the archive, extracts the mask into a fresh target folder and
    // records what arrived and what failed.
    Outcome Extract(const Bytes& archive, const std::string& mask = "*", int options = eoCreateDirs)
    {
        FreshOut();
        TAbUnZipper zip;
        Outcome outcome;
        zip.OnProcessItemFailure = [&](const ZipItem& item, const std::string& error) {
            outcome.failed.emplace_back(item.fileName, error);
        };
        zip.ExtractOptions = options;
        zip.SetFileName(WriteArchive(archive));
        zip.SetBaseDirectory(Out().string());
        zip.ExtractFiles(mask);
        zip.SetFileName("");
        for (const auto& entry : fs::directory_iterator(Out()))
            outcome.files.push_back(entry.path().filename().string());
        std::sort(outcome.files.begin(), outcome.files.end());
        return outcome;
    }

    std::string OutText(const std::string& name) const
    {
        const Bytes bytes = ReadAllBytes(Out() / name);
        return std::string(bytes.begin(), bytes.end());
    }

  private slots:
    void openErrorsCarryTheirTexts_data();
    void openErrorsCarryTheirTexts();
    void openAcceptsUpperCaseExtensionAndEmptyArchive();
    void reopeningReleasesTheEarlierArchive();
    void endRecordFoundBehindComments_data();
    void endRecordFoundBehindComments();
    void zip64RecordsAndExtraFields_data();
    void zip64RecordsAndExtraFields();
    void namesBecomeUtf8_data();
    void namesBecomeUtf8();
    void maskSelectsMembers_data();
    void maskSelectsMembers();
    void folderEntriesSkippedAndPathsDropped();
    void laterDuplicateWinsAndExistingFilesAreOverwritten();
    void emptyMembersGiveEmptyFiles_data();
    void emptyMembersGiveEmptyFiles();
    void largeMembersRoundTrip_data();
    void largeMembersRoundTrip();
    void memberFailures_data();
    void memberFailures();
    void unsupportedMethodDeletesTheFileBegun();
    void unsafeNamesNeverLeaveTheTargetFolder_data();
    void unsafeNamesNeverLeaveTheTargetFolder();
    void memberLargerThanTheFreeSpaceFails();
    void attributesFollowTheRecordingHost_data();
    void attributesFollowTheRecordingHost();
    void modificationTimeFromDosDateAndTime();
    void baseDirectoryRules();
    void missingTargetFolderIsCreatedOnlyWithCreateDirs();
    void everyTruncationAndByteFlipIsSurvived();
    void fuzzRegressions_data();
    void fuzzRegressions();
    void hostileArchivesFailFast();
    void sharedDataAndTheCallBudgetBoundTheBytesWritten();
    void plantedLinksAreNeverWrittenThrough();
};

void TestZip::openErrorsCarryTheirTexts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");

    const Bytes good = ZipWriter().Stored("a.gif", "abc").Build();
    const QString notPk = ZipText::NotPkZip;
    const QString unhandled = ZipText::UnhandledType;
    QTest::newRow("missing file") << QByteArray() << "" << QString(ZipText::FileNotFound);
    QTest::newRow("empty file") << QByteArray() << "empty.zip" << QString(ZipText::InvalidStream);
    QTest::newRow("folder") << QByteArray() << "folder.zip" << QString(ZipText::InvalidStream);
    QTest::newRow("pipe") << QByteArray() << "pipe.zip" << QString(ZipText::InvalidStream);
    QTest::newRow("empty file, other extension")
        << QByteArray() << "empty.dat" << QString(ZipText::InvalidStream);
    QTest::newRow("good archive, other extension") << Q(good) << "a.dat" << unhandled;
    QTest::newRow("good archive, no extension") << Q(good) << "archive" << unhandled;
    QTest::newRow("text file") << QByteArray("hello, this is not an archive at all") << "t.zip" << unhandled;
    QTest::newRow("shorter than an end record") << QByteArray("PK\x05\x06") << "s.zip" << unhandled;
    Bytes cut = good;
    cut.resize(cut.size() - 30);
    QTest::newRow("end record cut off") << Q(cut) << "c.zip" << unhandled;
    QTest::newRow("comment length beyond the file")
        << Q(ZipWriter().Stored("a.gif", "abc").EndCommentLength(5).Build()) << "l.zip" << unhandled;
    Bytes spanned = {0x50, 0x4B, 0x07, 0x08};
    spanned.resize(100, 0x41);
    QTest::newRow("spanned marker without end record") << Q(spanned) << "m.zip" << notPk;
    QTest::newRow("bad central signature")
        << Q(ZipWriter().Stored("a.gif", "abc").BadCentralSignature().Build()) << "b.zip" << notPk;
    QTest::newRow("central directory past the end")
        << Q(ZipWriter().Stored("a.gif", "abc").EndCentralOffset(1000000).Build()) << "o.zip" << notPk;
    QTest::newRow("one entry more than written")
        << Q(ZipWriter().Stored("a.gif", "abc").EndEntryCount(2).Build()) << "n.zip" << notPk;
    QTest::newRow("more entries than the file could hold")
        << Q(ZipWriter().Stored("a.gif", "abc").EndEntryCount(65000).Build()) << "h.zip" << notPk;
    QTest::newRow("split archive, this disk 1")
        << Q(ZipWriter().Stored("a.gif", "abc").EndDiskNumbers(1, 1).Build()) << "d1.zip" << notPk;
    QTest::newRow("split archive, directory on disk 1")
        << Q(ZipWriter().Stored("a.gif", "abc").EndDiskNumbers(0, 1).Build()) << "d2.zip" << notPk;
    ZipEntry onOtherDisk = Entry("a.gif", "abc");
    onOtherDisk.diskNumberStart = 2;
    QTest::newRow("member on another disk") << Q(Archive(onOtherDisk)) << "d3.zip" << notPk;
    QTest::newRow("ZIP64 split archive")
        << Q(ZipWriter().Stored("a.gif", "abc").Zip64End().EndDiskNumbers(0, 1).Build()) << "d4.zip" << notPk;

    const Bytes zip64 = ZipWriter().Stored("a.gif", "abc").Zip64End().Build();
    Bytes noLocator = zip64;
    noLocator[FindSignature(noLocator, 0x07064b50)] = 'X';
    QTest::newRow("ZIP64 locator missing") << Q(noLocator) << "z1.zip" << notPk;
    Bytes badRecord = zip64;
    badRecord[FindSignature(badRecord, 0x06064b50)] = 'X';
    QTest::newRow("ZIP64 record signature wrong") << Q(badRecord) << "z2.zip" << notPk;
    Bytes farRecord = zip64;
    farRecord[FindSignature(farRecord, 0x07064b50) + 14] = 0x7F; // offset far past the end
    QTest::newRow("ZIP64 record offset past the end") << Q(farRecord) << "z3.zip" << notPk;
    QTest::newRow("ZIP64 entry count the file cannot hold")
        << Q(ZipWriter().Stored("a.gif", "abc").Zip64End().EndEntryCount(~0ull).Build()) << "z4.zip" << notPk;
}

void TestZip::openErrorsCarryTheirTexts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(QString, error);
    std::string path = (Root() / "does-not-exist.zip").string();
    if (name == "folder.zip" || name == "pipe.zip") {
        path = (Root() / name.toStdString()).string();
        std::error_code ec;
        fs::remove_all(path, ec);
        if (name == "pipe.zip")
            QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
        else
            fs::create_directory(path);
    } else if (!name.isEmpty()) {
        path = WriteArchive(B(bytes), name.toStdString());
    }

    TAbUnZipper zip;
    zip.SetFileName(WriteArchive(ZipWriter().Stored("x.gif", "x").Build(), "earlier.zip"));
    QCOMPARE(zip.Items().size(), std::size_t(1));
    try {
        zip.SetFileName(path);
        QFAIL("no error");
    } catch (const ArchiveError& e) {
        QCOMPARE(QString(e.what()), error);
    }
    // The earlier archive is released and the failed one not kept.
    QVERIFY(zip.Items().empty());
    QVERIFY(zip.FileName().empty());
}

void TestZip::openAcceptsUpperCaseExtensionAndEmptyArchive()
{
    TAbUnZipper zip;
    zip.SetFileName(WriteArchive(ZipWriter().Stored("a.gif", "abc").Build(), "UPPER.ZIP"));
    QCOMPARE(zip.Items().size(), std::size_t(1));
    zip.SetFileName(WriteArchive(ZipWriter().Build(), "empty-archive.zip"));
    QVERIFY(zip.Items().empty());
    QCOMPARE(zip.FileName(), (Root() / "empty-archive.zip").string());
}

void TestZip::reopeningReleasesTheEarlierArchive()
{
    TAbUnZipper zip;
    zip.SetFileName(WriteArchive(ZipWriter().Stored("a.gif", "1").Stored("b.gif", "2").Build(), "two.zip"));
    QCOMPARE(zip.Items().size(), std::size_t(2));
    zip.SetFileName(WriteArchive(ZipWriter().Stored("c.gif", "3").Build(), "one.zip"));
    QCOMPARE(zip.Items().size(), std::size_t(1));
    QCOMPARE(zip.Items()[0].fileName, std::string("c.gif"));
    zip.SetFileName("");
    QVERIFY(zip.Items().empty());
    QVERIFY(zip.FileName().empty());
    // Extracting with nothing open writes nothing.
    FreshOut();
    zip.SetBaseDirectory(Out().string());
    zip.ExtractFiles("*");
    QVERIFY(fs::is_empty(Out()));
}

void TestZip::endRecordFoundBehindComments_data()
{
    QTest::addColumn<int>("commentLength");
    QTest::addColumn<int>("trailerLength");
    // Lengths around the block edges: the first block holds 512 bytes, the
    // next ones overlap the block after them by one record.
    for (int length : {0, 1, 489, 490, 491, 500, 1000, 1500, 3500, 5000, 65535})
        QTest::addRow("comment %d", length) << length << 0;
    QTest::newRow("bytes after the record, no comment") << 0 << 10;
    QTest::newRow("record more than 64 KiB before the end") << 65535 << 70000;
}

void TestZip::endRecordFoundBehindComments()
{
    QFETCH(int, commentLength);
    QFETCH(int, trailerLength);
    std::string comment(std::size_t(commentLength), 'c');
    // A signature inside the comment whose comment length cannot fit is no record.
    if (commentLength >= 40 && trailerLength == 0)
        comment.replace(10, 22, std::string("PK\x05\x06", 4) + std::string(16, '\0') + "\xff\xff");
    const Bytes bytes = ZipWriter()
                            .Deflated("pictures/a.gif", "picture")
                            .Comment(comment)
                            .Trailer(Bytes(std::size_t(trailerLength), 'T'))
                            .Build();
    const Outcome outcome = Extract(bytes, "a.gif");
    QCOMPARE(outcome.files, std::vector<std::string>{"a.gif"});
    QCOMPARE(OutText("a.gif"), std::string("picture"));
}

void TestZip::zip64RecordsAndExtraFields_data()
{
    QTest::addColumn<bool>("endRecords");
    QTest::addColumn<bool>("extraFields");
    QTest::newRow("ZIP64 end records") << true << false;
    QTest::newRow("ZIP64 extra fields") << false << true;
    QTest::newRow("both") << true << true;
}

void TestZip::zip64RecordsAndExtraFields()
{
    QFETCH(bool, endRecords);
    QFETCH(bool, extraFields);
    const Bytes big = Noise(70000, 7);
    ZipEntry first = Entry("first.gif", "first member");
    ZipEntry second;
    second.name = "pictures/second.gif";
    second.data = big;
    second.method = 8;
    first.zip64 = second.zip64 = extraFields;
    const Bytes bytes = ZipWriter().Add(first).Add(second).Zip64End(endRecords).Comment("note").Build();

    TAbUnZipper zip;
    zip.SetFileName(WriteArchive(bytes));
    QCOMPARE(zip.Items().size(), std::size_t(2));
    QCOMPARE(zip.Items()[1].uncompressedSize, std::uint64_t(big.size()));
    QVERIFY(zip.Items()[1].localHeaderOffset > 0 && zip.Items()[1].localHeaderOffset < 0xFFFFFFFFull);
    zip.SetFileName("");

    const Outcome outcome = Extract(bytes);
    QVERIFY(outcome.failed.empty());
    QCOMPARE(outcome.files, (std::vector<std::string>{"first.gif", "second.gif"}));
    QCOMPARE(ReadAllBytes(Out() / "second.gif"), big);
}

void TestZip::namesBecomeUtf8_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<QString>("expected");

    const std::string zaba = "\xC5\xBC"
                             "aba.gif"; // "żaba.gif"
    QTest::newRow("ASCII unchanged") << QByteArray("pictures/abc.gif") << 0 << QByteArray()
                                     << "pictures/abc.gif";
    QTest::newRow("backslashes are separators")
        << QByteArray("pictures\\abc.gif") << 0 << QByteArray() << "pictures/abc.gif";
    QTest::newRow("UTF-8 by flag") << QByteArray::fromStdString(zaba) << 0x800 << QByteArray()
                                   << QString::fromUtf8(zaba);
    QTest::newRow("UTF-8 by validity")
        << QByteArray::fromStdString(zaba) << 0 << QByteArray() << QString::fromUtf8(zaba);
    QTest::newRow("code page 437") << QByteArray("\x81"
                                                 "ber.gif")
                                   << 0 << QByteArray() << QString::fromUtf8("über.gif");
    QTest::newRow("flagged but not UTF-8: code page 437")
        << QByteArray("\xC3(.gif") << 0x800 << QByteArray() << QString::fromUtf8("├(.gif");
    QTest::newRow("Unicode path with matching CRC")
        << QByteArray("?aba.gif") << 0 << Q(UnicodePathExtra("?aba.gif", zaba)) << QString::fromUtf8(zaba);
    QTest::newRow("Unicode path with wrong CRC ignored") << QByteArray("\x81"
                                                                       "ber.gif")
                                                         << 0
                                                         << Q(UnicodePathExtra("\x81"
                                                                               "ber.gif",
                                                                               "other.gif", 1234))
                                                         << QString::fromUtf8("über.gif");
    QTest::newRow("Unicode path of another version ignored")
        << QByteArray("x.gif") << 0 << Q(ExtraField(0x7075, {2, 0, 0, 0, 0, 'y'})) << "x.gif";
    QTest::newRow("flagged UTF-8 wins over Unicode path")
        << QByteArray("a.gif") << 0x800 << Q(UnicodePathExtra("a.gif", "b.gif")) << "a.gif";
    QTest::newRow("NUCX UTF-16 name")
        << QByteArray("\x81.gif") << 0 << Q(NucxExtra(u"\u0436.gif")) << QString::fromUtf8("\xD0\xB6.gif");
    QTest::newRow("NUCX after another field")
        << QByteArray("\x81.gif") << 0 << Q(Cat(ExtraField(0x1234, {1, 2, 3}), NucxExtra(u"n.gif")))
        << "n.gif";
    QTest::newRow("NUCX with a broken surrogate ignored")
        << QByteArray("\x81.gif") << 0 << Q(NucxExtra(std::u16string(1, char16_t(0xD800)) + u"x"))
        << QString::fromUtf8("ü.gif");
    QTest::newRow("extra field running past its end ignored")
        << QByteArray("\x81.gif") << 0 << QByteArray("\x75\x70\xff\x00\x01", 5) << QString::fromUtf8("ü.gif");
}

void TestZip::namesBecomeUtf8()
{
    QFETCH(QByteArray, raw);
    QFETCH(int, flags);
    QFETCH(QByteArray, extra);
    QFETCH(QString, expected);
    ZipEntry e = Entry(raw.toStdString(), "data");
    e.flags = static_cast<std::uint16_t>(flags);
    e.centralExtra = B(extra);
    TAbUnZipper zip;
    zip.SetFileName(WriteArchive(Archive(e)));
    QCOMPARE(QString::fromStdString(zip.Items().at(0).fileName), expected);
}

void TestZip::maskSelectsMembers_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("files");
    const QStringList all{"a.gif", "b.gif", "c.GIF", "noext", "readme.txt"};
    QTest::newRow("plain name") << "a.gif" << QStringList{"a.gif"};
    QTest::newRow("case ignored") << "A.GIF" << QStringList{"a.gif"};
    QTest::newRow("found in any folder") << "C.gif" << QStringList{"c.GIF"};
    QTest::newRow("star") << "*" << all;
    QTest::newRow("star dot star matches names without a dot") << "*.*" << all;
    QTest::newRow("extension") << "*.gif" << QStringList{"a.gif", "b.gif", "c.GIF"};
    QTest::newRow("question mark") << "?.gif" << QStringList{"a.gif", "b.gif", "c.GIF"};
    QTest::newRow("question mark needs a character") << "?a.gif" << QStringList{};
    QTest::newRow("star inside") << "*e*" << QStringList{"noext", "readme.txt"};
    QTest::newRow("folder part") << "pictures/*" << QStringList{"b.gif"};
    QTest::newRow("folder part with backslash") << "PICTURES\\B.GIF" << QStringList{"b.gif"};
    QTest::newRow("nested folder part") << "pictures/sub/*.gif" << QStringList{"c.GIF"};
    QTest::newRow("wildcard folder part") << "*/b.gif" << QStringList{"b.gif"};
    QTest::newRow("empty folder part is the root") << "/a.gif" << QStringList{"a.gif"};
    QTest::newRow("folder that no member has") << "x/a.gif" << QStringList{};
    QTest::newRow("semicolon list, trimmed")
        << "  a.gif ;\treadme.txt  " << QStringList{"a.gif", "readme.txt"};
    QTest::newRow("empty list items ignored") << "a.gif;;" << QStringList{"a.gif"};
    QTest::newRow("name no member has") << "missing.gif" << QStringList{};
    QTest::newRow("empty mask") << "" << QStringList{};
    QTest::newRow("prefix is not a match") << "a.gi" << QStringList{};
}

void TestZip::maskSelectsMembers()
{
    QFETCH(QString, mask);
    QFETCH(QStringList, files);
    const Bytes bytes = ZipWriter()
                            .Stored("a.gif", "a")
                            .Folder("pictures")
                            .Deflated("pictures/b.gif", "b")
                            .Stored("pictures/sub/c.GIF", "c")
                            .Stored("readme.txt", "r")
                            .Stored("noext", "n")
                            .Build();
    const Outcome outcome = Extract(bytes, mask.toStdString());
    QVERIFY(outcome.failed.empty());
    QStringList got;
    for (const auto& f : outcome.files)
        got << QString::fromStdString(f);
    QCOMPARE(got, files);
}

void TestZip::folderEntriesSkippedAndPathsDropped()
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
    const Outcome outcome = Extract(bytes, "*", eoCreateDirs | eoRestorePath);
    QVERIFY(outcome.failed.empty());
    QCOMPARE(outcome.files, std::vector<std::string>{"deep.gif"});
    QCOMPARE(OutText("deep.gif"), std::string("deep"));
}

void TestZip::laterDuplicateWinsAndExistingFilesAreOverwritten()
{
    const Bytes bytes = ZipWriter().Stored("one/x.gif", "first").Deflated("two/X.gif", "second").Build();
    FreshOut();
    WriteTextFile(Out() / "x.gif", "old content");
    fs::permissions(Out() / "x.gif", fs::perms::owner_read); // a read-only copy from earlier

    TAbUnZipper zip;
    std::vector<std::string> failures;
    zip.OnProcessItemFailure = [&](const ZipItem&, const std::string& e) { failures.push_back(e); };
    zip.SetFileName(WriteArchive(bytes));
    zip.SetBaseDirectory(Out().string());
    zip.ExtractFiles("x.gif");
    QVERIFY(failures.empty());
    // Both members match; they land in central directory order, under their
    // own file names (the second one's case included on a case-sensitive file system).
    QCOMPARE(OutText("x.gif"), std::string("first"));
    QCOMPARE(OutText("X.gif"), std::string("second"));

    const Bytes same = ZipWriter().Stored("one/y.gif", "first").Deflated("two/y.gif", "second").Build();
    const Outcome outcome = Extract(same, "y.gif");
    QCOMPARE(outcome.files, std::vector<std::string>{"y.gif"});
    QCOMPARE(OutText("y.gif"), std::string("second"));
}

void TestZip::emptyMembersGiveEmptyFiles_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("withDeflateData");
    QTest::newRow("stored") << 0 << false;
    QTest::newRow("deflated, with an end block") << 8 << true;
    QTest::newRow("deflated, no data at all") << 8 << false;
    QTest::newRow("unknown method, nothing to decode") << 99 << false;
}

void TestZip::emptyMembersGiveEmptyFiles()
{
    QFETCH(int, method);
    QFETCH(bool, withDeflateData);
    ZipEntry e = Entry("empty.gif", "", static_cast<std::uint16_t>(method));
    if (!withDeflateData)
        e.compressedData = Bytes{};
    const Outcome outcome = Extract(Archive(e));
    QVERIFY(outcome.failed.empty());
    QCOMPARE(outcome.files, std::vector<std::string>{"empty.gif"});
    QCOMPARE(fs::file_size(Out() / "empty.gif"), std::uintmax_t(0));
}

void TestZip::largeMembersRoundTrip_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("size");
    QTest::newRow("stored, several chunks") << 0 << 200000;
    QTest::newRow("deflated, several chunks") << 8 << 200000;
    QTest::newRow("deflated, exactly one chunk") << 8 << 65536;
}

void TestZip::largeMembersRoundTrip()
{
    QFETCH(int, method);
    QFETCH(int, size);
    ZipEntry e;
    e.name = "big.gif";
    e.data = Noise(std::size_t(size), 99);
    // Half noise, half runs: deflate output then spans both kinds of block.
    std::fill(e.data.begin(), e.data.begin() + size / 2, 'r');
    e.method = static_cast<std::uint16_t>(method);
    const Outcome outcome = Extract(Archive(e));
    QVERIFY(outcome.failed.empty());
    QCOMPARE(ReadAllBytes(Out() / "big.gif"), e.data);
}

void TestZip::memberFailures_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QByteArray>("content"); // the file left behind, or null for none

    const std::string text =
        "a picture's bytes, long enough to be worth compressing, compressing, compressing";
    const QByteArray none;

    ZipEntry e = Entry("m.gif", text);
    e.versionNeeded = 64;
    QTest::newRow("version needed 6.4") << Q(Archive(e)) << QString(ZipText::NewerVersion) << none;
    e.versionNeeded = 0x0340; // a high byte of 3 does not count
    QTest::newRow("version needed 6.4 from a Unix host")
        << Q(Archive(e)) << QString(ZipText::NewerVersion) << none;
    e.versionNeeded = 63;
    QTest::newRow("version needed 6.3 is fine")
        << Q(Archive(e)) << QString() << QByteArray::fromStdString(text);

    e = Entry("m.gif", text);
    e.badLocalSignature = true;
    QTest::newRow("bad local header") << Q(Archive(e)) << QString(ZipText::NotPkZip) << none;
    e = Entry("m.gif", text);
    e.localHeaderOffset = 1u << 30;
    QTest::newRow("local header past the end") << Q(Archive(e)) << QString(ZipText::NotPkZip) << none;

    e = Entry("m.gif", text);
    e.flags = 1;
    QTest::newRow("encrypted") << Q(Archive(e)) << QString(ZipText::InvalidPassword) << none;

    e = Entry("m.gif", text, 8);
    e.crc = 0xDEADBEEF;
    QTest::newRow("wrong CRC, deflated: no file") << Q(Archive(e)) << QString(ZipText::CrcFailed) << none;
    e.method = 0;
    QTest::newRow("wrong CRC, stored: no file") << Q(Archive(e)) << QString(ZipText::CrcFailed) << none;

    const QString damaged = ZipText::DamagedData;
    e = Entry("m.gif", text, 8);
    e.compressedData = Bytes(40, 0xFF);
    QTest::newRow("garbage instead of deflate data") << Q(Archive(e)) << damaged << none;
    e = Entry("m.gif", text, 8);
    e.compressedData = DeflateRaw(ToBytes(text));
    e.compressedData->resize(e.compressedData->size() / 2);
    QTest::newRow("deflate data cut short") << Q(Archive(e)) << damaged << none;
    e = Entry("m.gif", text, 8);
    e.uncompressedSize = 10;
    QTest::newRow("deflate data longer than recorded") << Q(Archive(e)) << damaged << none;
    e.uncompressedSize = text.size() + 1;
    QTest::newRow("deflate data shorter than recorded") << Q(Archive(e)) << damaged << none;
    e = Entry("m.gif", text, 8);
    e.compressedSize = 1u << 20;
    QTest::newRow("compressed size past the end") << Q(Archive(e)) << damaged << none;
    e = Entry("m.gif", text, 0);
    e.uncompressedSize = text.size() - 1;
    QTest::newRow("stored sizes disagree") << Q(Archive(e)) << damaged << none;

    e = Entry("m.gif", text, 8);
    e.zip64 = true;
    e.uncompressedSize = TAbUnZipper::kMaxMemberSize + 1;
    QTest::newRow("declared size above the bound") << Q(Archive(e)) << QString(ZipText::TooLarge) << none;
    e.uncompressedSize = 0xFFFFFFFFFFFFull;
    QTest::newRow("declared size of 256 TiB") << Q(Archive(e)) << QString(ZipText::TooLarge) << none;
}

void TestZip::memberFailures()
{
    QFETCH(QByteArray, archive);
    QFETCH(QString, error);
    QFETCH(QByteArray, content);
    const Outcome outcome = Extract(B(archive));
    if (error.isEmpty()) {
        QVERIFY(outcome.failed.empty());
    } else {
        QCOMPARE(outcome.failed.size(), std::size_t(1));
        QCOMPARE(outcome.failed[0].first, std::string("m.gif"));
        QCOMPARE(QString::fromStdString(outcome.failed[0].second), error);
    }
    if (content.isNull()) {
        QVERIFY(outcome.files.empty());
    } else {
        QCOMPARE(outcome.files, std::vector<std::string>{"m.gif"});
        QCOMPARE(OutText("m.gif"), content.toStdString());
    }
}

void TestZip::unsupportedMethodDeletesTheFileBegun()
{
    const Bytes bytes = ZipWriter()
                            .Stored("keep.gif", "kept")
                            .Add(Entry("m.gif", "bzip2 data, supposedly", 12))
                            .Add(Entry("n.gif", "method 14", 14))
                            .Build();
    FreshOut();
    WriteTextFile(Out() / "m.gif", "an older copy");
    TAbUnZipper zip;
    std::vector<std::string> failures;
    zip.OnProcessItemFailure = [&](const ZipItem&, const std::string& e) { failures.push_back(e); };
    zip.SetFileName(WriteArchive(bytes));
    zip.SetBaseDirectory(Out().string());
    zip.ExtractFiles("*");
    QCOMPARE(failures, std::vector<std::string>(2, ZipText::UnsupportedMethod));
    QVERIFY(!fs::exists(Out() / "m.gif"));
    QVERIFY(!fs::exists(Out() / "n.gif"));
    QCOMPARE(OutText("keep.gif"), std::string("kept"));
}

void TestZip::unsafeNamesNeverLeaveTheTargetFolder_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QByteArray>("extra");
    for (const char* name :
         {"../evil.gif", "..\\evil.gif", "a/../../evil.gif", "a/..", "..", ".", "/tmp/evil.gif", "\\evil.gif",
          "C:evil.gif", "C:/evil.gif", "c:\\evil.gif", "evil.gif:stream", "", "a/.", "CON", "pics/nul.gif",
          "COM1.txt", "lpt9", "evil.gif.", "evil.gif ", ".evil.gif"})
        QTest::newRow(name[0] ? name : "empty") << QByteArray(name) << QByteArray();
    QTest::newRow("NUL inside") << QByteArray("evil.gif\0.txt", 13) << QByteArray();
    QTest::newRow("Unicode path field with a parent reference") << QByteArray("\x81"
                                                                              "harmless.gif")
                                                                << Q(UnicodePathExtra("\x81"
                                                                                      "harmless.gif",
                                                                                      "../evil.gif"));
    QTest::newRow("NUCX field with an absolute path") << QByteArray("\x81"
                                                                    "harmless.gif")
                                                      << Q(NucxExtra(u"/evil.gif"));
}

void TestZip::unsafeNamesNeverLeaveTheTargetFolder()
{
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, extra);
    ZipEntry e = Entry(std::string(raw.constData(), std::size_t(raw.size())), "payload");
    e.centralExtra = B(extra);
    const fs::path nested = Out() / "deeper";
    FreshOut();
    fs::create_directories(nested);

    TAbUnZipper zip;
    std::vector<std::string> failures;
    zip.OnProcessItemFailure = [&](const ZipItem&, const std::string& error) { failures.push_back(error); };
    zip.SetFileName(WriteArchive(ZipWriter().Add(e).Stored("fine.gif", "fine").Build()));
    zip.SetBaseDirectory(nested.string());
    zip.ExtractFiles("*");
    QCOMPARE(failures, std::vector<std::string>{ZipText::UnsafeName});
    QCOMPARE(ReadAllBytes(nested / "fine.gif"), ToBytes("fine"));
    std::vector<std::string> everything;
    for (const auto& entry : fs::recursive_directory_iterator(Root()))
        if (entry.path().filename().string().find("evil") != std::string::npos)
            everything.push_back(entry.path().string());
    QVERIFY2(everything.empty(), everything.empty() ? "" : everything[0].c_str());
    QVERIFY(!fs::exists("/tmp/evil.gif") || fs::file_size("/tmp/evil.gif") != 7);
    QCOMPARE(std::distance(fs::directory_iterator(nested), fs::directory_iterator()), std::ptrdiff_t(1));
}

void TestZip::memberLargerThanTheFreeSpaceFails()
{
    const Bytes bytes =
        ZipWriter().Stored("fits.gif", "0123456789").Deflated("big.gif", "0123456789A").Build();
    FreshOut();
    TAbUnZipper zip;
    std::vector<std::pair<std::string, std::string>> failures;
    zip.OnProcessItemFailure = [&](const ZipItem& i, const std::string& e) {
        failures.emplace_back(i.fileName, e);
    };
    zip.FreeSpace = [](const fs::path&) { return std::uintmax_t(10); };
    zip.SetFileName(WriteArchive(bytes));
    zip.SetBaseDirectory(Out().string());
    zip.ExtractFiles("*");
    QCOMPARE(failures.size(), std::size_t(1));
    QCOMPARE(failures[0].first, std::string("big.gif"));
    QCOMPARE(failures[0].second, IoErrorMessage(101));
    QVERIFY(fs::exists(Out() / "fits.gif"));
    QVERIFY(!fs::exists(Out() / "big.gif"));
}

void TestZip::attributesFollowTheRecordingHost_data()
{
    QTest::addColumn<int>("madeBy");
    QTest::addColumn<uint>("attributes");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("DOS archive bit") << 20 << 0x20u << false;
    QTest::newRow("DOS read-only") << 20 << 0x21u << true;
    QTest::newRow("DOS read-only, hidden, system") << 20 << 0x07u << true;
    QTest::newRow("Unix rw-r--r--") << 0x0314 << (0100644u << 16) << false;
    QTest::newRow("Unix r--r--r--") << 0x0314 << (0100444u << 16) << true;
    QTest::newRow("Unix r--r--r-- with a DOS byte saying writable")
        << 0x0314 << ((0100444u << 16) | 0x20) << true;
    QTest::newRow("Unix rwsr-xr-x gives no execute bits") << 0x0314 << (0104755u << 16) << false;
    QTest::newRow("DOS host, attributes above 0x1FFFF: Unix mode") << 20 << (0100444u << 16) << true;
    QTest::newRow("DOS host, 0x1FFFF is still DOS") << 20 << 0x1FFEEu << false;
}

void TestZip::attributesFollowTheRecordingHost()
{
    QFETCH(int, madeBy);
    QFETCH(uint, attributes);
    QFETCH(bool, readOnly);
    ZipEntry e = Entry("m.gif", "data");
    e.versionMadeBy = static_cast<std::uint16_t>(madeBy);
    e.externalAttributes = attributes;
    const Outcome outcome = Extract(Archive(e));
    QVERIFY(outcome.failed.empty());
    struct stat st {};
    QCOMPARE(::stat((Out() / "m.gif").c_str(), &st), 0);
    QCOMPARE((st.st_mode & 0222) == 0, readOnly);
    QVERIFY((st.st_mode & 0111) == 0);
    QVERIFY((st.st_mode & S_ISUID) == 0);
    QVERIFY((st.st_mode & 0400) != 0);
}

void TestZip::modificationTimeFromDosDateAndTime()
{
    ZipEntry e = Entry("m.gif", "data");
    e.dosDate = DosDate(2021, 6, 15);
    e.dosTime = DosTime(13, 45, 30);
    ZipEntry bad = Entry("bad.gif", "data");
    bad.dosDate = DosDate(2021, 13, 40); // no such date: the time of writing stays
    const std::time_t before = std::time(nullptr);
    const Outcome outcome = Extract(ZipWriter().Add(e).Add(bad).Build());
    QVERIFY(outcome.failed.empty());
    struct stat st {};
    QCOMPARE(::stat((Out() / "m.gif").c_str(), &st), 0);
    std::tm local{};
    localtime_r(&st.st_mtime, &local);
    QCOMPARE(local.tm_year + 1900, 2021);
    QCOMPARE(local.tm_mon + 1, 6);
    QCOMPARE(local.tm_mday, 15);
    QCOMPARE(local.tm_hour, 13);
    QCOMPARE(local.tm_min, 45);
    QCOMPARE(local.tm_sec, 30);
    QCOMPARE(::stat((Out() / "bad.gif").c_str(), &st), 0);
    QVERIFY(st.st_mtime >= before - 5);
}

void TestZip::baseDirectoryRules()
{
    TAbUnZipper zip;
    fs::create_directories(Root() / "target");
    const std::string target = (Root() / "target").string();
    zip.SetBaseDirectory(target + "/");
    QCOMPARE(zip.BaseDirectory(), target);
    zip.SetBaseDirectory(target);
    QCOMPARE(zip.BaseDirectory(), target);
    zip.SetBaseDirectory(target + "//"); // only one separator is dropped
    QCOMPARE(zip.BaseDirectory(), target + "/");
    zip.SetBaseDirectory("/");
    QCOMPARE(zip.BaseDirectory(), std::string("/"));
    for (const std::string& missing :
         {(Root() / "nope").string(), (Root() / "nope").string() + "/", std::string()}) {
        try {
            zip.SetBaseDirectory(missing);
            QFAIL("no error");
        } catch (const ArchiveError& e) {
            QCOMPARE(std::string(e.what()), std::string(ZipText::NoDirectory));
        }
    }
}

void TestZip::missingTargetFolderIsCreatedOnlyWithCreateDirs()
{
    const Bytes bytes = ZipWriter().Stored("a.gif", "a").Build();
    for (int options : {int(eoCreateDirs), 0}) {
        const fs::path target = Root() / "vanishing" / "folder";
        fs::create_directories(target);
        TAbUnZipper zip;
        std::vector<std::string> failures;
        zip.OnProcessItemFailure = [&](const ZipItem&, const std::string& e) { failures.push_back(e); };
        zip.ExtractOptions = options;
        zip.SetFileName(WriteArchive(bytes));
        zip.SetBaseDirectory(target.string());
        fs::remove_all(Root() / "vanishing");
        zip.ExtractFiles("a.gif");
        if (options == eoCreateDirs) {
            QVERIFY(failures.empty());
            QVERIFY(fs::exists(target / "a.gif"));
        } else {
            QCOMPARE(failures, std::vector<std::string>{ZipText::NoDirectory});
            QVERIFY(!fs::exists(target));
        }
    }
}

void TestZip::everyTruncationAndByteFlipIsSurvived()
{
    // A small archive with every kind of structure; each cut and each changed
    // byte must end in an archive error or member failures, never worse.
    ZipEntry zip64 = Entry("pictures/z.gif", "zip64 member, deflated", 8);
    zip64.zip64 = true;
    ZipEntry unicode = Entry("\x81.gif", "u");
    unicode.centralExtra = UnicodePathExtra("\x81.gif", "u.gif");
    const Bytes good =
        ZipWriter()
            .Folder("pictures")
            .Deflated("pictures/a.gif", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa")
            .Add(zip64)
            .Add(unicode)
            .Zip64End()
            .Comment("comment")
            .Build();
    int opened = 0;
    auto attempt = [&](const Bytes& bytes) {
        FreshOut();
        TAbUnZipper zip;
        zip.OnProcessItemFailure = [](const ZipItem&, const std::string&) {};
        try {
            zip.SetFileName(WriteArchive(bytes, "mangled.zip"));
            ++opened;
        } catch (const ArchiveError&) {
            return;
        }
        zip.SetBaseDirectory(Out().string());
        zip.ExtractFiles("*");
        for (const auto& entry : fs::directory_iterator(Out()))
            QVERIFY(fs::file_size(entry.path()) <= 64);
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
    QVERIFY(opened > 0);
}

void TestZip::fuzzRegressions_data()
{
    QTest::addColumn<QString>("file");
    const fs::path folder = QUARNEL_ZIP_REGRESSIONS;
    std::vector<fs::path> files;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files)
        QTest::newRow(f.filename().string().c_str()) << QString::fromStdString(f.string());
    if (files.empty())
        QTest::newRow("none") << QString();
}

void TestZip::fuzzRegressions()
{
    QFETCH(QString, file);
    if (file.isEmpty())
        QSKIP("no regression inputs");
    const Bytes bytes = ReadAllBytes(file.toStdString());
    FreshOut();
    TAbUnZipper zip;
    zip.OnProcessItemFailure = [](const ZipItem&, const std::string&) {};
    try {
        zip.SetFileName(WriteArchive(bytes, "regression.zip"));
    } catch (const ArchiveError&) {
        return;
    }
    zip.SetBaseDirectory(Out().string());
    zip.ExtractFiles("*");
    for (const auto& entry : fs::directory_iterator(Out()))
        QVERIFY(fs::file_size(entry.path()) <= TAbUnZipper::kMaxMemberSize);
}

std::uintmax_t BytesIn(const fs::path& folder)
{
    std::uintmax_t total = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            total += entry.file_size();
    return total;
}

void TestZip::hostileArchivesFailFast()
{
    // A valid lookup first, for the time a healthy archive takes.
    Bytes valid = ZipWriter().Stored("big.gif", Noise(2'000'000, 7)).Stored("a.gif", "a").Build();
    QElapsedTimer timer;
    timer.start();
    TAbUnZipper zip;
    zip.SetFileName(WriteArchive(valid, "valid.zip"));
    const qint64 validMs = timer.elapsed();

    const Bytes cut(valid.begin(), valid.end() - 30);
    const struct {
        const char* name;
        Bytes bytes;
        const char* error;
    } cases[] = {{"random.zip", Noise(4 * 1024 * 1024, 99), ZipText::UnhandledType},
                 {"cut.zip", cut, ZipText::UnhandledType}};
    for (const auto& c : cases) {
        const std::string file = WriteArchive(c.bytes, c.name);
        timer.restart();
        try {
            zip.SetFileName(file);
            QFAIL(c.name);
        } catch (const ArchiveError& e) {
            QCOMPARE(QString(e.what()), QString(c.error));
        }
        // The search reads each block once: a second at most even under sanitizers.
        QVERIFY2(timer.elapsed() < 1000 + 20 * validMs, c.name);
    }
}

void TestZip::sharedDataAndTheCallBudgetBoundTheBytesWritten()
{
    // Twenty central entries that all point at one deflated megabyte.
    ZipWriter bomb;
    for (int i = 0; i < 20; ++i) {
        ZipEntry e = Entry("b" + std::to_string(i) + ".gif", std::string(1 << 20, '\0'), 8);
        e.localHeaderOffset = 0;
        bomb.Add(e);
    }
    Outcome outcome = Extract(bomb.Build());
    QCOMPARE(BytesIn(Out()), std::uintmax_t(0));
    QCOMPARE(outcome.failed.size(), std::size_t(20));
    QVERIFY(outcome.files.empty());

    // Distinct members stop at the bytes one call may write.
    FreshOut();
    TAbUnZipper zip;
    std::vector<std::string> failures;
    zip.OnProcessItemFailure = [&](const ZipItem& item, const std::string& error) {
        failures.push_back(item.fileName + ": " + error);
    };
    zip.MaxBytesPerCall = 10'000;
    zip.SetFileName(WriteArchive(ZipWriter()
                                     .Stored("a.gif", Noise(4000, 1))
                                     .Deflated("b.gif", Noise(4000, 2))
                                     .Stored("c.gif", Noise(4000, 3))
                                     .Build()));
    zip.SetBaseDirectory(Out().string());
    zip.ExtractFiles("*");
    QCOMPARE(failures, std::vector<std::string>{std::string("c.gif: ") + ZipText::TooLarge});
    QCOMPARE(BytesIn(Out()), std::uintmax_t(8000));
    // The budget is per call.
    zip.ExtractFiles("c.gif");
    QCOMPARE(BytesIn(Out()), std::uintmax_t(12000));
}

void TestZip::plantedLinksAreNeverWrittenThrough()
{
    FreshOut();
    const fs::path victim = Root() / "victim.txt";
    const fs::path hardVictim = Root() / "hard-victim.txt";
    WriteAllBytes(victim, ToBytes("keep"));
    WriteAllBytes(hardVictim, ToBytes("keep too"));
    fs::create_symlink(victim, Out() / "a.gif");
    fs::create_symlink(Root() / "nowhere.txt", Out() / "b.gif");
    fs::create_hard_link(hardVictim, Out() / "c.gif");

    TAbUnZipper zip;
    zip.SetFileName(
        WriteArchive(ZipWriter().Stored("a.gif", "new a").Stored("b.gif", "new b").Deflated("c.gif", "new c").Build()));
    zip.SetBaseDirectory(Out().string());
    zip.ExtractFiles("*");
    QCOMPARE(ReadAllBytes(victim), ToBytes("keep"));
    QCOMPARE(ReadAllBytes(hardVictim), ToBytes("keep too"));
    QVERIFY(!fs::exists(Root() / "nowhere.txt"));
    for (const char* name : {"a.gif", "b.gif", "c.gif"}) {
        QVERIFY(!fs::is_symlink(fs::symlink_status(Out() / name)));
        QCOMPARE(fs::hard_link_count(Out() / name), std::uintmax_t(1));
    }
    QCOMPARE(ReadAllBytes(Out() / "c.gif"), ToBytes("new c"));
}

QTEST_GUILESS_MAIN(TestZip)
#include "test_zip.moc"
