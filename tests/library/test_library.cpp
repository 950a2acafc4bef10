// The name table reader and its one-pass lookup, the name decoding, and the
// folder scan with its scratch files.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "library/GameFolderScan.h"
#include "library/IniFile.h"
#include "library/NameTable.h"
#include "library/TextEncoding.h"
#include "platform/Utf8.h"
#include "platform/Errors.h"
#include "platform/FolderListing.h"
#include "platform/IntegerText.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"
#include "TestDataFolders.h"

#include <random>
#include <string>
#include <vector>

using namespace quarnel;
using namespace std::string_literals;
using quarnel::test::ProtoBuilder;
using quarnel::test::ScratchFolder;
using quarnel::test::WriteTextFile;
namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& file)
{
    const auto bytes = quarnel::test::ReadAllBytes(file);
    return {bytes.begin(), bytes.end()};
}

// Percent-encodes the bytes outside printable ASCII, for a readable failure message.
std::string Escaped(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text)
        if (c >= 0x20 && c < 0x7F && c != '%')
            out += char(c);
        else
            out += {'%', digits[c >> 4], digits[c & 15]};
    return out;
}

} // namespace

// Each case is checked through the reader and through the one-pass table.
TEST_CASE("the ini reader's quirks, through the reader and the name table")
{
    struct Row {
        const char* name;
        std::string table;
        std::string section;
        std::string key;
        std::string expected;
    };
    const std::string rat = "[Description]\r\n300=Rat\r\n400=Dog\r\n";
    const Row rows[] = {
        {"plain line", rat, "Description", "300", "Rat"},
        {"last line with line end", rat, "Description", "400", "Dog"},
        {"last line without line end", "[Description]\r\n300=Rat\r\n400=Dog", "Description", "400", "Dog"},
        {"LF line ends", "[Description]\n300=Rat\n400=Dog\n", "Description", "300", "Rat"},
        {"CR at the very end", "[Description]\r\n300=Rat\r", "Description", "300", "Rat"},
        {"lone CR stays in the line", "[Description]\r\n300=Rat\r\r\n400=Dog\r\n", "Description", "300", "Rat\r"},
        {"missing key", rat, "Description", "500", ""},
        {"key is not a prefix", "[Description]\r\n3000=Big\r\n300=Rat\r\nend\r\n", "Description", "300", "Rat"},
        {"section lower case", "[description]\r\n300=Rat\r\n", "Description", "300", "Rat"},
        {"section capitals", "[DESCRIPTION]\r\n300=Rat\r\n", "Description", "300", "Rat"},
        {"header with a trailing blank", "[Description] \r\n300=Rat\r\n", "Description", "300", ""},
        {"header with a leading blank", " [Description]\r\n300=Rat\r\n", "Description", "300", ""},
        {"header as last line", "300=Rat\r\n[Description]\r\n", "Description", "300", ""},
        {"empty file", "", "Description", "300", ""},
        {"key case a to z", "[Description]\r\nrat=Low\r\nend\r\n", "Description", "RaT", "Low"},
        {"key case z", "[Description]\r\nzz=Low\r\nend\r\n", "Description", "ZZ", "Low"},
        {"key case Z asked lower", "[Description]\r\nZA=Up\r\nend\r\n", "Description", "za", "Up"},
        {"signs beside the letters keep case", "[Description]\r\n@[`{=No\r\nend\r\n", "Description", "`{@[", ""},
        {"section case z", "[Zoo]\r\n300=Rat\r\n", "zoo", "300", "Rat"},
        {"non-ASCII letters keep case", "[Description]\r\n\xe9=Low\r\nend\r\n", "Description", "\xc9", ""},
        {"blank before = belongs to key", "[Description]\r\n300 =Rat\r\n", "Description", "300", ""},
        {"key with the blank", "[Description]\r\n300 =Rat\r\n", "Description", "300 ", "Rat"},
        {"key text not trimmed", rat, "Description", " 300", ""},
        {"value keeps blanks", "[Description]\r\n300= Rat \r\n", "Description", "300", " Rat "},
        {"value keeps =", "[Description]\r\n500=A=B\r\n", "Description", "500", "A=B"},
        {"empty value", "[Description]\r\n101=\r\n300=Rat\r\n", "Description", "101", ""},
        {"first duplicate wins", "[Description]\r\n300=Rat\r\nrat=x\r\n300=Dog\r\n", "Description", "300", "Rat"},
        {"first duplicate wins across case", "[Description]\r\nabc=One\r\nABC=Two\r\n", "Description", "Abc", "One"},
        {"key of a later section", "[Description]\r\n300=Rat\r\n[Other]\r\n400=Dog\r\n", "Description", "400", ""},
        {"key of an earlier section", "[Other]\r\n300=Rat\r\n[Description]\r\n400=Dog\r\n", "Description", "300", ""},
        {"second header ends the first", "[Description]\r\n100=A\r\n[Description]\r\n300=Rat\r\n", "Description", "300",
         ""},
        {"other section asked for", "[Description]\r\n300=Rat\r\n[Other]\r\n300=Dog\r\n", "other", "300", "Dog"},
        {"blank lines between", "[Description]\r\n\r\n\r\n300=Rat\r\n", "Description", "300", "Rat"},
        {"section-ending line answers its own key", "[Description]\r\n100=A\r\n[X=Y]\r\n", "Description", "[x", "Y]"},
        {"empty key: line without =", "[Description]\r\nplain\r\n300=Rat\r\n", "Description", "", "plain"},
        {"empty key: empty line is a blank", "[Description]\r\n\r\n300=Rat\r\n", "Description", "", " "},
        {"empty key: line starting with =", "[Description]\r\n300=Rat\r\n=Nameless\r\nend\r\n", "Description", "",
         "Nameless"},
    };
    ScratchFolder dir;
    const fs::path file = dir.path / "quirks.ini";
    for (const Row& row : rows) {
        CAPTURE(row.name);
        WriteTextFile(file, row.table);
        CHECK(ReadIniValue(file, row.section, row.key) == row.expected);
        CHECK(NameTable::Load(file, row.section).Lookup(row.key) == row.expected);
    }
}

