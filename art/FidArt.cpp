#include "art/FidArt.h"

#include "art/CritterFid.h"
#include "art/ListedArtName.h"
#include "gamedata/GamePath.h"
#include "gamedata/GameTree.h"

#include <array>

namespace quarnel {
namespace {

constexpr const char* kPalettePath = "color.pal";
constexpr std::size_t kMaxListBytes = std::size_t{1} << 20;

// The bytes of a file of the tree, at most maxBytes; an empty text, or why not.
std::string ReadFromTree(const GameTree& tree, const std::string& path, std::size_t maxBytes,
                         std::vector<std::uint8_t>& bytes)
{
    const std::optional<Holding> found = tree.Find(path);
    if (!found)
        return "no " + path;
    if (found->size > maxBytes)
        return found->path + ": " + std::to_string(found->size) + " bytes, more than " + std::to_string(maxBytes);
    try {
        bytes = tree.Read(path);
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}

} // namespace

RgbaImage FidArt::PlacedRgba(int direction, int frame) const
{
    return PlacedFrameToRgba(picture->Frames(direction), frame, *palette);
}

std::string FidArt::Caption() const
{
    if (!HasPicture())
        return missing;
    return baseName + ", FID: " + std::to_string(ArtFidIndex(fid));
}

const std::vector<std::string>* ArtSource::Names(std::uint32_t type, std::string& missing) const
{
    const ArtType* artType = FindArtType(type);
    if (!artType) {
        missing = ArtTypeProblem(type << 24);
        return nullptr;
    }
    List& list = lists_[type];
    if (!list.names && list.missing.empty()) {
        std::vector<std::uint8_t> bytes;
        list.missing = ReadFromTree(tree_, artType->list, kMaxListBytes, bytes);
        if (list.missing.empty())
            list.names = ParseArtList(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    missing = list.missing;
    return list.names ? &*list.names : nullptr;
}

const Palette* ArtSource::ThePalette(std::string& missing) const
{
    if (!paletteRead_) {
        paletteRead_ = true;
        std::vector<std::uint8_t> bytes;
        // A palette is read whatever follows its first 768 bytes; the games'
        // file has a colour table after them, about 33 KB in all.
        paletteMissing_ = ReadFromTree(tree_, kPalettePath, std::size_t{1} << 20, bytes);
        if (paletteMissing_.empty()) {
            try {
                palette_ = std::make_shared<const Palette>(DecodePalette(bytes, kPalettePath));
            } catch (const std::exception& error) {
                paletteMissing_ = error.what();
            }
        }
    }
    missing = paletteMissing_;
    return palette_.get();
}

ArtSource::Decoded ArtSource::Load(const std::string& path, bool directionFiles) const
{
    const std::string key = GamePathKey(path);
    if (const auto cached = pictures_.find(key); cached != pictures_.end())
        return cached->second;
    Decoded decoded;
    decoded.path = path;
    std::vector<std::uint8_t> bytes;
    std::string missing = ReadFromTree(tree_, decoded.path, kMaxFrmFileBytes, bytes);
    try {
        if (missing.empty()) {
            decoded.picture = std::make_shared<const FrmPicture>(DecodeFrm(bytes, decoded.path));
        } else if (directionFiles && !tree_.Find(decoded.path)) {
            // No six-direction file: one file per direction, .fr0 to .fr5.
            const std::string stem = path.substr(0, path.size() - 4);
            std::array<FrmPicture, kFrmDirections> files;
            for (int d = 0; d < kFrmDirections && decoded.picture == nullptr; ++d) {
                const std::string directionPath = stem + ".fr" + std::to_string(d);
                const std::string missingDirection = ReadFromTree(tree_, directionPath, kMaxFrmFileBytes, bytes);
                if (!missingDirection.empty()) {
                    if (d > 0) // some direction files, not all: name the first missing one
                        missing = missingDirection;
                    break;
                }
                files[static_cast<std::size_t>(d)] = DecodeFrm(bytes, directionPath);
                if (d == kFrmDirections - 1) {
                    decoded.picture = std::make_shared<const FrmPicture>(CombineDirectionFiles(std::move(files)));
                    decoded.path = stem + ".fr0";
                    missing.clear();
                }
            }
        }
    } catch (const std::exception& error) {
        missing = error.what();
    }
    decoded.missing = decoded.picture ? std::string() : missing;
    pictures_.emplace(key, decoded);
    return decoded;
}

bool ArtSource::Name(std::uint32_t fid, FidArt& art, std::string& path, bool& directionFiles) const
{
    const std::uint32_t type = ArtFidType(fid);
    art.missing = type == kCritterArtType ? FidProblem(fid) : ArtTypeProblem(fid);
    if (!art.missing.empty())
        return false;
    const std::vector<std::string>* names = Names(type, art.missing);
    if (!names)
        return false;
    if (type == kCritterArtType) {
        const CritterArtName name = CritterArtFileName(fid, *names);
        art.missing = name.problem;
        art.baseName = name.baseName;
        path = kCritterArtFolder + name.baseName + name.extension;
        directionFiles = name.extension == ".frm";
    } else {
        const ListedArtName name = ListedArtFileName(fid, *names);
        art.missing = name.problem;
        art.baseName = name.baseName;
        path = name.path;
        directionFiles = false;
    }
    return art.missing.empty();
}

FidArt ArtSource::Find(std::uint32_t fid) const
{
    FidArt art;
    art.fid = fid;
    std::string path;
    bool directionFiles = false;
    if (!Name(fid, art, path, directionFiles))
        return art;
    Decoded decoded = Load(path, directionFiles);
    art.path = decoded.path;
    if (!decoded.picture) {
        art.missing = decoded.missing;
        return art;
    }
    const Palette* palette = ThePalette(art.missing);
    if (!palette)
        return art;
    art.picture = decoded.picture;
    art.palette = palette_;
    return art;
}

std::string ArtSource::ListProblem(std::uint32_t type) const
{
    std::string missing;
    Names(type, missing);
    return missing;
}

std::string ArtSource::PaletteProblem() const
{
    std::string missing;
    ThePalette(missing);
    return missing;
}

void ArtSource::Forget() const
{
    lists_.clear();
    palette_.reset();
    paletteMissing_.clear();
    paletteRead_ = false;
    pictures_.clear();
}

} // namespace quarnel
