#include "platform/FolderListing.h"

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel {
namespace {

bool EndsWithNoCase(const std::string& name, const std::string& suffix)
{
    if (name.size() < suffix.size())
        return false;
    return std::equal(suffix.rbegin(), suffix.rend(), name.rbegin(), [](char a, char b) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

bool IsHiddenName(const std::string& name)
{
#ifdef _WIN32
    (void)name;
    return false; // hidden and system attributes are checked by the directory entry on Windows
#else
    return !name.empty() && name.front() == '.';
#endif
}

} // namespace

std::vector<std::string> ListFolderFiles(const fs::path& folder, const std::string& extension)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return names;
    for (const auto& entry : it) {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError))
            continue;
        std::string name = entry.path().filename().string();
        if (IsHiddenName(name))
            continue;
        if (!extension.empty() && !EndsWithNoCase(name, extension))
            continue;
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace quarnel
