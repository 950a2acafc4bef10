#include "FrmBuilder.h"

namespace quarnel::test {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v >> 16);
    Put16(out, v);
}

} // namespace

std::vector<std::uint8_t> BuildFrm(const FrmRecipe& recipe)
{
    std::vector<std::uint8_t> data;
    std::vector<std::uint32_t> setOffsets;
    for (const auto& set : recipe.frameSets) {
        setOffsets.push_back(static_cast<std::uint32_t>(data.size()));
        for (const FrmFrameRecipe& frame : set) {
            Put16(data, static_cast<std::uint32_t>(frame.width));
            Put16(data, static_cast<std::uint32_t>(frame.height));
            Put32(data, frame.pixelCount.value_or(static_cast<std::uint32_t>(frame.pixels.size())));
            Put16(data, static_cast<std::uint16_t>(frame.xOffset));
            Put16(data, static_cast<std::uint16_t>(frame.yOffset));
            data.insert(data.end(), frame.pixels.begin(), frame.pixels.end());
        }
    }
    std::vector<std::uint8_t> out;
    Put32(out, recipe.version);
    Put16(out, recipe.framesPerSecond);
    Put16(out, recipe.actionFrame);
    Put16(out, recipe.framesPerDirection.value_or(
                   recipe.frameSets.empty() ? 0 : static_cast<std::uint16_t>(recipe.frameSets[0].size())));
    for (std::int16_t x : recipe.xShift)
        Put16(out, static_cast<std::uint16_t>(x));
    for (std::int16_t y : recipe.yShift)
        Put16(out, static_cast<std::uint16_t>(y));
    for (int d = 0; d < 6; ++d) {
        const auto set = static_cast<std::size_t>(recipe.directionSet[d]);
        Put32(out, recipe.offsets ? (*recipe.offsets)[d] : set < setOffsets.size() ? setOffsets[set] : 0);
    }
    Put32(out, recipe.dataSize.value_or(static_cast<std::uint32_t>(data.size())));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<std::uint8_t> BuildPalette(std::size_t extra)
{
    std::vector<std::uint8_t> out;
    for (int i = 0; i < 256; ++i) {
        out.push_back(static_cast<std::uint8_t>(i % 64));
        out.push_back(static_cast<std::uint8_t>(i * 2 % 64));
        out.push_back(static_cast<std::uint8_t>(i * 3 % 64));
    }
    out.resize(out.size() + extra, 0xFF);
    return out;
}

} // namespace quarnel::test
