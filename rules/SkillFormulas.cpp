#include "rules/SkillFormulas.h"

#include "platform/IntegerText.h"

namespace quarnel {
namespace {

// base = constant + factor * S, where S is the sum of the operands, halved
// (truncated toward zero) when `halve` is set.
struct GameFormula {
    std::int32_t constant;
    std::int32_t factor;
    bool halve;
};

struct SkillFormula {
    std::vector<PrimaryIndex> operands;
    GameFormula firstGame;
    GameFormula secondGame;
};

const std::array<SkillFormula, kSkillCount>& Formulas()
{
    static const std::array<SkillFormula, kSkillCount> table = {{
        {{kAG}, {35, 1, false}, {5, 4, false}},      // small guns
        {{kAG}, {10, 1, false}, {0, 2, false}},      // big guns
        {{kAG}, {10, 1, false}, {0, 2, false}},      // energy weapons
        {{kST, kAG}, {65, 1, true}, {30, 2, false}}, // unarmed
        {{kST, kAG}, {55, 1, true}, {20, 2, false}}, // melee weapons
        {{kAG}, {40, 1, false}, {0, 4, false}},      // throwing
        {{kPE, kINT}, {30, 1, true}, {0, 2, false}}, // first aid
        {{kPE, kINT}, {15, 1, true}, {5, 1, false}}, // doctor
        {{kAG}, {25, 1, false}, {5, 3, false}},      // sneak
        {{kPE, kAG}, {20, 1, true}, {10, 1, false}}, // lockpick
        {{kAG}, {20, 1, false}, {0, 3, false}},      // steal
        {{kPE, kAG}, {20, 1, true}, {10, 1, false}}, // traps
        {{kINT}, {25, 2, false}, {0, 4, false}},     // science
        {{kINT}, {20, 1, false}, {0, 3, false}},     // repair
        {{kCH}, {25, 2, false}, {0, 5, false}},      // speech
        {{kCH}, {20, 2, false}, {0, 4, false}},      // barter
        {{kLU}, {20, 3, false}, {0, 5, false}},      // gambling
        {{kEN, kINT}, {5, 1, true}, {0, 2, false}},  // outdoorsman
    }};
    return table;
}

} // namespace

std::int32_t SkillBaseValue(SkillIndex skill, const PrimaryTotals& totals, bool secondGame)
{
    const SkillFormula& formula = Formulas()[skill];
    const GameFormula& game = secondGame ? formula.secondGame : formula.firstGame;
    // Every step is 32-bit arithmetic: the sum wraps before it is halved.
    std::int32_t sum = 0;
    for (PrimaryIndex stat : formula.operands)
        sum = Wrap32(std::int64_t{sum} + totals[stat]);
    if (game.halve)
        sum /= 2; // integer division truncates toward zero
    return Wrap32(std::int64_t{game.constant} + std::int64_t{game.factor} * sum);
}

std::array<std::int32_t, kSkillCount> SkillBaseValues(const PrimaryTotals& totals, bool secondGame)
{
    std::array<std::int32_t, kSkillCount> values{};
    for (int skill = 0; skill < kSkillCount; ++skill)
        values[skill] = SkillBaseValue(static_cast<SkillIndex>(skill), totals, secondGame);
    return values;
}

const std::vector<PrimaryIndex>& SkillOperands(SkillIndex skill) { return Formulas()[skill].operands; }

const std::vector<SkillIndex>& SkillsFedBy(PrimaryIndex stat)
{
    static const std::array<std::vector<SkillIndex>, kPrimaryCount> fed = [] {
        std::array<std::vector<SkillIndex>, kPrimaryCount> lists;
        for (int skill = 0; skill < kSkillCount; ++skill)
            for (PrimaryIndex operand : Formulas()[skill].operands)
                lists[operand].push_back(static_cast<SkillIndex>(skill));
        return lists;
    }();
    return fed[stat];
}

} // namespace quarnel
