#include "platform/FolderListing.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

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

// A hidden file: on Windows one with the hidden or system attribute, on
// Linux one whose name starts with a dot.
bool IsHiddenFile(const fs::path& file)
{
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
#else
    const std::string name = file.filename().string();
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
        if (IsHiddenFile(entry.path()))
            continue;
        std::string name = Utf8FromPath(entry.path().filename());
        if (!extension.empty() && !EndsWithNoCase(name, extension))
            continue;
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace quarnel
