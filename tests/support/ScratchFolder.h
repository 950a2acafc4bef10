#pragma once
// A fresh folder under the system temp folder for one test case, removed with
// everything in it at the end of the case, read-only files included.
#include "platform/Utf8.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace quarnel::test {

struct ScratchFolder {
    std::filesystem::path path;

    // prefix: the start of the folder's name, as UTF-8.
    explicit ScratchFolder(const std::string& prefix = "quarnel-test-")
    {
        std::random_device seed;
        do
            path = std::filesystem::temp_directory_path() / PathFromUtf8(prefix + std::to_string(seed()));
        while (!std::filesystem::create_directory(path));
    }

    ~ScratchFolder()
    {
        // Write permission back first: on Windows a read-only file cannot be deleted.
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        // Never throws: a destructor that did would end the test program.
        for (fs::recursive_directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow, ec);
        fs::remove_all(path, ec);
    }

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path File(const std::filesystem::path& name, const std::string& text = "x") const
    {
        std::ofstream(path / name, std::ios::binary) << text;
        return path / name;
    }
};

// Writes text to a file, making the folders above it first.
inline void PutFile(const std::filesystem::path& file, const std::string& text)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

} // namespace quarnel::test
