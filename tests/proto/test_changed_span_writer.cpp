// The one writer of changed records: the bytes an edit changes in the file as
// it is now, the refusals that leave the file as it was, and the read-only
// attribute afterwards.
#include <doctest/doctest.h>

#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "proto/ChangedSpanWriter.h"
#include "ProtoBuilder.h"
#include "ScratchFolder.h"

using namespace quarnel;
using quarnel::test::ProtoBuilder;
using quarnel::test::ReadAllBytes;
using quarnel::test::ScratchFolder;
namespace fs = std::filesystem;

namespace {

auto SetField(int offset, std::int32_t value)
{
    return [offset, value](ProRecord& record) { record.SetField(offset, 4, value); };
}

} // namespace

TEST_CASE("a changed span is written into the file as it is now; a refusal writes nothing")
{
    ScratchFolder dir;
    const fs::path file = dir.path / "00000001.pro";
    const ProtoBuilder loaded(416, 0x33);
    const std::vector<std::uint8_t> read = loaded.Bytes();

    SUBCASE("the first and the last byte of the record")
    {
        loaded.WriteTo(file);
        CHECK(WriteChangedSpan(file, {416, &read, false}, [](ProRecord& record) {
                  record.SetField(0, 1, 0x01);
                  record.SetField(415, 1, 0x02);
              }) == SpanWrite::Written);
        CHECK(ReadAllBytes(file) == ProtoBuilder(loaded).Set(0, 1, 1).Set(415, 1, 2).Bytes());
    }
    SUBCASE("an edit that changes nothing")
    {
        loaded.WriteTo(file);
        CHECK(WriteChangedSpan(file, {416, &read, false}, SetField(48, DecodeBigEndian(read.data() + 48, 4))) ==
              SpanWrite::Unchanged);
        CHECK(ReadAllBytes(file) == read);
    }
    SUBCASE("a file one byte shorter or longer, or holding other bytes")
    {
        for (const int size : {415, 417}) {
            CAPTURE(size);
            ProtoBuilder(size, 0x33).WriteTo(file);
            CHECK(WriteChangedSpan(file, {416, &read, false}, SetField(48, 9)) == SpanWrite::OtherSize);
            CHECK(ReadAllBytes(file) == ProtoBuilder(size, 0x33).Bytes());
        }
        const ProtoBuilder other = ProtoBuilder(loaded).Set(415, 1, 0);
        other.WriteTo(file);
        CHECK(WriteChangedSpan(file, {416, &read, false}, SetField(48, 9)) == SpanWrite::OtherBytes);
        CHECK(ReadAllBytes(file) == other.Bytes());
        // Without bytes to hold, the edit applies to the file as it is now.
        CHECK(WriteChangedSpan(file, {416, nullptr, false}, SetField(48, 9)) == SpanWrite::Written);
        CHECK(ReadAllBytes(file) == ProtoBuilder(other).Set(48, 4, 9).Bytes());
    }
    SUBCASE("a file that is gone")
    {
        CHECK_THROWS_WITH_AS(WriteChangedSpan(file, {416, nullptr, false}, SetField(48, 9)), "File not found", IoError);
        CHECK(!fs::exists(file));
    }
}

TEST_CASE("the changed bytes of two records are taken, the file's own bytes between them kept")
{
    ScratchFolder dir;
    const fs::path file = dir.path / "00000002.pro";
    const std::vector<std::uint8_t> before = ProtoBuilder(412, 0x10).Bytes();
    const std::vector<std::uint8_t> after = ProtoBuilder(412, 0x10).Set(48, 4, 7).Set(100, 4, -1).Bytes();
    // Another program changed byte 60, inside the span, and byte 48's neighbour 49.
    const ProtoBuilder now = ProtoBuilder(412, 0x10).Set(60, 1, 0xEE).Set(49, 1, 0xEE);
    now.WriteTo(file);
    CHECK(WriteChangedSpan(file, {412, nullptr, false}, ChangedBytesOf(before, after)) == SpanWrite::Written);
    // 48..51 = 00 00 00 07: byte 49 is 00 in before and after, so the file's EE stays.
    CHECK(ReadAllBytes(file) == ProtoBuilder(now).Set(48, 1, 0).Set(50, 2, 7).Set(100, 4, -1).Bytes());
}

TEST_CASE("the read-only attribute after a write, whichever way it ends")
{
    ScratchFolder dir;
    const fs::path file = dir.path / "00000003.pro";
    const std::vector<std::uint8_t> read = ProtoBuilder(416).Bytes();
    struct Row {
        bool readOnlyBefore;
        bool leaveReadOnly;
        bool readOnlyAfter;
    };
    for (const Row& row : {Row{false, false, false}, Row{true, false, true}, Row{false, true, true}}) {
        CAPTURE(row.readOnlyBefore);
        CAPTURE(row.leaveReadOnly);
        for (const int size : {416, 412}) { // written, and refused for its size
            CAPTURE(size);
            ProtoBuilder(size).WriteTo(file);
            if (row.readOnlyBefore)
                SetReadOnlyOnly(file);
            const SpanWrite result = WriteChangedSpan(file, {416, &read, row.leaveReadOnly}, SetField(48, 3));
            CHECK(result == (size == 416 ? SpanWrite::Written : SpanWrite::OtherSize));
            CHECK(IsReadOnly(file) == row.readOnlyAfter);
            SetArchiveOnly(file);
        }
    }
}
