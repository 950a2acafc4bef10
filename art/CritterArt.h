#pragma once
// A critter's standing picture as the game draws it, found through the
// game's file tree: the FID names a line of art/critters/critters.lst, that
// line the FRM file under art/critters/, and color.pal at the tree's root
// gives the colours. (The first game's critter art comes from its critter
// tree; GameTree knows which layers serve a path.)
//
// What is missing (the list, its line, the FRM, the palette) or damaged is
// one short text, never an exception: a window shows it instead of the
// picture, a check reports it.
#include "art/CritterFid.h"
#include "art/FrmPicture.h"
#include "art/Palette.h"
#include "art/RgbaImage.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

class GameTree;

struct CritterArt {
    std::uint32_t fid = 0;
    std::string baseName; // "hmjmpsaa" (empty when the FID names no file)
    std::string path;     // the file read, "art/critters/hmjmpsaa.frm" (.fr0 for per-direction files)
    // Both set, or neither: then missing says why.
    std::shared_ptr<const FrmPicture> picture;
    std::shared_ptr<const Palette> palette;
    std::string missing;

    bool HasPicture() const { return picture != nullptr; }
    // "hmjmpsaa, FID: 123", or the text of what is missing.
    std::string Caption() const;
    // One frame of direction 0 to 5 in the palette's colours (HasPicture()
    // only; out_of_range for a frame the direction does not have).
    RgbaImage Rgba(int direction, int frame) const { return FrameToRgba(picture->Frame(direction, frame), *palette); }
    // The same frame at its place in the box of its direction (PlaceFrames).
    RgbaImage PlacedRgba(int direction, int frame) const;
};

// Where the frames of one direction are drawn when it is played as the game
// plays it: the bottom centre of each frame is where the previous frame's
// was, moved by the frame's own offsets (the first frame's from the
// direction's origin); a frame's left edge is that centre less half its
// width (rounded down), its top that centre less its height. The box holds
// every frame; each frame's top left corner is given inside it. When the
// box would exceed kMaxSheetPixels (offsets of a damaged file), each frame
// is its own box at (0, 0).
struct FramePlacement {
    int width = 0;
    int height = 0;
    std::vector<std::array<int, 2>> topLeft; // x, y per frame
};
FramePlacement PlaceFrames(const std::vector<FrmFrame>& frames);

// Frame `frame` of frames drawn at its place in the direction's box, the
// rest of the box transparent.
RgbaImage PlacedFrameToRgba(const std::vector<FrmFrame>& frames, int frame, const Palette& palette);

// Looks critters' pictures up in one tree. The list and the palette are
// read once, at the first critter that needs them, and each picture file is
// decoded once; Forget() drops them after the tree's files changed.
class CritterArtSource {
public:
    explicit CritterArtSource(const GameTree& tree) : tree_(tree) {}

    CritterArt Find(std::uint32_t fid) const;
    void Forget() const;

    // What keeps every critter of the tree from a picture: the list or the
    // palette missing or damaged (the text Find gives); empty when it is there.
    std::string ListProblem() const;
    std::string PaletteProblem() const;

private:
    struct Decoded {
        std::shared_ptr<const FrmPicture> picture;
        std::string path;
        std::string missing;
    };
    const std::vector<std::string>* Names(std::string& missing) const;
    const Palette* ThePalette(std::string& missing) const;
    Decoded Load(const CritterArtName& name) const;

    const GameTree& tree_;
    mutable std::optional<std::vector<std::string>> names_;
    mutable std::string namesMissing_;
    mutable std::shared_ptr<const Palette> palette_;
    mutable std::string paletteMissing_;
    mutable bool paletteRead_ = false;
    mutable std::map<std::string, Decoded> pictures_; // by baseName + extension, as looked up
};

} // namespace quarnel
