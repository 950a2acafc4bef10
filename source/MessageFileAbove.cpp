#include "source/MessageFileAbove.h"

#include "library/IniFile.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace quarnel {
namespace {

// The entries of a folder whose name is name in any case, folders or files, in name order.
std::vector<fs::path> EntriesNamed(const fs::path& folder, const std::string& name, bool folders)
{
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if ((folders ? it->is_directory(kind) : it->is_regular_file(kind)) &&
            (name.empty() || IniUpperCase(Utf8FromPath(it->path().filename())) == IniUpperCase(name)))
            found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

fs::path MessageFileAbove(const fs::path& file, ProtoType type, std::string* language)
{
    std::error_code ec;
    const fs::path folder = fs::absolute(file, ec).lexically_normal().parent_path();
    if (ec || IniUpperCase(Utf8FromPath(folder.parent_path().filename())) != "PROTO")
        return {};
    const fs::path tree = folder.parent_path().parent_path();
    for (const fs::path& text : EntriesNamed(tree, "text", true)) {
        std::vector<fs::path> languages = EntriesNamed(text, "", true);
        // english first, as the games fall back to it
        std::stable_partition(languages.begin(), languages.end(), [](const fs::path& path) {
            return IniUpperCase(Utf8FromPath(path.filename())) == "ENGLISH";
        });
        for (const fs::path& languageFolder : languages)
            for (const fs::path& game : EntriesNamed(languageFolder, "game", true))
                for (const fs::path& messages : EntriesNamed(game, TypeMessageFile(type), false)) {
                    if (language)
                        *language = Utf8FromPath(languageFolder.filename());
                    return messages;
                }
    }
    return {};
}

} // namespace quarnel
