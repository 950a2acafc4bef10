#pragma once
// The layout of a critter prototype record as far as the program uses it:
// one table that loading and saving both walk.
#include <vector>

namespace quarnel {

constexpr int kFirstGameRecordSize = 412;  // FO1 layout
constexpr int kSecondGameRecordSize = 416; // FO2 layout
constexpr int kPidNumberOffset = 2;        // 2 bytes, lower half of the PID
constexpr int kTextIdOffset = 4;
constexpr int kFidIndexOffset = 11; // 1 byte, lowest byte of the FID
constexpr int kBaseGenderOffset = 184;
constexpr int kExtraGenderOffset = 324;
constexpr int kExperienceOffset = 404;
constexpr int kExtraBlockShift = 140; // an extra field lies this far after its base field
constexpr int kSkillBlockOffset = 328;
constexpr int kPidDisplayBias = 16777216; // the PID's assumed upper half 01 00

bool IsCritterRecordSize(long long size);

enum class FieldConversion {
    None,      // the text is the stored value
    PidNumber, // shown = stored + 16777216
    TextId,    // shown = stored / 100 rounded half to even; stored = shown * 100
    Gender,    // the selected entry of the gender box
};

enum class FieldGroup { Identity, Base, Extra, Experience, Skill };

struct ProFieldSpec {
    const char* control; // the window field that shows the value
    int offset;
    int width;
    FieldConversion conversion;
    FieldGroup group;
    bool saved; // false only for the extra gender, which is read and never written
};

// Every field the program reads, in the order a save writes them (the 84
// saved fields, with the read-only extra gender after the extra damage block).
const std::vector<ProFieldSpec>& ProFieldLayout();

// The range of bytes a save may change: from the PID number to the experience points.
constexpr int kSavedSpanBegin = kPidNumberOffset;
constexpr int kSavedSpanEnd = kExperienceOffset + 4;

} // namespace quarnel