TEST_CASE("ini file names: .ini appended, a missing table is File not found")
{
    // ".ini" is appended to a file name without '.', even inside a folder with one.
    ScratchFolder dir;
    const fs::path folder = dir.path / "tables.v1";
    WriteTextFile(folder / "names.ini", "[Description]\r\n300=Rat\r\n");
    CHECK(ReadIniValue(folder / "names", "Description", "300") == "Rat");
    CHECK(NameTable::Load(folder / "names").Lookup("300") == "Rat");

    for (const fs::path& missing : {folder / "absent.ini", folder / "absent"}) {
        CAPTURE(missing.filename().string());
        try {
            ReadIniValue(missing, "Description", "300");
            FAIL("reading a missing table must fail");
        } catch (const IoError& e) {
            CHECK(e.code() == 2);
            CHECK(std::string(e.what()) == "File not found");
        }
        CHECK_THROWS_AS(NameTable::Load(missing), IoError);
    }
}

// Random tables built from the lines that make the reader's quirks show:
// headers in other cases or with blanks, duplicate keys, keys with blanks,
// lines without '=', blank lines, '=' in values, mixed line ends. For every
// section and key asked, the table must answer what the reader answers.
TEST_CASE("the name table agrees with the reader on generated tables")
{
    const std::vector<std::string> headers = {
        "[Description]", "[description]", "[DESCRIPTION]", "[Description] ", "[Other]", "[]", "[Descriptio]"};
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
    ScratchFolder dir;
    const fs::path file = dir.path / "generated.ini";
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
                    FAIL("table " << Escaped(text) << ", section '" << section << "', key '" << Escaped(key) << "': '"
                                  << Escaped(table.Lookup(key)) << "' instead of '" << Escaped(expected) << "'");
                answered += !expected.empty();
            }
        }
    }
    CHECK(answered > 1000); // the tables really found values, not only empty answers
}

