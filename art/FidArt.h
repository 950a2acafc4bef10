#pragma once
// The picture an FID names, as the game draws it, found through the game's
// file tree: the FID's type chooses the art list (ListedArtName.h; critters
// by their own rules, CritterFid.h), the list's line the FRM file, and
// color.pal at the tree's root gives the colours. (The first game's critter
// art comes from its critter tree; GameTree knows which layers serve a path.)
//
// What is missing (the list, its line, the FRM, the palette) or damaged is
// one short text, never an exception: a window shows it instead of the
// picture, a check reports it.
#include "art/FramePlacement.h"
#include "art/FrmPicture.h"
#include "art/Palette.h"
#include "art/RgbaImage.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

class GameTree;

struct FidArt {
    std::uint32_t fid = 0;
    std::string baseName; // "hmjmpsaa", "knife" (empty when the FID names no file)
    std::string path;     // the file read, "art/critters/hmjmpsaa.frm" (.fr0 for per-direction files)
    // Both set, or neither: then missing says why.
    std::shared_ptr<const FrmPicture> picture;
    std::shared_ptr<const Palette> palette;
    std::string missing;

    bool HasPicture() const { return picture != nullptr; }
    // "hmjmpsaa, FID: 123", or the text of what is missing.
    std::string Caption() const;
    // One frame of direction 0 to 5 in the palette's colours (HasPicture()
    // only; out_of_range for a frame the direction does not have). A picture
    // of one direction gives the same frames for all six.
    RgbaImage Rgba(int direction, int frame) const { return FrameToRgba(picture->Frame(direction, frame), *palette); }
    // The same frame at its place in the box of its direction (PlaceFrames).
    RgbaImage PlacedRgba(int direction, int frame) const;
};

// Looks the pictures of FIDs of every listed type up in one tree. Each list
// and the palette are read once, at the first FID that needs them, and each
// picture file is decoded once; Forget() drops them after the tree's files
// changed.
class ArtSource {
public:
    explicit ArtSource(const GameTree& tree) : tree_(tree) {}

    FidArt Find(std::uint32_t fid) const;
    void Forget() const;

    // What keeps every FID of the type (0 to 15) from a picture: its list
    // missing or damaged, or a type with no list (the text Find gives);
    // empty when it is there. The same for the palette.
    std::string ListProblem(std::uint32_t type) const;
    std::string PaletteProblem() const;

private:
    struct List {
        std::optional<std::vector<std::string>> names;
        std::string missing;
    };
    struct Decoded {
        std::shared_ptr<const FrmPicture> picture;
        std::string path;
        std::string missing;
    };
    const std::vector<std::string>* Names(std::uint32_t type, std::string& missing) const;
    const Palette* ThePalette(std::string& missing) const;
    // directionFiles: a missing .frm may stand as six files .fr0 to .fr5.
    Decoded Load(const std::string& path, bool directionFiles) const;
    // The file the FID names and its base name, or why none.
    bool Name(std::uint32_t fid, FidArt& art, std::string& path, bool& directionFiles) const;

    const GameTree& tree_;
    mutable std::map<std::uint32_t, List> lists_; // by type
    mutable std::shared_ptr<const Palette> palette_;
    mutable std::string paletteMissing_;
    mutable bool paletteRead_ = false;
    mutable std::map<std::string, Decoded> pictures_; // by path key, as looked up
};

} // namespace quarnel
