#pragma once
// A frame of an FRM picture in the palette's colours: four bytes red, green,
// blue, alpha per pixel, row by row, top row first. Index 0 is fully
// transparent, every other pixel opaque.
#include "art/FrmPicture.h"
#include "art/Palette.h"

#include <cstdint>
#include <vector>

namespace quarnel {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba; // width x height x 4
};

RgbaImage FrameToRgba(const FrmFrame& frame, const Palette& palette);

// The largest sheet FrameSheet makes (width x height pixels).
constexpr std::uint64_t kMaxSheetPixels = std::uint64_t{1} << 26;

// Every frame of every direction: a row per direction (0 to 5), a column per
// frame, each cell as large as the largest frame, each frame at its cell's
// top left, the rest transparent. ArchiveError when it would be larger than
// kMaxSheetPixels.
RgbaImage FrameSheet(const FrmPicture& picture, const Palette& palette);

} // namespace quarnel
