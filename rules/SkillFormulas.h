#pragma once
// The eighteen skill base values that the game derives from the seven total
// primary statistics, for each of the two games. One table drives both the
// evaluation and the order in which a primary statistic's skills are rewritten.
#include "proto/CritterFields.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quarnel {

using PrimaryTotals = std::array<std::int32_t, kPrimaryCount>;

// Base value of one skill. Only the statistics the skill reads
// (SkillOperands) are used; 32-bit wrap-around, halves truncated toward zero.
std::int32_t SkillBaseValue(SkillIndex skill, const PrimaryTotals& totals, bool secondGame);

// All eighteen, in stored order.
std::array<std::int32_t, kSkillCount> SkillBaseValues(const PrimaryTotals& totals, bool secondGame);

// The primary statistics a skill's formula reads, in the order it reads them
// (one or two; the same for both games).
const std::vector<PrimaryIndex>& SkillOperands(SkillIndex skill);

// The skills whose base value depends on a primary statistic, in the order a
// change of that statistic rewrites them (stored skill order).
const std::vector<SkillIndex>& SkillsFedBy(PrimaryIndex stat);

} // namespace quarnel
