#include "platform/UserDataFolder.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace quarnel {
namespace {

#ifdef _WIN32
fs::path EnvironmentPath(const wchar_t* name)
{
    const wchar_t* value = _wgetenv(name);
    return value ? fs::path(value) : fs::path();
}
#else
fs::path EnvironmentPath(const char* name)
{
    const char* value = std::getenv(name);
    return value ? fs::path(value) : fs::path();
}
#endif

} // namespace

fs::path UserDataFolder()
{
#ifdef _WIN32
    const fs::path local = EnvironmentPath(L"LOCALAPPDATA");
    return local.is_absolute() ? local / "Quarnel" : fs::path();
#else
    // XDG_DATA_HOME counts only when it is an absolute path; a relative one is ignored.
    const fs::path data = EnvironmentPath("XDG_DATA_HOME");
    if (data.is_absolute())
        return data / "quarnel";
    const fs::path home = EnvironmentPath("HOME");
    return home.is_absolute() ? home / ".local" / "share" / "quarnel" : fs::path();
#endif
}

bool FolderRefusesNewFiles(const fs::path& folder)
{
#ifdef _WIN32
    const fs::path probe = folder / (".quarnel-write-probe-" + std::to_string(_getpid()));
    const int handle = _wopen(probe.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const fs::path probe = folder / (".quarnel-write-probe-" + std::to_string(getpid()));
    const int handle = open(probe.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
#endif
    if (handle >= 0) {
#ifdef _WIN32
        _close(handle);
#else
        close(handle);
#endif
        std::error_code ec;
        fs::remove(probe, ec);
        return false;
    }
    // Only a refusal counts: a missing folder or a leftover probe is no answer
    // about permission.
    return errno == EACCES || errno == EPERM || errno == EROFS;
}

} // namespace quarnel
