#include "preview/PreviewPictures.h"

#include "platform/Errors.h"
#include "platform/TextLines.h"


namespace fs = std::filesystem;

namespace quarnel {
namespace {

const char* const kPictureList = "gif_critters.lst";
const char* const kFallbackPicture = "reservAA.gif";

// A name that can only mean a file directly in the temp folder: no folder
// part, no wildcard or list separator that the extraction would read as a
// pattern, nothing the file system treats specially.
bool IsPlainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\:*?;\0", 8)) == std::string::npos;
}

std::string PathText(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path NamePath(const std::string& name)
{
    return fs::path(std::u8string(name.begin(), name.end()));
}

} // namespace

PreviewPictures::PreviewPictures(fs::path archive, fs::path tempFolder)
    : archive_(std::move(archive)), tempFolder_(std::move(tempFolder))
{
}

PreviewPictures::ArchiveStamp PreviewPictures::CurrentStamp() const
{
    ArchiveStamp stamp;
    std::error_code sizeError, timeError;
    stamp.size = fs::file_size(archive_, sizeError);
    stamp.time = fs::last_write_time(archive_, timeError);
    stamp.valid = !sizeError && !timeError;
    return stamp;
}

void PreviewPictures::ExtractPreviewMember(const std::string& name)
{
    const ArchiveStamp stamp = CurrentStamp();
    if (!stamp.valid || stamp != missingStamp_) {
        // The archive was replaced (or cannot be seen): what was missing may be there now.
        missing_.clear();
        missingStamp_ = stamp;
    }
    if (missing_.count(name) != 0)
        return;

    std::error_code ec;
    fs::create_directories(tempFolder_, ec); // a failure shows as "Directory does not exist" below
    ++openCount_;
    unzipper_.SetFileName(PathText(archive_));
    unzipper_.SetBaseDirectory(PathText(tempFolder_));
    unzipper_.ExtractFiles(name);
    AdoptCaseVariant(name);
    unzipper_.SetFileName("");

    if (stamp.valid && IsPlainFileName(name) && !fs::is_regular_file(tempFolder_ / NamePath(name), ec))
        missing_.insert(name);
}

void PreviewPictures::AdoptCaseVariant(const std::string& name)
{
    // Members match without regard to case but land under their own names.
    // On a case-sensitive file system the copy of the last matching member is
    // renamed to the name asked for, as a case-insensitive one would find it.
    std::error_code ec;
    const fs::path wanted = tempFolder_ / NamePath(name);
    if (!IsPlainFileName(name) || fs::exists(wanted, ec))
        return;
    const std::vector<ZipItem>& items = unzipper_.Items();
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        if (it->IsFolder() || !TAbUnZipper::MatchesMask(it->fileName, name))
            continue;
        const fs::path copy = tempFolder_ / NamePath(it->NamePart());
        if (fs::is_regular_file(copy, ec)) {
            fs::rename(copy, wanted, ec);
            return;
        }
    }
}

fs::path PreviewPictures::ResolvePicture(const std::vector<std::string>& candidates)
{
    std::error_code ec;
    for (const std::string& name : candidates) {
        if (!IsPlainFileName(name))
            continue;
        const fs::path file = tempFolder_ / NamePath(name);
        if (!fs::is_regular_file(file, ec))
            ExtractPreviewMember(name);
        if (fs::is_regular_file(file, ec))
            return file;
    }
    return {};
}

std::vector<std::string> PreviewPictures::ListEntriesForFid(int fidLowByte)
{
    std::vector<std::string> entries;
    std::uint8_t lineNumber = 0; // the counter wraps after 255, as in the list's format
    for (std::string& line : SplitLines(ReadFileBytes(tempFolder_ / kPictureList))) {
        if (lineNumber == fidLowByte)
            entries.push_back(std::move(line));
        ++lineNumber;
    }
    return entries;
}

std::vector<std::string> PreviewPictures::Candidates(const std::string& base, int view)
{
    return {base + "-" + std::to_string(view) + ".gif", base + "-0.gif", base + ".gif", kFallbackPicture};
}

std::string PreviewPictures::CaptionBase(const std::string& base)
{
    const std::size_t dot = base.rfind('.');
    return dot == std::string::npos ? base : base.substr(0, dot);
}

int PreviewPictures::NextView(int view)
{
    return view >= 5 ? 0 : view + 1;
}

int PreviewPictures::PreviousView(int view)
{
    return view == 0 ? 5 : view - 1;
}

} // namespace quarnel
