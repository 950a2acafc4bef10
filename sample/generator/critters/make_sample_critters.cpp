// Writes the demo game folders: FO1/ (412-byte prototypes) and FO2/ (416-byte
// prototypes), each with its name table pro_crit.ini. Every byte comes from
// the tables below; the critters and their names are invented.
//
// Usage: make_sample_critters [output folder]   (default: the sample/ source folder)
#include "proto/CritterFields.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace quarnel;

namespace {

// Offsets of the base block (the extra block lies kExtraBlockShift after it).
constexpr int kPrimaryOffset = 48;
constexpr int kDerivedOffset = 76;
constexpr int kThresholdOffset = 116;
constexpr int kResistanceOffset = 144;
constexpr int kFurtherBaseOffset = 172; // three base values the editor leaves alone
constexpr int kBodyTypeOffset = 400;
constexpr int kKillTypeOffset = 408;
constexpr int kLastFieldOffset = 412; // second-game records only

using Primaries = std::array<int, kPrimaryCount>;
using Damage = std::array<int, kDamageTypeCount>;

enum class Skills { Beast, Fighter, Civilian, Machine };

// Skill values at level 10, in stored skill order.
std::array<int, kSkillCount> SkillWeights(Skills profile)
{
    switch (profile) {
    case Skills::Beast: return {0, 0, 0, 30, 0, 0, 0, 0, 25, 0, 0, 0, 0, 0, 0, 0, 0, 15};
    case Skills::Fighter: return {40, 20, 10, 30, 30, 20, 10, 0, 10, 5, 0, 5, 0, 5, 0, 0, 5, 10};
    case Skills::Civilian: return {10, 0, 0, 10, 10, 5, 20, 10, 5, 10, 5, 5, 20, 25, 30, 35, 15, 10};
    case Skills::Machine: return {50, 60, 50, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0};
    }
    return {};
}

// Damage threshold and resistance sets: none, light, medium, heavy armour, machine plating.
constexpr std::array<Damage, 5> kThresholds = {Damage{0, 0, 0, 0, 0, 0, 0}, Damage{2, 0, 0, 0, 0, 0, 1},
                                               Damage{4, 4, 2, 2, 2, 0, 4}, Damage{6, 6, 4, 4, 3, 0, 6},
                                               Damage{8, 10, 8, 6, 0, 0, 8}};
constexpr std::array<Damage, 5> kResistances = {Damage{0, 0, 0, 0, 0, 0, 0}, Damage{20, 20, 10, 10, 20, 0, 20},
                                                Damage{30, 25, 20, 20, 30, 0, 25}, Damage{40, 35, 30, 30, 40, 0, 30},
                                                Damage{40, 60, 80, 50, 0, 90, 50}};

struct Critter {
    int number = 0;
    std::string name;        // raw bytes as the table holds them
    bool named = true;       // false: the table has no line for this critter
    std::string description; // written under number x 100 + 1 when not empty
    int textId = 0;
    std::string textIdName; // the table's name under a text ID that is not number x 100
    int fid = 0;
    int gender = 0;
    Primaries base{};
    Primaries extra{};
    std::array<int, kDerivedCount> derived{};
    std::array<int, kDerivedCount> derivedExtra{};
    int armour = 0;
    Damage thresholdExtra{};
    Damage resistanceExtra{};
    std::array<int, kSkillCount> skills{};
    int experience = 0;
    std::array<int, 3> further{0, 0, 30};
    int bodyType = 0;
    int killType = 0;

