// The name table reader and its one-pass lookup, the name decoding, and the
// folder scan with its scratch files.
#include "library/GameFolderScan.h"
#include "library/IniFile.h"
#include "library/NameTable.h"
#include "library/TextEncoding.h"
#include "platform/Utf8.h"
#include "platform/Errors.h"
#include "platform/FolderListing.h"
#include "rules/IntegerText.h"
#include "ProtoBuilder.h"

#include <QTemporaryDir>
#include <QtTest>

#include <random>

using namespace quarnel;
using quarnel::test::ProtoBuilder;
using quarnel::test::WriteTextFile;
namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& file)
{
    const auto bytes = quarnel::test::ReadAllBytes(file);
    return {bytes.begin(), bytes.end()};
}

std::string Str(const QByteArray& bytes) { return bytes.toStdString(); }

} // namespace

class TestLibrary : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    fs::path Path(const std::string& name) const { return fs::path(dir.path().toStdString()) / name; }
    fs::path FreshFolder(const std::string& name) const
    {
        fs::remove_all(Path(name));
        fs::create_directories(Path(name));
        return Path(name);
    }

private slots:
    void iniQuirks_data();
    void iniQuirks();
    void iniFileNames();
    void nameTableAgreesWithReaderOnGeneratedTables();
    void namesDecodeToUtf8_data();
    void namesDecodeToUtf8();
    void fileNumbers_data();
    void fileNumbers();
    void scanOfFolderWithoutPrototypes();
    void scanWritesNamesAndNumbersInListingOrder();
    void scanStopsAtFileNameThatIsNotANumber();
    void scanWithoutNameTable();
    void listingNamesPairEachFileWithItsOwnName();
    void scanOfRealFoldersMatchesReader_data();
    void scanOfRealFoldersMatchesReader();
    void sampleFolders_data();
    void sampleFolders();
};

