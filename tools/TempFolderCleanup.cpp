#include "tools/TempFolderCleanup.h"

#include "platform/FileOps.h"
#include "platform/FolderListing.h"

#include <system_error>

namespace quarnel {

void DeleteFolder(const std::filesystem::path& folder)
{
    for (const std::string& name : ListFolderFiles(folder, "")) {
        std::error_code ignored;
        std::filesystem::remove(folder / name, ignored);
    }
    RemoveFolder(folder);
}

} // namespace quarnel
