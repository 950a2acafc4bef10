// dat and data: a game archive taken apart, and the merged file tree of an
// install or a mod's tree. Output is fixed, since scripts read it: TAB
// between columns, "/" in paths, the archive's own case.
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/DataDiff.h"
#include "cli/WriteFailure.h"
#include "gamedata/Archive.h"
#include "gamedata/ArchiveLayer.h"
#include "gamedata/Extraction.h"
#include "gamedata/GamePath.h"
#include "gamedata/GameTree.h"
#include "platform/Errors.h"
#include "platform/FileSystemSpace.h"
#include "platform/Utf8.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel::cli {
namespace {

// Every path when no pattern is given, else those matching one of them.
bool Selected(std::string_view path, const std::vector<std::string>& patterns)
{
    if (patterns.empty())
        return true;
    for (const std::string& pattern : patterns)
        if (MatchesGlob(path, pattern))
            return true;
    return false;
}

void WriteBytes(std::ostream& out, const std::vector<std::uint8_t>& bytes)
{
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A path as the last column of a line of TAB-separated columns: a line
// feed, TAB, carriage return or other control byte (NUL too) written as \n,
// \t, \r or \xHH, so that every file stays one line. Paths never hold a
// backslash of their own (it is the games' separator, shown as "/").
std::string ListField(std::string_view path)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F)
            out += c;
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else
            out += {'\\', 'x', digits[byte >> 4], digits[byte & 15]};
    }
    return out;
}

// Refuses, before anything is written, files of one archive that would
// unpack to far more than the archive could hold.
void CheckUnpackRatio(const std::string& archive, std::uint64_t total, std::uint64_t archiveSize)
{
    if (Archive::UnpacksTooFar(total, archiveSize))
        throw CliError(archive + ": the files would unpack to " + std::to_string(total) + " bytes, more than " +
                       std::to_string(Archive::kMaxUnpackRatio) + " times the archive's size: nothing written");
}

// Refuses, before anything is written, files that would not fit into the
// free space of the target's file system, each taking whole blocks.
void CheckFreeSpace(const fs::path& target, const std::vector<std::uint64_t>& sizes)
{
    std::error_code ec;
    fs::path existing = fs::absolute(target, ec);
    while (!existing.empty() && !fs::exists(existing, ec) && existing.has_parent_path() &&
           existing != existing.parent_path())
        existing = existing.parent_path();
    const auto space = SpaceOf(existing);
    if (!space)
        return;
    std::uint64_t needed = 0;
    for (const std::uint64_t size : sizes)
        needed += BytesInBlocks(size, space->blockSize);
    if (needed > space->available)
        throw CliError(Utf8FromPath(target) + ": the files would take " + std::to_string(needed) +
                       " bytes in blocks of " + std::to_string(space->blockSize) + ", more than the " +
                       std::to_string(space->available) + " free in its file system: nothing written");
}

// Writes one file of a layer (an archive, a folder) under the target
// folder; a failure is reported naming the file that was to be written, or
// the layer and the path when the path itself is refused.
bool Extract(const fs::path& target, const std::string& layer, const std::string& path,
             const std::vector<std::uint8_t>& bytes, std::ostream& err)
{
    const fs::path file = (target / PathFromUtf8(SlashPath(path))).make_preferred();
    try {
        std::error_code ec;
        if (IsSafeExtractPath(path) && fs::is_directory(fs::symlink_status(file, ec))) {
            ReportError(err, Utf8FromPath(file), "a folder is in the way; not extracted");
            return false;
        }
        ExtractTo(target, path, bytes);
        return true;
    } catch (const IoError& error) {
        ReportError(err, Utf8FromPath(file), error);
    } catch (const std::exception& error) {
        ReportWriteFailure(err, layer, error); // a refusal names its own path, else the message does
    }
    return false;
}

// Runs a command body, reporting what it throws as the failure of the named file.
int Guarded(std::ostream& err, const std::string& where, const std::function<int()>& body)
{
    try {
        return body();
    } catch (const std::exception& error) {
        ReportError(err, where, error);
        return kExitError;
    }
}

// The tree of an install; each archive that could not be opened is named once.
GameTree OpenTree(const std::string& install, std::ostream& err)
{
    GameTree tree = GameTree::Open(PathFromUtf8(install));
    for (const std::string& warning : tree.Warnings())
        ReportError(err, install, warning);
    return tree;
}

