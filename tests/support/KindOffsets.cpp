#include "KindOffsets.h"

#include <cstdio>

#include <stdexcept>

namespace quarnel::test {
namespace {

using S = Shown;

const std::vector<KindField> kHeader = {
    {"pid_type", 0, 2, S::Hex2}, {"pid", 2, 2, S::Decimal}, {"text_id", 4, 4, S::Decimal}, {"fid", 8, 4, S::Hex4}};

const std::vector<KindField> kItem = {{"light_radius", 12, 4, S::Decimal}, {"light_intensity", 16, 4, S::Decimal},
                                      {"object_flags", 20, 4, S::Hex4},    {"action_flags", 24, 4, S::Hex4},
                                      {"script_id", 28, 4, S::Decimal},    {"subtype", 32, 4, S::List},
                                      {"material", 36, 4, S::List},        {"size", 40, 4, S::Decimal},
                                      {"weight", 44, 4, S::Decimal},       {"cost", 48, 4, S::Decimal},
                                      {"inventory_fid", 52, 4, S::Hex4},   {"sound", 56, 1, S::Decimal}};

const std::vector<KindField> kScenery = {{"light_radius", 12, 4, S::Decimal}, {"light_intensity", 16, 4, S::Decimal},
                                         {"object_flags", 20, 4, S::Hex4},    {"action_flags", 24, 4, S::Hex4},
                                         {"script_id", 28, 4, S::Decimal},    {"subtype", 32, 4, S::List},
                                         {"material", 36, 4, S::List},        {"sound", 40, 1, S::Decimal}};

// Consecutive 4-byte decimal fields of a group from offset on.
std::vector<KindField> Run(const std::string& group, int offset, const std::vector<std::string>& keys)
{
    std::vector<KindField> fields;
    for (const std::string& key : keys) {
        fields.push_back({group + "." + key, offset, 4, S::Decimal});
        offset += 4;
    }
    return fields;
}

std::vector<KindField> ItemGroup(int subtype)
{
    switch (subtype) {
    case 0: {
        std::vector<KindField> armor = Run("armor", 57, {"AC"});
        for (const KindField& field :
             Run("armor", 61,
                 {"DRnormal", "DRlaser", "DRfire", "DRplasma", "DRelectrical", "DRemp", "DRexplode", "DTnormal",
                  "DTlaser", "DTfire", "DTplasma", "DTelectrical", "DTemp", "DTexplode", "perk"}))
            armor.push_back(field);
        armor.push_back({"armor.male_fid", 121, 4, S::Hex4});
        armor.push_back({"armor.female_fid", 125, 4, S::Hex4});
        return armor;
    }
    case 1: return {{"container.max_size", 57, 4, S::Decimal}, {"container.open_flags", 61, 4, S::Hex4}};
    case 2:
        return Run("drug", 57,
                   {"stat_a", "stat_b", "stat_c", "amount_a", "amount_b", "amount_c", "delay1", "delay1_a", "delay1_b",
                    "delay1_c", "delay2", "delay2_a", "delay2_b", "delay2_c", "addiction_chance", "addiction_perk",
                    "addiction_delay"});
    case 3:
        return {{"weapon.animation", 57, 4, S::List},        {"weapon.min_damage", 61, 4, S::Decimal},
                {"weapon.max_damage", 65, 4, S::Decimal},    {"weapon.damage_type", 69, 4, S::List},
                {"weapon.range1", 73, 4, S::Decimal},        {"weapon.range2", 77, 4, S::Decimal},
                {"weapon.projectile_pid", 81, 4, S::Hex4},   {"weapon.min_strength", 85, 4, S::Decimal},
                {"weapon.ap_cost1", 89, 4, S::Decimal},      {"weapon.ap_cost2", 93, 4, S::Decimal},
                {"weapon.critical_fail", 97, 4, S::Decimal}, {"weapon.perk", 101, 4, S::Decimal},
                {"weapon.burst_rounds", 105, 4, S::Decimal}, {"weapon.caliber", 109, 4, S::Decimal},
                {"weapon.ammo_pid", 113, 4, S::Hex4},        {"weapon.max_ammo", 117, 4, S::Decimal},
                {"weapon.sound", 121, 1, S::Decimal}};
    case 4:
        return Run("ammo", 57,
                   {"caliber", "quantity", "ac_modifier", "dr_modifier", "damage_multiplier", "damage_divisor"});
    case 5:
        return {{"misc.power_pid", 57, 4, S::Hex4},
                {"misc.power_type", 61, 4, S::Decimal},
                {"misc.charges", 65, 4, S::Decimal}};
    case 6: return Run("key", 57, {"code"});
    }
    throw std::out_of_range("no item subtype " + std::to_string(subtype));
}

std::vector<KindField> SceneryGroup(int subtype)
{
    switch (subtype) {
    case 0: return {{"door.open_flags", 41, 4, S::Hex4}, {"door.key_code", 45, 4, S::Decimal}};
    case 1: return Run("stairs", 41, {"destination", "map"});
    case 2: return Run("elevator", 41, {"type", "level"});
    case 3:
    case 4: return Run("ladder", 41, {"destination"});
    case 5: return Run("generic", 41, {"value"});
    }
    throw std::out_of_range("no scenery subtype " + std::to_string(subtype));
}

std::vector<KindField> Joined(std::vector<KindField> first, const std::vector<KindField>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

} // namespace

std::vector<KindField> KindFields(int typeByte, int subtype)
{
    switch (typeByte) {
    case 0: return Joined(Joined(kHeader, kItem), ItemGroup(subtype));
    case 2: return Joined(Joined(kHeader, kScenery), SceneryGroup(subtype));
    case 3:
        return Joined(kHeader, {{"light_radius", 12, 4, S::Decimal},
                                {"light_intensity", 16, 4, S::Decimal},
                                {"object_flags", 20, 4, S::Hex4},
                                {"action_flags", 24, 4, S::Hex4},
                                {"script_id", 28, 4, S::Decimal},
                                {"material", 32, 4, S::List}});
    case 4:
        return Joined(kHeader, {{"object_flags", 12, 4, S::Hex4},
                                {"action_flags", 16, 4, S::Hex4},
                                {"script_id", 20, 4, S::Decimal},
                                {"material", 24, 4, S::List}});
    case 5:
        return Joined(kHeader, {{"light_radius", 12, 4, S::Decimal},
                                {"light_intensity", 16, 4, S::Decimal},
                                {"object_flags", 20, 4, S::Hex4},
                                {"action_flags", 24, 4, S::Hex4}});
    }
    throw std::out_of_range("no prototype type " + std::to_string(typeByte));
}

std::string ShownText(const KindField& field, const std::vector<std::uint8_t>& bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < field.width; ++i)
        value = value << 8 | bytes.at(std::size_t(field.offset + i));
    char text[16];
    if (field.shown == Shown::Hex2)
        std::snprintf(text, sizeof text, "0x%04X", value);
    else if (field.shown == Shown::Hex4)
        std::snprintf(text, sizeof text, "0x%08X", value);
    else if (field.width == 4)
        std::snprintf(text, sizeof text, "%d", static_cast<std::int32_t>(value));
    else
        std::snprintf(text, sizeof text, "%u", value);
    return text;
}

} // namespace quarnel::test
