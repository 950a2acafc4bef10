#pragma once
// Writing a file taken out of an archive or a game's tree under a target
// folder, at its path inside the tree, never outside the folder.
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace quarnel {

// Writes bytes to folder/path ("/" or "\" between parts), creating the
// folders on the way. ArchiveError, writing nothing, when the path would
// leave the folder or is no portable name (IsSafeExtractPath), or a part on
// the way is a link or a file; IoError when the file system refuses. An
// existing file (or a link in its place) is replaced, never written through.
// Returns the file written.
std::filesystem::path ExtractTo(const std::filesystem::path& folder, std::string_view path,
                                const std::vector<std::uint8_t>& bytes);

// Replaces whatever is at file (never writing through a link) by a new file
// holding bytes; a file cut short is removed. IoError on failure.
void WriteFreshFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

} // namespace quarnel
