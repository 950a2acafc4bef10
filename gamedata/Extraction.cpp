#include "gamedata/Extraction.h"

#include "gamedata/GamePath.h"
#include "platform/Errors.h"
#include "platform/FileOps.h"
#include "platform/NewFile.h"
#include "platform/Utf8.h"
#include "platform/WriteRefusal.h"

namespace quarnel {

namespace fs = std::filesystem;

fs::path ExtractTo(const fs::path& folder, std::string_view path, const std::vector<std::uint8_t>& bytes)
{
    const std::string slashed = SlashPath(path);
    if (!IsSafeExtractPath(slashed))
        throw ArchiveError(slashed + ": unsafe name, not extracted");
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        fs::create_directories(folder, ec);
        if (ec)
            throw IoError(IoCodeFromErrorCode(ec));
    }
    fs::path target = folder;
    std::size_t start = 0;
    for (std::size_t slash; (slash = slashed.find('/', start)) != std::string::npos; start = slash + 1) {
        target /= PathFromUtf8(slashed.substr(start, slash - start));
        // A link inside the target folder could lead out of it.
        if (IsLink(target))
            throw WriteRefusedError(WriteRefusalKind::Link, target,
                                    "is a link, not followed; " + slashed + " not extracted");
        if (!fs::is_directory(target, ec)) {
            if (fs::exists(fs::symlink_status(target, ec)))
                throw WriteRefusedError(WriteRefusalKind::FileInTheWay, target,
                                        "in the way of a folder; " + slashed + " not extracted");
            fs::create_directory(target, ec);
            if (ec)
                throw IoError(IoCodeFromErrorCode(ec));
        }
    }
    target /= PathFromUtf8(slashed.substr(start));
    WriteNewFile(target, bytes);
    return target;
}

} // namespace quarnel
