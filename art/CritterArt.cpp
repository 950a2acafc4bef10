#include "art/CritterArt.h"

#include "gamedata/GamePath.h"
#include "gamedata/GameTree.h"

#include <algorithm>
#include <cstring>
#include <limits>

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

FramePlacement PlaceFrames(const std::vector<FrmFrame>& frames)
{
    FramePlacement placement;
    if (frames.empty())
        return placement;
    // In 64 bits: a thousand frames of the largest offsets stay exact.
    std::int64_t centreX = 0, centreY = 0;
    std::int64_t left = std::numeric_limits<std::int64_t>::max(), top = left;
    std::int64_t right = std::numeric_limits<std::int64_t>::min(), bottom = right;
    std::vector<std::array<std::int64_t, 2>> corners;
    corners.reserve(frames.size());
    for (const FrmFrame& frame : frames) {
        centreX += frame.xOffset;
        centreY += frame.yOffset;
        const std::int64_t x = centreX - frame.width / 2;
        const std::int64_t y = centreY - frame.height;
        corners.push_back({x, y});
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x + frame.width);
        bottom = std::max(bottom, centreY);
    }
    const std::uint64_t width = std::uint64_t(right - left);
    const std::uint64_t height = std::uint64_t(bottom - top);
    if (width * height > kMaxSheetPixels) {
        for (const FrmFrame& frame : frames) {
            placement.width = std::max(placement.width, frame.width);
            placement.height = std::max(placement.height, frame.height);
            placement.topLeft.push_back({0, 0});
        }
        return placement;
    }
    placement.width = static_cast<int>(width);
    placement.height = static_cast<int>(height);
    for (const auto& corner : corners)
        placement.topLeft.push_back({static_cast<int>(corner[0] - left), static_cast<int>(corner[1] - top)});
    return placement;
}

RgbaImage PlacedFrameToRgba(const std::vector<FrmFrame>& frames, int frame, const Palette& palette)
{
    const FramePlacement placement = PlaceFrames(frames);
    const RgbaImage alone = FrameToRgba(frames.at(static_cast<std::size_t>(frame)), palette);
    RgbaImage placed;
    placed.width = placement.width;
    placed.height = placement.height;
    placed.rgba.assign(std::size_t(placed.width) * std::size_t(placed.height) * 4, 0);
    const auto [x, y] = placement.topLeft[static_cast<std::size_t>(frame)];
    const std::size_t rowBytes = std::size_t(alone.width) * 4;
    for (int row = 0; row < alone.height; ++row)
        std::memcpy(placed.rgba.data() + (std::size_t(y + row) * std::size_t(placed.width) + std::size_t(x)) * 4,
                    alone.rgba.data() + std::size_t(row) * rowBytes, rowBytes);
    return placed;
}

RgbaImage CritterArt::PlacedRgba(int direction, int frame) const
{
    return PlacedFrameToRgba(picture->Frames(direction), frame, *palette);
}

std::string CritterArt::Caption() const
{
    if (!HasPicture())
        return missing;
    return baseName + ", FID: " + std::to_string(ArtFidIndex(fid));
}

const std::vector<std::string>* CritterArtSource::Names(std::string& missing) const
{
    if (!names_ && namesMissing_.empty()) {
        std::vector<std::uint8_t> bytes;
        namesMissing_ = ReadFromTree(tree_, kCritterArtList, kMaxListBytes, bytes);
        if (namesMissing_.empty())
            names_ = ParseArtList(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    missing = namesMissing_;
    return names_ ? &*names_ : nullptr;
}

const Palette* CritterArtSource::ThePalette(std::string& missing) const
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

CritterArtSource::Decoded CritterArtSource::Load(const CritterArtName& name) const
{
    const std::string key = GamePathKey(name.baseName + name.extension);
    if (const auto cached = pictures_.find(key); cached != pictures_.end())
        return cached->second;
    Decoded decoded;
    const std::string stem = kCritterArtFolder + name.baseName;
    decoded.path = stem + name.extension;
    std::vector<std::uint8_t> bytes;
    std::string missing = ReadFromTree(tree_, decoded.path, kMaxFrmFileBytes, bytes);
    try {
        if (missing.empty()) {
            decoded.picture = std::make_shared<const FrmPicture>(DecodeFrm(bytes, decoded.path));
        } else if (name.extension == ".frm" && !tree_.Find(decoded.path)) {
            // No six-direction file: one file per direction, .fr0 to .fr5.
            std::array<FrmPicture, kFrmDirections> files;
            for (int d = 0; d < kFrmDirections && decoded.picture == nullptr; ++d) {
                const std::string path = stem + ".fr" + std::to_string(d);
                const std::string missingDirection = ReadFromTree(tree_, path, kMaxFrmFileBytes, bytes);
                if (!missingDirection.empty()) {
                    if (d > 0) // some direction files, not all: name the first missing one
                        missing = missingDirection;
                    break;
                }
                files[static_cast<std::size_t>(d)] = DecodeFrm(bytes, path);
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

CritterArt CritterArtSource::Find(std::uint32_t fid) const
{
    CritterArt art;
    art.fid = fid;
    art.missing = FidProblem(fid);
    if (!art.missing.empty())
        return art;
    const std::vector<std::string>* names = Names(art.missing);
    if (!names)
        return art;
    const CritterArtName name = CritterArtFileName(fid, *names);
    if (!name.problem.empty()) {
        art.missing = name.problem;
        return art;
    }
    art.baseName = name.baseName;
    Decoded decoded = Load(name);
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

std::string CritterArtSource::ListProblem() const
{
    std::string missing;
    Names(missing);
    return missing;
}

std::string CritterArtSource::PaletteProblem() const
{
    std::string missing;
    ThePalette(missing);
    return missing;
}

void CritterArtSource::Forget() const
{
    names_.reset();
    namesMissing_.clear();
    palette_.reset();
    paletteMissing_.clear();
    paletteRead_ = false;
    pictures_.clear();
}

} // namespace quarnel
