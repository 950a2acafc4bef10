#include "proto/CritterFields.h"

namespace quarnel {

const std::array<StatFields, kPrimaryCount> kPrimaryStats = {{
    {"ST", "EditST", "EditBaseST", "EditExtraST"},
    {"PE", "EditPE", "EditBasePE", "EditExtraPE"},
    {"EN", "EditEN", "EditBaseEN", "EditExtraEN"},
    {"CH", "EditCH", "EditBaseCH", "EditExtraCH"},
    {"INT", "EditINT", "EditBaseINT", "EditExtraINT"},
    {"AG", "EditAG", "EditBaseAG", "EditExtraAG"},
    {"LK", "EditLU", "EditBaseLU", "EditExtraLU"},
}};

const std::array<StatFields, kDerivedCount> kDerivedStats = {{
    {"Hit points", "EditHP", "EditBaseHP", "EditExtraHP"},
    {"Ac. points", "EditAP", "EditBaseAP", "EditExtraAP"},
    {"AC", "EditAC", "EditBaseAC", "EditExtraAC"},
    {"Unarmed", "EditUnarmed", "EditBaseUnarmed", "EditExtraUnarmed"},
    {"Melee", "EditMelee", "EditBaseMelee", "EditExtraMelee"},
    {"Carry weight", "EditCarryWeight", "EditBaseCarryWeight", "EditExtraCarryWeight"},
    {"Sequence", "EditSequence", "EditBaseSequence", "EditExtraSequence"},
    {"Healing rate", "EditHealingRate", "EditBaseHealingRate", "EditExtraHealingRate"},
    {"Crit chance", "EditCriticalChance", "EditBaseCriticalChance", "EditExtraCriticalChance"},
    {"Better crit.", "EditBetterCriticals", "EditBaseBetterCriticals", "EditExtraBetterCriticals"},
}};

const std::array<StatFields, 2 * kDamageTypeCount> kDamageStats = {{
    {"N_DT", "EditCritterDTnormal", "EditBaseDTnormal", "EditExtraDTnormal"},
    {"N_DR", "EditCritterDRnormal", "EditBaseDRnormal", "EditExtraDRnormal"},
    {"L_DT", "EditCritterDTlaser", "EditBaseDTlaser", "EditExtraDTlaser"},
    {"L_DR", "EditCritterDRlaser", "EditBaseDRlaser", "EditExtraDRlaser"},
    {"F_DT", "EditCritterDTfire", "EditBaseDTfire", "EditExtraDTfire"},
    {"F_DR", "EditCritterDRfire", "EditBaseDRfire", "EditExtraDRfire"},
    {"P_DT", "EditCritterDTplasma", "EditBaseDTplasma", "EditExtraDTplasma"},
    {"P_DR", "EditCritterDRplasma", "EditBaseDRplasma", "EditExtraDRplasma"},
    {"EL_DT", "EditCritterDTelectrical", "EditBaseDTelectrical", "EditExtraDTelectrical"},
    {"EL_DR", "EditCritterDRelectrical", "EditBaseDRelectrical", "EditExtraDRelectrical"},
    {"EM_DT", "EditCritterDTemp", "EditBaseDTemp", "EditExtraDTemp"},
    {"EM_DR", "EditCritterDRemp", "EditBaseDRemp", "EditExtraDRemp"},
    {"EX_DT", "EditCritterDTexplode", "EditBaseDTexplode", "EditExtraDTexplode"},
    {"EX_DR", "EditCritterDRexplode", "EditBaseDRexplode", "EditExtraDRexplode"},
}};

const std::array<StatFields, kSkillCount> kSkills = {{
    {"Small guns", "EditSkillSmallguns", "EditSkillSmallGunsBase", "EditSkillSmallGunsExtra"},
    {"Big guns", "EditSkillBigGuns", "EditSkillBigGunsBase", "EditSkillBigGunsExtra"},
    {"Energy guns", "EditSkillEnergyGuns", "EditSkillEnergyGunsBase", "EditSkillEnergyGunsExtra"},
    {"Unarmed", "EditSkillUnarmed", "EditSkillUnarmedBase", "EditSkillUnarmedExtra"},
    {"Melee", "EditSkillMelee", "EditSkillMeleeBase", "EditSkillMeleeExtra"},
    {"Throwing", "EditSkillThrowing", "EditSkillThrowingBase", "EditSkillThrowingExtra"},
    {"First aid", "EditSkillFirstAid", "EditSkillFirstAidBase", "EditSkillFirstAidExtra"},
    {"Doctor", "EditSkillDoctor", "EditSkillDoctorBase", "EditSkillDoctorExtra"},
    {"Sneak", "EditSkillSneak", "EditSkillSneakBase", "EditSkillSneakExtra"},
    {"Lockpick", "EditSkillLockpick", "EditSkillLockpickBase", "EditSkillLockpickExtra"},
    {"Steal", "EditSkillSteal", "EditSkillStealBase", "EditSkillStealExtra"},
    {"Traps", "EditSkillTraps", "EditSkillTrapsBase", "EditSkillTrapsExtra"},
    {"Science", "EditSkillScience", "EditSkillScienceBase", "EditSkillScienceExtra"},
    {"Repair", "EditSkillRepair", "EditSkillRepairBase", "EditSkillRepairExtra"},
    {"Speech", "EditSkillSpeech", "EditSkillSpeechBase", "EditSkillSpeechExtra"},
    {"Barter", "EditSkillBarter", "EditSkillBarterBase", "EditSkillBarterExtra"},
    {"Gambling", "EditSkillGambling", "EditSkillGamblingBase", "EditSkillGamblingExtra"},
    {"Outdoorsman", "EditSkillOutdoorsman", "EditSkillOutdoorsmanBase", "EditSkillOutdoorsmanExtra"},
}};

const StatFields kGenderFields = {"Gender", "EditGender", "EditBaseGender", "EditExtraGender"};

} // namespace quarnel
