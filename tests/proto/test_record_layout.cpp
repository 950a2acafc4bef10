// The whole-record table: every byte named once, keys where the record puts
// them, the window's fields resolved through it, and the item lists against
// real critters.
#include <doctest/doctest.h>

#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "ProtoBuilder.h"
#include "TestDataFolders.h"

#include <set>
#include <string>

using namespace quarnel;
using quarnel::test::ReadAllBytes;
namespace fs = std::filesystem;

TEST_CASE("every byte of the record is named once, in file order")
{
    int next = 0;
    std::set<std::string> keys;
    std::set<std::string> controls;
    for (const RecordField& field : RecordLayout()) {
        CAPTURE(field.key);
        CHECK(field.offset == next);
        CHECK(keys.insert(field.key).second);
        if (field.control)
            CHECK(controls.insert(field.control).second);
        CHECK(field.isSigned == (field.width == 4));
        CHECK((field.display == FieldDisplay::Enum) == (field.list != EnumList::None));
        CHECK(FindRecordField(field.key) == &field);
        next += field.width;
    }
    CHECK(next == kSecondGameRecordSize);
    CHECK(int(RecordLayout().size()) == 13 + 2 * kBlockFieldCount + 18 + 4);
    CHECK(FindRecordField("base.Strength") == nullptr);
    // Each base value has its extra value 140 bytes further on.
    for (const RecordField& field : RecordLayout())
        if (field.key.rfind("base.", 0) == 0) {
            CAPTURE(field.key);
            const RecordField* extra = FindRecordField("extra." + field.key.substr(5));
            REQUIRE(extra);
            CHECK(extra->offset == field.offset + kExtraBlockShift);
        }
}

TEST_CASE("keys sit at their offsets with their controls and displays")
{
    struct Row {
        const char* key;
        int offset;
        const char* control;
        FieldDisplay display;
    };
    constexpr auto dec = FieldDisplay::Decimal, hex = FieldDisplay::Hexadecimal, list = FieldDisplay::Enum;
    const Row rows[] = {
        {"pid_type", 0, "EditPidType", hex},
        {"pid", 2, "EditCritterPID", dec},
        {"text_id", 4, "EditIDNumber", dec},
        {"fid", 8, "EditFid", hex},
        {"light_radius", 12, "EditLightRadius", dec},
        {"light_intensity", 16, "EditLightIntensity", dec},
        {"object_flags", 20, "EditObjectFlags", hex},
        {"action_flags", 24, "EditActionFlags", hex},
        {"script_id", 28, "EditScriptId", dec},
        {"head_fid", 32, "EditHeadFid", hex},
        {"ai_packet", 36, "EditAIPacket", dec},
        {"team", 40, "EditTeamNumber", dec},
        {"critter_flags", 44, "EditCritterFlags", hex},
        {"base.ST", 48, "EditBaseST", dec},
        {"base.BetterCriticals", 112, "EditBaseBetterCriticals", dec},
        {"base.DTexplode", 140, "EditBaseDTexplode", dec},
        {"base.DRnormal", 144, "EditBaseDRnormal", dec},
        {"base.Radiation", 172, "EditBaseRadiation", dec},
        {"base.Poison", 176, "EditBasePoison", dec},
        {"base.Age", 180, "EditBaseAge", dec},
        {"base.Gender", 184, "ComboBoxGender", dec},
        {"extra.ST", 188, "EditExtraST", dec},
        {"extra.DRexplode", 308, "EditExtraDRexplode", dec},
        {"extra.Radiation", 312, "EditExtraRadiation", dec},
        {"extra.Age", 320, "EditExtraAge", dec},
        {"extra.Gender", 324, "EditExtraGender", dec},
        {"skills.SmallGuns", 328, "EditSkillSmallGunsExtra", dec},
        {"skills.Outdoorsman", 396, "EditSkillOutdoorsmanExtra", dec},
        {"body_type", 400, "ComboBodyType", list},
        {"exp", 404, "EditExpPoints", dec},
        {"kill_type", 408, "ComboKillType", list},
        {"damage_type", 412, "ComboDamageType", list},
    };
    for (const Row& row : rows) {
        CAPTURE(row.key);
        const RecordField* field = FindRecordField(row.key);
        REQUIRE(field);
        CHECK(field->offset == row.offset);
        CHECK(std::string(field->control ? field->control : "") == row.control);
        CHECK(field->display == row.display);
        CHECK(FindRecordFieldByControl(row.control) == field);
        CHECK(RecordHasField(*field, kFirstGameRecordSize) == (row.offset < kFirstGameRecordSize));
    }
}

