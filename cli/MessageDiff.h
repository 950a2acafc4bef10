#pragma once
// How two message files differ entry by entry: each file read as the games
// read it (the last entry of a repeated number wins, reading stops at a
// fault), its texts decoded to UTF-8 in its own encoding, and the numbers
// whose texts differ, appear or go.
#include "library/TextEncoding.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::cli {

struct DecodedMessages {
    std::map<std::int64_t, std::string> texts; // number -> UTF-8 text
    std::optional<std::string> fault;          // "line 3: <why>" where reading stopped
};

// The file's entries, decoded in the encoding (Automatic: decided from the
// bytes and the language, as for a name file).
DecodedMessages DecodeMessages(std::string_view bytes, NameEncoding encoding, std::string_view language);

struct MessageChange {
    std::int64_t number = 0;
    std::optional<std::string> before; // none: added
    std::optional<std::string> after;  // none: removed
};

// The numbers whose texts differ, are added or are removed, in ascending order.
std::vector<MessageChange> MessageChanges(const DecodedMessages& before, const DecodedMessages& after);

} // namespace quarnel::cli
