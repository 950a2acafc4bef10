#include "proto/ProLayout.h"

#include "proto/CritterFields.h"

#include <array>
#include <cstdio>

namespace quarnel {
namespace {

// The 35 values of the base and of the extra block, in file order.
constexpr std::array<const char*, kBlockFieldCount> kBlockKeys = {"ST",
                                                                  "PE",
                                                                  "EN",
                                                                  "CH",
                                                                  "INT",
                                                                  "AG",
                                                                  "LU",
                                                                  "HP",
                                                                  "AP",
                                                                  "AC",
                                                                  "Unarmed",
                                                                  "Melee",
                                                                  "CarryWeight",
                                                                  "Sequence",
                                                                  "HealingRate",
                                                                  "CriticalChance",
                                                                  "BetterCriticals",
                                                                  "DTnormal",
                                                                  "DTlaser",
                                                                  "DTfire",
                                                                  "DTplasma",
                                                                  "DTelectrical",
                                                                  "DTemp",
                                                                  "DTexplode",
                                                                  "DRnormal",
                                                                  "DRlaser",
                                                                  "DRfire",
                                                                  "DRplasma",
                                                                  "DRelectrical",
                                                                  "DRemp",
                                                                  "DRexplode",
                                                                  "Radiation",
                                                                  "Poison",
                                                                  "Age",
                                                                  "Gender"};

constexpr std::array<const char*, kSkillCount> kSkillKeys = {
    "SmallGuns", "BigGuns", "EnergyGuns", "Unarmed", "Melee",  "Throwing", "FirstAid", "Doctor",   "Sneak",
    "Lockpick",  "Steal",   "Traps",      "Science", "Repair", "Speech",   "Barter",   "Gambling", "Outdoorsman"};

// The block values the main window does not show; the other-fields dialog does.
struct DialogBlockValue {
    const char* base;
    const char* extra;
};
constexpr std::array<DialogBlockValue, 3> kResistancesAndAge = {{
    {"EditBaseRadiation", "EditExtraRadiation"},
    {"EditBasePoison", "EditExtraPoison"},
    {"EditBaseAge", "EditExtraAge"},
}};

static_assert(int(kPrimaryCount) + int(kDerivedCount) + 2 * kDamageTypeCount + 3 + 1 == kBlockFieldCount);

// The controls of one block in file order: the damage table lists DT and DR
// in pairs per type, the file all thresholds before all resistances.
std::vector<const char*> BlockControls(bool extra)
{
    auto pick = [extra](const StatFields& f) { return extra ? f.extra : f.base; };
    std::vector<const char*> controls;
    for (const StatFields& f : kPrimaryStats)
        controls.push_back(pick(f));
    for (const StatFields& f : kDerivedStats)
        controls.push_back(pick(f));
    for (int kind = 0; kind < 2; ++kind)
        for (int type = 0; type < kDamageTypeCount; ++type)
            controls.push_back(pick(kDamageStats[static_cast<std::size_t>(2 * type + kind)]));
    for (const DialogBlockValue& v : kResistancesAndAge)
        controls.push_back(extra ? v.extra : v.base);
    controls.push_back(extra ? kGenderFields.extra : "ComboBoxGender");
    return controls;
}

std::vector<RecordField> BuildRecordLayout()
{
    using D = FieldDisplay;
    std::vector<RecordField> layout;
    auto add = [&](std::string key, int offset, D display, const char* control, EnumList list = EnumList::None) {
        layout.push_back({std::move(key), offset, 4, true, display, list, control});
    };
    layout.push_back({"pid_type", kPidTypeOffset, 2, false, D::Hexadecimal, EnumList::None, "EditPidType"});
    layout.push_back({"pid", kPidNumberOffset, 2, false, D::Decimal, EnumList::None, "EditCritterPID"});
    add("text_id", kTextIdOffset, D::Decimal, "EditIDNumber");
    add("fid", kFidOffset, D::Hexadecimal, "EditFid");
    add("light_radius", 12, D::Decimal, "EditLightRadius");
    add("light_intensity", 16, D::Decimal, "EditLightIntensity");
    add("object_flags", 20, D::Hexadecimal, "EditObjectFlags");
    add("action_flags", 24, D::Hexadecimal, "EditActionFlags");
    add("script_id", 28, D::Decimal, "EditScriptId");
    add("head_fid", 32, D::Hexadecimal, "EditHeadFid");
    add("ai_packet", 36, D::Decimal, "EditAIPacket");
    add("team", 40, D::Decimal, "EditTeamNumber");
    add("critter_flags", 44, D::Hexadecimal, "EditCritterFlags");
    for (bool extra : {false, true}) {
        const std::vector<const char*> controls = BlockControls(extra);
        for (int i = 0; i < kBlockFieldCount; ++i)
            add(std::string(extra ? "extra." : "base.") + kBlockKeys[static_cast<std::size_t>(i)],
                kBaseBlockOffset + (extra ? kExtraBlockShift : 0) + 4 * i, D::Decimal,
                controls[static_cast<std::size_t>(i)]);
    }
    for (int i = 0; i < kSkillCount; ++i)
        add(std::string("skills.") + kSkillKeys[static_cast<std::size_t>(i)], kSkillBlockOffset + 4 * i, D::Decimal,
            kSkills[static_cast<std::size_t>(i)].extra);
    add("body_type", 400, D::Enum, "ComboBodyType", EnumList::BodyType);
    add("exp", kExperienceOffset, D::Decimal, "EditExpPoints");
    add("kill_type", 408, D::Enum, "ComboKillType", EnumList::KillType);
    add("damage_type", 412, D::Enum, "ComboDamageType", EnumList::DamageType);
    return layout;
}

const std::vector<EnumItem> kBodyTypes = {{0, "Biped"}, {1, "Quadruped"}, {2, "Robotic"}};

const std::vector<EnumItem> kSecondGameKillTypes = {
    {0, "Men"},     {1, "Women"},        {2, "Children"},    {3, "Super Mutants"}, {4, "Ghouls"},
    {5, "Brahmin"}, {6, "Radscorpions"}, {7, "Rats"},        {8, "Floaters"},      {9, "Centaurs"},
    {10, "Robots"}, {11, "Dogs"},        {12, "Manti"},      {13, "Deathclaws"},   {14, "Plants"},
    {15, "Geckos"}, {16, "Aliens"},      {17, "Giant Ants"}, {18, "Big Bad Boss"}};
constexpr std::size_t kFirstGameKillTypeCount = 15;
const std::vector<EnumItem> kFirstGameKillTypes(kSecondGameKillTypes.begin(),
                                                kSecondGameKillTypes.begin() + kFirstGameKillTypeCount);

const std::vector<EnumItem> kDamageTypes = {{0, "Normal"},     {1, "Laser"}, {2, "Fire"},     {3, "Plasma"},
                                            {4, "Electrical"}, {5, "EMP"},   {6, "Explosion"}};

const std::vector<EnumItem> kItemSubtypes = {{0, "Armor"}, {1, "Container"}, {2, "Drug"}, {3, "Weapon"},
                                             {4, "Ammo"},  {5, "Misc"},      {6, "Key"}};
const std::vector<EnumItem> kScenerySubtypes = {{0, "Door"},      {1, "Stairs"},      {2, "Elevator"},
                                                {3, "Ladder up"}, {4, "Ladder down"}, {5, "Generic"}};
const std::vector<EnumItem> kMaterials = {{0, "Glass"}, {1, "Metal"}, {2, "Plastic"}, {3, "Wood"},
                                          {4, "Dirt"},  {5, "Stone"}, {6, "Cement"},  {7, "Leather"}};
const std::vector<EnumItem> kWeaponAnimations = {
    {0, "None"}, {1, "Knife"}, {2, "Club"},    {3, "Hammer"},  {4, "Spear"},           {5, "Pistol"},
    {6, "SMG"},  {7, "Rifle"}, {8, "Big gun"}, {9, "Minigun"}, {10, "Rocket launcher"}};

const std::vector<FlagBit> kCritterFlagBits = {{0x2, "Barter"},           {0x20, "No steal"},
                                               {0x40, "No drop"},         {0x80, "No limbs"},
                                               {0x100, "No ages"},        {0x200, "No heal"},
                                               {0x400, "Invulnerable"},   {0x800, "No flatten"},
                                               {0x1000, "Special death"}, {0x2000, "Range hand-to-hand"},
                                               {0x4000, "No knock-back"}};

std::vector<WindowField> BuildWindowLayout()
{
    struct Row {
        const char* control;
        FieldConversion conversion;
        FieldGroup group;
        bool saved;
    };
    std::vector<Row> rows;
    // The statistic rows in the window's table order (damage values in DT, DR pairs per type).
    auto block = [&](FieldGroup group) {
        auto add = [&](const StatFields& f) {
            rows.push_back({group == FieldGroup::Extra ? f.extra : f.base, FieldConversion::None, group, true});
        };
        for (const StatFields& f : kPrimaryStats)
            add(f);
        for (const StatFields& f : kDerivedStats)
            add(f);
        for (const StatFields& f : kDamageStats)
            add(f);
    };
    rows.push_back({"EditCritterPID", FieldConversion::PidNumber, FieldGroup::Identity, true});
    rows.push_back({"EditIDNumber", FieldConversion::TextId, FieldGroup::Identity, true});
    block(FieldGroup::Base);
    rows.push_back({"ComboBoxGender", FieldConversion::Gender, FieldGroup::Base, true});
    block(FieldGroup::Extra);
    rows.push_back({kGenderFields.extra, FieldConversion::None, FieldGroup::Extra, false});
    rows.push_back({"EditExpPoints", FieldConversion::None, FieldGroup::Experience, true});
    for (const StatFields& skill : kSkills)
        rows.push_back({skill.extra, FieldConversion::None, FieldGroup::Skill, true});

    std::vector<WindowField> layout;
    for (const Row& row : rows) {
        const RecordField& field = *FindRecordFieldByControl(row.control);
        layout.push_back({row.control, field.offset, field.width, row.conversion, row.group, row.saved});
    }
    return layout;
}

} // namespace

bool IsCritterRecordSize(long long size) { return size == kFirstGameRecordSize || size == kSecondGameRecordSize; }

const std::vector<RecordField>& RecordLayout()
{
    static const std::vector<RecordField> layout = BuildRecordLayout();
    return layout;
}

const RecordField* FindRecordField(std::string_view key)
{
    for (const RecordField& field : RecordLayout())
        if (field.key == key)
            return &field;
    return nullptr;
}

const RecordField* FindRecordFieldByControl(std::string_view control)
{
    for (const RecordField& field : RecordLayout())
        if (field.control && control == field.control)
            return &field;
    return nullptr;
}

bool RecordHasField(const RecordField& field, std::size_t recordSize)
{
    return static_cast<std::size_t>(field.offset + field.width) <= recordSize;
}

const std::vector<EnumItem>& EnumItems(EnumList list, bool secondGame)
{
    static const std::vector<EnumItem> none;
    switch (list) {
    case EnumList::BodyType: return kBodyTypes;
    case EnumList::KillType: return secondGame ? kSecondGameKillTypes : kFirstGameKillTypes;
    case EnumList::DamageType: return kDamageTypes;
    case EnumList::ItemSubtype: return kItemSubtypes;
    case EnumList::ScenerySubtype: return kScenerySubtypes;
    case EnumList::Material: return kMaterials;
    case EnumList::WeaponAnimation: return kWeaponAnimations;
    case EnumList::None: break;
    }
    return none;
}

const char* EnumItemName(EnumList list, bool secondGame, std::int32_t value)
{
    for (const EnumItem& item : EnumItems(list, secondGame))
        if (item.value == value)
            return item.name;
    return nullptr;
}

std::string FieldValueText(const RecordField& field, std::int32_t value)
{
    if (field.display != FieldDisplay::Hexadecimal)
        return std::to_string(value);
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", 2 * field.width,
                  static_cast<unsigned>(static_cast<std::uint32_t>(value)));
    return text;
}

const std::vector<FlagBit>& CritterFlagBits() { return kCritterFlagBits; }

const std::vector<WindowField>& ProFieldLayout()
{
    static const std::vector<WindowField> layout = BuildWindowLayout();
    return layout;
}

} // namespace quarnel
