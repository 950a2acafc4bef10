#include "cli/CritterSource.h"

#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/CritterFiles.h"
#include "proto/RecordFields.h"
#include "cli/RecordWriter.h"
#include "gamedata/GamePath.h"
#include "gamedata/OverrideWriter.h"
#include "platform/Errors.h"
#include "platform/FileAttributes.h"
#include "platform/Utf8.h"

#include <set>

namespace fs = std::filesystem;

namespace quarnel::cli {
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

} // namespace

CritterSource::CritterSource(const std::string& install, std::ostream& err)
{
    if (install.empty())
        return;
    tree_.emplace(GameTree::Open(PathFromUtf8(install)));
    for (const std::string& warning : tree_->Warnings())
        ReportError(err, install, warning);
}

std::vector<CritterFile> CritterSource::Files(const std::vector<std::string>& arguments) const
{
    std::vector<CritterFile> files;
    if (!tree_) {
        for (const fs::path& file : CritterFiles(arguments))
            files.push_back({file, FileLabel(file)});
        return files;
    }
    std::set<std::string> seen; // by lookup key: the tree ignores case
    auto add = [&](const std::string& path) {
        if (seen.insert(GamePathKey(path)).second)
            files.push_back({PathFromUtf8(path), path});
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
            throw CliError(argument + ": no such file or folder of *.pro files in the game's files");
    }
    return files;
}

CritterFile CritterSource::One(const std::string& argument) const
{
    if (!tree_)
        return {PathFromUtf8(argument), argument};
    const auto file = tree_->Find(argument);
    if (!file)
        throw CliError(argument + ": not a file of the game's files");
    return {PathFromUtf8(file->path), file->path};
}

ProRecord CritterSource::Read(const CritterFile& file) const
{
    if (!tree_)
        return ReadCritter(file.path);
    ProRecord record = ProRecord::FromBytes(tree_->Read(file.label));
    if (!IsCritterRecordSize(static_cast<long long>(record.size())))
        throw CliError(std::to_string(record.size()) + " bytes: not a critter prototype (412 or 416 bytes)");
    return record;
}

Prototype CritterSource::ReadPrototype(const CritterFile& file) const
{
    if (!tree_)
        return quarnel::ReadPrototype(file.path);
    ProRecord record = ProRecord::FromBytes(tree_->Read(file.label));
    const RecordKind kind = KindOf(record, std::to_string(record.size()) + " bytes");
    return {std::move(record), kind};
}

bool CritterSource::IsSecondGame(const CritterFile& file, std::size_t recordSize, std::optional<bool> chosen) const
{
    if (tree_ && !chosen && tree_->Which() != Game::Unknown)
        return tree_->Which() == Game::Second;
    return IsSecondGameFile(file.path, recordSize, chosen);
}

void CritterSource::CheckWritable(const CritterFile& file, bool force) const
{
    if (tree_) {
        CheckOverrideWrite(*tree_, file.label, force);
        return;
    }
    if (const int error = WriteAccessError(file.path))
        throw CliError("cannot be opened for writing: " + IoErrorMessage(error));
}

std::string CritterSource::Write(const CritterFile& file, const ProRecord& before, const ProRecord& after,
                                 bool force) const
{
    if (!tree_) {
        WriteRecordChanges(file.path, before, after);
        return FileLabel(file.path);
    }
    try {
        return Utf8FromPath(WriteIntoOverride(*tree_, file.label, before.bytes(), after.bytes(), force).file);
    } catch (const IoError& error) {
        // The file system's refusal names the copy that was to be written
        // (and so the override folder) and why.
        const fs::path copy = FindIgnoringCase(tree_->OverrideFor(file.label).Folder(), file.label);
        std::error_code ec;
        throw CliError(
            Utf8FromPath(copy) + ": " +
            (fs::is_directory(copy, ec) ? std::string("a folder is in the way") : std::string(error.what())));
    }
}

} // namespace quarnel::cli
