// Field access to prototype files: byte-exact round trips at every width,
// two's complement, untouched bytes and lengths, and the error paths.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "platform/Errors.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "ProtoBuilder.h"
#include "RecordOffsets.h"
#include "ScratchFolder.h"
#include "TestDataFolders.h"

#include <map>
#include <string>
#include <vector>

using namespace quarnel;
using quarnel::test::kRecordFields;
using quarnel::test::ProtoBuilder;
using quarnel::test::ReadAllBytes;
using quarnel::test::ScratchFolder;
namespace fs = std::filesystem;

TEST_CASE("fields decode big-endian, unsigned below four bytes")
{
    struct Row {
        const char* name;
        int width;
        std::vector<std::uint8_t> bytes;
        int expected;
    };
    const Row rows[] = {
        {"1 byte is unsigned", 1, {0xFF}, 255},
        {"2 bytes are unsigned", 2, {0xFF, 0xFE}, 65534},
        {"3 bytes are unsigned", 3, {0xFF, 0xFF, 0xFF}, 16777215},
        {"4 bytes minus one", 4, {0xFF, 0xFF, 0xFF, 0xFF}, -1},
        {"4 bytes minimum", 4, {0x80, 0x00, 0x00, 0x00}, int(-2147483647 - 1)},
        {"4 bytes text id", 4, {0x00, 0x00, 0x30, 0x0C}, 12300},
    };
    ScratchFolder dir;
    for (const Row& row : rows) {
        CAPTURE(row.name);
        std::vector<std::uint8_t> raw = ProtoBuilder(412).Bytes();
        std::copy(row.bytes.begin(), row.bytes.end(), raw.begin() + 100);
        quarnel::test::WriteAllBytes(dir.path / "r.pro", raw);
        CHECK(ReadProField(dir.path / "r.pro", 100, row.width) == row.expected);
    }
}

TEST_CASE("a write stores two's complement and keeps every other byte")
{
    struct Row {
        const char* name;
        int size;
        int offset;
        int width;
        const char* text;
        std::vector<std::uint8_t> stored;
    };
    const Row rows[] = {
        {"minus one", 416, 48, 4, "-1", {0xFF, 0xFF, 0xFF, 0xFF}},
        {"minus 300", 416, 188, 4, "-300", {0xFF, 0xFF, 0xFE, 0xD4}},
        {"pid number", 412, 2, 2, "5", {0x00, 0x05}},
        {"low bytes of a wide value", 412, 2, 2, "65541", {0x00, 0x05}},
        {"one byte", 416, 11, 1, "$1F", {0x1F}},
        {"three bytes", 416, 8, 3, "-2", {0xFF, 0xFF, 0xFE}},
        {"last field of a 412-byte file", 412, 408, 4, "2147483647", {0x7F, 0xFF, 0xFF, 0xFF}},
    };
    ScratchFolder dir;
    for (const Row& row : rows) {
        CAPTURE(row.name);
        const fs::path file = dir.path / "w.pro";
        ProtoBuilder builder(row.size);
        builder.WriteTo(file);
        WriteProField(file, row.offset, row.width, row.text);
        std::vector<std::uint8_t> expected = builder.Bytes();
        std::copy(row.stored.begin(), row.stored.end(), expected.begin() + row.offset);
        CHECK(ReadAllBytes(file) == expected);
        std::uint32_t value = 0;
        for (std::uint8_t b : row.stored)
            value = value * 256u + b;
        CHECK(ReadProField(file, row.offset, row.width) == std::int32_t(value));
    }
}

TEST_CASE("an invalid text leaves the file untouched")
{
    ScratchFolder dir;
    const fs::path file = dir.path / "bad.pro";
    ProtoBuilder().WriteTo(file);
    const auto before = ReadAllBytes(file);
    try {
        WriteProField(file, 48, 4, "12a");
        FAIL("no error");
    } catch (const ConvertError& error) {
        CHECK(std::string(error.what()) == "'12a' is not a valid integer value");
    }
    CHECK(ReadAllBytes(file) == before);
    // The text is converted before the file is opened: a bad text on a missing file is a conversion error.
    CHECK_THROWS_AS(WriteProField(dir.path / "missing.pro", 0, 4, "x"), ConvertError);
}

TEST_CASE("read errors carry their messages")
{
    ScratchFolder dir;
    try {
        ReadProField(dir.path / "missing.pro", 0, 4);
        FAIL("no error");
    } catch (const IoError& error) {
        CHECK(error.code() == 2);
        CHECK(std::string(error.what()) == "File not found");
    }
    ProtoBuilder(412).WriteTo(dir.path / "short.pro");
    try {
        ReadProField(dir.path / "short.pro", 410, 4);
        FAIL("no error");
    } catch (const IoError& error) {
        CHECK(std::string(error.what()) == "Read beyond end of file");
    }
    CHECK(IoErrorMessage(101) == "Disk full");
    CHECK(IoErrorMessage(145) == "I/O error 145");
}