void TestLibrary::iniQuirks_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray rat = "[Description]\r\n300=Rat\r\n400=Dog\r\n";
    QTest::newRow("plain line") << rat << QByteArray("Description") << QByteArray("300") << QByteArray("Rat");
    QTest::newRow("last line with line end") << rat << QByteArray("Description") << QByteArray("400") << QByteArray("Dog");
    QTest::newRow("last line without line end") << QByteArray("[Description]\r\n300=Rat\r\n400=Dog") << QByteArray("Description") << QByteArray("400") << QByteArray("Dog");
    QTest::newRow("LF line ends") << QByteArray("[Description]\n300=Rat\n400=Dog\n") << QByteArray("Description") << QByteArray("300") << QByteArray("Rat");
    QTest::newRow("CR at the very end") << QByteArray("[Description]\r\n300=Rat\r") << QByteArray("Description") << QByteArray("300") << QByteArray("Rat");
    QTest::newRow("lone CR stays in the line") << QByteArray("[Description]\r\n300=Rat\r\r\n400=Dog\r\n") << QByteArray("Description") << QByteArray("300") << QByteArray("Rat\r");
    QTest::newRow("missing key") << rat << QByteArray("Description") << QByteArray("500") << QByteArray();
    QTest::newRow("key is not a prefix") << QByteArray("[Description]\r\n3000=Big\r\n300=Rat\r\nend\r\n") << QByteArray("Description") << QByteArray("300") << QByteArray("Rat");
    QTest::newRow("section lower case") << QByteArray("[description]\r\n300=Rat\r\n") << QByteArray("Description") << QByteArray("300") << QByteArray("Rat");
    QTest::newRow("section capitals") << QByteArray("[DESCRIPTION]\r\n300=Rat\r\n") << QByteArray("Description") << QByteArray("300") << QByteArray("Rat");
    QTest::newRow("header with a trailing blank") << QByteArray("[Description] \r\n300=Rat\r\n") << QByteArray("Description") << QByteArray("300") << QByteArray();
    QTest::newRow("header with a leading blank") << QByteArray(" [Description]\r\n300=Rat\r\n") << QByteArray("Description") << QByteArray("300") << QByteArray();
    QTest::newRow("header as last line") << QByteArray("300=Rat\r\n[Description]\r\n") << QByteArray("Description") << QByteArray("300") << QByteArray();
    QTest::newRow("empty file") << QByteArray() << QByteArray("Description") << QByteArray("300") << QByteArray();
    QTest::newRow("key case a to z") << QByteArray("[Description]\r\nrat=Low\r\nend\r\n") << QByteArray("Description") << QByteArray("RaT") << QByteArray("Low");
    QTest::newRow("key case z") << QByteArray("[Description]\r\nzz=Low\r\nend\r\n") << QByteArray("Description") << QByteArray("ZZ") << QByteArray("Low");
    QTest::newRow("key case Z asked lower") << QByteArray("[Description]\r\nZA=Up\r\nend\r\n") << QByteArray("Description") << QByteArray("za") << QByteArray("Up");
    QTest::newRow("signs beside the letters keep case") << QByteArray("[Description]\r\n@[`{=No\r\nend\r\n") << QByteArray("Description") << QByteArray("`{@[") << QByteArray();
    QTest::newRow("section case z") << QByteArray("[Zoo]\r\n300=Rat\r\n") << QByteArray("zoo") << QByteArray("300") << QByteArray("Rat");
    QTest::newRow("non-ASCII letters keep case") << QByteArray("[Description]\r\n\xe9=Low\r\nend\r\n") << QByteArray("Description") << QByteArray("\xc9") << QByteArray();
    QTest::newRow("blank before = belongs to key") << QByteArray("[Description]\r\n300 =Rat\r\n") << QByteArray("Description") << QByteArray("300") << QByteArray();
    QTest::newRow("key with the blank") << QByteArray("[Description]\r\n300 =Rat\r\n") << QByteArray("Description") << QByteArray("300 ") << QByteArray("Rat");
    QTest::newRow("key text not trimmed") << rat << QByteArray("Description") << QByteArray(" 300") << QByteArray();
    QTest::newRow("value keeps blanks") << QByteArray("[Description]\r\n300= Rat \r\n") << QByteArray("Description") << QByteArray("300") << QByteArray(" Rat ");
    QTest::newRow("value keeps =") << QByteArray("[Description]\r\n500=A=B\r\n") << QByteArray("Description") << QByteArray("500") << QByteArray("A=B");
    QTest::newRow("empty value") << QByteArray("[Description]\r\n101=\r\n300=Rat\r\n") << QByteArray("Description") << QByteArray("101") << QByteArray();
    QTest::newRow("first duplicate wins") << QByteArray("[Description]\r\n300=Rat\r\nrat=x\r\n300=Dog\r\n") << QByteArray("Description") << QByteArray("300") << QByteArray("Rat");
    QTest::newRow("first duplicate wins across case") << QByteArray("[Description]\r\nabc=One\r\nABC=Two\r\n") << QByteArray("Description") << QByteArray("Abc") << QByteArray("One");
    QTest::newRow("key of a later section") << QByteArray("[Description]\r\n300=Rat\r\n[Other]\r\n400=Dog\r\n") << QByteArray("Description") << QByteArray("400") << QByteArray();
    QTest::newRow("key of an earlier section") << QByteArray("[Other]\r\n300=Rat\r\n[Description]\r\n400=Dog\r\n") << QByteArray("Description") << QByteArray("300") << QByteArray();
    QTest::newRow("second header ends the first") << QByteArray("[Description]\r\n100=A\r\n[Description]\r\n300=Rat\r\n") << QByteArray("Description") << QByteArray("300") << QByteArray();
    QTest::newRow("other section asked for") << QByteArray("[Description]\r\n300=Rat\r\n[Other]\r\n300=Dog\r\n") << QByteArray("other") << QByteArray("300") << QByteArray("Dog");
    QTest::newRow("blank lines between") << QByteArray("[Description]\r\n\r\n\r\n300=Rat\r\n") << QByteArray("Description") << QByteArray("300") << QByteArray("Rat");
    QTest::newRow("section-ending line answers its own key") << QByteArray("[Description]\r\n100=A\r\n[X=Y]\r\n") << QByteArray("Description") << QByteArray("[x") << QByteArray("Y]");
    QTest::newRow("empty key: line without =") << QByteArray("[Description]\r\nplain\r\n300=Rat\r\n") << QByteArray("Description") << QByteArray() << QByteArray("plain");
    QTest::newRow("empty key: empty line is a blank") << QByteArray("[Description]\r\n\r\n300=Rat\r\n") << QByteArray("Description") << QByteArray() << QByteArray(" ");
    QTest::newRow("empty key: line starting with =") << QByteArray("[Description]\r\n300=Rat\r\n=Nameless\r\nend\r\n") << QByteArray("Description") << QByteArray() << QByteArray("Nameless");
}

