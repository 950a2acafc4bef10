#include "rules/CharacterRules.h"

#include "proto/CritterFields.h"
#include "platform/IntegerText.h"
#include "rules/SkillFormulas.h"

#include <unordered_map>
#include <vector>

namespace quarnel {
namespace {

enum RuleKind { kPrimaryTotalRule, kRecomputeRule, kDerivedTotalRule, kSkillTotalRule, kGenderTotalRule };

struct Rule {
    RuleKind kind;
    int index;
};

// Field name -> rule, built from the name tables.
const std::unordered_map<std::string, Rule>& RuleTable()
{
    static const std::unordered_map<std::string, Rule> table = [] {
        std::unordered_map<std::string, Rule> rules;
        for (int i = 0; i < kPrimaryCount; ++i) {
            rules.emplace(kPrimaryStats[i].extra, Rule{kPrimaryTotalRule, i});
            rules.emplace(kPrimaryStats[i].total, Rule{kRecomputeRule, i});
        }
        for (int i = 0; i < kDerivedCount; ++i) {
            rules.emplace(kDerivedStats[i].base, Rule{kDerivedTotalRule, i});
            rules.emplace(kDerivedStats[i].extra, Rule{kDerivedTotalRule, i});
        }
        for (int i = 0; i < kSkillCount; ++i) {
            rules.emplace(kSkills[i].base, Rule{kSkillTotalRule, i});
            rules.emplace(kSkills[i].extra, Rule{kSkillTotalRule, i});
        }
        rules.emplace(kGenderFields.base, Rule{kGenderTotalRule, 0});
        rules.emplace(kGenderFields.extra, Rule{kGenderTotalRule, 0});
        return rules;
    }();
    return table;
}

// What a recomputation does after writing a derived base value: nothing, or
// raise a value at or below zero to 1, or a negative value to 0.
enum Clamp { kNoClamp, kAtLeastOne, kNotNegative };

// factor * trunc(total / divisor)
struct Term {
    PrimaryIndex stat;
    std::int32_t factor;
    std::int32_t divisor;
};

struct DerivedFormula {
    PrimaryIndex trigger;
    DerivedIndex target;
    std::int32_t constant;
    std::vector<Term> terms;
    Clamp clamp;
};

// The derived base values each primary statistic rewrites, in the order of the
// writes. Hit points appear twice: as computed after strength, not below 0 after endurance.
const std::vector<DerivedFormula>& DerivedFormulas()
{
    static const std::vector<DerivedFormula> table = {
        {kST, kHitPoints, 15, {{kST, 1, 1}, {kEN, 2, 1}}, kNoClamp},
        {kST, kCarryWeight, 25, {{kST, 25, 1}}, kNoClamp},
        {kST, kMeleeDamage, -5, {{kST, 1, 1}}, kAtLeastOne},
        {kPE, kSequence, 0, {{kPE, 2, 1}}, kNotNegative},
        {kEN, kHitPoints, 15, {{kST, 1, 1}, {kEN, 2, 1}}, kNotNegative},
        {kEN, kHealingRate, 0, {{kEN, 1, 3}}, kNotNegative},
        {kAG, kArmorClass, 0, {{kAG, 1, 1}}, kNotNegative},
        {kAG, kActionPoints, 5, {{kAG, 1, 2}}, kNotNegative},
        {kLU, kCriticalChance, 0, {{kLU, 1, 1}}, kNotNegative},
    };
    return table;
}

} // namespace

CharacterRules::CharacterRules(FieldStore& fields, const bool& isLoading, const bool& isSecondGame)
    : fields_(fields), isLoading_(isLoading), isSecondGame_(isSecondGame)
{
}

bool CharacterRules::HasRule(const std::string& field) const { return RuleTable().count(field) != 0; }

void CharacterRules::FieldChanged(const std::string& field)
{
    const auto found = RuleTable().find(field);
    if (found == RuleTable().end())
        return;
    if (isLoading_ || !IsIntegerText(fields_.Text(field)))
        return;
    const Rule rule = found->second;
    switch (rule.kind) {
    case kPrimaryTotalRule: WriteTotal(kPrimaryStats[rule.index]); break;
    case kDerivedTotalRule: WriteTotal(kDerivedStats[rule.index]); break;
    case kSkillTotalRule: WriteTotal(kSkills[rule.index]); break;
    case kRecomputeRule: Recompute(rule.index); break;
    case kGenderTotalRule: WriteGenderTotal(); break;
    }
}

void CharacterRules::WriteTotal(const StatFields& row)
{
    const std::int32_t base = StrToInt(fields_.Text(row.base));
    const std::int32_t extra = StrToInt(fields_.Text(row.extra));
    fields_.SetText(row.total, IntToStr(Wrap32(std::int64_t{base} + extra)));
}

void CharacterRules::Recompute(int stat)
{
    // Each operand is read from its total field at the moment of use, and only
    // the operands a formula needs, so a bad unrelated total stops nothing.
    auto total = [this](PrimaryIndex operand) { return StrToInt(fields_.Text(kPrimaryStats[operand].total)); };

    for (SkillIndex skill : SkillsFedBy(static_cast<PrimaryIndex>(stat))) {
        PrimaryTotals totals{};
        for (PrimaryIndex operand : SkillOperands(skill))
            totals[operand] = total(operand);
        fields_.SetText(kSkills[skill].base, IntToStr(SkillBaseValue(skill, totals, isSecondGame_)));
    }

    for (const DerivedFormula& formula : DerivedFormulas()) {
        if (formula.trigger != stat)
            continue;
        std::int32_t value = formula.constant;
        for (const Term& term : formula.terms)
            value = Wrap32(std::int64_t{value} + std::int64_t{term.factor} * (total(term.stat) / term.divisor));
        const char* base = kDerivedStats[formula.target].base;
        // The computed value is written first (its total rule runs), then read
        // back and replaced by the bound when it crosses it.
        fields_.SetText(base, IntToStr(value));
        if (formula.clamp == kNoClamp)
            continue;
        const std::int32_t written = StrToInt(fields_.Text(base));
        if (formula.clamp == kAtLeastOne && written <= 0)
            fields_.SetText(base, "1");
        else if (formula.clamp == kNotNegative && written < 0)
            fields_.SetText(base, "0");
    }
}

void CharacterRules::WriteGenderTotal()
{
    // Nothing fills the base gender field, so an operand that is not integer
    // text leaves the hidden total as it is instead of failing (a load writes
    // the extra gender and must not be interrupted).
    const auto base = ParseIntegerText(fields_.Text(kGenderFields.base));
    const auto extra = ParseIntegerText(fields_.Text(kGenderFields.extra));
    if (!base || !extra)
        return;
    fields_.SetText(kGenderFields.total, IntToStr(Wrap32(std::int64_t{*base} + *extra)));
}

} // namespace quarnel
