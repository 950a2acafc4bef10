#include "tools/TempFolderCleanup.h"

#include "platform/FileAttributes.h"
#include "platform/FileOps.h"
#include "platform/FolderListing.h"
#include "platform/Utf8.h"

#include <system_error>

namespace quarnel {

void DeleteFolder(const std::filesystem::path& folder)
{
    // A link in place of the folder is removed itself: what it points to is
    // not the program's. Links inside the folder are removed as files.
    std::filesystem::path own = folder;
    while (own.has_relative_path() && !own.has_filename())
        own = own.parent_path(); // "temp/" would follow a link named temp
    if (IsLink(own))
        return RemoveLink(own);
    for (const std::string& name : ListFolderFiles(folder, "")) {
        const std::filesystem::path file = folder / PathFromUtf8(name);
#ifdef _WIN32
        // Windows refuses to delete a read-only file, such as a picture
        // extracted from a read-only member; a link is removed as it is.
        if (!IsLink(file))
            SetArchiveOnly(file);
#endif
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
    RemoveFolder(folder);
}

} // namespace quarnel