TEST_CASE("a record is read once and writes back its span")
{
    ScratchFolder dir;
    const fs::path file = dir.path / "rec.pro";
    ProtoBuilder builder(416);
    builder.Primary(0, 7, -2);
    builder.WriteTo(file);
    ProRecord record = ProRecord::Read(file);
    CHECK(int(record.size()) == 416);
    CHECK(record.Field(48, 4) == 7);
    CHECK(record.Field(188, 4) == -2);
    CHECK(ProRecord::UpdateChanged(file, 416, [](ProRecord& stored) { stored.SetField(48, 4, 9); }));
    CHECK(ReadAllBytes(file) == builder.Set(48, 4, 9).Bytes());

    // Offsets before the record or a field ending one byte past it are refused, the
    // record untouched; the last field that fits is read and written.
    const std::vector<std::uint8_t> before = record.bytes();
    for (const auto& [offset, width] : {std::pair{-1, 4}, std::pair{-4, 4}, std::pair{-1, 1}, std::pair{413, 4},
                                        std::pair{416, 1}, std::pair{414, 3}}) {
        CAPTURE(offset);
        CAPTURE(width);
        CHECK_THROWS_AS(record.Field(offset, width), IoError);
        CHECK_THROWS_AS(record.SetField(offset, width, -1), IoError);
    }
    CHECK(record.bytes() == before);
    record.SetField(412, 4, 0x01020304);
    record.SetField(0, 1, 0xAB);
    CHECK(record.Field(412, 4) == 0x01020304);
    CHECK(record.Field(415, 1) == 4);
    CHECK(record.Field(0, 1) == 0xAB);
}

TEST_CASE("a record refuses a file that changed size")
{
    const std::pair<int, int> rows[] = {{416, 420}, {416, 417}, {416, 415}, {416, 412}, {412, 416}};
    ScratchFolder dir;
    for (const auto& [loaded, now] : rows) {
        CAPTURE(loaded);
        CAPTURE(now);
        const fs::path file = dir.path / "changed.pro";
        ProtoBuilder(now, 0x21).WriteTo(file);
        const auto before = ReadAllBytes(file);
        bool edited = false;
        CHECK_FALSE(ProRecord::UpdateChanged(file, std::size_t(loaded), [&](ProRecord&) { edited = true; }));
        CHECK_FALSE(edited);
        CHECK(ReadAllBytes(file) == before);
    }
}

TEST_CASE("the text id is shown divided by 100, an exact half rounded to even")
{
    const std::pair<int, int> rows[] = {
        {12300, 123},
        {12349, 123},
        {12345, 123},
        {12351, 124},
        {12350, 124},
        {12250, 122},
        {12450, 124},
        {49, 0},
        {50, 0},
        {51, 1},
        {-50, 0},
        {-51, -1},
        {-149, -1},
        {150, 2},
        {250, 2},
        {350, 4},
        {-150, -2},
        {-250, -2},
        {-151, -2},
        {int(-2147483647 - 1), -21474836},
        {2147483647, 21474836},
    };
    for (const auto& [textId, shown] : rows) {
        CAPTURE(textId);
        CHECK(TextIdToIdNumber(textId) == shown);
    }
}

TEST_CASE("the window's field table matches the record description")
{
    // Every field at the offset and width the record description gives, read
    // and saved as it says; nothing else in the table.
    std::map<std::string, const WindowField*> byControl;
    for (const auto& field : ProFieldLayout()) {
        CAPTURE(field.control);
        CHECK(byControl.emplace(field.control, &field).second);
    }
    CHECK(byControl.size() == kRecordFields.size());
    for (const auto& expected : kRecordFields) {
        CAPTURE(expected.control);
        const auto found = byControl.find(expected.control);
        REQUIRE(found != byControl.end());
        CHECK(found->second->offset == expected.offset);
        CHECK(found->second->width == expected.width);
        CHECK(found->second->saved == expected.saved);
    }
    CHECK(byControl["EditCritterPID"]->conversion == FieldConversion::PidNumber);
    CHECK(byControl["EditIDNumber"]->conversion == FieldConversion::TextId);
    CHECK(byControl["ComboBoxGender"]->conversion == FieldConversion::Gender);
    CHECK(byControl["EditExpPoints"]->conversion == FieldConversion::None);
    // A save may change bytes 2 to 407 only.
    CHECK(kSavedSpanBegin == 2);
    CHECK(kSavedSpanEnd == 408);
}

TEST_CASE("only 412 and 416 bytes are critter records")
{
    for (int size : {0, 411, 412, 413, 414, 415, 416, 417, 828}) {
        CAPTURE(size);
        CHECK(IsCritterRecordSize(size) == (size == 412 || size == 416));
    }
}

TEST_CASE("real files decode like an independent reader")
{
    const fs::path root = quarnel::test::DataFolder(QUARNEL_SHARED_TESTDATA);
    if (!quarnel::test::IsPresent(root))
        return quarnel::test::ReportSkipped("shared test data not present");
    ScratchFolder dir;
    int files = 0;
    for (const char* game : {"FO1", "FO2"}) {
        // Both accesses open for writing: they work on copies, never on the shared originals.
        const fs::path copies = dir.path / "real" / game;
        quarnel::test::CopyFolderFiles(root / game, copies);
        for (const auto& entry : fs::directory_iterator(copies)) {
            const auto ext = entry.path().extension().string();
            if (ext != ".pro" && ext != ".PRO")
                continue;
            ++files;
            CAPTURE(entry.path().filename().string());
            const auto bytes = ReadAllBytes(entry.path());
            const ProRecord record = ProRecord::Read(entry.path());
            for (const auto& field : ProFieldLayout()) {
                CAPTURE(field.control);
                std::uint32_t value = 0;
                for (int i = 0; i < field.width; ++i)
                    value = value * 256u + bytes[std::size_t(field.offset + i)];
                CHECK(ReadProField(entry.path(), field.offset, field.width) == std::int32_t(value));
                CHECK(record.Field(field.offset, field.width) == std::int32_t(value));
            }
        }
    }
    CHECK(files >= 40);
}