TEST_CASE("the window's fields come from the record table")
{
    for (const WindowField& windowField : ProFieldLayout()) {
        CAPTURE(windowField.control);
        const RecordField* field = FindRecordFieldByControl(windowField.control);
        REQUIRE(field);
        CHECK(windowField.offset == field->offset);
        CHECK(windowField.width == field->width);
    }
    // The byte the preview reads is the lowest byte of the FID.
    const RecordField& fid = *FindRecordField("fid");
    CHECK(kFidIndexOffset == fid.offset + fid.width - 1);
}

TEST_CASE("item lists per game and the critter flag bits")
{
    CHECK(EnumItems(EnumList::KillType, true).size() == 19);
    CHECK(EnumItems(EnumList::KillType, false).size() == 15);
    CHECK(std::string(EnumItemName(EnumList::KillType, false, 14)) == "Plants");
    CHECK(EnumItemName(EnumList::KillType, false, 15) == nullptr);
    CHECK(std::string(EnumItemName(EnumList::KillType, true, 18)) == "Big Bad Boss");
    CHECK(std::string(EnumItemName(EnumList::BodyType, false, 2)) == "Robotic");
    CHECK(EnumItemName(EnumList::BodyType, true, -1) == nullptr);
    CHECK(std::string(EnumItemName(EnumList::DamageType, true, 6)) == "Explosion");
    // Each bit by its mask and name, lowest first, so two swapped names fail.
    const std::pair<std::uint32_t, std::string> expected[] = {{0x2, "Barter"},           {0x20, "No steal"},
                                                              {0x40, "No drop"},         {0x80, "No limbs"},
                                                              {0x100, "No ages"},        {0x200, "No heal"},
                                                              {0x400, "Invulnerable"},   {0x800, "No flatten"},
                                                              {0x1000, "Special death"}, {0x2000, "Range hand-to-hand"},
                                                              {0x4000, "No knock-back"}};
    const std::vector<FlagBit>& bits = CritterFlagBits();
    REQUIRE(bits.size() == std::size(expected));
    for (std::size_t i = 0; i < bits.size(); ++i) {
        CAPTURE(i);
        CHECK(bits[i].mask == expected[i].first);
        CHECK(std::string(bits[i].name) == expected[i].second);
    }
}

TEST_CASE("real critters show named items and known flags only")
{
    const fs::path root = quarnel::test::DataFolder(QUARNEL_SHARED_TESTDATA);
    if (!quarnel::test::IsPresent(root))
        return quarnel::test::ReportSkipped("shared test data not present");
    std::uint32_t knownFlags = 0;
    for (const FlagBit& bit : CritterFlagBits())
        knownFlags |= bit.mask;
    int files = 0;
    for (const char* game : {"FO1", "FO2"})
        for (const auto& entry : fs::directory_iterator(root / game)) {
            const auto ext = entry.path().extension().string();
            if (ext != ".pro" && ext != ".PRO")
                continue;
            ++files;
            const bool secondGame = std::string(game) == "FO2";
            const std::string name = entry.path().filename().string();
            CAPTURE(name);
            // Read as plain bytes: the shared files are read-only, and the
            // tests may run as a user who cannot open them for writing.
            const std::vector<std::uint8_t> bytes = ReadAllBytes(entry.path());
            REQUIRE(bytes.size() == std::size_t(secondGame ? kSecondGameRecordSize : kFirstGameRecordSize));
            auto value = [&](const RecordField& field) {
                return DecodeBigEndian(bytes.data() + field.offset, field.width);
            };
            for (const RecordField& field : RecordLayout()) {
                CAPTURE(field.key);
                CHECK(RecordHasField(field, bytes.size()) == (field.key != "damage_type" || secondGame));
                if (!RecordHasField(field, bytes.size()) || field.list == EnumList::None)
                    continue;
                CHECK(EnumItemName(field.list, secondGame, value(field)) != nullptr);
            }
            CHECK(value(*FindRecordField("pid_type")) == 0x0100);
            const auto flags = std::uint32_t(value(*FindRecordField("critter_flags")));
            CHECK((flags & ~knownFlags) == 0u);
        }
    CHECK(files >= 40);
}
