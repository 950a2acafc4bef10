#pragma once
// Matching a name against a pattern of '*' (any run of characters, '/'
// included) and '?' (any one character), ASCII letters in either case.
#include <string_view>

namespace quarnel {

struct GlobRules {
    // '\' and '/' stand for each other (paths inside a game's files).
    bool eitherSeparator = false;
    // A '*' of the pattern meets a '*' of the name first as a plain character,
    // and only then as a wildcard (the picture archive's masks always did so).
    bool starMatchesItselfFirst = false;
};

bool MatchesGlob(std::string_view name, std::string_view pattern, GlobRules rules);

} // namespace quarnel