// Each case is checked through the reader and through the one-pass table.
void TestLibrary::iniQuirks()
{
    QFETCH(QByteArray, table);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    const fs::path file = Path("quirks.ini");
    WriteTextFile(file, Str(table));
    QCOMPARE(QByteArray::fromStdString(ReadIniValue(file, Str(section), Str(key))), expected);
    QCOMPARE(QByteArray::fromStdString(NameTable::Load(file, Str(section)).Lookup(Str(key))), expected);
}

void TestLibrary::iniFileNames()
{
    // ".ini" is appended to a file name without '.', even inside a folder with one.
    const fs::path folder = FreshFolder("tables.v1");
    WriteTextFile(folder / "names.ini", "[Description]\r\n300=Rat\r\n");
    QCOMPARE(ReadIniValue(folder / "names", "Description", "300"), std::string("Rat"));
    QCOMPARE(NameTable::Load(folder / "names").Lookup("300"), std::string("Rat"));

    for (const fs::path& missing : {folder / "absent.ini", folder / "absent"}) {
        try {
            ReadIniValue(missing, "Description", "300");
            QFAIL("reading a missing table must fail");
        } catch (const IoError& e) {
            QCOMPARE(e.code(), 2);
            QCOMPARE(std::string(e.what()), std::string("File not found"));
        }
        QVERIFY_THROWS_EXCEPTION(IoError, NameTable::Load(missing));
    }
}

// Random tables built from the lines that make the reader's quirks show:
// headers in other cases or with blanks, duplicate keys, keys with blanks,
// lines without '=', blank lines, '=' in values, mixed line ends. For every
// section and key asked, the table must answer what the reader answers.
void TestLibrary::nameTableAgreesWithReaderOnGeneratedTables()
{
    const std::vector<std::string> headers = {"[Description]", "[description]", "[DESCRIPTION]", "[Description] ",
                                              "[Other]",       "[]",            "[Descriptio]"};
    const std::vector<std::string> keys = {"100", "300", "3000", "abc", "ABC", "aBc", "300 ", " 300", "", "[x", "\xe9"};
    const std::vector<std::string> values = {"Rat", " Rat ", "A=B", "", "Mole Rat", "\xe9l\xe8ve", "="};
    const std::vector<std::string> plain = {"plain", "[", "[Other", "  ", "[x=1]", "\r"};
    const std::vector<std::string> sections = {"Description", "DESCRIPTION", "Other", ""};
    std::vector<std::string> probes = keys;
    for (const char* k : {"ABC", "abc", "[X", "\xc9", "400", "x=y", "=", " "})
        probes.push_back(k);

    std::mt19937 random(20240611);
    auto pick = [&](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
    };
    const fs::path file = Path("generated.ini");
    int answered = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string text;
        const int lines = std::uniform_int_distribution<int>(0, 14)(random);
        for (int i = 0; i < lines; ++i) {
            switch (std::uniform_int_distribution<int>(0, 9)(random)) {
            case 0:
            case 1: text += pick(headers); break;
            case 2: text += pick(plain); break;
            case 3: break; // empty line
            default: text += pick(keys) + "=" + pick(values); break;
            }
            const bool last = i + 1 == lines;
            if (!last || random() % 2)
                text += random() % 3 ? "\r\n" : "\n";
        }
        WriteTextFile(file, text);
        for (const std::string& section : sections) {
            const NameTable table = NameTable::Load(file, section);
            for (const std::string& key : probes) {
                const std::string expected = ReadIniValue(file, section, key);
                if (table.Lookup(key) != expected)
                    QFAIL(qPrintable(QStringLiteral("table %1, section '%2', key '%3': '%4' instead of '%5'")
                                         .arg(QString::fromLatin1(QByteArray::fromStdString(text).toPercentEncoding()),
                                              QString::fromStdString(section), QString::fromStdString(key),
                                              QString::fromStdString(table.Lookup(key)),
                                              QString::fromStdString(expected))));
                answered += !expected.empty();
            }
        }
    }
    QVERIFY(answered > 1000); // the tables really found values, not only empty answers
}

