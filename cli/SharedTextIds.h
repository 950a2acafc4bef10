#pragma once
// check: two prototypes of a type with one text ID show the same name and
// description in the game; the second one named is reported.
#include "proto/ProFile.h"

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace quarnel::cli {

class SharedTextIds {
public:
    // Notes the record's text ID under its type (the PID's first byte).
    // Returns the finding when an earlier record of the type had the same
    // one: "text_id = 500 is also that of 00000005.pro"; none otherwise, and
    // for a record too short to hold a text ID or of no type.
    std::optional<std::string> Note(const std::string& label, const ProRecord& record);

private:
    std::map<std::pair<int, std::int32_t>, std::string> first_; // (type, text ID) -> the first file
};

} // namespace quarnel::cli