int RunDatList(const DatOptions& options, std::ostream& out, std::ostream& err)
{
    return Guarded(err, options.archive, [&] {
        const auto archive = Archive::Open(PathFromUtf8(options.archive));
        std::string text;
        for (std::size_t i = 0; i < archive->Count(); ++i) {
            const ArchiveEntry entry = archive->Entry(i);
            text += std::to_string(entry.unpackedSize) + '\t' + std::to_string(entry.packedSize) + '\t' +
                    MethodName(entry.method) + '\t';
            text += ListField(entry.path);
            // A path of several entries: a fifth column says which one the game reads.
            if (archive->IsRepeated(i))
                text += archive->Find(entry.path) == i ? "\trepeated; the game reads this entry"
                                                       : "\trepeated; the game reads another entry";
            text += '\n';
        }
        out << text;
        return kExitSuccess;
    });
}

int RunDatExtract(const DatOptions& options, std::ostream&, std::ostream& err)
{
    return Guarded(err, options.archive, [&] {
        const auto archive = Archive::Open(PathFromUtf8(options.archive));
        const auto target = PathFromUtf8(options.target);
        // Each path once, as the entry the game reads.
        std::vector<std::size_t> chosen;
        std::vector<std::uint64_t> sizes;
        std::uint64_t total = 0;
        for (std::size_t i = 0; i < archive->Count(); ++i) {
            const ArchiveEntry entry = archive->Entry(i);
            if (!Selected(entry.path, options.patterns) || (archive->IsRepeated(i) && archive->Find(entry.path) != i))
                continue;
            chosen.push_back(i);
            sizes.push_back(entry.unpackedSize);
            total += entry.unpackedSize;
        }
        CheckUnpackRatio(options.archive, total, archive->FileSize());
        CheckFreeSpace(target, sizes);
        int status = kExitSuccess;
        for (const std::size_t i : chosen) {
            const std::string path(archive->Entry(i).path);
            std::vector<std::uint8_t> bytes;
            try {
                bytes = archive->Read(i);
            } catch (const std::exception& error) {
                ReportError(err, options.archive, error);
                status = kExitError;
                continue;
            }
            if (!Extract(target, options.archive, path, bytes, err))
                status = kExitError;
        }
        return status;
    });
}

// data extract: the winning copies of the files matching the patterns.
int ExtractFromTree(const GameTree& tree, const DataOptions& options, std::ostream& err)
{
    if (options.paths.empty() || options.target.empty())
        throw CliError("extract takes --to DIR and one PATTERN or more");
    const auto target = PathFromUtf8(options.target);
    std::vector<Holding> selected;
    std::vector<std::uint64_t> sizes;
    std::map<const ArchiveLayer*, std::uint64_t> fromArchive; // unpacked bytes per archive
    for (Holding& file : tree.List())
        if (Selected(file.path, options.paths)) {
            sizes.push_back(file.size);
            if (const auto* archive = dynamic_cast<const ArchiveLayer*>(file.layer))
                fromArchive[archive] += file.size;
            selected.push_back(std::move(file));
        }
    if (selected.empty())
        throw CliError("no file of the tree matches the patterns given");
    for (const auto& [archive, total] : fromArchive)
        CheckUnpackRatio(archive->Name(), total, archive->archive().FileSize());
    CheckFreeSpace(target, sizes);
    int status = kExitSuccess;
    for (const Holding& file : selected) {
        std::vector<std::uint8_t> bytes;
        try {
            bytes = file.layer->Read(file.path);
        } catch (const std::exception& error) {
            ReportError(err, file.layer->Name(), error);
            status = kExitError;
            continue;
        }
        if (!Extract(target, file.layer->Name(), file.path, bytes, err))
            status = kExitError;
    }
    return status;
}

