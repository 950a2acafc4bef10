#pragma once
// The text form of a record that show, diff, the dry run and git's text
// converter print: one "key = value" line per field.
#include "proto/RecordFields.h"

#include <cstdint>
#include <string>

namespace quarnel {

// One show line: "key = value", with the item name of an enum field or the
// named bits of the critter flags in a comment. The kill type names follow the game.
void AppendShowLine(std::string& out, const RecordField& field, std::int32_t value, bool secondGame);

// Every field of the record as show lines. The kill type names follow the
// record's size (416 bytes: the second game), so the text of a file depends
// on its bytes only.
void AppendShowText(std::string& out, const ProRecord& record);
// The same for a prototype of any type (the other types' lists are the same in both games).
void AppendShowText(std::string& out, const Prototype& prototype);

} // namespace quarnel
