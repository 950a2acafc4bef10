// dat and data: a game archive taken apart, and the merged file tree of an
// install or a mod's tree. Output is fixed, since scripts read it: TAB
// between columns, "/" in paths, the archive's own case.
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "gamedata/Archive.h"
#include "gamedata/Extraction.h"
#include "gamedata/GamePath.h"
#include "gamedata/GameTree.h"
#include "platform/Utf8.h"

#include <filesystem>
#include <functional>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel::cli {
namespace {

// Every path when no pattern is given, else those matching one of them.
bool Selected(std::string_view path, const std::vector<std::string> &patterns) {
    if (patterns.empty())
        return true;
    for (const std::string &pattern : patterns)
        if (MatchesGlob(path, pattern))
            return true;
    return false;
}

void WriteBytes(std::ostream &out, const std::vector<std::uint8_t> &bytes) {
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Refuses, before anything is written, an extraction larger than the free
// space of the target, or (for one archive) far larger than the archive
// could hold: entries that share their data can claim any total.
void CheckExtractionSize(const fs::path &target, std::uint64_t total, std::uint64_t archiveSize) {
    constexpr std::uint64_t kMaxRatio = 64;
    if (archiveSize != 0 && total > kMaxRatio * archiveSize + Archive::kMaxUnpackedSize)
        throw CliError("the files would unpack to " + std::to_string(total) + " bytes, more than " +
                       std::to_string(kMaxRatio) + " times the archive's size: nothing written");
    std::error_code ec;
    fs::path existing = fs::absolute(target, ec);
    while (!existing.empty() && !fs::exists(existing, ec) && existing.has_parent_path() &&
           existing != existing.parent_path())
        existing = existing.parent_path();
    const fs::space_info space = fs::space(existing, ec);
    if (!ec && total > space.available)
        throw CliError("the files would take " + std::to_string(total) + " bytes, more than the " +
                       std::to_string(space.available) +
                       " free in the target's file system: nothing written");
}

// Runs a command body, reporting what it throws as the failure of the named file.
int Guarded(std::ostream &err, const std::string &where, const std::function<int()> &body) {
    try {
        return body();
    } catch (const std::exception &error) {
        ReportError(err, where, error);
        return kExitError;
    }
}

// The tree of an install; each archive that could not be opened is named once.
GameTree OpenTree(const std::string &install, std::ostream &err) {
    GameTree tree = GameTree::Open(PathFromUtf8(install));
    for (const std::string &warning : tree.Warnings())
        ReportError(err, install, warning);
    return tree;
}

} // namespace

int RunDatList(const DatOptions &options, std::ostream &out, std::ostream &err) {
    return Guarded(err, options.archive, [&] {
        const auto archive = Archive::Open(PathFromUtf8(options.archive));
        std::string text;
        for (std::size_t i = 0; i < archive->Count(); ++i) {
            const ArchiveEntry entry = archive->Entry(i);
            text += std::to_string(entry.unpackedSize) + '\t' + std::to_string(entry.packedSize) + '\t' +
                    MethodName(entry.method) + '\t';
            text += entry.path;
            text += '\n';
        }
        out << text;
        return kExitSuccess;
    });
}

int RunDatExtract(const DatOptions &options, std::ostream &, std::ostream &err) {
    return Guarded(err, options.archive, [&] {
        const auto archive = Archive::Open(PathFromUtf8(options.archive));
        const auto target = PathFromUtf8(options.target);
        std::uint64_t total = 0;
        for (std::size_t i = 0; i < archive->Count(); ++i)
            if (Selected(archive->Entry(i).path, options.patterns))
                total += archive->Entry(i).unpackedSize;
        std::error_code ec;
        CheckExtractionSize(target, total, fs::file_size(PathFromUtf8(options.archive), ec));
        int status = kExitSuccess;
        for (std::size_t i = 0; i < archive->Count(); ++i) {
            const ArchiveEntry entry = archive->Entry(i);
            if (!Selected(entry.path, options.patterns))
                continue;
            try {
                ExtractTo(target, entry.path, archive->Read(i));
            } catch (const std::exception &error) {
                ReportError(err, options.archive + ": " + std::string(entry.path), error);
                status = kExitError;
            }
        }
        return status;
    });
}

int RunData(const DataOptions &options, std::ostream &out, std::ostream &err) {
    return Guarded(err, options.install, [&] {
        const GameTree tree = OpenTree(options.install, err);
        if (options.action == "list") {
            std::string text;
            for (const Holding &file : tree.List())
                if (Selected(file.path, options.paths))
                    text += file.layer->Name() + '\t' + file.path + '\n';
            out << text;
            return kExitSuccess;
        }
        if (options.action == "where" || options.action == "cat") {
            if (options.paths.size() != 1)
                throw CliError(options.action + " takes one PATH");
            const std::string &path = options.paths.front();
            const std::vector<Holding> holders = tree.Holders(path);
            if (holders.empty())
                throw CliError(SlashPath(path) + ": in no layer of the tree");
            if (options.action == "cat") {
                WriteBytes(out, tree.Read(path));
                return kExitSuccess;
            }
            for (const Holding &holder : holders)
                out << holder.layer->Name() << '\t' << holder.size << '\n';
            return kExitSuccess;
        }
        // extract
        if (options.paths.empty() || options.target.empty())
            throw CliError("extract takes --to DIR and one PATTERN or more");
        const auto target = PathFromUtf8(options.target);
        std::vector<Holding> selected;
        std::uint64_t total = 0;
        for (Holding &file : tree.List())
            if (Selected(file.path, options.paths)) {
                total += file.size;
                selected.push_back(std::move(file));
            }
        if (selected.empty())
            throw CliError("no file of the tree matches the patterns given");
        CheckExtractionSize(target, total, 0);
        int status = kExitSuccess;
        for (const Holding &file : selected) {
            try {
                ExtractTo(target, file.path, tree.Read(file.path));
            } catch (const std::exception &error) {
                ReportError(err, file.layer->Name() + ": " + file.path, error);
                status = kExitError;
            }
        }
        return status;
    });
}

} // namespace quarnel::cli
