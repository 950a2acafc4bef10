#include "rules/CritterSheet.h"

#include "platform/IntegerText.h"
#include "proto/CritterFields.h"
#include "rules/SkillFormulas.h"

#include <algorithm>

namespace quarnel {
namespace {

const char* const kResistancePercent = " %";

// The statistic and skill fields a sheet holds and stores back.
bool IsHeld(const WindowField& field)
{
    return field.group == FieldGroup::Base || field.group == FieldGroup::Extra || field.group == FieldGroup::Skill;
}

// A stored value in the form its field shows it.
std::string ShownText(const WindowField& field, std::int32_t stored)
{
    switch (field.conversion) {
    case FieldConversion::PidNumber: return IntToStr(std::int64_t{stored} + kPidDisplayBias);
    case FieldConversion::TextId: return IntToStr(TextIdToIdNumber(stored));
    default: return IntToStr(stored);
    }
}

const WindowField* HeldField(const RecordField& field)
{
    if (!field.control)
        return nullptr;
    for (const WindowField& held : ProFieldLayout())
        if (IsHeld(held) && field.control == std::string_view(held.control))
            return &held;
    return nullptr;
}

} // namespace

const WindowField& GenderField()
{
    static const WindowField& gender =
        *std::find_if(ProFieldLayout().begin(), ProFieldLayout().end(),
                      [](const WindowField& field) { return field.conversion == FieldConversion::Gender; });
    return gender;
}

void FillCritterFields(FieldStore& fields, const ProRecord& record, bool secondGame)
{
    std::unordered_map<std::string, std::int32_t> stored;
    for (const WindowField& field : ProFieldLayout()) {
        stored[field.control] = record.Field(field.offset, field.width);
        fields.SetText(field.control, ShownText(field, stored[field.control]));
    }

    auto total = [&](const StatFields& stat) { return Wrap32(std::int64_t{stored[stat.base]} + stored[stat.extra]); };
    for (const StatFields& stat : kPrimaryStats)
        fields.SetText(stat.total, IntToStr(total(stat)));
    for (const StatFields& stat : kDerivedStats)
        fields.SetText(stat.total, IntToStr(total(stat)));
    for (int row = 0; row < 2 * kDamageTypeCount; ++row) {
        const bool resistance = row % 2 == 1;
        fields.SetText(kDamageStats[row].total,
                       IntToStr(total(kDamageStats[row])) + (resistance ? kResistancePercent : ""));
    }
    // The gender total shows the stored base gender alone.
    fields.SetText(kGenderFields.total, IntToStr(stored[GenderField().control]));

    PrimaryTotals primaryTotals{};
    for (int i = 0; i < kPrimaryCount; ++i)
        primaryTotals[i] = StrToInt(fields.Text(kPrimaryStats[i].total));
    const auto skillBases = SkillBaseValues(primaryTotals, secondGame);
    for (int i = 0; i < kSkillCount; ++i)
        fields.SetText(kSkills[i].base, IntToStr(skillBases[i]));
    for (const StatFields& skill : kSkills)
        fields.SetText(skill.total, IntToStr(Wrap32(std::int64_t{StrToInt(fields.Text(skill.base))} +
                                                    StrToInt(fields.Text(skill.extra)))));
}

std::int32_t StoredFieldValue(const WindowField& field, const std::string& text)
{
    const std::int64_t shown = StrToInt(text);
    switch (field.conversion) {
    case FieldConversion::PidNumber: return Wrap32(shown - kPidDisplayBias);
    case FieldConversion::TextId: return Wrap32(shown * 100);
    default: return static_cast<std::int32_t>(shown);
    }
}

std::vector<SavedValue> SavedFieldValues(const FieldStore& fields, std::optional<std::int32_t> gender)
{
    std::vector<SavedValue> values;
    for (const WindowField& field : ProFieldLayout()) {
        if (!field.saved)
            continue;
        if (field.conversion == FieldConversion::Gender)
            values.push_back({&field, gender});
        else
            values.push_back({&field, StoredFieldValue(field, fields.Text(field.control))});
    }
    return values;
}

void StoreSavedValues(ProRecord& record, const std::vector<SavedValue>& values)
{
    for (const SavedValue& saved : values)
        if (saved.value)
            record.SetField(saved.field->offset, saved.field->width, *saved.value);
}

std::string CritterSheet::Texts::Text(const std::string& field) const
{
    const auto found = texts.find(field);
    return found == texts.end() ? std::string() : found->second;
}

void CritterSheet::Texts::SetText(const std::string& field, const std::string& text)
{
    std::string& current = texts[field];
    if (current == text)
        return;
    current = text;
    if (rules)
        rules->FieldChanged(field);
}

CritterSheet::CritterSheet(const ProRecord& record, bool secondGame)
    : secondGame_(secondGame), rules_(texts_, loading_, secondGame_)
{
    FillCritterFields(texts_, record, secondGame_);
    texts_.rules = &rules_;
}

bool CritterSheet::Holds(const RecordField& field) const { return HeldField(field) != nullptr; }

std::int32_t CritterSheet::Value(const RecordField& field) const { return StrToInt(texts_.Text(field.control)); }

void CritterSheet::Enter(const RecordField& field, std::int32_t value)
{
    texts_.SetText(field.control, IntToStr(value));
    // A primary base field has no rule of its own: whoever sets it also
    // writes the total, which is what the extra field's rule does.
    for (const StatFields& stat : kPrimaryStats)
        if (field.control == std::string_view(stat.base))
            rules_.FieldChanged(stat.extra);
}

void CritterSheet::StoreInto(ProRecord& record) const
{
    for (const WindowField& field : ProFieldLayout())
        if (IsHeld(field))
            record.SetField(field.offset, field.width, StoredFieldValue(field, texts_.Text(field.control)));
}

} // namespace quarnel
