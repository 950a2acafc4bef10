#pragma once
// Tiny valid GIF pictures for tests and sample data, written by a minimal
// encoder: a global palette, one image per frame, and LZW data sent as plain
// 9-bit codes with a clear code often enough that the code size never grows.
#include <array>
#include <cstdint>
#include <vector>

namespace quarnel::test {

using Rgb = std::array<std::uint8_t, 3>;

// frames: one palette index per pixel, row by row. Several frames make an
// endlessly looping animation with delayCs hundredths of a second per frame.
// palette: 1 to 256 colours.
std::vector<std::uint8_t> EncodeGif(int width, int height, const std::vector<Rgb>& palette,
                                    const std::vector<std::vector<std::uint8_t>>& frames, int delayCs = 20);

// A 4 by 3 still picture in two colours.
std::vector<std::uint8_t> TinyStillGif();
// A 4 by 3 animation of two frames.
std::vector<std::uint8_t> TinyAnimatedGif();

} // namespace quarnel::test
