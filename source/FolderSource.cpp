#include "source/FolderSource.h"

#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "platform/FileIdentity.h"
#include "platform/FolderListing.h"
#include "platform/NewFile.h"
#include "platform/Utf8.h"
#include "preview/PreviewPictures.h"
#include "proto/ChangedSpanWriter.h"
#include "proto/ProFile.h"
#include "proto/RecordFields.h"
#include "proto/ProLayout.h"
#include "source/GameChoice.h"
#include "source/MessageFileAbove.h"
#include "library/MessageFile.h"

#include <algorithm>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel {
namespace {

const char* const kPictureList = "gif_critters.lst"; // the picture list inside the archive

SourceFile FileOf(const fs::path& file) { return {file, Utf8FromPath(file)}; }

// The folder's own name ("FO2"), also when its path ends in a separator.
std::string FolderName(const fs::path& folder)
{
    fs::path normal = folder.lexically_normal();
    if (!normal.has_filename())
        normal = normal.parent_path();
    return Utf8FromPath(normal.filename());
}

} // namespace

FolderSource::FolderSource() = default;

FolderSource::FolderSource(GameFolderFiles game)
    : game_(std::move(game)), pictures_(std::make_unique<PreviewPictures>(game_->pictureArchive, game_->tempFolder))
{
}

FolderSource::FolderSource(GameFolderFiles game, std::unique_ptr<PreviewPictures> pictures)
    : game_(std::move(game)), pictures_(std::move(pictures))
{
    if (!pictures_)
        pictures_ = std::make_unique<PreviewPictures>(game_->pictureArchive, game_->tempFolder);
}

FolderSource::~FolderSource() = default;

std::unique_ptr<PreviewPictures> FolderSource::TakePictures() { return std::move(pictures_); }

fs::path FolderSource::Folder() const { return game_ ? game_->folder : fs::path(); }

Game FolderSource::Which() const
{
    if (!game_)
        return Game::Unknown;
    const auto second = GameOfFolder(game_->folder, std::nullopt);
    return !second ? Game::Unknown : *second ? Game::Second : Game::First;
}

bool FolderSource::IsSecondGame(const SourceFile& file, std::size_t recordSize, std::optional<bool> chosen) const
{
    return IsSecondGameFile(file.file, recordSize, chosen);
}

