// dat pack: a folder's files as a new archive of either game. Nothing is
// written when a name cannot be held or the archive exists (unless
// --force); the archive appears whole or not at all.
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/WriteFailure.h"
#include "gamedata/FolderPacking.h"
#include "platform/Utf8.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel::cli {

void AddDatPackOptions(CLI::App& dat, DatOptions& options)
{
    auto* pack = dat.add_subcommand("pack", "A new archive of the FOLDER's files (hidden ones left out): "
                                            "dat2 (zlib) or dat1 (LZSS, names upper case), each file "
                                            "stored when compressing does not make it smaller");
    pack->add_option("FOLDER", options.folder, "the folder whose files are packed")->required();
    pack->add_option("--to", options.target, "the archive to write")->required();
    pack->add_option("--format", options.format, "dat2 (the second game, default) or dat1 (the first game)")
        ->transform(CLI::IsMember({"dat2", "dat1"}, CLI::ignore_case));
    pack->add_option("--store", options.store, "a glob of paths stored without compression (repeatable)");
    pack->add_flag("--force", options.force, "replace an archive already at the --to path");
    pack->callback([&options] { options.action = "pack"; });
}

int RunDatPack(const DatOptions& options, std::ostream&, std::ostream& err)
{
    const fs::path folder = PathFromUtf8(options.folder);
    const fs::path target = PathFromUtf8(options.target);
    const bool dat1 = options.format == "dat1";
    const char* formatName = dat1 ? "DAT1" : "DAT2";
    try {
        std::error_code ec;
        if (!fs::is_directory(folder, ec))
            throw CliError(fs::exists(folder, ec) ? "not a folder" : "no such folder");
        if (!options.force && fs::symlink_status(target, ec).type() != fs::file_type::not_found) {
            ReportError(err, options.target, "already there; not replaced (--force replaces it)");
            return kExitError;
        }
        const auto packer = ArchivePacker::For(dat1 ? ArchiveFormat::Dat1 : ArchiveFormat::Dat2);
        const FolderPack pack = ListFolderPack(folder, *packer, target);
        for (const std::string& refusal : pack.refused)
            ReportError(err, options.folder, refusal);
        if (!pack.refused.empty()) {
            ReportError(err, options.target,
                        "not written: a " + std::string(formatName) + " archive cannot hold the files named above");
            return kExitError;
        }
        if (pack.files.empty())
            throw CliError("holds no file to pack; nothing written");
        try {
            WriteFolderPack(pack, *packer, options.store, target);
        } catch (const std::exception& error) {
            // A file that could not be read names itself; anything else is the archive's failure.
            const auto* refusal = dynamic_cast<const Refusal*>(&error);
            if (refusal && refusal->Kind() == RefusalKind::Io && !refusal->Path().empty())
                ReportError(err, Utf8FromPath(refusal->Path()), error);
            else
                ReportWriteFailure(err, options.target, error);
            return kExitError;
        }
        return kExitSuccess;
    } catch (const std::exception& error) {
        ReportError(err, options.folder, error);
        return kExitError;
    }
}

} // namespace quarnel::cli
