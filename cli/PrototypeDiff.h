#pragma once
// How two prototypes differ: whether their kinds differ, and the fields of
// one kind whose values differ, each as the texts the diff command prints
// ("key: a -> b"). diff and data diff both show prototypes through it.
#include "proto/RecordFields.h"

#include <optional>
#include <string>
#include <vector>

namespace quarnel::cli {

struct FieldChange {
    std::string key;
    std::string before; // the value's text, "absent" where the record has no such field
    std::string after;
};

// "different types: a critter -> an item (weapon)" (or subtypes) when the
// kinds differ; nothing when they are the same.
std::optional<std::string> KindChangeText(const Prototype& before, const Prototype& after);

// The fields of the two prototypes' one kind whose texts differ, in file order.
std::vector<FieldChange> FieldChanges(const Prototype& before, const Prototype& after);

} // namespace quarnel::cli
