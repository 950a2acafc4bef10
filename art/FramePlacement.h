#pragma once
// Where the frames of one direction of an FRM picture are drawn when it is
// played as the game plays it, and one frame drawn at that place.
#include "art/FrmPicture.h"
#include "art/Palette.h"
#include "art/RgbaImage.h"

#include <array>
#include <vector>

namespace quarnel {

// The bottom centre of each frame is where the previous frame's was, moved
// by the frame's own offsets (the first frame's from the direction's
// origin); a frame's left edge is that centre less half its width (rounded
// down), its top that centre less its height. The box holds every frame;
// each frame's top left corner is given inside it. When the box would exceed
// kMaxSheetPixels (offsets of a damaged file), each frame is its own box at
// (0, 0).
struct FramePlacement {
    int width = 0;
    int height = 0;
    std::vector<std::array<int, 2>> topLeft; // x, y per frame
};
FramePlacement PlaceFrames(const std::vector<FrmFrame>& frames);

// Frame `frame` of frames drawn at its place in the direction's box, the
// rest of the box transparent.
RgbaImage PlacedFrameToRgba(const std::vector<FrmFrame>& frames, int frame, const Palette& palette);

} // namespace quarnel
