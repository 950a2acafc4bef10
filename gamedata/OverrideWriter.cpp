#include "gamedata/OverrideWriter.h"

#include "gamedata/Extraction.h"
#include "gamedata/GamePath.h"
#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "platform/FileOps.h"
#include "platform/NewFile.h"
#include "platform/Utf8.h"
#include "platform/WriteRefusal.h"
#include "proto/ChangedSpanWriter.h"

namespace quarnel {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Refuse(std::string_view path, const std::string& what, RefusalKind kind)
{
    throw ArchiveError(SlashPath(path) + ": " + what, kind);
}

// Creates the folders of a "/"-separated folder path under base, taking an
// existing folder of any case; returns the last one.
fs::path MakeFolders(const fs::path& base, std::string_view folders)
{
    fs::path current = base;
    std::size_t start = 0;
    while (start < folders.size()) {
        std::size_t end = folders.find('/', start);
        if (end == std::string_view::npos)
            end = folders.size();
        const std::string_view part = folders.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        const fs::path next = FindIgnoringCase(current, part);
        if (IsLink(next))
            throw WriteRefusedError(WriteRefusalKind::Link, next, "is a link; not written through");
        std::error_code ec;
        if (!fs::is_directory(next, ec)) {
            if (fs::exists(fs::symlink_status(next, ec)))
                throw WriteRefusedError(WriteRefusalKind::FileInTheWay, next, "in the way of a folder");
            if (!fs::create_directory(next, ec) && ec)
                throw IoError(IoCodeFromErrorCode(ec));
        }
        current = next;
    }
    return current;
}

// The nearest folder at or above the path that exists.
fs::path NearestExisting(fs::path folder)
{
    std::error_code ec;
    while (!fs::exists(folder, ec) && folder.has_relative_path() && folder.has_parent_path())
        folder = folder.parent_path();
    return folder;
}

// Checks the way from the override folder to the file named by the parts of
// path (the file's own case where it exists): no link, no file where a
// folder goes; an existing file regular and writable, a new file's folder
// (or, where folders are missing, the last one there) writable.
void CheckOverridePlace(const fs::path& overrideFolder, std::string_view path)
{
    std::error_code ec;
    if (!fs::is_directory(overrideFolder, ec)) {
        CheckFolderTakesFiles(NearestExisting(overrideFolder));
        return;
    }
    const std::string slashed = SlashPath(path);
    fs::path current = overrideFolder;
    std::size_t start = 0;
    for (std::size_t slash; (slash = slashed.find('/', start)) != std::string::npos; start = slash + 1) {
        const fs::path next = FindIgnoringCase(current, std::string_view(slashed).substr(start, slash - start));
        const fs::file_status status = fs::symlink_status(next, ec);
        if (status.type() == fs::file_type::not_found) {
            CheckFolderTakesFiles(current);
            return;
        }
        if (fs::is_symlink(status) || IsLink(next))
            throw WriteRefusedError(WriteRefusalKind::Link, next, "is a link; not written through");
        if (!fs::is_directory(status))
            throw WriteRefusedError(WriteRefusalKind::FileInTheWay, next, "in the way of a folder");
        current = next;
    }
    const fs::path file = FindIgnoringCase(current, std::string_view(slashed).substr(start));
    CheckReplaceable(file);
    if (!fs::exists(fs::symlink_status(file, ec))) {
        CheckFolderTakesFiles(current);
        return;
    }
    if (const int error = WriteAccessError(file))
        throw WriteRefusedError(WriteRefusalKind::NotWritable, file,
                                "cannot be opened for writing (" + IoErrorMessage(error) + ")");
}

} // namespace

void CheckOverrideWrite(const GameTree& tree, std::string_view path, bool force)
{
    if (!IsSafeExtractPath(path))
        Refuse(path, "not a path that can be written into the game's folder", RefusalKind::Invalid);
    if (!tree.Find(path))
        Refuse(path, "not in the game's files", RefusalKind::NotFound);
    if (const auto shadowed = ShadowedWriteText(tree, path); shadowed && !force)
        throw ArchiveError(*shadowed, RefusalKind::Shadowed);
    CheckOverridePlace(tree.OverrideFor(path).Folder(), path);
}

const Layer* ShadowingLayer(const GameTree& tree, std::string_view path)
{
    const FolderLayer& target = tree.OverrideFor(path);
    for (const Layer* layer : tree.LayersFor(path)) {
        if (layer == &target)
            break;
        if (layer->Find(path))
            return layer;
    }
    return nullptr;
}

const Layer* ShadowingWinner(const GameTree& tree, const Holding& winner)
{
    // The winner is the first layer holding the path: it shadows the
    // override folder when the game reads it before that folder.
    const FolderLayer& target = tree.OverrideFor(winner.path);
    for (const Layer* layer : tree.LayersFor(winner.path)) {
        if (layer == &target)
            return nullptr;
        if (layer == winner.layer)
            return layer;
    }
    return nullptr;
}

std::optional<std::string> ShadowedWriteText(const GameTree& tree, std::string_view path)
{
    const Layer* layer = ShadowingLayer(tree, path);
    if (!layer)
        return std::nullopt;
    return ShadowedWriteText(tree, path, *layer);
}

std::string ShadowedWriteText(const GameTree& tree, std::string_view path, const Layer& shadowing)
{
    return SlashPath(path) + " is also in " + shadowing.Name() + ", which the game reads first; a copy in " +
           tree.OverrideFor(path).Name() + " would not be used";
}

bool MustStayReadOnly(std::string_view path)
{
    return IsUnderFolder(path, "proto/critters") || IsUnderFolder(path, "proto/items");
}

