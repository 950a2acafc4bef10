#pragma once
// The fields of a critter prototype record as the file format describes them,
// written out byte offset by byte offset, independently of the product's
// layout table, so that tests can check that table and the bytes a save writes.
#include <array>

namespace quarnel::test {

struct RecordField {
    const char* control;
    int offset;
    int width;
    bool saved;
};

inline constexpr std::array<RecordField, 85> kRecordFields = {{
    {"EditCritterPID", 2, 2, true},
    {"EditIDNumber", 4, 4, true},
    // base block
    {"EditBaseST", 48, 4, true},
    {"EditBasePE", 52, 4, true},
    {"EditBaseEN", 56, 4, true},
    {"EditBaseCH", 60, 4, true},
    {"EditBaseINT", 64, 4, true},
    {"EditBaseAG", 68, 4, true},
    {"EditBaseLU", 72, 4, true},
    {"EditBaseHP", 76, 4, true},
    {"EditBaseAP", 80, 4, true},
    {"EditBaseAC", 84, 4, true},
    {"EditBaseUnarmed", 88, 4, true},
    {"EditBaseMelee", 92, 4, true},
    {"EditBaseCarryWeight", 96, 4, true},
    {"EditBaseSequence", 100, 4, true},
    {"EditBaseHealingRate", 104, 4, true},
    {"EditBaseCriticalChance", 108, 4, true},
    {"EditBaseBetterCriticals", 112, 4, true},
    {"EditBaseDTnormal", 116, 4, true},
    {"EditBaseDTlaser", 120, 4, true},
    {"EditBaseDTfire", 124, 4, true},
    {"EditBaseDTplasma", 128, 4, true},
    {"EditBaseDTelectrical", 132, 4, true},
    {"EditBaseDTemp", 136, 4, true},
    {"EditBaseDTexplode", 140, 4, true},
    {"EditBaseDRnormal", 144, 4, true},
    {"EditBaseDRlaser", 148, 4, true},
    {"EditBaseDRfire", 152, 4, true},
    {"EditBaseDRplasma", 156, 4, true},
    {"EditBaseDRelectrical", 160, 4, true},
    {"EditBaseDRemp", 164, 4, true},
    {"EditBaseDRexplode", 168, 4, true},
    {"ComboBoxGender", 184, 4, true},
    // extra block
    {"EditExtraST", 188, 4, true},
    {"EditExtraPE", 192, 4, true},
    {"EditExtraEN", 196, 4, true},
    {"EditExtraCH", 200, 4, true},
    {"EditExtraINT", 204, 4, true},
    {"EditExtraAG", 208, 4, true},
    {"EditExtraLU", 212, 4, true},
    {"EditExtraHP", 216, 4, true},
    {"EditExtraAP", 220, 4, true},
    {"EditExtraAC", 224, 4, true},
    {"EditExtraUnarmed", 228, 4, true},
    {"EditExtraMelee", 232, 4, true},
    {"EditExtraCarryWeight", 236, 4, true},
    {"EditExtraSequence", 240, 4, true},
    {"EditExtraHealingRate", 244, 4, true},
    {"EditExtraCriticalChance", 248, 4, true},
    {"EditExtraBetterCriticals", 252, 4, true},
    {"EditExtraDTnormal", 256, 4, true},
    {"EditExtraDTlaser", 260, 4, true},
    {"EditExtraDTfire", 264, 4, true},
    {"EditExtraDTplasma", 268, 4, true},
    {"EditExtraDTelectrical", 272, 4, true},
    {"EditExtraDTemp", 276, 4, true},
    {"EditExtraDTexplode", 280, 4, true},
    {"EditExtraDRnormal", 284, 4, true},
    {"EditExtraDRlaser", 288, 4, true},
    {"EditExtraDRfire", 292, 4, true},
    {"EditExtraDRplasma", 296, 4, true},
    {"EditExtraDRelectrical", 300, 4, true},
    {"EditExtraDRemp", 304, 4, true},
    {"EditExtraDRexplode", 308, 4, true},
    {"EditExtraGender", 324, 4, false},
    // skills (their stored value is the extra value)
    {"EditSkillSmallGunsExtra", 328, 4, true},
    {"EditSkillBigGunsExtra", 332, 4, true},
    {"EditSkillEnergyGunsExtra", 336, 4, true},
    {"EditSkillUnarmedExtra", 340, 4, true},
    {"EditSkillMeleeExtra", 344, 4, true},
    {"EditSkillThrowingExtra", 348, 4, true},
    {"EditSkillFirstAidExtra", 352, 4, true},
    {"EditSkillDoctorExtra", 356, 4, true},
    {"EditSkillSneakExtra", 360, 4, true},
    {"EditSkillLockpickExtra", 364, 4, true},
    {"EditSkillStealExtra", 368, 4, true},
    {"EditSkillTrapsExtra", 372, 4, true},
    {"EditSkillScienceExtra", 376, 4, true},
    {"EditSkillRepairExtra", 380, 4, true},
    {"EditSkillSpeechExtra", 384, 4, true},
    {"EditSkillBarterExtra", 388, 4, true},
    {"EditSkillGamblingExtra", 392, 4, true},
    {"EditSkillOutdoorsmanExtra", 396, 4, true},
    {"EditExpPoints", 404, 4, true},
}};

} // namespace quarnel::test
