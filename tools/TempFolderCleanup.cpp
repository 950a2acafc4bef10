#include "tools/TempFolderCleanup.h"

#include "platform/FileOps.h"
#include "platform/FolderLinks.h"
#include "platform/FolderListing.h"
#include "platform/Utf8.h"

#include <system_error>

namespace quarnel {

void DeleteFolder(const std::filesystem::path& folder)
{
    // A linked temp folder is removed as a link: the files of the folder it
    // points to are not the program's scratch files.
    if (!IsFolderLink(folder)) {
        for (const std::string& name : ListFolderFiles(folder, "")) {
            std::error_code ignored;
            std::filesystem::remove(folder / PathFromUtf8(name), ignored);
        }
    }
    RemoveFolder(folder);
}

} // namespace quarnel
