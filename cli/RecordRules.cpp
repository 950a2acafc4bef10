#include "cli/RecordRules.h"

#include "proto/CritterFields.h"
#include "platform/IntegerText.h"
#include "rules/SkillFormulas.h"

namespace quarnel::cli {
namespace {

bool IsHeld(const WindowField& field)
{
    return field.group == FieldGroup::Base || field.group == FieldGroup::Extra || field.group == FieldGroup::Skill;
}

} // namespace

std::string RecordRules::Texts::Text(const std::string& field) const
{
    const auto found = texts.find(field);
    return found == texts.end() ? std::string() : found->second;
}

void RecordRules::Texts::SetText(const std::string& field, const std::string& text)
{
    std::string& current = texts[field];
    if (current == text)
        return;
    current = text;
    if (rules)
        rules->FieldChanged(field);
}

RecordRules::RecordRules(const ProRecord& record, bool secondGame)
    : secondGame_(secondGame), rules_(texts_, loading_, secondGame_)
{
    for (const WindowField& field : ProFieldLayout())
        if (IsHeld(field))
            texts_.texts[field.control] = IntToStr(record.Field(field.offset, field.width));

    // The totals as the load leaves them: each computed by the rule that keeps
    // it current (no rule is bound to the texts yet, so nothing cascades).
    for (const StatFields& stat : kPrimaryStats)
        rules_.FieldChanged(stat.extra);
    for (const StatFields& stat : kDerivedStats)
        rules_.FieldChanged(stat.extra);
    PrimaryTotals totals{};
    for (int i = 0; i < kPrimaryCount; ++i)
        totals[i] = StrToInt(texts_.Text(kPrimaryStats[i].total));
    const auto skillBases = SkillBaseValues(totals, secondGame_);
    for (int i = 0; i < kSkillCount; ++i) {
        texts_.SetText(kSkills[i].base, IntToStr(skillBases[i]));
        rules_.FieldChanged(kSkills[i].extra);
    }
    texts_.rules = &rules_;
}

bool RecordRules::Holds(const RecordField& field) const
{
    return field.control && texts_.texts.count(field.control) != 0;
}

std::int32_t RecordRules::Value(const RecordField& field) const { return StrToInt(texts_.Text(field.control)); }

void RecordRules::Enter(const RecordField& field, std::int32_t value)
{
    texts_.SetText(field.control, IntToStr(value));
    // A primary base field has no rule of its own: whoever sets it also
    // writes the total, which is what the extra field's rule does.
    for (const StatFields& stat : kPrimaryStats)
        if (field.control == std::string_view(stat.base))
            rules_.FieldChanged(stat.extra);
}

void RecordRules::StoreInto(ProRecord& record) const
{
    for (const WindowField& field : ProFieldLayout())
        if (IsHeld(field))
            record.SetField(field.offset, field.width, StrToInt(texts_.Text(field.control)));
}

} // namespace quarnel::cli
