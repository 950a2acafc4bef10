// The first-game conversion on real folders (byte checks of the copies, mode
// bits of the sources, no overwriting on a second run) and the removal of the
// scratch folder.
#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "ProtoBuilder.h"
#include "RecordingDialogs.h"
#include "tools/FirstGameConversion.h"
#include "tools/TempFolderCleanup.h"

#include <QTemporaryDir>
#include <QtTest>

namespace fs = std::filesystem;
using namespace quarnel;
using quarnel::test::ProtoBuilder;
using quarnel::test::ReadAllBytes;
using quarnel::test::RecordingDialogs;
using quarnel::test::WriteAllBytes;
using quarnel::test::WriteTextFile;

namespace {

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

QStringList Entries(const fs::path& folder)
{
    QStringList names;
    for (const auto& entry : fs::directory_iterator(folder))
        names << QString::fromStdString(entry.path().filename().string());
    names.sort();
    return names;
}

} // namespace

class TestTools : public QObject {
    Q_OBJECT
    QTemporaryDir tmp;
    int counter = 0;
    fs::path NewFolder()
    {
        fs::path folder = fs::path(tmp.path().toStdString()) / ("case" + std::to_string(++counter));
        fs::create_directories(folder);
        return folder;
    }

private slots:
    void convertsOnlyFirstGameFiles();
    void nothingToConvertMakesNoFolder_data();
    void nothingToConvertMakesNoFolder();
    void secondRunStopsAtAnExistingCopy();
    void deleteFolderKeepsTheFolderWhileSomethingRemains_data();
    void deleteFolderKeepsTheFolderWhileSomethingRemains();
    void deleteFolderReportsAMissingFolder();
    void deleteFolderNeverFollowsALink();
};

void TestTools::convertsOnlyFirstGameFiles()
{
    const fs::path folder = NewFolder();
    WriteRecord(folder / "00000001.pro", 412, 0x11);
    WriteRecord(folder / "00000002.PRO", 412, 0x22);
    WriteRecord(folder / "00000003.pro", 416, 0x33);
    WriteRecord(folder / "notes.txt", 412, 0x44);
    SetReadOnlyOnly(folder / "00000002.PRO");

    RecordingDialogs dialogs;
    ConvertFirstGameFiles(folder, dialogs);

    QCOMPARE(dialogs.messages, (std::vector<std::string>{kConversionStartMessage, kConversionEndMessage}));
    QCOMPARE(QString(kConversionStartMessage),
             QString("Start conversion FO1 *.pro files to FO2 size. After clicking \"OK\" wait until the process is "
                     "completed!"));
    QCOMPARE(QString(kConversionEndMessage), QString("FO1 *.pro files converted to FO2 size!"));
    QCOMPARE(Entries(folder / "converted"), (QStringList{"00000001.pro", "00000002.PRO"}));
    QCOMPARE(ReadAllBytes(folder / "converted" / "00000001.pro"), Converted(Record(412, 0x11)));
    QCOMPARE(ReadAllBytes(folder / "converted" / "00000002.PRO"), Converted(Record(412, 0x22)));

    // Sources keep names and contents; the converted ones are read-only again.
    QCOMPARE(Entries(folder), (QStringList{"00000001.pro", "00000002.PRO", "00000003.pro", "converted", "notes.txt"}));
    QCOMPARE(ReadAllBytes(folder / "00000001.pro"), Record(412, 0x11));
    QCOMPARE(ReadAllBytes(folder / "00000002.PRO"), Record(412, 0x22));
    QCOMPARE(ReadAllBytes(folder / "00000003.pro"), Record(416, 0x33));
    const auto writeBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    for (const char* name : {"00000001.pro", "00000002.PRO"})
        QCOMPARE(fs::status(folder / name).permissions() & writeBits, fs::perms::none);
}

void TestTools::nothingToConvertMakesNoFolder_data()
{
    QTest::addColumn<QStringList>("files"); // name:size
    QTest::newRow("empty folder") << QStringList{};
    QTest::newRow("no prototypes") << QStringList{"readme.txt:412", "pro_crit.ini:20"};
    QTest::newRow("only second-game size") << QStringList{"00000001.pro:416", "00000002.pro:0"};
    QTest::newRow("sizes beside 412") << QStringList{"00000001.pro:411", "00000002.pro:413", "00000003.pro:415", "00000004.pro:417"};
    QTest::newRow("hidden prototype") << QStringList{".00000001.pro:412"};
}

