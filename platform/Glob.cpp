#include "platform/Glob.h"

namespace quarnel {
namespace {

char Folded(char c, const GlobRules& rules)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    return rules.eitherSeparator && c == '\\' ? '/' : c;
}

} // namespace

bool MatchesGlob(std::string_view name, std::string_view pattern, GlobRules rules)
{
    // Greedy match with back-tracking to the last star: linear in practice,
    // never worse than name length x pattern length.
    std::size_t t = 0, p = 0;
    std::size_t starP = std::string_view::npos, starT = 0;
    while (t < name.size()) {
        const bool star = p < pattern.size() && pattern[p] == '*';
        const bool single =
            p < pattern.size() && (pattern[p] == '?' || Folded(pattern[p], rules) == Folded(name[t], rules));
        if (star && !(single && rules.starMatchesItselfFirst)) {
            starP = p++;
            starT = t;
        } else if (single) {
            ++t;
            ++p;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace quarnel
