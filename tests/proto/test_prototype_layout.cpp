// The records of the other prototype types: each kind's fields cover its
// record once, at the sizes and anchors the format gives, and a key means
// the same in every kind; the kind is told from the bytes.
#include <doctest/doctest.h>

#include "proto/PrototypeLayout.h"

#include <map>
#include <string>
#include <vector>

using namespace quarnel;

TEST_CASE("each kind's fields cover its record once, at the format's sizes")
{
    // type, subtype -> size, as the format gives them
    const std::map<std::pair<int, int>, std::size_t> sizes = {
        {{0, 0}, 129}, {{0, 1}, 65},  {{0, 2}, 125}, {{0, 3}, 122}, {{0, 4}, 81},  {{0, 5}, 69},
        {{0, 6}, 61},  {{2, 0}, 49},  {{2, 1}, 49},  {{2, 2}, 49},  {{2, 3}, 45},  {{2, 4}, 45},
        {{2, 5}, 45},  {{3, -1}, 36}, {{4, -1}, 28}, {{5, -1}, 28}, {{1, -1}, 416}};
    CHECK(AllKinds().size() == sizes.size());
    std::map<std::string, const RecordField*> byKey;
    for (const RecordKind& kind : AllKinds()) {
        CAPTURE(KindText(kind));
        int next = 0;
        for (const RecordField& field : KindLayout(kind)) {
            CAPTURE(field.key);
            CHECK(field.offset == next);
            CHECK(FindKindField(kind, field.key) == &field);
            next += field.width;
            // One key, one meaning: width, sign and display alike in every kind.
            const auto [known, added] = byKey.emplace(field.key, &field);
            if (!added) {
                CHECK(known->second->width == field.width);
                CHECK(known->second->isSigned == field.isSigned);
                CHECK(known->second->display == field.display);
            }
        }
        CHECK(static_cast<std::size_t>(next) == sizes.at({static_cast<int>(kind.type), kind.subtype}));
        CHECK(KindRecordSize(kind) == static_cast<std::size_t>(next));
        for (const char* key : {"pid_type", "pid", "text_id", "fid"})
            CHECK(FindKindField(kind, key)->offset == FindRecordField(key)->offset);
    }
    // The anchors: the subtype at 0x20, the items' sound at 0x38, the scenery's at 0x28.
    CHECK(FindKindField({ProtoType::Item, 3}, "subtype")->offset == 0x20);
    CHECK(FindKindField({ProtoType::Scenery, 1}, "subtype")->offset == 0x20);
    CHECK(FindKindField({ProtoType::Item, 3}, "sound")->offset == 0x38);
    CHECK(FindKindField({ProtoType::Item, 3}, "weapon.animation")->offset == 0x39);
    CHECK(FindKindField({ProtoType::Scenery, 0}, "sound")->offset == 0x28);
    CHECK(FindKindField({ProtoType::Scenery, 0}, "door.open_flags")->offset == 0x29);
    CHECK(FindKindField({ProtoType::Tile, kNoSubtype}, "object_flags")->offset == 12);
    CHECK(FindKindField({ProtoType::Tile, kNoSubtype}, "light_radius") == nullptr);
    // The critter's table is the window's, unchanged.
    CHECK(&KindLayout({ProtoType::Critter, kNoSubtype}) == &RecordLayout());
}

TEST_CASE("the kind comes from the type byte, the subtype and the size")
{
    auto read = [](std::vector<std::uint8_t> bytes) {
        return ReadRecordKind(bytes.data(), bytes.size(), bytes.size());
    };
    auto record = [](std::size_t size, int type, int subtype) {
        std::vector<std::uint8_t> bytes(size, 0);
        bytes[0] = static_cast<std::uint8_t>(type);
        if (size >= 36)
            bytes[35] = static_cast<std::uint8_t>(subtype);
        return bytes;
    };
    CHECK(read(record(122, 0, 3)).kind == RecordKind{ProtoType::Item, 3});
    CHECK(read(record(45, 2, 4)).kind == RecordKind{ProtoType::Scenery, 4});
    CHECK(read(record(28, 4, 0)).kind == RecordKind{ProtoType::Tile, kNoSubtype});
    CHECK(read(record(28, 5, 0)).kind == RecordKind{ProtoType::Misc, kNoSubtype});
    // A critter's size is a critter, whatever its type byte says (check reports the byte).
    CHECK(read(record(412, 0, 0)).kind == RecordKind{ProtoType::Critter, kNoSubtype});
    CHECK(read(record(416, 9, 0)).kind == RecordKind{ProtoType::Critter, kNoSubtype});
    const std::pair<std::vector<std::uint8_t>, const char*> faults[] = {
        {record(61, 0, 3), "an item of subtype 3 (weapon) has 122 bytes"},
        {record(36, 2, 0), "scenery of subtype 0 (door) has 49 bytes"},
        {record(28, 3, 0), "a wall has 36 bytes"},
        {record(61, 0, 7), "item subtype 7 (bytes 32 to 35) is none of 0 armor"},
        {record(30, 0, 0), "too short for an item (61 to 129 bytes, by subtype)"},
        {record(30, 6, 0), "type byte 0x06 (byte 0) is no prototype type"},
        {record(30, 1, 0), "not a critter prototype (412 or 416 bytes)"},
        {{}, "not a critter prototype (412 or 416 bytes)"},
    };
    for (const auto& [bytes, fault] : faults) {
        CAPTURE(fault);
        const KindReading reading = read(bytes);
        CHECK_FALSE(reading.kind);
        CHECK(reading.fault.find(fault) == 0);
    }
}