void TestTools::nothingToConvertMakesNoFolder()
{
    QFETCH(QStringList, files);
    const fs::path folder = NewFolder();
    for (const QString& file : files)
        WriteRecord(folder / file.section(':', 0, 0).toStdString(), file.section(':', 1).toInt(), 0x5A);

    RecordingDialogs dialogs;
    ConvertFirstGameFiles(folder, dialogs);
    QCOMPARE(dialogs.messages, (std::vector<std::string>{kConversionStartMessage, kConversionEndMessage}));
    QVERIFY(!fs::exists(folder / "converted"));
}

void TestTools::secondRunStopsAtAnExistingCopy()
{
    const fs::path folder = NewFolder();
    WriteRecord(folder / "00000002.pro", 412, 0x22);
    RecordingDialogs dialogs;
    ConvertFirstGameFiles(folder, dialogs);

    // A new file sorted before the converted one, and the converted source changed.
    WriteRecord(folder / "00000001.pro", 412, 0x11);
    SetArchiveOnly(folder / "00000002.pro");
    WriteRecord(folder / "00000002.pro", 412, 0x99);
    WriteRecord(folder / "00000003.pro", 412, 0x33);
    dialogs.Clear();
    try {
        ConvertFirstGameFiles(folder, dialogs);
        QFAIL("no error on an existing copy");
    } catch (const IoError& e) {
        QCOMPARE(e.code(), 145);
        QCOMPARE(QString(e.what()), QString("I/O error 145"));
    }
    QCOMPARE(dialogs.messages, std::vector<std::string>{kConversionStartMessage});
    // The copy made before the failure stays, the existing copy is not
    // replaced, later files are untouched and no scratch file is left.
    QCOMPARE(Entries(folder / "converted"), (QStringList{"00000001.pro", "00000002.pro"}));
    QCOMPARE(ReadAllBytes(folder / "converted" / "00000001.pro"), Converted(Record(412, 0x11)));
    QCOMPARE(ReadAllBytes(folder / "converted" / "00000002.pro"), Converted(Record(412, 0x22)));
    QCOMPARE(ReadAllBytes(folder / "00000002.pro"), Record(412, 0x99));
}

void TestTools::deleteFolderKeepsTheFolderWhileSomethingRemains_data()
{
    QTest::addColumn<QString>("leftover");
    QTest::addColumn<bool>("isFolder");
    QTest::newRow("subfolder") << "sub" << true;
    QTest::newRow("hidden file") << ".hidden" << false;
}

void TestTools::deleteFolderKeepsTheFolderWhileSomethingRemains()
{
    QFETCH(QString, leftover);
    QFETCH(bool, isFolder);
    const fs::path folder = NewFolder() / "temp";
    fs::create_directories(folder);
    WriteTextFile(folder / "tmp.txt", "list");
    WriteTextFile(folder / "listfiles.txt", "list");
    WriteRecord(folder / "picture.gif", 10, 1);
    SetReadOnlyOnly(folder / "picture.gif");
    const fs::path left = folder / leftover.toStdString();
    if (isFolder)
        fs::create_directory(left);
    else
        WriteTextFile(left, "x");

    try {
        DeleteFolder(folder);
        QFAIL("a folder that is not empty was reported removed");
    } catch (const IoError& e) {
        QCOMPARE(QString(e.what()), QString("I/O error 145"));
    }
    QCOMPARE(Entries(folder), QStringList{leftover});

    fs::remove(left);
    DeleteFolder(folder);
    QVERIFY(!fs::exists(folder));
}

void TestTools::deleteFolderReportsAMissingFolder()
{
    try {
        DeleteFolder(NewFolder() / "temp");
        QFAIL("a missing folder was reported removed");
    } catch (const IoError& e) {
        QCOMPARE(e.code(), 2);
        QCOMPARE(QString(e.what()), QString("File not found"));
    }
}

QTEST_GUILESS_MAIN(TestTools)
void TestTools::deleteFolderNeverFollowsALink()
{
    const fs::path root = NewFolder();
    const fs::path elsewhere = root / "documents";
    fs::create_directories(elsewhere);
    WriteTextFile(elsewhere / "letter.txt", "keep");
    fs::create_symlink(elsewhere, root / "temp");
    DeleteFolder(root / "temp/");
    QVERIFY(!fs::exists(fs::symlink_status(root / "temp")));
    QVERIFY(fs::exists(elsewhere / "letter.txt"));

    // A link inside the folder goes, its target stays.
    fs::create_directories(root / "temp");
    fs::create_symlink(elsewhere / "letter.txt", root / "temp" / "link.gif");
    DeleteFolder(root / "temp");
    QVERIFY(!fs::exists(root / "temp"));
    QVERIFY(fs::exists(elsewhere / "letter.txt"));
}

#include "test_tools.moc"
