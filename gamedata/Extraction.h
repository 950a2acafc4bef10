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
// leave the folder or is no portable name (IsSafeExtractPath);
// WriteRefusedError when a part on the way is a link or a file, or
// something other than a regular file (a link included) is in the file's
// place; IoError when the file system refuses. An existing regular file is
// replaced as a whole new file (WriteNewFile). Returns the file written.
std::filesystem::path ExtractTo(const std::filesystem::path& folder, std::string_view path,
                                const std::vector<std::uint8_t>& bytes);

} // namespace quarnel
