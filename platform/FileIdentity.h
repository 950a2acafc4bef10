#pragma once
// Which file a path names, whatever the path: two paths (a folder and a link
// to it, two links, "./a" and "a") name one file when their identities agree.
#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace quarnel {

// The device and inode on Linux; the volume serial number and file index on Windows.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// Links followed; nullopt when the file cannot be reached.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file);

} // namespace quarnel
