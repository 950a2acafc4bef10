#include "proto/PrototypeLayout.h"

#include "proto/ProFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>

namespace quarnel {
namespace {

using D = FieldDisplay;

// One field as the record lists it; its offset is where the one before ends.
struct FieldEntry {
    const char* key;
    int width = 4;
    FieldDisplay display = D::Decimal;
    EnumList list = EnumList::None;
};

constexpr FieldEntry Dec(const char* key) { return {key}; }
constexpr FieldEntry Hex(const char* key) { return {key, 4, D::Hexadecimal}; }
constexpr FieldEntry List(const char* key, EnumList list) { return {key, 4, D::Enum, list}; }
constexpr FieldEntry Byte(const char* key) { return {key, 1}; }

constexpr std::array<const char*, 7> kDamageKinds = {"normal",     "laser", "fire",   "plasma",
                                                     "electrical", "emp",   "explode"};

// A record built field by field after the header the critter record starts with.
class RecordBuilder {
public:
    RecordBuilder()
    {
        for (const char* key : {"pid_type", "pid", "text_id", "fid"}) {
            RecordField field = *FindRecordField(key);
            field.control = nullptr;
            Push(field);
        }
    }
    RecordBuilder& Add(std::initializer_list<FieldEntry> entries)
    {
        for (const FieldEntry& entry : entries)
            Push({entry.key, next_, entry.width, entry.width == 4, entry.display, entry.list, nullptr});
        return *this;
    }
    RecordBuilder& AddGroup(const std::string& group, std::initializer_list<FieldEntry> entries)
    {
        for (const FieldEntry& entry : entries)
            Push({group + "." + entry.key, next_, entry.width, entry.width == 4, entry.display, entry.list, nullptr});
        return *this;
    }
    std::vector<RecordField> Fields() const { return fields_; }

private:
    void Push(RecordField field)
    {
        next_ = field.offset + field.width;
        fields_.push_back(std::move(field));
    }
    std::vector<RecordField> fields_;
    int next_ = 0;
};

const std::initializer_list<FieldEntry> kLight = {Dec("light_radius"), Dec("light_intensity")};
const std::initializer_list<FieldEntry> kFlags = {Hex("object_flags"), Hex("action_flags")};

std::vector<RecordField> ItemRecord(int subtype)
{
    RecordBuilder record;
    record.Add(kLight).Add(kFlags).Add({Dec("script_id"), List("subtype", EnumList::ItemSubtype),
                                        List("material", EnumList::Material), Dec("size"), Dec("weight"), Dec("cost"),
                                        Hex("inventory_fid"), Byte("sound")});
    switch (subtype) {
    case 0: {
        record.AddGroup("armor", {Dec("AC")});
        for (const char* prefix : {"DR", "DT"})
            for (const char* kind : kDamageKinds) {
                const std::string key = std::string(prefix) + kind;
                record.AddGroup("armor", {Dec(key.c_str())});
            }
        record.AddGroup("armor", {Dec("perk"), Hex("male_fid"), Hex("female_fid")});
        break;
    }
    case 1: record.AddGroup("container", {Dec("max_size"), Hex("open_flags")}); break;
    case 2:
        record.AddGroup("drug", {Dec("stat_a"), Dec("stat_b"), Dec("stat_c"), Dec("amount_a"), Dec("amount_b"),
                                 Dec("amount_c"), Dec("delay1"), Dec("delay1_a"), Dec("delay1_b"), Dec("delay1_c"),
                                 Dec("delay2"), Dec("delay2_a"), Dec("delay2_b"), Dec("delay2_c"),
                                 Dec("addiction_chance"), Dec("addiction_perk"), Dec("addiction_delay")});
        break;
    case 3:
        record.AddGroup("weapon",
                        {List("animation", EnumList::WeaponAnimation), Dec("min_damage"), Dec("max_damage"),
                         List("damage_type", EnumList::DamageType), Dec("range1"), Dec("range2"), Hex("projectile_pid"),
                         Dec("min_strength"), Dec("ap_cost1"), Dec("ap_cost2"), Dec("critical_fail"), Dec("perk"),
                         Dec("burst_rounds"), Dec("caliber"), Hex("ammo_pid"), Dec("max_ammo"), Byte("sound")});
        break;
    case 4:
        record.AddGroup("ammo", {Dec("caliber"), Dec("quantity"), Dec("ac_modifier"), Dec("dr_modifier"),
                                 Dec("damage_multiplier"), Dec("damage_divisor")});
        break;
    case 5: record.AddGroup("misc", {Hex("power_pid"), Dec("power_type"), Dec("charges")}); break;
    case 6: record.AddGroup("key", {Dec("code")}); break;
    }
    return record.Fields();
}

std::vector<RecordField> SceneryRecord(int subtype)
{
    RecordBuilder record;
    record.Add(kLight).Add(kFlags).Add({Dec("script_id"), List("subtype", EnumList::ScenerySubtype),
                                        List("material", EnumList::Material), Byte("sound")});
    switch (subtype) {
    case 0: record.AddGroup("door", {Hex("open_flags"), Dec("key_code")}); break;
    case 1: record.AddGroup("stairs", {Dec("destination"), Dec("map")}); break;
    case 2: record.AddGroup("elevator", {Dec("type"), Dec("level")}); break;
    case 3:
    case 4: record.AddGroup("ladder", {Dec("destination")}); break;
    case 5: record.AddGroup("generic", {Dec("value")}); break;
    }
    return record.Fields();
}

std::vector<RecordField> OtherRecord(ProtoType type)
{
    RecordBuilder record;
    const FieldEntry material = List("material", EnumList::Material);
    switch (type) {
    case ProtoType::Wall: record.Add(kLight).Add(kFlags).Add({Dec("script_id"), material}); break;
    case ProtoType::Tile: record.Add(kFlags).Add({Dec("script_id"), material}); break;
    case ProtoType::Misc: record.Add(kLight).Add(kFlags); break;
    default: break;
    }
    return record.Fields();
}

int SubtypeCount(ProtoType type)
{
    return static_cast<int>(type == ProtoType::Item      ? EnumItems(EnumList::ItemSubtype, true).size()
                            : type == ProtoType::Scenery ? EnumItems(EnumList::ScenerySubtype, true).size()
                                                         : 0);
}

struct Layouts {
    std::map<std::pair<int, int>, std::vector<RecordField>> byKind;
    std::vector<RecordKind> kinds;
};

const Layouts& AllLayouts()
{
    static const Layouts layouts = [] {
        Layouts built;
        built.kinds.push_back({ProtoType::Critter, kNoSubtype});
        for (int type = 0; type < kProtoTypeCount; ++type) {
            const auto t = static_cast<ProtoType>(type);
            if (t == ProtoType::Critter)
                continue;
            if (!HasSubtypes(t)) {
                built.kinds.push_back({t, kNoSubtype});
                built.byKind[{type, kNoSubtype}] = OtherRecord(t);
                continue;
            }
            for (int subtype = 0; subtype < SubtypeCount(t); ++subtype) {
                built.kinds.push_back({t, subtype});
                built.byKind[{type, subtype}] = t == ProtoType::Item ? ItemRecord(subtype) : SceneryRecord(subtype);
            }
        }
        return built;
    }();
    return layouts;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

EnumList SubtypeList(ProtoType type)
{
    return type == ProtoType::Item ? EnumList::ItemSubtype : EnumList::ScenerySubtype;
}

// "61 to 129 bytes" / "45 or 49 bytes": the sizes the type's subtypes have.
std::string SizesOfType(ProtoType type)
{
    std::size_t smallest = SIZE_MAX, largest = 0;
    for (const RecordKind& kind : AllKinds())
        if (kind.type == type) {
            smallest = std::min(smallest, KindRecordSize(kind));
            largest = std::max(largest, KindRecordSize(kind));
        }
    return std::to_string(smallest) + " to " + std::to_string(largest) + " bytes, by subtype";
}

// "0 armor, 1 container, ...": a list's values for a message.
std::string ListText(EnumList list)
{
    std::string text;
    for (const EnumItem& item : EnumItems(list, true))
        text += (text.empty() ? "" : ", ") + std::to_string(item.value) + " " + Lower(item.name);
    return text;
}

} // namespace

const std::vector<RecordKind>& AllKinds() { return AllLayouts().kinds; }

bool HasSubtypes(ProtoType type) { return type == ProtoType::Item || type == ProtoType::Scenery; }

const std::vector<RecordField>& KindLayout(RecordKind kind)
{
    if (kind.type == ProtoType::Critter)
        return RecordLayout();
    static const std::vector<RecordField> none;
    const auto& byKind = AllLayouts().byKind;
    const auto found = byKind.find({static_cast<int>(kind.type), kind.subtype});
    return found == byKind.end() ? none : found->second;
}

const RecordField* FindKindField(RecordKind kind, std::string_view key)
{
    for (const RecordField& field : KindLayout(kind))
        if (field.key == key)
            return &field;
    return nullptr;
}

const RecordField* FindAnyKindField(std::string_view key)
{
    for (const RecordKind& kind : AllKinds())
        if (const RecordField* field = FindKindField(kind, key))
            return field;
    return nullptr;
}

std::size_t KindRecordSize(RecordKind kind)
{
    const RecordField& last = KindLayout(kind).back();
    return static_cast<std::size_t>(last.offset + last.width);
}

bool KindFitsSize(RecordKind kind, std::size_t size)
{
    if (kind.type == ProtoType::Critter)
        return IsCritterRecordSize(static_cast<long long>(size));
    return size == KindRecordSize(kind);
}

KindReading ReadRecordKind(const std::uint8_t* bytes, std::size_t available, std::size_t size)
{
    const RecordKind critter{ProtoType::Critter, kNoSubtype};
    if (KindFitsSize(critter, size))
        return {critter, {}};
    const std::string notCritter = "not a critter prototype (412 or 416 bytes)";
    if (available < 1)
        return {std::nullopt, notCritter, true};
    const int typeByte = bytes[0];
    if (typeByte >= kProtoTypeCount) {
        char text[128];
        std::snprintf(text, sizeof text, "type byte 0x%02X (byte 0) is no prototype type (%s)", typeByte,
                      "0 item, 1 critter, 2 scenery, 3 wall, 4 tile, 5 misc");
        return {std::nullopt, text};
    }
    const auto type = static_cast<ProtoType>(typeByte);
    if (type == ProtoType::Critter)
        return {std::nullopt, notCritter, true};
    RecordKind kind{type, kNoSubtype};
    if (HasSubtypes(type)) {
        const RecordField& field = *FindKindField({type, 0}, "subtype");
        if (available < static_cast<std::size_t>(field.offset + field.width))
            return {std::nullopt, "too short for " + TypeText(type) + " (" + SizesOfType(type) + ")"};
        kind.subtype = DecodeBigEndian(bytes + field.offset, field.width);
        if (kind.subtype < 0 || kind.subtype >= SubtypeCount(type))
            return {std::nullopt, std::string(TypeKey(type)) + " subtype " + std::to_string(kind.subtype) + " (bytes " +
                                      std::to_string(field.offset) + " to " +
                                      std::to_string(field.offset + field.width - 1) + ") is none of " +
                                      ListText(SubtypeList(type))};
    }
    if (!KindFitsSize(kind, size)) {
        std::string text = KindText(kind);
        if (HasSubtypes(type))
            text = TypeText(type) + " of subtype " + std::to_string(kind.subtype) + " (" + SubtypeText(kind) + ")";
        return {std::nullopt, text + " has " + std::to_string(KindRecordSize(kind)) + " bytes"};
    }
    return {kind, {}};
}

const char* TypeKey(ProtoType type)
{
    static constexpr std::array<const char*, kProtoTypeCount> keys = {"item", "critter", "scenery",
                                                                      "wall", "tile",    "misc"};
    return keys[static_cast<std::size_t>(type)];
}

std::optional<ProtoType> TypeFromKey(std::string_view key)
{
    for (int type = 0; type < kProtoTypeCount; ++type)
        if (key == TypeKey(static_cast<ProtoType>(type)))
            return static_cast<ProtoType>(type);
    return std::nullopt;
}

std::string SubtypeText(RecordKind kind)
{
    if (!HasSubtypes(kind.type))
        return {};
    const char* name = EnumItemName(SubtypeList(kind.type), true, kind.subtype);
    return name ? Lower(name) : std::to_string(kind.subtype);
}

std::string TypeText(ProtoType type)
{
    static constexpr std::array<const char*, kProtoTypeCount> texts = {"an item", "a critter", "scenery",
                                                                       "a wall",  "a tile",    "a misc object"};
    return texts[static_cast<std::size_t>(type)];
}

std::string KindText(RecordKind kind)
{
    return HasSubtypes(kind.type) ? TypeText(kind.type) + " (" + SubtypeText(kind) + ")" : TypeText(kind.type);
}

const char* TypeFolder(ProtoType type)
{
    static constexpr std::array<const char*, kProtoTypeCount> folders = {"items", "critters", "scenery",
                                                                         "walls", "tiles",    "misc"};
    return folders[static_cast<std::size_t>(type)];
}

std::optional<ProtoType> TypeOfFolder(std::string_view name)
{
    const std::string lower = Lower(std::string(name));
    for (int type = 0; type < kProtoTypeCount; ++type)
        if (lower == TypeFolder(static_cast<ProtoType>(type)))
            return static_cast<ProtoType>(type);
    return std::nullopt;
}

const char* TypeMessageFile(ProtoType type)
{
    static constexpr std::array<const char*, kProtoTypeCount> files = {"pro_item.msg", "pro_crit.msg", "pro_scen.msg",
                                                                       "pro_wall.msg", "pro_tile.msg", "pro_misc.msg"};
    return files[static_cast<std::size_t>(type)];
}

} // namespace quarnel
