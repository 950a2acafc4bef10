#include "proto/ProLayout.h"

#include "proto/CritterFields.h"

namespace quarnel {
namespace {

constexpr int kPrimaryBase = 48;
constexpr int kDerivedBase = 76;
constexpr int kThresholdBase = 116;
constexpr int kResistanceBase = 144;

// Base offset of the n-th row of the damage table (pairs DT, DR per type).
int DamageOffset(int row)
{
    int type = row / 2;
    return (row % 2 == 0 ? kThresholdBase : kResistanceBase) + 4 * type;
}

// Appends the base or extra fields of the statistic rows, in table order.
void AppendStatBlock(std::vector<ProFieldSpec>& layout, FieldGroup group)
{
    const bool extra = group == FieldGroup::Extra;
    const int shift = extra ? kExtraBlockShift : 0;
    auto add = [&](const StatFields& fields, int baseOffset) {
        layout.push_back({extra ? fields.extra : fields.base, baseOffset + shift, 4, FieldConversion::None, group, true});
    };
    for (int i = 0; i < kPrimaryCount; ++i)
        add(kPrimaryStats[i], kPrimaryBase + 4 * i);
    for (int i = 0; i < kDerivedCount; ++i)
        add(kDerivedStats[i], kDerivedBase + 4 * i);
    for (int i = 0; i < 2 * kDamageTypeCount; ++i)
        add(kDamageStats[i], DamageOffset(i));
}

std::vector<ProFieldSpec> BuildLayout()
{
    std::vector<ProFieldSpec> layout;
    layout.push_back({"EditCritterPID", kPidNumberOffset, 2, FieldConversion::PidNumber, FieldGroup::Identity, true});
    layout.push_back({"EditIDNumber", kTextIdOffset, 4, FieldConversion::TextId, FieldGroup::Identity, true});
    AppendStatBlock(layout, FieldGroup::Base);
    layout.push_back({"ComboBoxGender", kBaseGenderOffset, 4, FieldConversion::Gender, FieldGroup::Base, true});
    AppendStatBlock(layout, FieldGroup::Extra);
    layout.push_back({kGenderFields.extra, kExtraGenderOffset, 4, FieldConversion::None, FieldGroup::Extra, false});
    layout.push_back({"EditExpPoints", kExperienceOffset, 4, FieldConversion::None, FieldGroup::Experience, true});
    for (int i = 0; i < kSkillCount; ++i)
        layout.push_back({kSkills[i].extra, kSkillBlockOffset + 4 * i, 4, FieldConversion::None, FieldGroup::Skill, true});
    return layout;
}

} // namespace

bool IsCritterRecordSize(long long size) { return size == kFirstGameRecordSize || size == kSecondGameRecordSize; }

const std::vector<ProFieldSpec>& ProFieldLayout()
{
    static const std::vector<ProFieldSpec> layout = BuildLayout();
    return layout;
}

} // namespace quarnel
