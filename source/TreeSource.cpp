#include "source/TreeSource.h"

#include "gamedata/GamePath.h"
#include "gamedata/OverrideWriter.h"
#include "library/MessageFile.h"
#include "library/TreeCritterList.h"
#include "library/TreeTypeList.h"
#include "platform/Errors.h"
#include "platform/RegularFile.h"
#include "platform/Utf8.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "source/GameChoice.h"

#include <exception>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel {
namespace {

bool IsPrototypeName(std::string_view path)
{
    const std::string key = GamePathKey(path);
    return key.size() > 4 && key.compare(key.size() - 4, 4, ".PRO") == 0;
}

// The folder part of a tree path, "" at the top.
std::string_view FolderOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

SourceFile FileOf(const std::string& path) { return {PathFromUtf8(path), path}; }

// The last part of a tree path.
std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// A type other than critters, in the order of its list file.
std::vector<SourceEntry> ListTreeTypeEntries(const GameTree& tree, ProtoType type)
{
    std::vector<SourceEntry> entries;
    for (TreeTypeEntry& listed : ListTreeType(tree, type)) {
        SourceEntry entry{FileOf(listed.path), std::move(listed.fileName), std::move(listed.layer), listed.textId,
                          listed.recordSize};
        entry.pid = listed.pid;
        entry.subtype = listed.subtype;
        entry.standing = listed.standing;
        entry.standingReason = std::move(listed.reason);
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace

TreeSource::TreeSource(const fs::path& folder) : TreeSource(GameTree::Open(folder)) {}

TreeSource::TreeSource(GameTree tree)
    : tree_(std::make_unique<GameTree>(std::move(tree))), art_(std::make_unique<CritterArtSource>(*tree_))
{
}

TreeSource::~TreeSource() = default;

fs::path TreeSource::Folder() const { return tree_->Folder(); }

Game TreeSource::Which() const { return tree_->Which(); }

bool TreeSource::IsSecondGame(const SourceFile& file, std::size_t recordSize, std::optional<bool> chosen) const
{
    if (!chosen && tree_->Which() != Game::Unknown)
        return tree_->Which() == Game::Second;
    return IsSecondGameFile(file.file, recordSize, chosen);
}

std::vector<SourceEntry> TreeSource::List(ProtoType type) const
{
    if (type != ProtoType::Critter)
        return ListTreeTypeEntries(*tree_, type);
    std::vector<SourceEntry> entries;
    for (TreeCritter& critter : ListTreeCritters(*tree_)) {
        // A file of no critter's size is not read; its size is the listing's.
        if (critter.recordSize == 0)
            if (const auto holding = tree_->Find(critter.path))
                critter.recordSize = static_cast<std::size_t>(holding->size);
        entries.push_back({FileOf(critter.path), std::move(critter.fileName), std::move(critter.layer), critter.textId,
                           critter.recordSize});
    }
    return entries;
}

std::optional<SourceEntry> TreeSource::Locate(const SourceFile& file) const
{
    const auto winner = tree_->Find(file.label);
    if (!winner)
        return std::nullopt;
    return SourceEntry{FileOf(winner->path), FileNameOf(winner->path), winner->layer->Name(), std::nullopt, 0};
}

std::vector<SourceFile> TreeSource::Resolve(const std::vector<std::string>& arguments) const
{
    std::vector<SourceFile> files;
    std::set<std::string> seen; // by lookup key: the tree ignores case
    auto add = [&](const std::string& path) {
        if (seen.insert(GamePathKey(path)).second)
            files.push_back(FileOf(path));
    };
    for (const std::string& argument : arguments) {
        if (const auto file = tree_->Find(argument)) {
            add(file->path);
            continue;
        }
        const std::string folder = SlashPath(argument);
        const std::string trimmed = folder.substr(0, folder.find_last_not_of('/') + 1);
        bool any = false;
        for (const Holding& file : tree_->List(trimmed))
            if (IsPrototypeName(file.path) && GamePathKey(FolderOf(file.path)) == GamePathKey(trimmed)) {
                add(file.path);
                any = true;
            }
        if (!any)
            throw SourceRefusal(RefusalKind::NotFound, argument,
                                argument + ": no such file or folder of *.pro files in the game's files");
    }
    return files;
}

SourceFile TreeSource::ResolveOne(const std::string& argument) const
{
    const auto file = tree_->Find(argument);
    if (!file)
        throw SourceRefusal(RefusalKind::NotFound, argument, argument + ": not a file of the game's files");
    return FileOf(file->path);
}

bool TreeSource::NamesOneFile(const std::string& argument) const { return tree_->Find(argument).has_value(); }

LoadedPrototype TreeSource::Read(const SourceFile& file) const
{
    // The bytes and the layer of one lookup, so that they belong together.
    const auto winner = tree_->Find(file.label);
    if (!winner)
        throw SourceRefusal(RefusalKind::Gone, file.label, "no layer of the game folder holds it any more");
    LoadedPrototype loaded{file, winner->layer->Read(winner->path), {}, winner->layer->Name(), winner->layer};
    loaded.sizeText = std::to_string(loaded.bytes.size()) + " bytes";
    return loaded;
}

std::optional<SourceRefusal> TreeSource::CopyChange(const LoadedPrototype& loaded) const
{
    Refresh(loaded.file);
    const std::string& path = loaded.file.label;
    const std::string file = FileNameOf(SlashPath(path));
    const std::string loadedFrom = loaded.fromLayer ? loaded.layer : std::string("?");
    const auto winner = tree_->Find(path);
    if (!winner)
        return SourceRefusal(RefusalKind::Gone, path,
                             file + " is no longer in the game folder (it was loaded from " + loadedFrom + ")");
    if (winner->layer != loaded.fromLayer)
        return SourceRefusal(RefusalKind::OtherLayerWins, path,
                             file + " is now read from " + winner->layer->Name() + ", not from " + loadedFrom +
                                 " where it was loaded from");
    std::vector<std::uint8_t> now;
    try {
        now = winner->layer->Read(winner->path);
    } catch (const std::runtime_error& error) {
        return SourceRefusal(RefusalKind::Unreadable, path,
                             file + " can no longer be read from " + loadedFrom + " (" + error.what() + ")");
    }
    if (now != loaded.bytes)
        return SourceRefusal(RefusalKind::Changed, path,
                             file + " in " + loadedFrom + " was changed since it was loaded");
    return std::nullopt;
}

void TreeSource::CheckWritable(const SourceFile& file, bool force) const
{
    CheckOverrideWrite(*tree_, file.label, force);
}

std::optional<std::string> TreeSource::WriteQuestion(const SourceFile& file) const
{
    return ShadowedSaveQuestion(*tree_, file.label);
}

SourceWrite TreeSource::Write(const LoadedPrototype& loaded, const std::vector<std::uint8_t>& after, bool force) const
{
    const std::string& path = loaded.file.label;
    // The copy read must still be the one the game reads: another layer serving it now is refused as such.
    if (const auto winner = tree_->Find(path); winner && loaded.fromLayer && winner->layer != loaded.fromLayer)
        if (auto change = CopyChange(loaded))
            throw *change;
    return WriteWith(loaded, force, [&] { return WriteIntoOverride(*tree_, path, loaded.bytes, after, force); });
}

std::optional<std::string> TreeSource::CheckedWriteQuestion(const LoadedPrototype& loaded) const
{
    const Layer* shadowing = ShadowingWinner(*tree_, {loaded.fromLayer, loaded.file.label, loaded.bytes.size()});
    if (!shadowing)
        return std::nullopt;
    return ShadowedSaveQuestion(*tree_, loaded.file.label, *shadowing);
}

SourceWrite TreeSource::WriteChecked(const LoadedPrototype& loaded, const std::vector<std::uint8_t>& after,
                                     bool force) const
{
    if (!loaded.fromLayer)
        return Write(loaded, after, force);
    const Holding winner{loaded.fromLayer, loaded.file.label, loaded.bytes.size()};
    return WriteWith(loaded, force, [&] { return WriteOverWinner(*tree_, winner, loaded.bytes, after, force); });
}

SourceWrite TreeSource::WriteWith(const LoadedPrototype& loaded, bool force,
                                  const std::function<OverrideWrite()>& write) const
{
    const std::string& path = loaded.file.label;
    try {
        const OverrideWrite written = write();
        return {Utf8FromPath(written.file), written.changed};
    } catch (const ArchiveError& error) {
        // The writer's own text is kept; the kind follows from the tree's state now.
        if (!force && ShadowingLayer(*tree_, path))
            throw SourceRefusal(RefusalKind::Shadowed, path, error.what());
        if (const auto change = CopyChange(loaded))
            throw SourceRefusal(change->Kind(), path, error.what());
        throw;
    } catch (const IoError& error) {
        // The file system's refusal names the copy that was to be written
        // (and so the override folder) and why.
        const fs::path copy = FindIgnoringCase(tree_->OverrideFor(path).Folder(), path);
        std::error_code ec;
        const bool folder = fs::is_directory(copy, ec);
        // The file system's own error stays nested, for a caller that names it as it was.
        std::throw_with_nested(SourceRefusal(
            folder ? RefusalKind::Folder : RefusalKind::WriteFailed, path,
            Utf8FromPath(copy) + ": " + (folder ? std::string("a folder is in the way") : std::string(error.what()))));
    }
}

void TreeSource::Refresh(const SourceFile& file) const
{
    for (const Layer* layer : tree_->LayersFor(file.label))
        if (const auto* folder = dynamic_cast<const FolderLayer*>(layer))
            folder->Forget(); // the override folder among them
}

SourceNames TreeSource::Names(ProtoType type, NameEncoding chosen) const
{
    SourceNames names;
    const char* const messageFile = TypeMessageFile(type);
    const auto path = tree_->MessageFile(messageFile);
    if (!path) {
        // Without the game's name file the names stay empty: the status bar says why.
        names.missing = "no text/" + tree_->Language() + "/game/" + messageFile + ", so no names";
        names.names.encoding = chosen == NameEncoding::Automatic ? NameEncoding::Cp1252 : chosen;
        return names;
    }
    if (type == ProtoType::Critter) {
        names.names = LoadTreeCritterNames(*tree_, chosen);
        return names;
    }
    std::string bytes;
    try {
        bytes = ReadTreeMessageFileBytes(*tree_, *path);
    } catch (const FileRefusedError& e) {
        throw FileRefusedError(e.Kind(), *path + ": " + e.what());
    }
    names.names = MessageFileNames(bytes, *path, TreeMessageEncoding(*tree_, *path, chosen), LanguageOfTextPath(*path));
    return names;
}

MessageFileRef TreeSource::NamedMessageFile(const std::string& argument, NameEncoding chosen) const
{
    // A path of the tree, or a bare name ("pro_crit.msg") of the language's text/<language>/game.
    std::string path = SlashPath(argument);
    if (path.find('/') == std::string::npos) {
        const auto found = tree_->MessageFile(argument);
        if (!found)
            throw SourceRefusal(RefusalKind::NotFound, argument,
                                argument + ": not in text/" + tree_->Language() + "/game nor text/english/game");
        path = *found;
    }
    return {path, PathFromUtf8(path), LanguageOfTextPath(path), TreeMessageEncoding(*tree_, path, chosen)};
}

std::optional<MessageFileRef> TreeSource::MessageFileOf(const SourceFile& /*file*/, ProtoType type) const
{
    const auto path = tree_->MessageFile(TypeMessageFile(type));
    if (!path)
        return std::nullopt;
    return MessageFileRef{*path, PathFromUtf8(*path), LanguageOfTextPath(*path),
                          TreeMessageEncoding(*tree_, *path, NameEncoding::Automatic)};
}

std::string TreeSource::ReadMessageFile(const MessageFileRef& file) const
{
    return ReadTreeMessageFileBytes(*tree_, file.label);
}

std::optional<std::string> TreeSource::MessageWriteQuestion(const MessageFileRef& file) const
{
    return ShadowedSaveQuestion(*tree_, file.label);
}

void TreeSource::CheckMessageWritable(const MessageFileRef& file, bool force) const
{
    CheckOverrideWrite(*tree_, file.label, force);
}

SourceWrite TreeSource::WriteMessageFile(const MessageFileRef& file, const std::string& before,
                                         const std::string& after, bool force) const
{
    const std::string& path = file.label;
    try {
        const OverrideWrite written =
            ReplaceInOverride(*tree_, path, {before.begin(), before.end()}, {after.begin(), after.end()}, force);
        return {written.changed ? Utf8FromPath(written.file) : path, written.changed};
    } catch (const ArchiveError& error) {
        throw SourceRefusal(error.Kind(), path, error.what());
    } catch (const IoError& error) {
        // The file system's refusal names the copy that was to be written.
        const fs::path copy = FindIgnoringCase(tree_->OverrideFor(path).Folder(), path);
        std::throw_with_nested(
            SourceRefusal(RefusalKind::WriteFailed, path, Utf8FromPath(copy) + ": " + std::string(error.what())));
    }
}

PrototypeArt TreeSource::Art(std::uint32_t fid) const
{
    PrototypeArt art;
    art.frm = art_->Find(fid);
    return art;
}

std::optional<FidArt> TreeSource::ListedArt(std::uint32_t fid) const { return art_->AnyType().Find(fid); }

PreviewPictures* TreeSource::Pictures() const { return nullptr; }

void TreeSource::ForgetArt() const { art_->Forget(); }

} // namespace quarnel