    // The derived base values as the game's formulas give them for the totals.
    Critter& FormulaDerived()
    {
        auto t = [this](int i) { return base[static_cast<std::size_t>(i)] + extra[static_cast<std::size_t>(i)]; };
        auto atLeast = [](int value, int bound) { return value < bound ? bound : value; };
        derived[kHitPoints] = atLeast(15 + t(kST) + 2 * t(kEN), 0);
        derived[kActionPoints] = atLeast(5 + t(kAG) / 2, 0);
        derived[kArmorClass] = atLeast(t(kAG), 0);
        derived[kUnarmedDamage] = 1;
        derived[kMeleeDamage] = atLeast(t(kST) - 5, 1);
        derived[kCarryWeight] = 25 + 25 * t(kST);
        derived[kSequence] = atLeast(2 * t(kPE), 0);
        derived[kHealingRate] = atLeast(t(kEN) / 3, 0);
        derived[kCriticalChance] = atLeast(t(kLU), 0);
        derived[kBetterCriticals] = 0;
        return *this;
    }
    Critter& Extra(Primaries values)
    {
        extra = values;
        return FormulaDerived();
    }
    Critter& Stored(int derivedIndex, int value)
    {
        derived[static_cast<std::size_t>(derivedIndex)] = value;
        return *this;
    }
    Critter& StoredExtra(int derivedIndex, int value)
    {
        derivedExtra[static_cast<std::size_t>(derivedIndex)] = value;
        return *this;
    }
    Critter& Armour(int set)
    {
        armour = set;
        return *this;
    }
    Critter& Skill(Skills profile, int level)
    {
        const auto weights = SkillWeights(profile);
        for (std::size_t i = 0; i < skills.size(); ++i)
            skills[i] = weights[i] * level / 10;
        return *this;
    }
    Critter& SkillValue(int skill, int value)
    {
        skills[static_cast<std::size_t>(skill)] = value;
        return *this;
    }
    Critter& Female()
    {
        gender = 1;
        killType = 1;
        return *this;
    }
    Critter& Unnamed()
    {
        named = false;
        return *this;
    }
    Critter& Describe(std::string text)
    {
        description = std::move(text);
        return *this;
    }
    Critter& TextId(int id, std::string name)
    {
        textId = id;
        textIdName = std::move(name);
        return *this;
    }
    Critter& Further(int a, int b, int c)
    {
        further = {a, b, c};
        return *this;
    }
    Critter& Kind(int body, int kill)
    {
        bodyType = body;
        killType = kill;
        return *this;
    }
};

class Folder {
public:
    Critter& Add(int number, std::string name, int fid, Primaries base, int experience)
    {
        Critter c;
        c.number = number;
        c.name = std::move(name);
        c.textId = number * 100;
        c.fid = fid;
        c.base = base;
        c.experience = experience;
        c.FormulaDerived().Skill(Skills::Civilian, 5);
        critters.push_back(c);
        return critters.back();
    }
    std::vector<Critter> critters;
};

// First game: ten critters, a UTF-8 name table.
Folder FirstGame()
{
    Folder f;
    f.Add(1, "Wanderer", 0, {6, 6, 6, 5, 6, 7, 4}, 100)
        .Skill(Skills::Fighter, 12)
        .Describe("A traveller with a worn pack.");
    f.Add(3, "Rat", 1, {2, 4, 2, 1, 1, 6, 3}, 15).Skill(Skills::Beast, 6).Kind(1, 7).Describe("A small grey rodent.");
    f.Add(4, "Mole Rat", 1, {4, 4, 4, 1, 1, 5, 4}, 40)
        .Extra({0, 0, -1, 0, 0, 0, 0})
        .Skill(Skills::Beast, 10)
        .Kind(1, 7);
    f.Add(7, "Wasteland Dog", 2, {5, 6, 4, 1, 2, 7, 4}, 60)
        .Extra({0, 1, 0, 0, 0, 1, 0})
        .Stored(kHitPoints, 22)
        .Stored(kActionPoints, 8)
        .Stored(kSequence, 9)
        .Skill(Skills::Beast, 14)
        .Kind(1, 11);
    f.Add(10, "Raider Scout", 3, {6, 7, 5, 3, 4, 8, 5}, 120)
        .Extra({0, -2, 0, 0, 0, 0, 1})
        .Armour(1)
        .Skill(Skills::Fighter, 10)
        .TextId(1050, "Raider Lookout")
        .Describe("Keeps watch for the raiders' camp.");
    f.Add(12, "Caf\xC3\xA9 Owner", 4, {4, 6, 5, 8, 7, 6, 6}, 35).Female().Skill(Skills::Civilian, 12);
    f.Add(15, "", 5, {5, 5, 5, 5, 5, 5, 5}, 25).Unnamed();
    f.Add(18, "Cave Gecko", 5, {3, 5, 3, 1, 1, 8, 5}, 30).Skill(Skills::Beast, 8).Further(20, 50, 3).Kind(1, 7);
    f.Add(20, "Vault Guard", 0, {7, 6, 7, 4, 5, 6, 5}, 250)
        .Armour(2)
        .Skill(Skills::Fighter, 14)
        .StoredExtra(kArmorClass, -5);
    f.critters.back().thresholdExtra = {-2, 0, 0, 0, 0, 0, 0};
    f.Add(25, "Giant Ant", 2, {12, 3, 11, 1, 1, 4, 2}, 500)
        .Stored(kHitPoints, 200)
        .Stored(kMeleeDamage, 12)
        .Stored(kCarryWeight, 0)
        .Armour(1)
        .Skill(Skills::Beast, 20)
        .Kind(1, 12)
        .Describe("Far too large for an ant.");
    return f;
}

// Second game: twenty-four critters, a Windows-1252 name table.
Folder SecondGame()
{
    Folder f;
    f.Add(1, "Traveller", 0, {5, 6, 6, 6, 7, 6, 5}, 100).Skill(Skills::Fighter, 10);
    f.Add(2, "Farmer", 1, {6, 5, 7, 4, 4, 5, 5}, 20).Skill(Skills::Civilian, 8).Describe("Tends a dusty field.");
    f.Add(3, "Rat", 1, {2, 4, 2, 1, 1, 6, 3}, 15).Skill(Skills::Beast, 6).Kind(1, 7).Describe("A small grey rodent.");
    f.Add(5, "Mole Rat", 2, {4, 4, 4, 1, 1, 5, 4}, 40)
        .Extra({0, 0, -1, 0, 0, 0, 0})
        .Skill(Skills::Beast, 10)
        .Kind(1, 7);
    f.Add(8, "Wasteland Dog", 2, {5, 6, 4, 1, 2, 7, 4}, 60)
        .Stored(kHitPoints, 26)
        .Stored(kActionPoints, 9)
        .Skill(Skills::Beast, 14)
        .Kind(1, 11);
    f.Add(11, "Raider Scout", 3, {6, 7, 5, 3, 4, 8, 5}, 120)
        .Extra({0, -2, 0, 0, 0, 0, 1})
        .Armour(1)
        .Skill(Skills::Fighter, 10);
    f.Add(14, "Se\xF1ora Vela", 4, {4, 7, 5, 9, 8, 6, 7}, 45)
        .Female()
        .Skill(Skills::Civilian, 14)
        .Describe("Runs the water trade with a firm hand.");
    f.Add(17, "Junk Trader", 3, {5, 5, 6, 7, 6, 5, 6}, 30)
        .TextId(1750, "Travelling Junk Trader")
        .Skill(Skills::Civilian, 11);
    f.Add(21, "Caravan Guard", 5, {7, 6, 7, 4, 5, 6, 5}, 220).Armour(2).Skill(Skills::Fighter, 15);
    f.Add(26, "Sand Lizard", 5, {3, 5, 3, 1, 1, 8, 5}, 30).Skill(Skills::Beast, 8).Further(20, 50, 3).Kind(1, 15);
    f.Add(33, "Giant Ant", 0, {8, 3, 8, 1, 1, 4, 2}, 350)
        .Stored(kHitPoints, 90)
        .Stored(kCarryWeight, 0)
        .Armour(1)
        .Skill(Skills::Beast, 18)
        .Kind(1, 17);
    f.Add(40, "", 1, {5, 5, 5, 5, 5, 5, 5}, 25).Unnamed();
    f.Add(48, "Mutated Wasp", 2, {3, 8, 3, 1, 1, 10, 6}, 80)
        .Extra({0, 0, 0, 0, 0, 2, 0})
        .StoredExtra(kSequence, 4)
        .Skill(Skills::Beast, 12)
        .Kind(1, 8);
    f.Add(56, "Town Sheriff", 3, {7, 8, 6, 6, 6, 7, 6}, 400)
        .Armour(2)
        .Skill(Skills::Fighter, 18)
        .StoredExtra(kHitPoints, 15)
        .SkillValue(kSpeech, 45);
    f.Add(64, "Desert Nomad", 4, {6, 7, 7, 4, 5, 7, 5}, 90)
        .Armour(1)
        .Skill(Skills::Fighter, 9)
        .SkillValue(kOutdoorsman, 60);
    f.Add(71, "Old Hermit", 5, {4, 6, 4, 3, 9, 5, 10}, 75)
        .Extra({-1, 0, 0, 0, 0, -2, 0})
        .Skill(Skills::Civilian, 16)
        .SkillValue(kSneak, -10)
        .Further(0, 0, 78)
        .Describe("Has lived alone for longer than he remembers.");
    f.Add(80, "Tribal Hunter", 0, {6, 8, 6, 4, 4, 8, 6}, 110).Skill(Skills::Fighter, 12).SkillValue(kThrowing, 70);
    f.Add(99, "Street Kid", 1, {2, 6, 3, 6, 5, 9, 8}, 10)
        .Skill(Skills::Civilian, 6)
        .SkillValue(kSteal, 55)
        .Further(0, 0, 11);
    f.Add(100, "Mercenary", 2, {8, 6, 8, 3, 5, 7, 5}, 600)
        .Armour(3)
        .Skill(Skills::Fighter, 20)
        .StoredExtra(kCriticalChance, 5)
        .StoredExtra(kBetterCriticals, 20);
    f.Add(123, "Scavenger", 3, {5, 5, 5, 5, 5, 5, 5}, 50)
        .Skill(Skills::Civilian, 10)
        .Describe("Picks through the ruins for anything useful.");
    f.Add(150, "Guard Robot", 4, {10, 8, 14, 0, 3, 4, 5}, 1500)
        .Stored(kHitPoints, 400)
        .Stored(kActionPoints, 6)
        .Stored(kHealingRate, 0)
        .Stored(kUnarmedDamage, 15)
        .Armour(4)
        .Skill(Skills::Machine, 10)
        .Further(100, 100, 0)
        .Kind(2, 10);
    f.critters.back().resistanceExtra = {0, 0, -20, 0, 0, -50, 0};
    f.Add(201, "Bandit Leader", 5, {8, 7, 7, 7, 6, 7, 6}, 800)
        .Stored(kHitPoints, 95)
        .Stored(kSequence, 16)
        .Armour(3)
        .Skill(Skills::Fighter, 22)
        .StoredExtra(kMeleeDamage, 3);
    f.Add(256, "Swamp Toad", 0, {4, 4, 6, 1, 1, 3, 4}, 35)
        .Extra({0, 0, 0, 0, 0, -1, -2})
        .Skill(Skills::Beast, 5)
        .Kind(1, 7);
    f.Add(300, "Feral Hog", 1, {7, 3, 8, 1, 1, 4, 3}, 65).Skill(Skills::Beast, 12).Kind(1, 5);
    return f;
}

void Put(std::vector<std::uint8_t>& bytes, int offset, int width, int value)
{
    EncodeBigEndian(bytes.data() + offset, width, value);
}

std::vector<std::uint8_t> Record(const Critter& c, int size)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size), 0);
    Put(bytes, 0, 2, 0x0100); // upper half of the PID: a critter
    Put(bytes, kPidNumberOffset, 2, c.number);
    Put(bytes, kTextIdOffset, 4, c.textId);
    Put(bytes, 8, 3, 0x010000); // upper bytes of the FID
    Put(bytes, kFidIndexOffset, 1, c.fid);
    // Header bytes the editor leaves alone: small invented numbers, so that a
    // changed byte would show.
    Put(bytes, 32, 4, c.number % 7);
    Put(bytes, 36, 4, 100 + c.number);
    for (int i = 0; i < kPrimaryCount; ++i) {
        Put(bytes, kPrimaryOffset + 4 * i, 4, c.base[static_cast<std::size_t>(i)]);
        Put(bytes, kPrimaryOffset + 4 * i + kExtraBlockShift, 4, c.extra[static_cast<std::size_t>(i)]);
    }
    for (int i = 0; i < kDerivedCount; ++i) {
        Put(bytes, kDerivedOffset + 4 * i, 4, c.derived[static_cast<std::size_t>(i)]);
        Put(bytes, kDerivedOffset + 4 * i + kExtraBlockShift, 4, c.derivedExtra[static_cast<std::size_t>(i)]);
    }
    const auto set = static_cast<std::size_t>(c.armour);
    for (int t = 0; t < kDamageTypeCount; ++t) {
        const auto k = static_cast<std::size_t>(t);
        Put(bytes, kThresholdOffset + 4 * t, 4, kThresholds[set][k]);
        Put(bytes, kThresholdOffset + 4 * t + kExtraBlockShift, 4, c.thresholdExtra[k]);
        Put(bytes, kResistanceOffset + 4 * t, 4, kResistances[set][k]);
        Put(bytes, kResistanceOffset + 4 * t + kExtraBlockShift, 4, c.resistanceExtra[k]);
    }
    for (int i = 0; i < 3; ++i)
        Put(bytes, kFurtherBaseOffset + 4 * i, 4, c.further[static_cast<std::size_t>(i)]);
    Put(bytes, kBaseGenderOffset, 4, c.gender);
    Put(bytes, kExtraGenderOffset, 4, 0);
    for (int i = 0; i < kSkillCount; ++i)
        Put(bytes, kSkillBlockOffset + 4 * i, 4, c.skills[static_cast<std::size_t>(i)]);
    Put(bytes, kBodyTypeOffset, 4, c.bodyType);
    Put(bytes, kExperienceOffset, 4, c.experience);
    Put(bytes, kKillTypeOffset, 4, c.killType);
    if (size > kLastFieldOffset)
        Put(bytes, kLastFieldOffset, 4, c.number % 4);
    return bytes;
}

