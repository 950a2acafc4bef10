// The folder the program works in when it is installed where its user may
// not write: the per-user folder from the environment, the probe that finds
// a folder refusing new files, and the choice between the two at start-up.
#include <doctest/doctest.h>

#include "platform/AppPaths.h"
#include "platform/UserDataFolder.h"

#include "ScratchFolder.h"

#include <cstdlib>
#include <optional>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using quarnel::test::PutFile;
using quarnel::test::ScratchFolder;

namespace quarnel {
namespace {

// Sets (or, given no value, removes) an environment variable for one case and
// puts the old value back at its end.
class EnvironmentVariable {
public:
    EnvironmentVariable(std::string name, const std::optional<std::string>& value) : name_(std::move(name))
    {
        if (const char* old = std::getenv(name_.c_str()))
            old_ = old;
        Set(value);
    }
    ~EnvironmentVariable() { Set(old_); }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    void Set(const std::optional<std::string>& value)
    {
#ifdef _WIN32
        _putenv_s(name_.c_str(), value ? value->c_str() : "");
#else
        if (value)
            setenv(name_.c_str(), value->c_str(), 1);
        else
            unsetenv(name_.c_str());
#endif
    }

    std::string name_;
    std::optional<std::string> old_;
};

bool FolderIsEmpty(const fs::path& folder) { return fs::directory_iterator(folder) == fs::directory_iterator(); }

std::string WithSeparator(const fs::path& folder) { return folder.string() + Separator(); }

} // namespace

TEST_CASE("the per-user folder comes from the environment")
{
#ifdef _WIN32
    {
        EnvironmentVariable local("LOCALAPPDATA", "C:\\Users\\modder\\AppData\\Local");
        CHECK(UserDataFolder() == fs::path("C:\\Users\\modder\\AppData\\Local\\Quarnel"));
    }
    {
        EnvironmentVariable local("LOCALAPPDATA", std::nullopt);
        CHECK(UserDataFolder().empty());
    }
#else
    EnvironmentVariable home("HOME", "/home/modder");
    SUBCASE("an absolute XDG_DATA_HOME")
    {
        EnvironmentVariable data("XDG_DATA_HOME", "/data/modder");
        CHECK(UserDataFolder() == fs::path("/data/modder/quarnel"));
    }
    SUBCASE("XDG_DATA_HOME unset, empty or relative: the default under HOME")
    {
        for (const std::optional<std::string>& value :
             {std::optional<std::string>(), std::optional<std::string>(""), std::optional<std::string>("data")}) {
            EnvironmentVariable data("XDG_DATA_HOME", value);
            CHECK(UserDataFolder() == fs::path("/home/modder/.local/share/quarnel"));
        }
    }
    SUBCASE("neither an absolute XDG_DATA_HOME nor an absolute HOME: no per-user folder")
    {
        EnvironmentVariable data("XDG_DATA_HOME", std::nullopt);
        EnvironmentVariable relativeHome("HOME", "modder");
        CHECK(UserDataFolder().empty());
        EnvironmentVariable noHome("HOME", std::nullopt);
        CHECK(UserDataFolder().empty());
    }
#endif
}

TEST_CASE("a program in a writable folder works beside itself, as before")
{
    ScratchFolder folder;
    fs::create_directories(folder.path / "app");
    EnvironmentVariable data("XDG_DATA_HOME", (folder.path / "data").string());
    EnvironmentVariable local("LOCALAPPDATA", (folder.path / "data").string());

    CHECK_FALSE(FolderRefusesNewFiles(folder.path / "app"));
    SetExecutablePath(folder.path / "app" / "quarnel");
    CHECK(ExecutableFolder() == WithSeparator(folder.path / "app"));
    CHECK(TempFolder() == folder.path / "app" / "temp");
    // The probe leaves nothing behind, and no per-user folder is made.
    CHECK(FolderIsEmpty(folder.path / "app"));
    CHECK_FALSE(fs::exists(folder.path / "data"));

    // A folder that is not there refuses nothing: that is no question of permission.
    CHECK_FALSE(FolderRefusesNewFiles(folder.path / "missing"));
}

#ifndef _WIN32
TEST_CASE("a program in a folder its user may not write works in the per-user folder")
{
    if (geteuid() == 0) {
        MESSAGE("skipped: root writes into any folder (scripts/test runs this unprivileged)");
        return;
    }
    ScratchFolder folder;
    const fs::path bin = folder.path / "bin";
    fs::create_directories(bin);
    fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec);
    CHECK(FolderRefusesNewFiles(bin));

    SUBCASE("the per-user folder is made when missing, with the folders above it")
    {
        EnvironmentVariable data("XDG_DATA_HOME", (folder.path / "share").string());
        SetExecutablePath(bin / "quarnel");
        CHECK(ExecutableFolder() == WithSeparator(folder.path / "share" / "quarnel"));
        CHECK(TempFolder() == folder.path / "share" / "quarnel" / "temp");
        CHECK(fs::is_directory(folder.path / "share" / "quarnel"));
    }
    SUBCASE("an existing per-user folder is taken as it is")
    {
        EnvironmentVariable data("XDG_DATA_HOME", (folder.path / "share").string());
        PutFile(folder.path / "share" / "quarnel" / "FO1" / "00000001.pro", "x");
        SetExecutablePath(bin / "quarnel");
        CHECK(ExecutableFolder() == WithSeparator(folder.path / "share" / "quarnel"));
        CHECK(fs::exists(folder.path / "share" / "quarnel" / "FO1" / "00000001.pro"));
    }
    SUBCASE("no per-user folder to be had: the program's own folder, as before")
    {
        const fs::path locked = folder.path / "locked";
        fs::create_directories(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        EnvironmentVariable data("XDG_DATA_HOME", (locked / "share").string());
        SetExecutablePath(bin / "quarnel");
        CHECK(ExecutableFolder() == WithSeparator(bin));
    }
}
#endif

} // namespace quarnel
