#pragma once
// The layout of a critter prototype record: one table that names every byte
// of the record once (RecordLayout), and the main window's view of it
// (ProFieldLayout), the fields that loading and saving walk. The other-fields
// dialog and the command-line tool read the same table, so an offset is
// written in this layout only.
//
// The record, in file order (every field big-endian):
//   offset  width  key                signed  display
//   0       2      pid_type           no      hexadecimal  (01 00 for critters)
//   2       2      pid                no      decimal
//   4       4      text_id            yes     decimal
//   8       4      fid                yes     hexadecimal  (byte 11 is the FID index)
//   12      4      light_radius       yes     decimal
//   16      4      light_intensity    yes     decimal
//   20      4      object_flags       yes     hexadecimal
//   24      4      action_flags       yes     hexadecimal
//   28      4      script_id          yes     decimal      (-1 none)
//   32      4      head_fid           yes     hexadecimal  (-1 none)
//   36      4      ai_packet          yes     decimal
//   40      4      team               yes     decimal
//   44      4      critter_flags      yes     hexadecimal  (bits: CritterFlagBits)
//   48      4x35   base.X             yes     decimal      (X: the 35 block keys below)
//   188     4x35   extra.X            yes     decimal      (140 bytes after base.X)
//   328     4x18   skills.X           yes     decimal
//   400     4      body_type          yes     enum list    (EnumList::BodyType)
//   404     4      exp                yes     decimal
//   408     4      kill_type          yes     enum list    (EnumList::KillType, per game)
//   412     4      damage_type        yes     enum list    (EnumList::DamageType; FO2 layout only)
// Block keys X, in file order: ST PE EN CH INT AG LU HP AP AC Unarmed Melee
// CarryWeight Sequence HealingRate CriticalChance BetterCriticals DTnormal
// DTlaser DTfire DTplasma DTelectrical DTemp DTexplode DRnormal DRlaser DRfire
// DRplasma DRelectrical DRemp DRexplode Radiation Poison Age Gender.
// Skill keys X: SmallGuns BigGuns EnergyGuns Unarmed Melee Throwing FirstAid
// Doctor Sneak Lockpick Steal Traps Science Repair Speech Barter Gambling
// Outdoorsman.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

constexpr int kFirstGameRecordSize = 412;  // FO1 layout
constexpr int kSecondGameRecordSize = 416; // FO2 layout
constexpr int kPidTypeOffset = 0;          // 2 bytes, upper half of the PID
constexpr int kPidNumberOffset = 2;        // 2 bytes, lower half of the PID
constexpr int kTextIdOffset = 4;
constexpr int kFidOffset = 8;
constexpr int kFidIndexOffset = kFidOffset + 3; // 1 byte, lowest byte of the FID
constexpr int kBaseBlockOffset = 48;
constexpr int kBlockFieldCount = 35;
constexpr int kExtraBlockShift = 140; // an extra field lies this far after its base field
constexpr int kBaseGenderOffset = kBaseBlockOffset + 4 * (kBlockFieldCount - 1);
constexpr int kExtraGenderOffset = kBaseGenderOffset + kExtraBlockShift;
constexpr int kSkillBlockOffset = kBaseBlockOffset + 2 * kExtraBlockShift;
constexpr int kExperienceOffset = 404;
constexpr int kPidDisplayBias = 16777216; // the PID's assumed upper half 01 00
constexpr int kCritterPidType = 0x0100;   // the upper half of every critter PID

bool IsCritterRecordSize(long long size);

// ---- The whole record ----

enum class FieldDisplay {
    Decimal,     // the signed (or, for 2-byte fields, unsigned) stored integer
    Hexadecimal, // flags and picture IDs: every bit shown, known or not
    Enum,        // a number from an item list (EnumItems)
};

enum class EnumList {
    None,
    BodyType,
    KillType,
    DamageType,
    // The lists of the other prototype types (PrototypeLayout.h).
    ItemSubtype,
    ScenerySubtype,
    Material,
    WeaponAnimation
};

struct RecordField {
    std::string key; // stable name: "pid", "base.ST", "skills.Barter", "kill_type"
    int offset;
    int width;     // 2 or 4
    bool isSigned; // 4-byte fields are signed, the two halves of the PID unsigned
    FieldDisplay display;
    EnumList list;       // the item list of an Enum field, else None
    const char* control; // the main window's or the other-fields dialog's control, or nullptr
};

// Every field of the FO2 layout in file order; together they cover bytes 0 to
// 415 exactly once. The FO1 layout is the same without the last field.
const std::vector<RecordField>& RecordLayout();
// The field with that key, or nullptr.
const RecordField* FindRecordField(std::string_view key);
// The field shown by that control, or nullptr.
const RecordField* FindRecordFieldByControl(std::string_view control);
// Whether a record of recordSize bytes holds the field (damage_type needs 416).
bool RecordHasField(const RecordField& field, std::size_t recordSize);

struct EnumItem {
    std::int32_t value;
    const char* name;
};
// The named values of a list; the kill types depend on the game (the first
// game knows the first 15 of the second game's 19).
const std::vector<EnumItem>& EnumItems(EnumList list, bool secondGame);
// The name of value in the list, or nullptr when the list has no such value.
const char* EnumItemName(EnumList list, bool secondGame, std::int32_t value);

// A stored value as text: decimal, or for a hexadecimal field 0x with two
// digits per byte of the field (every bit shown).
std::string FieldValueText(const RecordField& field, std::int32_t value);

struct FlagBit {
    std::uint32_t mask;
    const char* name;
};
// The named bits of critter_flags, lowest first.
const std::vector<FlagBit>& CritterFlagBits();

// ---- The main window's fields ----

enum class FieldConversion {
    None,      // the text is the stored value
    PidNumber, // shown = stored + 16777216
    TextId,    // shown = stored / 100 rounded half to even; stored = shown * 100
    Gender,    // the selected entry of the gender box
};

enum class FieldGroup { Identity, Base, Extra, Experience, Skill };

struct WindowField {
    const char* control; // the window field that shows the value
    int offset;
    int width;
    FieldConversion conversion;
    FieldGroup group;
    bool saved; // false only for the extra gender, which is read and never written
};

// Every field the window reads, in the order a save writes them (the 84
// saved fields, with the read-only extra gender after the extra damage block).
// Offsets and widths come from RecordLayout.
const std::vector<WindowField>& ProFieldLayout();

// The range of bytes a save may change: from the PID number to the experience points.
constexpr int kSavedSpanBegin = kPidNumberOffset;
constexpr int kSavedSpanEnd = kExperienceOffset + 4;

} // namespace quarnel
