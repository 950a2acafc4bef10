#pragma once
// A critter record as a JSON object: the layout's keys, "base.ST" nested as
// {"base": {"ST": ...}}, each value the stored integer; and the member
// "game" ("fo1" or "fo2"), the game the export took the file for.
#include "proto/ProFile.h"

#include <nlohmann/json.hpp>

namespace quarnel::cli {

nlohmann::ordered_json CritterToJson(const ProRecord& record, bool secondGame);

// The record that the object describes, for a target record of the same
// size: every field of that layout must be given, nothing else, each an
// integer of its field's range. CliError naming the key otherwise.
ProRecord CritterFromJson(const nlohmann::json& object, const ProRecord& target);

} // namespace quarnel::cli
