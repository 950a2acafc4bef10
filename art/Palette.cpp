#include "art/Palette.h"

#include "platform/Errors.h"

#include <algorithm>

namespace quarnel {

Palette DecodePalette(const std::uint8_t* data, std::size_t size, const std::string& label)
{
    if (size < kPaletteBytes)
        throw ArchiveError(label + ": " + std::to_string(size) + " bytes, a palette has 768");
    Palette palette;
    for (std::size_t i = 1; i < 256; ++i) {
        for (std::size_t c = 0; c < 3; ++c)
            palette.rgba[i][c] = static_cast<std::uint8_t>(std::min<int>(data[3 * i + c], 63) * 4);
        palette.rgba[i][3] = 255;
    }
    return palette;
}

} // namespace quarnel
