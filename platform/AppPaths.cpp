#include "platform/AppPaths.h"

#include "platform/UserDataFolder.h"
#include "platform/Utf8.h"

#include <system_error>

namespace fs = std::filesystem;

namespace quarnel {
namespace {

std::string executableFolder;

std::string WithTrailingSeparator(std::string folder)
{
    if (folder.empty() || folder.back() != fs::path::preferred_separator)
        folder += static_cast<char>(fs::path::preferred_separator);
    return folder;
}

} // namespace

std::string ExecutableFolder()
{
    if (executableFolder.empty()) {
        std::error_code ec;
        executableFolder = WithTrailingSeparator(Utf8FromPath(fs::current_path(ec)));
    }
    return executableFolder;
}

void SetExecutableFolder(const fs::path& folder)
{
    executableFolder = WithTrailingSeparator(Utf8FromPath(fs::absolute(folder).lexically_normal()));
}

void SetExecutablePath(const fs::path& exe)
{
    const fs::path folder = fs::absolute(exe).parent_path();
    if (FolderRefusesNewFiles(folder)) {
        const fs::path user = UserDataFolder();
        std::error_code ec;
        if (!user.empty() && (fs::create_directories(user, ec) || fs::is_directory(user, ec))) {
            SetExecutableFolder(user);
            return;
        }
    }
    SetExecutableFolder(folder);
}

std::string Separator() { return std::string(1, static_cast<char>(fs::path::preferred_separator)); }

std::string GameSubDirText(bool secondGame) { return Separator() + (secondGame ? "FO2" : "FO1") + Separator(); }

fs::path TempFolder() { return PathFromUtf8(ExecutableFolder()) / "temp"; }

} // namespace quarnel