namespace {

// The write of a checked path whose winning copy is known. rereadWinner: a
// new copy is made only when the winning copy still holds before's bytes.
OverrideWrite WriteFound(const GameTree& tree, std::string_view path, const Holding* winner,
                         const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after,
                         bool rereadWinner)
{
    const FolderLayer& target = tree.OverrideFor(path);
    if (before.size() != after.size())
        Refuse(path, "the changed file has another length than the one read", RefusalKind::Invalid);
    if (before == after)
        return {};

    if (const auto existing = target.Locate(path)) {
        // In place. The winner must still be what was read; a copy under a
        // forced write takes the changed bytes only.
        const bool isWinner = winner->layer == &target;
        const SpanWriteRules rules{before.size(), isWinner ? &before : nullptr, MustStayReadOnly(path)};
        switch (WriteChangedSpan(*existing, rules, ChangedBytesOf(before, after))) {
        case SpanWrite::OtherBytes:
            Refuse(path, "the file changed since it was read; nothing written", RefusalKind::Changed);
        case SpanWrite::OtherSize:
            Refuse(path, "the copy in " + target.Name() + " has another length; nothing written", RefusalKind::Changed);
        case SpanWrite::Written:
        case SpanWrite::Unchanged: break;
        }
        return {*existing, false, true};
    }

    if (rereadWinner && winner->layer->Read(path) != before)
        Refuse(path, "the file changed since it was read; nothing written", RefusalKind::Changed);
    std::error_code ec;
    if (!fs::is_directory(target.Folder(), ec)) {
        fs::create_directories(target.Folder(), ec);
        if (ec)
            throw IoError(IoCodeFromErrorCode(ec));
    }
    const std::string own = winner->path; // the winning copy's own case
    const std::size_t slash = own.rfind('/');
    const fs::path folder = MakeFolders(
        target.Folder(), slash == std::string::npos ? std::string_view() : std::string_view(own).substr(0, slash));
    const fs::path file = folder / PathFromUtf8(slash == std::string::npos ? own : own.substr(slash + 1));
    WriteNewFile(file, after, MustStayReadOnly(path));
    target.Forget();
    return {file, true, true};
}

} // namespace

OverrideWrite WriteIntoOverride(const GameTree& tree, std::string_view path, const std::vector<std::uint8_t>& before,
                                const std::vector<std::uint8_t>& after, bool force)
{
    CheckOverrideWrite(tree, path, force);
    const auto winner = tree.Find(path);
    return WriteFound(tree, path, &*winner, before, after, true);
}

OverrideWrite WriteOverWinner(const GameTree& tree, const Holding& winner, const std::vector<std::uint8_t>& before,
                              const std::vector<std::uint8_t>& after, bool force)
{
    const std::string_view path = winner.path;
    if (!IsSafeExtractPath(path))
        Refuse(path, "not a path that can be written into the game's folder", RefusalKind::Invalid);
    if (const Layer* shadowing = ShadowingWinner(tree, winner); shadowing && !force)
        throw ArchiveError(ShadowedWriteText(tree, path, *shadowing), RefusalKind::Shadowed);
    CheckOverridePlace(tree.OverrideFor(path).Folder(), path);
    return WriteFound(tree, path, &winner, before, after, false);
}

namespace {

// The override folder's copy of path: the folders on its way made (any case
// taken), the file named as the path's last part spells it.
fs::path OverrideCopyPath(const GameTree& tree, std::string_view path)
{
    const FolderLayer& target = tree.OverrideFor(path);
    std::error_code ec;
    if (!fs::is_directory(target.Folder(), ec)) {
        fs::create_directories(target.Folder(), ec);
        if (ec)
            throw IoError(IoCodeFromErrorCode(ec));
    }
    const std::string slashed = SlashPath(path);
    const std::size_t slash = slashed.rfind('/');
    const fs::path folder = MakeFolders(
        target.Folder(), slash == std::string::npos ? std::string_view() : std::string_view(slashed).substr(0, slash));
    return FindIgnoringCase(folder, slash == std::string::npos ? slashed : slashed.substr(slash + 1));
}

} // namespace

OverrideWrite ReplaceInOverride(const GameTree& tree, std::string_view path, const std::vector<std::uint8_t>& before,
                                const std::vector<std::uint8_t>& after, bool force)
{
    CheckOverrideWrite(tree, path, force);
    const auto winner = tree.Find(path);
    if (winner->layer->Read(winner->path) != before)
        Refuse(path, "the file changed since it was read; nothing written", RefusalKind::Changed);
    if (before == after)
        return {};
    const FolderLayer& target = tree.OverrideFor(path);
    const auto existing = target.Locate(path);
    // The winner's own case for a new copy, as WriteIntoOverride names it.
    const fs::path file = existing ? *existing : OverrideCopyPath(tree, winner->path);
    const bool readOnly = MustStayReadOnly(path) || (existing && IsReadOnly(*existing));
    WriteNewFile(file, after, readOnly);
    target.Forget();
    return {file, !existing, true};
}

void CheckNewInOverride(const GameTree& tree, std::string_view path)
{
    if (!IsSafeExtractPath(path))
        Refuse(path, "not a path that can be written into the game's folder", RefusalKind::Invalid);
    if (const auto holding = tree.Find(path))
        Refuse(path, "already in " + holding->layer->Name(), RefusalKind::Changed);
    CheckOverridePlace(tree.OverrideFor(path).Folder(), path);
}

OverrideWrite CreateInOverride(const GameTree& tree, std::string_view path, const std::vector<std::uint8_t>& bytes,
                               bool readOnly)
{
    CheckNewInOverride(tree, path);
    const fs::path file = OverrideCopyPath(tree, path);
    WriteNewFile(file, bytes, readOnly);
    tree.OverrideFor(path).Forget();
    return {file, true, true};
}

} // namespace quarnel
