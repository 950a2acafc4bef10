#include "art/RgbaImage.h"

#include "platform/Errors.h"

#include <algorithm>
#include <cstring>

namespace quarnel {
namespace {

// Converts one frame into target, whose rows are stride bytes apart. The
// palette is copied into a local table first: stores through a byte pointer
// could otherwise change it, and the compiler would read it again per pixel.
void Paint(const FrmFrame& frame, const Palette& palette, std::uint8_t* target, std::size_t stride)
{
    std::uint32_t table[256];
    static_assert(sizeof table == sizeof palette.rgba);
    std::memcpy(table, palette.rgba.data(), sizeof table);
    const std::uint8_t* index = frame.pixels.data();
    const auto width = static_cast<std::size_t>(frame.width);
    for (int y = 0; y < frame.height; ++y, index += width) {
        std::uint8_t* out = target + static_cast<std::size_t>(y) * stride;
        for (std::size_t x = 0; x < width; ++x)
            std::memcpy(out + 4 * x, &table[index[x]], 4);
    }
}

} // namespace

RgbaImage FrameToRgba(const FrmFrame& frame, const Palette& palette)
{
    RgbaImage image;
    image.width = frame.width;
    image.height = frame.height;
    image.rgba.resize(static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 4);
    Paint(frame, palette, image.rgba.data(), static_cast<std::size_t>(frame.width) * 4);
    return image;
}

RgbaImage FrameSheet(const FrmPicture& picture, const Palette& palette)
{
    int cellWidth = 0, cellHeight = 0, columns = 0;
    for (int d = 0; d < kFrmDirections; ++d) {
        const std::vector<FrmFrame>& frames = picture.Frames(d);
        columns = std::max(columns, static_cast<int>(frames.size()));
        for (const FrmFrame& frame : frames) {
            cellWidth = std::max(cellWidth, frame.width);
            cellHeight = std::max(cellHeight, frame.height);
        }
    }
    const std::uint64_t width = std::uint64_t(cellWidth) * std::uint64_t(columns);
    const std::uint64_t height = std::uint64_t(cellHeight) * kFrmDirections;
    if (width * height > kMaxSheetPixels)
        throw ArchiveError("the sheet would be " + std::to_string(width) + " x " + std::to_string(height) +
                           " pixels, more than " + std::to_string(kMaxSheetPixels) + " in all");
    RgbaImage sheet;
    sheet.width = static_cast<int>(width);
    sheet.height = static_cast<int>(height);
    if (width == 0 || height == 0)
        return sheet; // frames of no pixels only: nothing to paint
    sheet.rgba.assign(static_cast<std::size_t>(width * height * 4), 0);
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    for (int d = 0; d < kFrmDirections; ++d) {
        const std::vector<FrmFrame>& frames = picture.Frames(d);
        for (std::size_t f = 0; f < frames.size(); ++f) {
            std::uint8_t* cell = sheet.rgba.data() + static_cast<std::size_t>(d) * cellHeight * stride +
                                 f * static_cast<std::size_t>(cellWidth) * 4;
            Paint(frames[f], palette, cell, stride);
        }
    }
    return sheet;
}

} // namespace quarnel
