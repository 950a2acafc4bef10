#pragma once
// The records of every prototype type beside the critter record: a kind (the
// type, and for items and scenery the subtype) selects its field list. The
// critter's list is RecordLayout() itself; the others are built here from
// their fields in file order, so an offset follows from the fields before it
// and is written nowhere. Both games share these records.
//
// The type is the high byte of the PID (byte 0): 0 item, 1 critter,
// 2 scenery, 3 wall, 4 tile, 5 misc. Every record starts with pid_type,
// pid, text_id and fid (bytes 0 to 11, as for critters).
//   item     light_radius light_intensity object_flags action_flags script_id
//            subtype (bytes 32-35) material size weight cost inventory_fid
//            sound (1 byte, 56), then from 57 the subtype's fields:
//            armor (129 bytes), container (65), drug (125), weapon (122),
//            ammo (81), misc (69), key (61)
//   scenery  light_radius light_intensity object_flags action_flags script_id
//            subtype (32-35) material sound (1 byte, 40), then from 41:
//            door, stairs, elevator (49 bytes), ladder up, ladder down, generic (45)
//   wall     light_radius light_intensity object_flags action_flags script_id material (36)
//   tile     object_flags action_flags script_id material (28)
//   misc     light_radius light_intensity object_flags action_flags (28)
#include "proto/ProLayout.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

enum class ProtoType { Item = 0, Critter = 1, Scenery = 2, Wall = 3, Tile = 4, Misc = 5 };
constexpr int kProtoTypeCount = 6;
constexpr int kNoSubtype = -1;

struct RecordKind {
    ProtoType type = ProtoType::Critter;
    int subtype = kNoSubtype; // items and scenery only
    bool operator==(const RecordKind&) const = default;
};

// Every kind: the critter, the 7 item subtypes, the 6 scenery subtypes, wall, tile, misc.
const std::vector<RecordKind>& AllKinds();
bool HasSubtypes(ProtoType type);

// The fields of the kind in file order. A critter's is RecordLayout() (both
// sizes: RecordHasField tells which fields a 412-byte record holds).
const std::vector<RecordField>& KindLayout(RecordKind kind);
// The field of the kind with that key, or nullptr (a critter of 412 bytes: see RecordHasField).
const RecordField* FindKindField(RecordKind kind, std::string_view key);
// The field of any kind with that key (critters first), or nullptr. A key
// has one width, signedness and display in every kind that has it.
const RecordField* FindAnyKindField(std::string_view key);
// The record's size: the end of its last field (critters: 416; 412 also fits).
std::size_t KindRecordSize(RecordKind kind);
bool KindFitsSize(RecordKind kind, std::size_t size);

// The kind a record's bytes make, or why they make none. bytes holds the
// record's first bytes (at least the first 36, where the record has them);
// size is the whole record's. A size of a critter (412 or 416 bytes) is a
// critter whatever its type byte, as it always was to the window and the
// command-line tool; check reports its pid_type. The fault names the type
// and subtype and the size they call for; the caller puts the size first.
// notCritter: the fault is only that the record has no critter's size (its
// type byte says critter, or there is none), not that of another type.
struct KindReading {
    std::optional<RecordKind> kind;
    std::string fault;
    bool notCritter = false;
};
KindReading ReadRecordKind(const std::uint8_t* bytes, std::size_t available, std::size_t size);

// "item", "critter", "scenery", "wall", "tile", "misc": the JSON "type".
const char* TypeKey(ProtoType type);
std::optional<ProtoType> TypeFromKey(std::string_view key);
// The subtype's name in lower case ("weapon", "ladder up"), or "" when it has none.
std::string SubtypeText(RecordKind kind);
// "an item (weapon)", "scenery (door)", "a critter", "a wall", "a tile", "a misc object".
std::string KindText(RecordKind kind);
// "an item", "scenery", "a critter", ...: the type alone.
std::string TypeText(ProtoType type);

// The folder of proto/ holding the type ("items", "critters", "scenery",
// "walls", "tiles", "misc"), and the type a folder name stands for (any case).
const char* TypeFolder(ProtoType type);
std::optional<ProtoType> TypeOfFolder(std::string_view name);
// The message file of the type's names in text/<language>/game ("pro_item.msg").
const char* TypeMessageFile(ProtoType type);

// The type byte a picture ID (FID) names: bits 24 to 27.
constexpr int FidType(std::int32_t fid) { return static_cast<int>((static_cast<std::uint32_t>(fid) >> 24) & 0x0F); }
constexpr int kInventoryFidType = 7;

} // namespace quarnel