// data A diff B: the second tree is the first path, the patterns follow it.
int DiffTrees(const DataOptions& options, std::ostream& out, std::ostream& err)
{
    if (options.paths.empty())
        throw CliError("diff takes the tree to compare with, then any PATTERN");
    std::vector<std::string> patterns;
    for (auto pattern = options.paths.begin() + 1; pattern != options.paths.end(); ++pattern)
        patterns.push_back(TreePath(*pattern));
    const GameTree before = OpenTree(options.install, err);
    // A failure to open the second tree names that tree, not the first.
    std::optional<GameTree> after;
    if (Guarded(err, options.paths.front(), [&] {
            after.emplace(OpenTree(options.paths.front(), err));
            return kExitSuccess;
        }) != kExitSuccess)
        return kExitError;
    const int status = RunDataDiff(
        before, *after, [&](std::string_view path) { return Selected(path, patterns); }, options.json, out, err);
    // An archive left out (reported on opening) may hide differences or make them up.
    return before.Warnings().empty() && after->Warnings().empty() ? status : kExitError;
}

} // namespace

void AddDatOptions(CLI::App& command, DatOptions& options)
{
    command.require_subcommand(1);
    auto* list = command.add_subcommand("list", "One line per file: unpacked size, packed size, method "
                                                "(stored, lzss, lzss-chunks, zlib), path; TAB between");
    list->add_option("ARCHIVE.dat", options.archive, "the archive")->required();
    list->callback([&options] { options.action = "list"; });
    auto* extract = command.add_subcommand("extract", "The files (all, or those matching a PATTERN: * and ?, "
                                                      "any case) under DIR at their paths, never outside it");
    extract->add_option("ARCHIVE.dat", options.archive, "the archive")->required();
    extract->add_option("--to", options.target, "the folder to write into")->required();
    extract->add_option("PATTERN", options.patterns, "globs of the paths to extract (default: every file)");
    extract->callback([&options] { options.action = "extract"; });
    AddDatPackOptions(command, options);
}

int RunDat(const DatOptions& options, std::ostream& out, std::ostream& err)
{
    if (options.action == "pack")
        return RunDatPack(options, out, err);
    return options.action == "list" ? RunDatList(options, out, err) : RunDatExtract(options, out, err);
}

void AddDataOptions(CLI::App& command, DataOptions& options)
{
    command.add_option("INSTALL", options.install, "the game's folder or a mod's tree")->required();
    command
        .add_option("ACTION", options.action,
                    "list [PATTERN...]: the winning layer and path of each file; "
                    "where PATH: every layer holding it, winner first, with its "
                    "size; cat PATH: the winning bytes; extract --to DIR PATTERN...; "
                    "diff B [PATTERN...]: each file whose winning copy differs from B's, "
                    "is added or removed in B")
        ->required()
        ->check(CLI::IsMember({"list", "where", "cat", "extract", "diff"}));
    command.add_option("PATH", options.paths, "paths or globs inside the tree");
    command.add_option("--to", options.target, "extract: the folder to write into");
    command.add_flag("--json", options.json, "diff: one JSON object");
}

int RunData(const DataOptions& options, std::ostream& out, std::ostream& err)
{
    return Guarded(err, options.install, [&] {
        if (options.action != "extract" && !options.target.empty())
            throw CliError(options.action + " takes no --to (only extract writes files)");
        if (options.action != "diff" && options.json)
            throw CliError(options.action + " takes no --json (only diff)");
        if (options.action == "diff")
            return DiffTrees(options, out, err);
        // Paths and patterns as paths inside the tree, however they were written.
        DataOptions given = options;
        for (std::string& path : given.paths)
            path = TreePath(path);
        const GameTree tree = OpenTree(options.install, err);
        if (options.action == "list") {
            std::string text;
            for (const Holding& file : tree.List())
                if (Selected(file.path, given.paths))
                    text += file.layer->Name() + '\t' + ListField(file.path) + '\n';
            out << text;
            return kExitSuccess;
        }
        if (options.action == "where" || options.action == "cat") {
            if (given.paths.size() != 1)
                throw CliError(options.action + " takes one PATH");
            const std::string& path = given.paths.front();
            const std::vector<Holding> holders = tree.Holders(path);
            if (holders.empty())
                throw CliError(path + ": in no layer of the tree");
            if (options.action == "cat") {
                WriteBytes(out, holders.front().layer->Read(path));
                return kExitSuccess;
            }
            for (const Holding& holder : holders)
                out << holder.layer->Name() << '\t' << holder.size << '\n';
            return kExitSuccess;
        }
        return ExtractFromTree(tree, given, err);
    });
}

} // namespace quarnel::cli