void TestLibrary::namesDecodeToUtf8_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QByteArray>("utf8");
    QTest::newRow("ASCII") << QByteArray("Mole Rat") << QByteArray("Mole Rat");
    QTest::newRow("Windows-1252 e acute") << QByteArray("Caf\xe9") << QByteArray("Caf\xc3\xa9");
    QTest::newRow("Windows-1252 euro") << QByteArray("\x80 5") << QByteArray("\xe2\x82\xac 5");
    QTest::newRow("Windows-1252 quotes") << QByteArray("\x93Z\x94") << QByteArray("\xe2\x80\x9cZ\xe2\x80\x9d");
    QTest::newRow("unassigned byte") << QByteArray("\x81") << QByteArray("\xc2\x81");
    QTest::newRow("last byte of the table") << QByteArray("\x9f") << QByteArray("\xc5\xb8");
    QTest::newRow("first byte after the table") << QByteArray("\xa0") << QByteArray("\xc2\xa0");
    QTest::newRow("UTF-8 untouched") << QByteArray("Caf\xc3\xa9 \xe2\x82\xac") << QByteArray("Caf\xc3\xa9 \xe2\x82\xac");
    QTest::newRow("UTF-8 four bytes") << QByteArray("\xf0\x9f\x90\x80") << QByteArray("\xf0\x9f\x90\x80");
    QTest::newRow("mixed is not UTF-8") << QByteArray("\xe9\xc3\xa9") << QByteArray("\xc3\xa9\xc3\x83\xc2\xa9");
    QTest::newRow("overlong form") << QByteArray("\xc0\xaf") << QByteArray("\xc3\x80\xc2\xaf");
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << QByteArray("\xc3\xad\xc2\xa0\xe2\x82\xac");
    QTest::newRow("cut sequence") << QByteArray("\xe2\x82") << QByteArray("\xc3\xa2\xe2\x80\x9a");
}

void TestLibrary::namesDecodeToUtf8()
{
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, utf8);
    QCOMPARE(QByteArray::fromStdString(NameToUtf8(Str(raw))), utf8);
}

void TestLibrary::fileNumbers_data()
{
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<QByteArray>("error"); // the conversion's message, or empty
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("textId");
    QTest::addColumn<int>("pidNumber");
    QTest::newRow("ordinary") << QByteArray("00000123.pro") << QByteArray() << 123 << 12300 << 16777339;
    QTest::newRow("upper-case extension") << QByteArray("00000003.PRO") << QByteArray() << 3 << 300 << 16777219;
    QTest::newRow("hexadecimal") << QByteArray("$000007F.pro") << QByteArray() << 127 << 12700 << 16777343;
    QTest::newRow("negative") << QByteArray("-0000001.pro") << QByteArray() << -1 << -100 << 16777215;
    QTest::newRow("text ID wraps") << QByteArray("99999999.pro") << QByteArray() << 99999999 << 1410065308 << 116777215;
    QTest::newRow("hexadecimal text ID wraps") << QByteArray("$7FFFFFF.pro") << QByteArray() << 134217727 << 536870812 << 150994943;
    QTest::newRow("letters") << QByteArray("rat.pro") << QByteArray("'rat.pro' is not a valid integer value") << 0 << 0 << 0;
    QTest::newRow("short number") << QByteArray("1234567.pro") << QByteArray("'1234567.' is not a valid integer value") << 0 << 0 << 0;
    QTest::newRow("two-byte eighth character") << QByteArray("0000001\xc3\xa9.pro") << QByteArray("'0000001\xc3\xa9' is not a valid integer value") << 0 << 0 << 0;
}

void TestLibrary::fileNumbers()
{
    QFETCH(QByteArray, fileName);
    QFETCH(QByteArray, error);
    QFETCH(int, number);
    QFETCH(int, textId);
    QFETCH(int, pidNumber);
    if (!error.isEmpty()) {
        try {
            FileNumberOf(Str(fileName));
            QFAIL("the conversion must fail");
        } catch (const ConvertError& e) {
            QCOMPARE(QByteArray(e.what()), error);
        }
        return;
    }
    QCOMPARE(FileNumberOf(Str(fileName)), number);
    QCOMPARE(TextIdOfFileNumber(number), textId);
    QCOMPARE(PidNumberOfFileNumber(number), pidNumber);
}

void TestLibrary::scanOfFolderWithoutPrototypes()
{
    // No name table either: it is only read when a file needs a name.
    const fs::path game = FreshFolder("empty-game");
    WriteTextFile(game / "readme.txt", "x");
    fs::create_directories(game / "00000001.pro"); // a folder, not a file
    const fs::path temp = Path("empty-run/deep/temp");
    ScanGameFolder(game, game / "pro_crit.ini", temp);
    QCOMPARE(ReadBytes(temp / "tmp.txt"), std::string());
    QCOMPARE(ReadBytes(temp / "listfiles.txt"), std::string());
    QVERIFY(ReadNamesFile(temp).empty());
}

