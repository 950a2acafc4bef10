#pragma once
// The names of the window's value fields, one row per statistic, damage
// value and skill. Loading, saving, the rules and the window layout all walk
// these tables, so a field's name is written in one place only.
#include <array>

namespace quarnel {

struct StatFields {
    const char* caption; // row caption in the window
    const char* total;   // total field (shown only)
    const char* base;    // base field
    const char* extra;   // extra field
};

// Strength ... luck, in file order.
enum PrimaryIndex { kST, kPE, kEN, kCH, kINT, kAG, kLU, kPrimaryCount };
extern const std::array<StatFields, kPrimaryCount> kPrimaryStats;

// Hit points ... better criticals, in file order (base block offsets 76 to 112).
enum DerivedIndex {
    kHitPoints,
    kActionPoints,
    kArmorClass,
    kUnarmedDamage,
    kMeleeDamage,
    kCarryWeight,
    kSequence,
    kHealingRate,
    kCriticalChance,
    kBetterCriticals,
    kDerivedCount
};
extern const std::array<StatFields, kDerivedCount> kDerivedStats;

// Damage thresholds and resistances in pairs per damage type (normal DT,
// normal DR, laser DT, ...), the order of loading and saving.
constexpr int kDamageTypeCount = 7;
extern const std::array<StatFields, 2 * kDamageTypeCount> kDamageStats;

// The eighteen skills in stored order.
enum SkillIndex {
    kSmallGuns,
    kBigGuns,
    kEnergyGuns,
    kUnarmed,
    kMelee,
    kThrowing,
    kFirstAid,
    kDoctor,
    kSneak,
    kLockpick,
    kSteal,
    kTraps,
    kScience,
    kRepair,
    kSpeech,
    kBarter,
    kGambling,
    kOutdoorsman,
    kSkillCount
};
extern const std::array<StatFields, kSkillCount> kSkills;

// The hidden gender fields.
extern const StatFields kGenderFields;

} // namespace quarnel
