#include "gamedata/GamePath.h"

#include "platform/Glob.h"
#include "platform/PortableNames.h"

namespace quarnel {
namespace {

struct KeyTable {
    char map[256];
    constexpr KeyTable() : map()
    {
        for (int i = 0; i < 256; ++i)
            map[i] = static_cast<char>(i == '\\' ? '/' : (i >= 'a' && i <= 'z') ? i - 'a' + 'A' : i);
    }
};
constexpr KeyTable kKeys;

char KeyChar(char c) { return kKeys.map[static_cast<unsigned char>(c)]; }

} // namespace

void AppendGamePathKey(std::string& out, std::string_view path)
{
    const std::size_t start = out.size();
    out.resize(start + path.size());
    char* dst = out.data() + start;
    for (char c : path)
        *dst++ = KeyChar(c);
}

std::string GamePathKey(std::string_view path)
{
    std::string key;
    AppendGamePathKey(key, path);
    return key;
}

std::uint32_t GamePathHash(std::string_view path)
{
    // FNV-1a over the key's bytes.
    std::uint32_t h = 2166136261u;
    for (char c : path)
        h = (h ^ static_cast<unsigned char>(KeyChar(c))) * 16777619u;
    return h;
}

bool SameGamePath(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && KeyChar(a[i]) != KeyChar(b[i]))
            return false;
    return true;
}

std::string SlashPath(std::string_view path)
{
    std::string out(path);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

std::string TreePath(std::string_view path)
{
    const std::string slashed = SlashPath(path);
    std::string out;
    std::size_t start = 0;
    while (start <= slashed.size()) {
        std::size_t end = slashed.find('/', start);
        if (end == std::string::npos)
            end = slashed.size();
        const std::string_view part = std::string_view(slashed).substr(start, end - start);
        if (!part.empty() && part != ".") {
            if (!out.empty())
                out += '/';
            out += part;
        }
        start = end + 1;
    }
    return out;
}

bool IsUnderFolder(std::string_view path, std::string_view folder)
{
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        folder.remove_suffix(1);
    if (folder.empty())
        return true;
    if (path.size() <= folder.size() || KeyChar(path[folder.size()]) != '/')
        return false;
    for (std::size_t i = 0; i < folder.size(); ++i)
        if (KeyChar(path[i]) != KeyChar(folder[i]))
            return false;
    return true;
}

bool MatchesGlob(std::string_view path, std::string_view pattern)
{
    return MatchesGlob(path, pattern, GlobRules{.eitherSeparator = true});
}

std::string LanguageOfTextPath(std::string_view path)
{
    const std::string slashed = SlashPath(path);
    if (GamePathKey(slashed).rfind("TEXT/", 0) != 0)
        return {};
    const std::size_t end = slashed.find('/', 5);
    return end == std::string::npos ? std::string() : slashed.substr(5, end - 5);
}

bool IsSafeExtractPath(std::string_view path)
{
    const std::string slashed = SlashPath(path);
    if (!IsSafeRelativePath(slashed))
        return false;
    return EveryPathPart(slashed, [](std::string_view part) { return IsPortableFileName(std::string(part)); });
}

} // namespace quarnel