std::vector<SourceEntry> FolderSource::List(ProtoType type) const
{
    std::vector<SourceEntry> entries;
    if (!game_ || type != ProtoType::Critter)
        return entries;
    const std::string layer = FolderName(game_->folder);
    for (const std::string& name : ListFolderFiles(game_->folder, ".pro")) {
        SourceEntry entry{FileOf(game_->folder / PathFromUtf8(name)), name, layer, std::nullopt, 0};
        // A file that cannot be read stays listed without a name; reading it reports why.
        try {
            const ProRecord record = ProRecord::View(entry.file.file);
            entry.recordSize = record.size();
            if (IsCritterRecordSize(static_cast<long long>(record.size())))
                entry.textId = record.Field(kTextIdOffset, 4);
        } catch (const std::runtime_error&) {
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<SourceEntry> FolderSource::Locate(const SourceFile& file) const
{
    std::error_code ec;
    if (!fs::is_regular_file(file.file, ec))
        return std::nullopt;
    const fs::path folder = fs::path(file.file).remove_filename();
    return SourceEntry{file, Utf8FromPath(file.file.filename()), FolderName(folder), std::nullopt, 0};
}

std::vector<SourceFile> FolderSource::Resolve(const std::vector<std::string>& arguments) const
{
    std::vector<SourceFile> files;
    // A file reached twice (alone and through its folder, or through two
    // links) is taken once: by its identity on disk, or by its path when it
    // cannot be reached (its read then reports why).
    std::set<FileIdentity> seen;
    std::set<fs::path> unreachable;
    auto add = [&](const fs::path& file) {
        std::error_code ec;
        const auto identity = IdentityOf(file);
        if (identity ? seen.insert(*identity).second
                     : unreachable.insert(fs::absolute(file, ec).lexically_normal()).second)
            files.push_back(FileOf(file));
    };
    for (const std::string& argument : arguments) {
        const fs::path path = PathFromUtf8(argument);
        std::error_code ec;
        if (!fs::is_directory(path, ec)) {
            add(path);
            continue;
        }
        for (const std::string& name : ListFolderFiles(path, ".pro"))
            add(path / PathFromUtf8(name));
    }
    if (files.empty())
        throw SourceRefusal(RefusalKind::NotFound, {}, "no *.pro file in the folders given");
    return files;
}

SourceFile FolderSource::ResolveOne(const std::string& argument) const { return {PathFromUtf8(argument), argument}; }

bool FolderSource::NamesOneFile(const std::string& argument) const
{
    std::error_code ec;
    return !fs::is_directory(PathFromUtf8(argument), ec);
}

LoadedPrototype FolderSource::Read(const SourceFile& file) const
{
    ProRecord record = ProRecord::View(file.file);
    LoadedPrototype loaded{file, record.bytes(), SizeText(file.file, record.size()), {}, nullptr};
    loaded.layer = FolderName(fs::path(file.file).remove_filename());
    return loaded;
}

std::optional<SourceRefusal> FolderSource::CopyChange(const LoadedPrototype& loaded) const
{
    const std::string file = Utf8FromPath(loaded.file.file.filename());
    std::error_code ec;
    if (!fs::exists(loaded.file.file, ec))
        return SourceRefusal(RefusalKind::Gone, loaded.file.label, file + " is no longer in " + loaded.layer);
    std::vector<std::uint8_t> now;
    try {
        // One byte more than was loaded: a file grown since differs too.
        now = ProRecord::View(loaded.file.file, loaded.bytes.size() + 1).bytes();
    } catch (const std::runtime_error& error) {
        return SourceRefusal(RefusalKind::Unreadable, loaded.file.label,
                             file + " can no longer be read from " + loaded.layer + " (" + error.what() + ")");
    }
    if (now != loaded.bytes)
        return SourceRefusal(RefusalKind::Changed, loaded.file.label,
                             file + " in " + loaded.layer + " was changed since it was loaded");
    return std::nullopt;
}

void FolderSource::CheckWritable(const SourceFile& file, bool /*force*/) const
{
    if (const int error = WriteAccessError(file.file))
        throw SourceRefusal(RefusalKind::NotWritable, file.label,
                            "cannot be opened for writing: " + IoErrorMessage(error));
}

std::optional<std::string> FolderSource::WriteQuestion(const SourceFile& /*file*/) const { return std::nullopt; }

SourceWrite FolderSource::Write(const LoadedPrototype& loaded, const std::vector<std::uint8_t>& after,
                                bool /*force*/) const
{
    const fs::path& file = loaded.file.file;
    const auto& old = loaded.bytes;
    if (old.size() != after.size())
        throw std::invalid_argument("the edited record has another length");
    SourceWrite written{Utf8FromPath(file), false};
    if (old == after)
        return written;
    switch (WriteChangedSpan(file, {old.size(), &old}, ChangedBytesOf(old, after))) {
    case SpanWrite::OtherBytes:
        throw SourceRefusal(RefusalKind::Changed, loaded.file.label,
                            "the file changed since it was read; nothing written");
    case SpanWrite::OtherSize:
        throw SourceRefusal(RefusalKind::Changed, loaded.file.label,
                            "the file changed size since it was read; nothing written");
    case SpanWrite::Written:
    case SpanWrite::Unchanged: break;
    }
    written.changed = true;
    return written;
}

void FolderSource::Refresh(const SourceFile& /*file*/) const {}

SourceNames FolderSource::Names(ProtoType type, NameEncoding chosen) const
{
    SourceNames names;
    if (!game_ || type != ProtoType::Critter) {
        names.names.encoding = chosen == NameEncoding::Automatic ? NameEncoding::Cp1252 : chosen;
        names.missing = "no name table";
        return names;
    }
    names.names = LoadCritterNames(CritterNameFile(game_->folder), chosen);
    return names;
}

MessageFileRef FolderSource::NamedMessageFile(const std::string& argument, NameEncoding chosen) const
{
    return {argument, PathFromUtf8(argument), {}, chosen};
}

std::optional<MessageFileRef> FolderSource::MessageFileOf(const SourceFile& file, ProtoType type) const
{
    std::string language;
    const fs::path messages = MessageFileAbove(file.file, type, &language);
    if (messages.empty())
        return std::nullopt;
    return MessageFileRef{Utf8FromPath(messages), messages, language, NameEncoding::Automatic};
}

std::string FolderSource::ReadMessageFile(const MessageFileRef& file) const { return ReadMessageFileBytes(file.file); }

std::optional<std::string> FolderSource::MessageWriteQuestion(const MessageFileRef& /*file*/) const
{
    return std::nullopt;
}

void FolderSource::CheckMessageWritable(const MessageFileRef& file, bool /*force*/) const
{
    if (const int error = WriteAccessError(file.file))
        throw SourceRefusal(RefusalKind::NotWritable, file.label,
                            "cannot be opened for writing: " + IoErrorMessage(error));
}

SourceWrite FolderSource::WriteMessageFile(const MessageFileRef& file, const std::string& before,
                                           const std::string& after, bool force) const
{
    CheckMessageWritable(file, force);
    if (ReadMessageFileBytes(file.file) != before)
        throw SourceRefusal(RefusalKind::Changed, file.label, "the file changed since it was read; nothing written");
    if (before == after)
        return {file.label, false};
    try {
        WriteNewFile(file.file, {after.begin(), after.end()}, IsReadOnly(file.file));
    } catch (const IoError& error) {
        std::throw_with_nested(SourceRefusal(RefusalKind::WriteFailed, file.label, error.what()));
    }
    return {file.label, true};
}

PrototypeArt FolderSource::Art(std::uint32_t fid) const
{
    PrototypeArt art;
    if (!pictures_)
        return art;
    std::error_code ec;
    if (!fs::exists(pictures_->TempFolder() / kPictureList, ec))
        pictures_->ExtractPreviewMember(kPictureList);
    art.previewBases = pictures_->ListEntriesForFid(static_cast<int>(fid & 0xFFu));
    return art;
}

PreviewPictures* FolderSource::Pictures() const { return pictures_.get(); }

} // namespace quarnel
