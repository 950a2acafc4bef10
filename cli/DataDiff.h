#pragma once
// data A diff B: every path whose winning copy differs between two trees,
// is added in the second or removed from it. Prototypes differ field by
// field, message files entry by entry, other files by their sizes; as text
// under "# PATH" lines, or as one JSON object.
#include "gamedata/GameTree.h"

#include <functional>
#include <ostream>
#include <string_view>

namespace quarnel::cli {

// The exit status: 0 equal, 1 different, 2 when a copy could not be read
// (each such path reported on err, the others still compared).
int RunDataDiff(const GameTree& before, const GameTree& after,
                const std::function<bool(std::string_view path)>& selected, bool json, std::ostream& out,
                std::ostream& err);

} // namespace quarnel::cli
