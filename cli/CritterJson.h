#pragma once
// A critter record as a JSON object: the layout's keys, "base.ST" nested as
// {"base": {"ST": ...}}, each value the stored integer; and the member
// "game" ("fo1" or "fo2"), the game the export took the file for. A
// prototype of another type: "type" ("item", "scenery", "wall", "tile",
// "misc") first, then its kind's keys, nested alike ("weapon": {...}); the
// subtype of items and scenery is its field "subtype".
#include "proto/RecordFields.h"
#include "proto/ProFile.h"

#include <nlohmann/json.hpp>

namespace quarnel::cli {

nlohmann::ordered_json CritterToJson(const ProRecord& record, bool secondGame);
nlohmann::ordered_json PrototypeToJson(const Prototype& prototype, bool secondGame);

// The record that the object describes, for a target record of the same
// size: every field of that layout must be given, nothing else, each an
// integer of its field's range. CliError naming the key otherwise.
ProRecord CritterFromJson(const nlohmann::json& object, const ProRecord& target);
// The same for a target of any type: the object's type and subtype must be
// the target's (a critter's object has no "type").
ProRecord PrototypeFromJson(const nlohmann::json& object, const Prototype& target);

} // namespace quarnel::cli
