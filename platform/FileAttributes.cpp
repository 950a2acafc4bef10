#include "platform/FileAttributes.h"

#include <system_error>

namespace fs = std::filesystem;

namespace quarnel {
namespace {

bool IsExistingFile(const fs::path& file)
{
    std::error_code ec;
    return !file.empty() && fs::is_regular_file(file, ec);
}

constexpr fs::perms kAllWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

} // namespace

bool SetReadOnlyOnly(const fs::path& file)
{
    if (!IsExistingFile(file))
        return false;
    std::error_code ec;
    fs::permissions(file, kAllWrite, fs::perm_options::remove, ec);
    return !ec;
}

bool SetArchiveOnly(const fs::path& file)
{
    if (!IsExistingFile(file))
        return false;
    std::error_code ec;
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, ec);
    return !ec;
}

bool IsReadOnly(const fs::path& file)
{
    std::error_code ec;
    auto status = fs::status(file, ec);
    return !ec && (status.permissions() & kAllWrite) == fs::perms::none;
}

} // namespace quarnel
