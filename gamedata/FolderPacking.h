#pragma once
// A folder's files packed into one new archive: which files go in (every
// regular file under the folder, links to files followed, hidden names
// starting with "." left out) and under which names, then the archive
// written as a new file beside its target and renamed into place.
#include "gamedata/ArchivePacker.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quarnel {

struct FolderPack {
    struct File {
        std::string path; // inside the folder, "/" between parts, its case kept
        std::filesystem::path source;
    };
    std::vector<File> files;          // sorted by path
    std::vector<std::string> refused; // "path: what the format cannot hold", one per refused file
};

// The files under folder and the names the packer's format refuses, two
// names that differ in case alone included (the games ignore case). The
// file at skip (the archive being replaced) is left out. IoError when the
// folder cannot be listed.
FolderPack ListFolderPack(const std::filesystem::path& folder, const ArchivePacker& packer,
                          const std::filesystem::path& skip);

struct PackSummary {
    std::size_t files = 0;
    std::size_t compressed = 0;
    std::uint64_t unpackedBytes = 0;
    std::uint64_t archiveBytes = 0;
};

// Packs the listed files (those matching a store pattern stored as they
// are) and writes the archive at target through WriteNewFile: a failure
// leaves neither the archive nor its temporary file, and whatever was at
// target before stays. IoError when a file cannot be read.
PackSummary WriteFolderPack(const FolderPack& pack, ArchivePacker& packer,
                            const std::vector<std::string>& storePatterns, const std::filesystem::path& target);

} // namespace quarnel
