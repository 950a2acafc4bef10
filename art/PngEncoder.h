#pragma once
// PNG files of RGBA images (stb_image_write), with an alpha channel.
#include "art/RgbaImage.h"

#include <cstdint>
#include <vector>

namespace quarnel {

// The PNG file's bytes. ArchiveError for an empty image (no PNG has 0 rows
// or columns).
std::vector<std::uint8_t> EncodePng(const RgbaImage& image);

} // namespace quarnel