TEST_CASE("a name with no file around it: valid UTF-8 kept, anything else read as Windows-1252")
{
    const std::pair<std::string, std::string> rows[] = {
        {"Mole Rat", "Mole Rat"},                                 // ASCII
        {"Caf\xe9 \x80", "Caf\xc3\xa9 \xe2\x82\xac"},             // Windows-1252
        {"Caf\xc3\xa9 \xe2\x82\xac", "Caf\xc3\xa9 \xe2\x82\xac"}, // UTF-8 untouched
        {"\xf0\x9f\x90\x80", "\xf0\x9f\x90\x80"},                 // UTF-8 four bytes
        {"\xe9\xc3\xa9", "\xc3\xa9\xc3\x83\xc2\xa9"},             // mixed is not UTF-8
        {"\xc0\xaf", "\xc3\x80\xc2\xaf"},                         // overlong form
        {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xe2\x82\xac"},         // surrogate
        {"\xe2\x82", "\xc3\xa2\xe2\x80\x9a"},                     // cut sequence
    };
    for (const auto& [raw, utf8] : rows) {
        CAPTURE(Escaped(raw));
        CHECK(NameToUtf8(raw) == utf8);
        CHECK(DecodeName(raw, NameEncoding::Automatic) == utf8);
    }
}

// Expected characters written out from the code pages' published tables; a
// byte a code page leaves unassigned reads as the C1 control of its number.
TEST_CASE("each code page decodes every byte from 0x80 to 0xFF")
{
    struct Row {
        NameEncoding encoding;
        std::u32string expected;
    };
    const Row rows[] = {
        {NameEncoding::Cp1250, U"€\u0081‚\u0083„…†‡\u0088‰Š‹ŚŤŽŹ"
                               U"\u0090‘’“”•–—\u0098™š›śťžź"
                               U"\u00A0ˇ˘Ł¤Ą¦§¨©Ş«¬\u00AD®Ż"
                               U"°±˛ł´µ¶·¸ąş»Ľ˝ľż"
                               U"ŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎ"
                               U"ĐŃŇÓÔŐÖ×ŘŮÚŰÜÝŢß"
                               U"ŕáâăäĺćçčéęëěíîď"
                               U"đńňóôőö÷řůúűüýţ˙"},
        {NameEncoding::Cp1251, U"ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏ"
                               U"ђ‘’“”•–—\u0098™љ›њќћџ"
                               U"\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї"
                               U"°±Ііґµ¶·ё№є»јЅѕї"
                               U"АБВГДЕЖЗИЙКЛМНОП"
                               U"РСТУФХЦЧШЩЪЫЬЭЮЯ"
                               U"абвгдежзийклмноп"
                               U"рстуфхцчшщъыьэюя"},
        {NameEncoding::Cp1252, U"€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F"
                               U"\u0090‘’“”•–—˜™š›œ\u009DžŸ"
                               U"\u00A0¡¢£¤¥¦§¨©ª«¬\u00AD®¯"
                               U"°±²³´µ¶·¸¹º»¼½¾¿"
                               U"ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏ"
                               U"ÐÑÒÓÔÕÖ×ØÙÚÛÜÝÞß"
                               U"àáâãäåæçèéêëìíîï"
                               U"ðñòóôõö÷øùúûüýþÿ"},
    };
    std::string ascii;
    for (int b = 0; b < 0x80; ++b)
        ascii += static_cast<char>(b);
    for (const Row& row : rows) {
        CAPTURE(NameEncodingCaption(row.encoding));
        REQUIRE(row.expected.size() == 128);
        CHECK(DecodeName(ascii, row.encoding) == ascii);
        int unassigned = 0;
        for (int b = 0x80; b <= 0xFF; ++b) {
            CAPTURE(b);
            std::string utf8;
            AppendUtf8(utf8, row.expected[b - 0x80]);
            CHECK(DecodeName(std::string(1, static_cast<char>(b)), row.encoding) == utf8);
            const bool isControl = row.expected[b - 0x80] == static_cast<char32_t>(b) && b < 0xA0;
            CHECK(FirstUndecodableByte("ab" + std::string(1, static_cast<char>(b)), row.encoding) ==
                  (isControl ? std::optional<std::size_t>(2) : std::nullopt));
            unassigned += isControl;
        }
        CHECK(unassigned == (row.encoding == NameEncoding::Cp1251 ? 1 : 5));
    }
}

TEST_CASE("the encoding is decided once per file, from all its bytes and its language")
{
    // "Mesto" with its Czech letters in Windows-1250 happens to be valid UTF-8
    // on its own; the file as a whole is not.
    const std::string mestan = "M\xec\x9a\x9d"
                               "an";
    const std::string file = "{100}{}{" + mestan + "}\n{200}{}{\x8elu\x9dou\xe8k\xfd}\n";
    const std::string utf8File = "{100}{}{M\xc4\x9b\xc5\xa1\xc5\xa5"
                                 "an}\n";
    struct Row {
        const std::string& bytes;
        const char* language;
        NameEncoding chosen;
        NameEncoding expected;
    };
    const Row rows[] = {
        {file, "czech", NameEncoding::Automatic, NameEncoding::Cp1250},
        {file, "Polish", NameEncoding::Automatic, NameEncoding::Cp1250},
        {file, "HUNGARIAN", NameEncoding::Automatic, NameEncoding::Cp1250},
        {file, "russian", NameEncoding::Automatic, NameEncoding::Cp1251},
        {file, "ukrainian", NameEncoding::Automatic, NameEncoding::Cp1251},
        {file, "german", NameEncoding::Automatic, NameEncoding::Cp1252},
        {file, "", NameEncoding::Automatic, NameEncoding::Cp1252},
        {utf8File, "russian", NameEncoding::Automatic, NameEncoding::Utf8},
        {utf8File, "", NameEncoding::Cp1251, NameEncoding::Cp1251},
        {file, "czech", NameEncoding::Utf8, NameEncoding::Utf8},
    };
    for (const Row& row : rows) {
        CAPTURE(row.language);
        CHECK(ChooseNameEncoding(row.bytes, row.language, row.chosen) == row.expected);
    }
    CHECK(DecodeName(mestan, ChooseNameEncoding(file, "czech", NameEncoding::Automatic)) == "M\xc4\x9b\xc5\xa1\xc5\xa5"
                                                                                            "an");
    // UTF-8 chosen for bytes that are not: each stray byte is U+FFFD, never invalid output.
    CHECK(DecodeName("a\xff"
                     "b\xe2\x82",
                     NameEncoding::Utf8) == "a\xef\xbf\xbd"
                                            "b\xef\xbf\xbd\xef\xbf\xbd");
    CHECK(FirstUndecodableByte("\xc3\xa9\xe2\x82", NameEncoding::Utf8) == std::optional<std::size_t>(2));
    CHECK(FirstUndecodableByte("\xc3\xa9", NameEncoding::Utf8) == std::nullopt);
    CHECK(NameEncodingFromOption("UTF-8") == NameEncoding::Utf8);
    CHECK(NameEncodingFromOption("Cp1250") == NameEncoding::Cp1250);
    CHECK(NameEncodingFromOption("cp1253") == std::nullopt);
}

TEST_CASE("file numbers, their text IDs and PID numbers")
{
    struct Row {
        const char* fileName;
        int number;
        int textId;
        int pidNumber;
    };
    const Row rows[] = {
        {"00000123.pro", 123, 12300, 16777339},
        {"00000003.PRO", 3, 300, 16777219},                // upper-case extension
        {"$000007F.pro", 127, 12700, 16777343},            // hexadecimal
        {"-0000001.pro", -1, -100, 16777215},              // negative
        {"99999999.pro", 99999999, 1410065308, 116777215}, // text ID wraps
        {"$7FFFFFF.pro", 134217727, 536870812, 150994943}, // hexadecimal text ID wraps
    };
    for (const Row& row : rows) {
        CAPTURE(row.fileName);
        CHECK(FileNumberOf(row.fileName) == row.number);
        CHECK(TextIdOfFileNumber(row.number) == row.textId);
        CHECK(PidNumberOfFileNumber(row.number) == row.pidNumber);
    }
    const std::pair<const char*, const char*> failures[] = {
        {"rat.pro", "'rat.pro' is not a valid integer value"},
        {"1234567.pro", "'1234567.' is not a valid integer value"},
        {"0000001\xc3\xa9.pro", "'0000001\xc3\xa9' is not a valid integer value"}, // two-byte eighth character
    };
    for (const auto& [fileName, error] : failures) {
        CAPTURE(fileName);
        try {
            FileNumberOf(fileName);
            FAIL("the conversion must fail");
        } catch (const ConvertError& e) {
            CHECK(std::string(e.what()) == error);
        }
    }
}

TEST_CASE("a folder without prototypes scans to empty scratch files")
{
    // No name table either: it is only read when a file needs a name.
    ScratchFolder dir;
    const fs::path game = dir.path / "empty-game";
    fs::create_directories(game);
    WriteTextFile(game / "readme.txt", "x");
    fs::create_directories(game / "00000001.pro"); // a folder, not a file
    const fs::path temp = dir.path / "empty-run" / "deep" / "temp";
    ScanGameFolder(game, game / "pro_crit.ini", temp);
    CHECK(ReadBytes(temp / "tmp.txt") == "");
    CHECK(ReadBytes(temp / "listfiles.txt") == "");
    CHECK(ReadNamesFile(temp).empty());
}

TEST_CASE("the scan writes names and numbers in listing order")
{
    ScratchFolder dir;
    const fs::path game = dir.path / "game";
    for (const char* name : {"00000010.pro", "00000003.pro", "00000002.PRO", "00000004.pro"})
        ProtoBuilder(416).WriteTo(game / name);
    WriteTextFile(game / "pro_crit.ini", "[Description]\r\n200=Mole Rat\r\n300=Rat\r\n1000=\xe9l\xe8ve\r\n");
    const fs::path temp = dir.path / "run" / "temp";
    WriteTextFile(temp / "tmp.txt", "stale\r\nlines\r\nfrom\r\nbefore\r\nand more\r\n");

    ScanGameFolder(game, game / "pro_crit.ini", temp);
    CHECK(ReadBytes(temp / "tmp.txt") == "Mole Rat\r\nRat\r\n\r\n\xe9l\xe8ve\r\n");
    CHECK(ReadBytes(temp / "listfiles.txt") == "200\r\n300\r\n400\r\n1000\r\n");
    CHECK(ReadNamesFile(temp) == std::vector<std::string>{"Mole Rat", "Rat", "", "\xe9l\xe8ve"});

    fs::remove(temp / "tmp.txt");
    CHECK_THROWS_AS(ReadNamesFile(temp), IoError);
}

TEST_CASE("the scan stops at a file name that is not a number")
{
    ScratchFolder dir;
    const fs::path game = dir.path / "rat-game";
    for (const char* name : {"00000001.pro", "00000002.pro", "rat.pro", "zzzzzzzz.pro"})
        ProtoBuilder(412).WriteTo(game / name);
    WriteTextFile(game / "pro_crit.ini", "[Description]\r\n100=Gecko\r\n200=Trader\r\n");
    const fs::path temp = dir.path / "rat-run" / "temp";
    try {
        ScanGameFolder(game, game / "pro_crit.ini", temp);
        FAIL("the scan must stop at rat.pro");
    } catch (const ConvertError& e) {
        CHECK(std::string(e.what()) == "'rat.pro' is not a valid integer value");
    }
    // The files are closed and keep the lines written before the failure.
    CHECK(ReadBytes(temp / "tmp.txt") == "Gecko\r\nTrader\r\n");
    CHECK(ReadBytes(temp / "listfiles.txt") == "100\r\n200\r\n");
}

TEST_CASE("a later listing pairs each file with its own name")
{
    ScratchFolder dir;
    const fs::path game = dir.path / "listing";
    for (const char* name : {"00000001.pro", "00000002.pro", "00000003.pro"})
        ProtoBuilder(416).WriteTo(game / name);
    WriteTextFile(game / "pro_crit.ini", "[Description]\r\n100=One\r\n200=Two\r\n300=Three\r\n400=Four\r\n");
    const fs::path temp = dir.path / "listing-temp";
    const GameFolderScanResult scan = ScanGameFolder(game, game / "pro_crit.ini", temp);
    CHECK(scan.files == std::vector<std::string>{"00000001.pro", "00000002.pro", "00000003.pro"});

    // Unchanged folder: the names file line by line.
    const ListingNames same(scan, ReadNamesFile(temp));
    CHECK(same.NameOf("00000001.pro") == "One");
    CHECK(same.NameOf("00000003.pro") == "Three");

    // A file added before the scanned ones and one removed: each keeps its own name;
    // the new one is named from the table the scan read (not read again).
    WriteTextFile(game / "pro_crit.ini", "[Description]\r\n400=Changed\r\n");
    const ListingNames later(scan, ReadNamesFile(temp));
    CHECK(later.NameOf("00000004.pro") == "Four");
    CHECK(later.NameOf("00000003.pro") == "Three");
    CHECK(later.NameOf("00000009.pro") == "");
    CHECK_THROWS_AS(later.NameOf("critter.pro"), ConvertError);

    // A names file shorter than the scan: the files without a line have no name.
    const ListingNames shortLines(scan, {"One"});
    CHECK(shortLines.NameOf("00000002.pro") == "");

    // An empty folder reads no table: a file added later has no name.
    const fs::path empty = dir.path / "listing-empty";
    fs::create_directories(empty);
    const GameFolderScanResult none = ScanGameFolder(empty, game / "pro_crit.ini", temp);
    CHECK_FALSE(none.table);
    CHECK(ListingNames(none, ReadNamesFile(temp)).NameOf("00000001.pro") == "");
}

TEST_CASE("a scan without its name table fails after the first file")
{
    ScratchFolder dir;
    const fs::path game = dir.path / "tableless";
    ProtoBuilder(416).WriteTo(game / "00000001.pro");
    ProtoBuilder(416).WriteTo(game / "00000002.pro");
    const fs::path temp = dir.path / "tableless-run" / "temp";
    WriteTextFile(temp / "tmp.txt", "old\r\n");
    try {
        ScanGameFolder(game, game / "pro_crit.ini", temp);
        FAIL("the scan must fail without its name table");
    } catch (const IoError& e) {
        CHECK(e.code() == 2);
    }
    CHECK(ReadBytes(temp / "tmp.txt") == "");
    CHECK(ReadBytes(temp / "listfiles.txt") == "100\r\n");

    // A temp folder that cannot be made is an input/output error, not a crash.
    WriteTextFile(dir.path / "plain-file", "x");
    CHECK_THROWS_AS(ScanGameFolder(game, game / "pro_crit.ini", dir.path / "plain-file" / "temp"), IoError);
}

// Real tables (CRLF, Windows-1252) and real upper-case .PRO names.
TEST_CASE("the scan of the real folders matches the reader")
{
    for (const char* game : {"FO1", "FO2"}) {
        CAPTURE(game);
        const fs::path folder = quarnel::test::DataFolder(QUARNEL_SHARED_TESTDATA) / game;
        if (!quarnel::test::IsPresent(folder / "pro_crit.ini")) {
            quarnel::test::ReportSkipped(std::string("real sample files are not present: ") + game);
            continue;
        }
        ScratchFolder dir;
        const fs::path temp = dir.path / "temp";
        ScanGameFolder(folder, folder / "pro_crit.ini", temp);

        const std::vector<std::string> files = ListFolderFiles(folder, ".pro");
        const std::vector<std::string> names = ReadNamesFile(temp);
        REQUIRE(names.size() == files.size());
        CHECK(files.size() >= 20);
        int named = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            CAPTURE(files[i]);
            const std::string key = IntToStr(TextIdOfFileNumber(FileNumberOf(files[i])));
            CHECK(names[i] == ReadIniValue(folder / "pro_crit.ini", "Description", key));
            CHECK(names[i].find('\r') == std::string::npos);
            CHECK(IsValidUtf8(NameToUtf8(names[i])));
            named += !names[i].empty();
        }
        CHECK(named > 0);
    }
}

