#pragma once
// The games' FRM pictures: a header of 0x3E bytes, then the frames of up to
// six directions, every number big-endian. Each frame is a rectangle of
// palette indices (0 transparent), top row first.
//
// The files are untrusted: every count, size and offset is checked against
// the bytes before it is used, and a damaged file is refused with an
// ArchiveError that says what is wrong, never read past its end.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quarnel {

constexpr std::size_t kFrmHeaderSize = 0x3E;
constexpr int kFrmDirections = 6;
constexpr int kMaxFrmSide = 4096; // a frame's width and height at most
constexpr int kMaxFrmFramesPerDirection = 1000;
constexpr std::size_t kMaxFrmFileBytes = std::size_t{64} << 20;

struct FrmFrame {
    int width = 0;
    int height = 0;
    int xOffset = 0; // signed, from the file
    int yOffset = 0;
    std::vector<std::uint8_t> pixels; // width x height palette indices, row by row
};

struct FrmDirection {
    int xShift = 0;
    int yShift = 0;
    std::size_t frames = 0; // index into FrmPicture::frameSets
};

struct FrmPicture {
    std::uint32_t version = 0;
    int storedFramesPerSecond = 0; // as in the file; 0 means 10
    int actionFrame = 0;
    int framesPerDirection = 0;
    // The six directions; those that share their frames (equal offsets in the
    // file) point at the same frame set.
    std::array<FrmDirection, kFrmDirections> directions{};
    std::vector<std::vector<FrmFrame>> frameSets;
    // 1 when the file holds one direction used for all six, else 6.
    int storedDirections = kFrmDirections;

    int FramesPerSecond() const { return storedFramesPerSecond == 0 ? 10 : storedFramesPerSecond; }
    // The frames of direction 0 to 5.
    const std::vector<FrmFrame>& Frames(int direction) const;
    const FrmFrame& Frame(int direction, int frame) const
    {
        return Frames(direction).at(static_cast<std::size_t>(frame));
    }
};

// Decodes one FRM file. label names the file in the errors. ArchiveError
// "<label>: <what>" when the bytes are not a sound FRM picture.
FrmPicture DecodeFrm(const std::uint8_t* data, std::size_t size, const std::string& label);
inline FrmPicture DecodeFrm(const std::vector<std::uint8_t>& bytes, const std::string& label)
{
    return DecodeFrm(bytes.data(), bytes.size(), label);
}

// One picture from the six per-direction files (.fr0 to .fr5): direction d is
// the first direction of file d, with that file's shift. The frames per
// second, version and action frame come from the first file.
FrmPicture CombineDirectionFiles(std::array<FrmPicture, kFrmDirections> files);

} // namespace quarnel
