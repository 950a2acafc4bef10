// art and frm: a critter's standing picture, or any FRM file, as a PNG with
// an alpha channel (index 0 transparent, every other pixel opaque), one frame
// or a sheet of every frame; frm --info describes a file's header and frames.
#include "art/CritterArt.h"
#include "art/PngEncoder.h"
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/CommandSource.h"
#include "gamedata/GameTree.h"
#include "platform/Errors.h"
#include "platform/NewFile.h"
#include "platform/RegularFile.h"
#include "platform/Utf8.h"
#include "proto/ProLayout.h"
#include "source/TreeSource.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace quarnel::cli {
namespace {

// A file of frm's, read and decoded. One that cannot be read or is refused is
// reported under its own name and gives nothing; a damaged one's error goes on
// to the command's handler.
template <class Decoded>
std::optional<Decoded> ReadDecoded(const std::string& file, std::size_t maxBytes,
                                   Decoded (*decode)(const std::vector<std::uint8_t>&, const std::string&),
                                   std::ostream& err)
{
    try {
        const std::string bytes = ReadWholeFile(PathFromUtf8(file), maxBytes);
        return decode(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), file);
    } catch (const IoError& error) {
        ReportError(err, file, error);
    } catch (const FileRefusedError& error) {
        ReportError(err, file, error);
    }
    return std::nullopt;
}

// The frame or sheet asked for, as PNG, written to out; returns its size text.
std::string WritePicture(const FrmPicture& picture, const Palette& palette, const PictureOptions& options)
{
    RgbaImage image;
    if (options.sheet) {
        image = FrameSheet(picture, palette);
    } else {
        const std::vector<FrmFrame>& frames = picture.Frames(options.direction);
        if (options.frame < 0 || static_cast<std::size_t>(options.frame) >= frames.size())
            throw CliError(
                "--frame " + std::to_string(options.frame) + ": direction " + std::to_string(options.direction) +
                " has " + std::to_string(frames.size()) +
                (frames.size() == 1 ? " frame (0)" : " frames (0 to " + std::to_string(frames.size() - 1) + ")"));
        image = FrameToRgba(frames[static_cast<std::size_t>(options.frame)], palette);
    }
    try {
        WriteNewFile(PathFromUtf8(options.out), EncodePng(image));
    } catch (const IoError& error) {
        throw CliError(options.out + ": " + error.what());
    }
    return std::to_string(image.width) + " x " + std::to_string(image.height);
}

// The game's tree a loose critter belongs to: the first folder above it that
// is an install or a mod's tree. A critter in an install's override folder
// (data/proto/critters) finds data/ first, which holds proto/critters too;
// the install above it is taken instead, so that its archives are read.
std::optional<GameTree> TreeAbove(const fs::path& file)
{
    std::error_code ec;
    fs::path folder = fs::absolute(file, ec).parent_path();
    while (!folder.empty()) {
        try {
            GameTree tree = GameTree::Open(folder);
            if (!tree.IsInstall() && folder.has_parent_path() && folder.parent_path() != folder) {
                try {
                    GameTree install = GameTree::Open(folder.parent_path());
                    if (install.IsInstall() &&
                        fs::equivalent(install.OverrideFor("proto/critters").Folder(), folder, ec))
                        return install;
                } catch (const ArchiveError&) {
                }
            }
            return tree;
        } catch (const ArchiveError&) {
        }
        if (!folder.has_parent_path() || folder.parent_path() == folder)
            break;
        folder = folder.parent_path();
    }
    return std::nullopt;
}

void Describe(const FrmPicture& picture, std::ostream& out)
{
    out << "version: " << picture.version << '\n';
    out << "frames per second: " << picture.FramesPerSecond();
    if (picture.storedFramesPerSecond == 0)
        out << " (0 in the file)";
    out << '\n';
    out << "frames per direction: " << picture.framesPerDirection << '\n';
    out << "action frame: " << picture.actionFrame << '\n';
    if (picture.storedDirections == 1)
        out << "directions: 1, used for all six\n";
    const int shown = picture.storedDirections == 1 ? 1 : kFrmDirections;
    for (int d = 0; d < shown; ++d) {
        const FrmDirection& direction = picture.directions[d];
        out << "direction " << d << ": shift " << direction.xShift << ", " << direction.yShift;
        int first = 0;
        while (picture.directions[first].frames != direction.frames)
            ++first;
        if (first < d) {
            out << ", the frames of direction " << first << '\n';
            continue;
        }
        out << '\n';
        const std::vector<FrmFrame>& frames = picture.Frames(d);
        for (std::size_t f = 0; f < frames.size(); ++f)
            out << "direction " << d << ", frame " << f << ": " << frames[f].width << " x " << frames[f].height
                << ", offset " << frames[f].xOffset << ", " << frames[f].yOffset << '\n';
    }
}

} // namespace

int RunArt(const ArtOptions& options, std::ostream& out, std::ostream& err)
{
    const std::unique_ptr<PrototypeSource> source = OpenCommandSource(options.data, err);
    const SourceFile file = source->ResolveOne(options.critter);
    std::optional<ProRecord> read;
    try {
        read = CritterRecordOf(source->Read(file));
    } catch (const std::exception& error) {
        ReportError(err, file.label, error); // a file that is no critter is named
        return kExitError;
    }
    const ProRecord& record = *read;
    const auto fid = static_cast<std::uint32_t>(record.Field(kFidOffset, 4));

    PrototypeArt found = source->Art(fid);
    if (!found.frm) {
        // A loose file's picture comes from the tree it lies in.
        std::optional<GameTree> tree = TreeAbove(file.file);
        if (!tree)
            throw CliError(file.label + ": no game install or mod's tree in its folders upwards: give --data");
        for (const std::string& warning : tree->Warnings())
            ReportError(err, Utf8FromPath(tree->Folder()), warning);
        found = TreeSource(std::move(*tree)).Art(fid);
    }
    const CritterArt& art = *found.frm;
    if (!art.HasPicture()) {
        ReportError(err, file.label, art.missing);
        return kExitError;
    }
    const std::string size = WritePicture(*art.picture, *art.palette, options.picture);
    out << art.path << " (" << art.Caption() << "): " << size << " -> " << options.picture.out << '\n';
    return kExitSuccess;
}

int RunFrm(const FrmOptions& options, std::ostream& out, std::ostream& err)
{
    if (!options.info && options.picture.out.empty()) {
        ReportError(err, "frm", "give --out FILE.png (with --palette) or --info");
        return kExitError;
    }
    if (!options.picture.out.empty() && options.palette.empty()) {
        ReportError(err, "frm", "--out needs --palette color.pal");
        return kExitError;
    }
    const std::optional<FrmPicture> picture = ReadDecoded(options.file, kMaxFrmFileBytes, DecodeFrm, err);
    if (!picture)
        return kExitError;
    if (options.info)
        Describe(*picture, out);
    if (!options.picture.out.empty()) {
        const std::optional<Palette> palette = ReadDecoded(options.palette, std::size_t{1} << 20, DecodePalette, err);
        if (!palette)
            return kExitError;
        WritePicture(*picture, *palette, options.picture);
    }
    return kExitSuccess;
}

} // namespace quarnel::cli