void TestLibrary::scanWritesNamesAndNumbersInListingOrder()
{
    const fs::path game = FreshFolder("game");
    for (const char* name : {"00000010.pro", "00000003.pro", "00000002.PRO", "00000004.pro"})
        ProtoBuilder(416).WriteTo(game / name);
    WriteTextFile(game / "pro_crit.ini", "[Description]\r\n200=Mole Rat\r\n300=Rat\r\n1000=\xe9l\xe8ve\r\n");
    const fs::path temp = Path("run/temp");
    WriteTextFile(temp / "tmp.txt", "stale\r\nlines\r\nfrom\r\nbefore\r\nand more\r\n");

    ScanGameFolder(game, game / "pro_crit.ini", temp);
    QCOMPARE(ReadBytes(temp / "tmp.txt"), std::string("Mole Rat\r\nRat\r\n\r\n\xe9l\xe8ve\r\n"));
    QCOMPARE(ReadBytes(temp / "listfiles.txt"), std::string("200\r\n300\r\n400\r\n1000\r\n"));
    QCOMPARE(ReadNamesFile(temp), (std::vector<std::string>{"Mole Rat", "Rat", "", "\xe9l\xe8ve"}));

    fs::remove(temp / "tmp.txt");
    QVERIFY_THROWS_EXCEPTION(IoError, ReadNamesFile(temp));
}

void TestLibrary::scanStopsAtFileNameThatIsNotANumber()
{
    const fs::path game = FreshFolder("rat-game");
    for (const char* name : {"00000001.pro", "00000002.pro", "rat.pro", "zzzzzzzz.pro"})
        ProtoBuilder(412).WriteTo(game / name);
    WriteTextFile(game / "pro_crit.ini", "[Description]\r\n100=Gecko\r\n200=Trader\r\n");
    const fs::path temp = Path("rat-run/temp");
    try {
        ScanGameFolder(game, game / "pro_crit.ini", temp);
        QFAIL("the scan must stop at rat.pro");
    } catch (const ConvertError& e) {
        QCOMPARE(std::string(e.what()), std::string("'rat.pro' is not a valid integer value"));
    }
    // The files are closed and keep the lines written before the failure.
    QCOMPARE(ReadBytes(temp / "tmp.txt"), std::string("Gecko\r\nTrader\r\n"));
    QCOMPARE(ReadBytes(temp / "listfiles.txt"), std::string("100\r\n200\r\n"));
}

void TestLibrary::listingNamesPairEachFileWithItsOwnName()
{
    const fs::path game = FreshFolder("listing");
    for (const char* name : {"00000001.pro", "00000002.pro", "00000003.pro"})
        ProtoBuilder(416).WriteTo(game / name);
    WriteTextFile(game / "pro_crit.ini", "[Description]\r\n100=One\r\n200=Two\r\n300=Three\r\n400=Four\r\n");
    const fs::path temp = Path("listing-temp");
    const GameFolderScanResult scan = ScanGameFolder(game, game / "pro_crit.ini", temp);
    QCOMPARE(scan.files, (std::vector<std::string>{"00000001.pro", "00000002.pro", "00000003.pro"}));

    // Unchanged folder: the names file line by line.
    const ListingNames same(scan, ReadNamesFile(temp));
    QCOMPARE(same.NameOf("00000001.pro"), std::string("One"));
    QCOMPARE(same.NameOf("00000003.pro"), std::string("Three"));

    // A file added before the scanned ones and one removed: each keeps its own name;
    // the new one is named from the table the scan read (not read again).
    WriteTextFile(game / "pro_crit.ini", "[Description]\r\n400=Changed\r\n");
    const ListingNames later(scan, ReadNamesFile(temp));
    QCOMPARE(later.NameOf("00000004.pro"), std::string("Four"));
    QCOMPARE(later.NameOf("00000003.pro"), std::string("Three"));
    QCOMPARE(later.NameOf("00000009.pro"), std::string());
    QVERIFY_THROWS_EXCEPTION(ConvertError, later.NameOf("critter.pro"));

    // A names file shorter than the scan: the files without a line have no name.
    const ListingNames shortLines(scan, {"One"});
    QCOMPARE(shortLines.NameOf("00000002.pro"), std::string());

    // An empty folder reads no table: a file added later has no name.
    const fs::path empty = FreshFolder("listing-empty");
    const GameFolderScanResult none = ScanGameFolder(empty, game / "pro_crit.ini", temp);
    QVERIFY(!none.table);
    QCOMPARE(ListingNames(none, ReadNamesFile(temp)).NameOf("00000001.pro"), std::string());
}

