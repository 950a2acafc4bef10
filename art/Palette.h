#pragma once
// The games' palette (color.pal): 256 entries of red, green and blue, each 0
// to 63, shown as the value x 4. Only the first 768 bytes are read, so the
// common 33,536-byte file (followed by a colour lookup table) and longer
// ones are palettes too. Index 0 is transparent.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quarnel {

constexpr std::size_t kPaletteBytes = 768;

struct Palette {
    // Each entry as its four bytes red, green, blue, alpha in memory order;
    // entry 0 is all zero (transparent), every other one opaque.
    std::array<std::array<std::uint8_t, 4>, 256> rgba{};
};

// ArchiveError "<label>: ..." when fewer than 768 bytes are given. A
// component above 63 is drawn as 63 would be.
Palette DecodePalette(const std::uint8_t* data, std::size_t size, const std::string& label);
inline Palette DecodePalette(const std::vector<std::uint8_t>& bytes, const std::string& label)
{
    return DecodePalette(bytes.data(), bytes.size(), label);
}

} // namespace quarnel
