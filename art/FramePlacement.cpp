#include "art/FramePlacement.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

namespace quarnel {

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

} // namespace quarnel
