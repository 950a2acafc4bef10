#pragma once
// Writing an edited record back into its file.
#include "proto/ProFile.h"

#include <filesystem>

namespace quarnel::cli {

// Writes the bytes in which after differs from before: one opening of the
// file, its length kept, one write of the changed span. Nothing is written
// (CliError or IoError) when the file is gone, has another size or no longer
// holds before's bytes. Like the editor's save, the read-only attribute is
// cleared for the write and set again afterwards, whichever way it ends.
// Returns false, touching nothing, when nothing differs.
bool WriteRecordChanges(const std::filesystem::path& file, const ProRecord& before, const ProRecord& after);

} // namespace quarnel::cli
