#pragma once
// Names of the step buttons of the primary statistics: "+" above "-".
#include "proto/CritterFields.h"

namespace quarnel {

constexpr const char* kStepButtons[kPrimaryCount][2] = {
    {"BitBtn2", "BitBtn5"},   {"BitBtn6", "BitBtn7"},   {"BitBtn8", "BitBtn9"},   {"BitBtn10", "BitBtn11"},
    {"BitBtn12", "BitBtn13"}, {"BitBtn14", "BitBtn15"}, {"BitBtn16", "BitBtn17"},
};

// The entry check and CANCEL find the step buttons by these numbers.
constexpr int kFirstStepButton = 2;
constexpr int kLastStepButton = 17;

} // namespace quarnel
