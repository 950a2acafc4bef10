#pragma once
// Every new file Quarnel makes (an override copy, a PNG, an extracted file)
// is written here: to a temporary name in its own folder, flushed to the
// disk, given its attributes, and renamed into place. A failure or a kill
// never leaves half a file under the real name; a failure removes the
// temporary file. Nothing but a regular file is ever replaced: a link is
// neither replaced nor written through.
#include <cstdint>
#include <filesystem>
#include <vector>

namespace quarnel {

// WriteRefusedError when something other than a regular file is at the path,
// not following a link: a link (to anything), a folder, a device, a FIFO or
// a socket. Nothing there, or a regular file, passes.
void CheckReplaceable(const std::filesystem::path& file);

// WriteRefusedError when a new file could not be made in the folder (links
// followed): it is not a folder, or may not be written (NotWritable; root
// may write anyway).
void CheckFolderTakesFiles(const std::filesystem::path& folder);

// Writes bytes as the file at the path, replacing a regular file there.
// readOnly: the new file is read-only from its first moment under its name.
// WriteRefusedError as CheckReplaceable, or NotWritable when the folder
// refuses the new file; IoError for any other failure of the system.
void WriteNewFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes, bool readOnly = false);

} // namespace quarnel
