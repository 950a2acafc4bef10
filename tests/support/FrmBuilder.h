#pragma once
// Builds FRM pictures and palettes byte by byte for tests: directions of
// frames with their shifts and offsets, shared directions, and headers whose
// counts and sizes lie.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quarnel::test {

struct FrmFrameRecipe {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // written as given, whatever width x height says
    int xOffset = 0;
    int yOffset = 0;
    std::optional<std::uint32_t> pixelCount; // stated instead of the pixels' count
};

struct FrmRecipe {
    std::uint32_t version = 4;
    std::uint16_t framesPerSecond = 10;
    std::uint16_t actionFrame = 0;
    std::array<std::int16_t, 6> xShift{};
    std::array<std::int16_t, 6> yShift{};
    // Written one after the other; direction d starts at set directionSet[d].
    // With every direction on set 0 all six offsets are 0: one direction.
    std::vector<std::vector<FrmFrameRecipe>> frameSets;
    std::array<int, 6> directionSet{};
    std::optional<std::uint16_t> framesPerDirection;     // stated instead of frameSets[0].size()
    std::optional<std::uint32_t> dataSize;               // stated instead of the real size
    std::optional<std::array<std::uint32_t, 6>> offsets; // stated instead of the real ones
};

std::vector<std::uint8_t> BuildFrm(const FrmRecipe& recipe);

// Six directions, each its own set.
inline std::array<int, 6> SixDirections() { return {0, 1, 2, 3, 4, 5}; }

// A palette file: entry i is (i % 64, (i * 2) % 64, (i * 3) % 64), then
// extra bytes (a 33,536-byte file has 32,768 more).
std::vector<std::uint8_t> BuildPalette(std::size_t extra = 0);

} // namespace quarnel::test
