#include "art/PngEncoder.h"

#include "platform/Errors.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <string>

namespace quarnel {
namespace {

void Append(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

} // namespace

std::vector<std::uint8_t> EncodePng(const RgbaImage& image)
{
    if (image.width <= 0 || image.height <= 0)
        throw ArchiveError("the picture is empty (" + std::to_string(image.width) + " x " +
                           std::to_string(image.height) + "): no PNG to write");
    std::vector<std::uint8_t> png;
    if (!stbi_write_png_to_func(&Append, &png, image.width, image.height, 4, image.rgba.data(), image.width * 4))
        throw ArchiveError("the PNG could not be made");
    return png;
}

} // namespace quarnel