void TestLibrary::scanWithoutNameTable()
{
    const fs::path game = FreshFolder("tableless");
    ProtoBuilder(416).WriteTo(game / "00000001.pro");
    ProtoBuilder(416).WriteTo(game / "00000002.pro");
    const fs::path temp = Path("tableless-run/temp");
    WriteTextFile(temp / "tmp.txt", "old\r\n");
    try {
        ScanGameFolder(game, game / "pro_crit.ini", temp);
        QFAIL("the scan must fail without its name table");
    } catch (const IoError& e) {
        QCOMPARE(e.code(), 2);
    }
    QCOMPARE(ReadBytes(temp / "tmp.txt"), std::string());
    QCOMPARE(ReadBytes(temp / "listfiles.txt"), std::string("100\r\n"));

    // A temp folder that cannot be made is an input/output error, not a crash.
    WriteTextFile(Path("plain-file"), "x");
    QVERIFY_THROWS_EXCEPTION(IoError, ScanGameFolder(game, game / "pro_crit.ini", Path("plain-file") / "temp"));
}

void TestLibrary::scanOfRealFoldersMatchesReader_data()
{
    QTest::addColumn<QString>("game");
    QTest::newRow("first game") << "FO1";
    QTest::newRow("second game") << "FO2";
}

// Real tables (CRLF, Windows-1252) and real upper-case .PRO names.
void TestLibrary::scanOfRealFoldersMatchesReader()
{
    QFETCH(QString, game);
    const fs::path folder = fs::path(QUARNEL_SHARED_TESTDATA) / game.toStdString();
    if (!fs::exists(folder / "pro_crit.ini"))
        QSKIP("real sample files are not present");
    const fs::path temp = Path("real-" + game.toStdString());
    ScanGameFolder(folder, folder / "pro_crit.ini", temp);

    const std::vector<std::string> files = ListFolderFiles(folder, ".pro");
    const std::vector<std::string> names = ReadNamesFile(temp);
    QCOMPARE(names.size(), files.size());
    QVERIFY(files.size() >= 20);
    int named = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string key = IntToStr(TextIdOfFileNumber(FileNumberOf(files[i])));
        QCOMPARE(names[i], ReadIniValue(folder / "pro_crit.ini", "Description", key));
        QVERIFY(names[i].find('\r') == std::string::npos);
        QVERIFY(IsValidUtf8(NameToUtf8(names[i])));
        named += !names[i].empty();
    }
    QVERIFY(named > 0);
}

void TestLibrary::sampleFolders_data()
{
    QTest::addColumn<QString>("game");
    QTest::addColumn<int>("recordSize");
    QTest::addColumn<int>("minimumCount");
    QTest::newRow("first game") << "FO1" << 412 << 8;
    QTest::newRow("second game") << "FO2" << 416 << 20;
}

// The demo folders that the run command stages and the window tests start from.
void TestLibrary::sampleFolders()
{
    QFETCH(QString, game);
    QFETCH(int, recordSize);
    QFETCH(int, minimumCount);
    const fs::path folder = fs::path(QUARNEL_SAMPLE_DIR) / game.toStdString();
    const fs::path temp = Path("sample-" + game.toStdString());
    ScanGameFolder(folder, folder / "pro_crit.ini", temp);
    const std::vector<std::string> files = ListFolderFiles(folder, ".pro");
    const std::vector<std::string> names = ReadNamesFile(temp);
    QVERIFY(static_cast<int>(files.size()) >= minimumCount);
    QCOMPARE(names.size(), files.size());
    int unnamed = 0;
    int females = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string bytes = ReadBytes(folder / files[i]);
        QCOMPARE(static_cast<int>(bytes.size()), recordSize);
        unnamed += names[i].empty();
        females += bytes[187] == 1;
        QVERIFY(IsValidUtf8(NameToUtf8(names[i])));
    }
    QCOMPARE(unnamed, 1);
    QVERIFY(females >= 1);
    if (game == "FO2") {
        // The critter of the end-to-end edit: base ST 5 and EN 5 at offsets 48 and 56.
        const std::string bytes = ReadBytes(folder / "00000123.pro");
        QCOMPARE(bytes.substr(48, 4), std::string("\0\0\0\x05", 4));
        QCOMPARE(bytes.substr(56, 4), std::string("\0\0\0\x05", 4));
    }
}

QTEST_GUILESS_MAIN(TestLibrary)
#include "test_library.moc"