// The demo folders that the run command stages and the window tests start from.
TEST_CASE("the sample folders hold named critters of their game's size")
{
    struct Row {
        const char* game;
        int recordSize;
        int minimumCount;
    };
    for (const Row& row : {Row{"FO1", 412, 8}, Row{"FO2", 416, 20}}) {
        CAPTURE(row.game);
        const fs::path folder = quarnel::test::DataFolder(QUARNEL_SAMPLE_DIR) / row.game;
        ScratchFolder dir;
        const fs::path temp = dir.path / "temp";
        ScanGameFolder(folder, folder / "pro_crit.ini", temp);
        const std::vector<std::string> files = ListFolderFiles(folder, ".pro");
        const std::vector<std::string> names = ReadNamesFile(temp);
        CHECK(static_cast<int>(files.size()) >= row.minimumCount);
        REQUIRE(names.size() == files.size());
        int unnamed = 0;
        int females = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            CAPTURE(files[i]);
            const std::string bytes = ReadBytes(folder / files[i]);
            REQUIRE(static_cast<int>(bytes.size()) == row.recordSize);
            unnamed += names[i].empty();
            females += bytes[187] == 1;
            CHECK(IsValidUtf8(NameToUtf8(names[i])));
        }
        CHECK(unnamed == 1);
        CHECK(females >= 1);
        if (std::string(row.game) == "FO2") {
            // The critter of the end-to-end edit: base ST 5 and EN 5 at offsets 48 and 56.
            const std::string bytes = ReadBytes(folder / "00000123.pro");
            CHECK(bytes.substr(48, 4) == "\0\0\0\x05"s);
            CHECK(bytes.substr(56, 4) == "\0\0\0\x05"s);
        }
    }
}