void WriteFile(const fs::path& file, const void* data, std::size_t size)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

void WriteFolder(const fs::path& folder, const Folder& game, int recordSize)
{
    fs::create_directories(folder);
    // Remove what an earlier run wrote, so that a critter dropped from the
    // tables does not linger.
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string ext = entry.path().extension().string();
        for (char& ch : ext)
            ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
        if (entry.is_regular_file() && (ext == ".pro" || entry.path().filename() == "pro_crit.ini"))
            fs::remove(entry.path());
    }

    std::string table = "[Description]\r\n";
    for (const Critter& c : game.critters) {
        char name[16];
        std::snprintf(name, sizeof name, "%08d.pro", c.number);
        const std::vector<std::uint8_t> bytes = Record(c, recordSize);
        WriteFile(folder / name, bytes.data(), bytes.size());
        if (c.named)
            table += std::to_string(c.number * 100) + "=" + c.name + "\r\n";
        if (!c.description.empty())
            table += std::to_string(c.number * 100 + 1) + "=" + c.description + "\r\n";
        if (!c.textIdName.empty())
            table += std::to_string(c.textId) + "=" + c.textIdName + "\r\n";
    }
    WriteFile(folder / "pro_crit.ini", table.data(), table.size());
    std::printf("%s: %zu critters of %d bytes\n", folder.string().c_str(), game.critters.size(), recordSize);
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path out = argc > 1 ? fs::path(argv[1]) : fs::path(QUARNEL_SAMPLE_DIR);
    try {
        WriteFolder(out / "FO1", FirstGame(), kFirstGameRecordSize);
        WriteFolder(out / "FO2", SecondGame(), kSecondGameRecordSize);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample_critters: %s\n", e.what());
        return 1;
    }
    return 0;
}
