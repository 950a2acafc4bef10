#include "preview/PreviewPictures.h"

#include "platform/Errors.h"
#include "preview/ZipNames.h"
#include "platform/PortableNames.h"

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;

namespace quarnel {
namespace {

const char* const kPictureList = "gif_critters.lst";
const char* const kFallbackPicture = "reservAA.gif";
constexpr std::size_t kMaxEntryLength = 4096;

// A name that can only mean a file directly in the temp folder: no folder
// part, no wildcard or list separator that the extraction would read as a
// pattern, nothing the file system treats specially.
bool IsPlainFileName(const std::string& name)
{
    return IsPortableFileName(name) && name.find_first_of(std::string("/\\:*?;\0", 8)) == std::string::npos;
}

std::string PathText(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path NamePath(const std::string& name) { return fs::path(std::u8string(name.begin(), name.end())); }

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
    if (!stamp.valid) {
        stamp.size = 0;
        stamp.time = {};
    }
    return stamp;
}

void PreviewPictures::ExtractPreviewMember(const std::string& name)
{
    const ArchiveStamp stamp = CurrentStamp();
    if (stamp != directoryStamp_) {
        // The archive appeared, went or changed: what it holds is read again.
        directory_.reset();
        failure_.clear();
        directoryStamp_ = stamp;
    }
    // An archive that failed to open fails alike until it changes.
    if (!failure_.empty())
        throw ArchiveError(failure_);
    if (directory_ && !std::any_of(directory_->begin(), directory_->end(), [&](const ZipItem& item) {
            return !item.IsFolder() && TAbUnZipper::MatchesMask(item.fileName, name);
        }))
        return; // not in the archive

    std::error_code ec;
    fs::create_directories(tempFolder_, ec); // a failure shows as "Directory does not exist" below
    ++openCount_;
    try {
        if (directory_ && stamp.valid)
            unzipper_.OpenWithDirectory(PathText(archive_), *directory_);
        else
            unzipper_.SetFileName(PathText(archive_));
    } catch (const ArchiveError& error) {
        if (stamp.valid)
            failure_ = error.what();
        throw;
    }
    if (stamp.valid)
        directory_ = unzipper_.Items();
    // A plain name gives one file under that very name, whatever the case of
    // the members it matches; the last of them wins.
    unzipper_.TargetFileName = IsPlainFileName(name) ? name : std::string();
    unzipper_.SetBaseDirectory(PathText(tempFolder_));
    unzipper_.ExtractFiles(name);
    unzipper_.SetFileName("");
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
    const fs::path list = tempFolder_ / kPictureList;
    std::ifstream in(list, std::ios::binary);
    if (!in) {
        std::error_code ec;
        throw IoError(fs::exists(list, ec) ? 5 : 2);
    }
    // Read in blocks; only the text of the matching lines is kept, each up to
    // kMaxEntryLength bytes (no file name is that long, so a cut entry still
    // finds no picture). Lines end at LF; a CR before the LF or before the end
    // of the file belongs to the line end.
    std::vector<std::string> entries;
    std::uint8_t lineNumber = 0; // the counter wraps after 255, as in the list's format
    std::string line;
    std::size_t lineLength = 0;
    bool lastWasCr = false;
    auto endLine = [&] {
        if (lineNumber == fidLowByte) {
            if (lastWasCr && lineLength <= kMaxEntryLength)
                line.pop_back();
            entries.push_back(std::move(line));
        }
        line.clear();
        lineLength = 0;
        lastWasCr = false;
        ++lineNumber;
    };
    std::vector<char> block(64 * 1024);
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const std::size_t count = static_cast<std::size_t>(in.gcount());
        for (std::size_t i = 0; i < count; ++i) {
            const char c = block[i];
            if (c == '\n') {
                endLine();
                continue;
            }
            if (lineNumber == fidLowByte && lineLength < kMaxEntryLength)
                line.push_back(c);
            ++lineLength;
            lastWasCr = c == '\r';
        }
    }
    if (in.bad())
        throw IoError(5);
    if (lineLength > 0)
        endLine();
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

int PreviewPictures::NextView(int view) { return view >= 5 ? 0 : view + 1; }

int PreviewPictures::PreviousView(int view) { return view == 0 ? 5 : view - 1; }

} // namespace quarnel
