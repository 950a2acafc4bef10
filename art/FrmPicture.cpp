#include "art/FrmPicture.h"

#include "platform/ByteOrder.h"
#include "platform/Errors.h"

#include <algorithm>

namespace quarnel {
namespace {

// Big-endian numbers at an offset the caller has checked.
std::int16_t S16(const std::uint8_t* p) { return static_cast<std::int16_t>(ReadBigEndian16(p)); }

constexpr std::size_t kFrameHeaderSize = 12;

class FrmReader {
public:
    FrmReader(const std::uint8_t* data, std::size_t size, const std::string& label)
        : data_(data), size_(size), label_(label)
    {
    }

    FrmPicture Read()
    {
        if (size_ < kFrmHeaderSize)
            Fail("shorter than an FRM header (" + std::to_string(size_) + " bytes, the header has 62)");
        FrmPicture picture;
        picture.version = ReadBigEndian32(data_);
        picture.storedFramesPerSecond = ReadBigEndian16(data_ + 4);
        picture.actionFrame = ReadBigEndian16(data_ + 6);
        picture.framesPerDirection = ReadBigEndian16(data_ + 8);
        if (picture.framesPerDirection == 0)
            Fail("no frames");
        if (picture.framesPerDirection > kMaxFrmFramesPerDirection)
            Fail(std::to_string(picture.framesPerDirection) + " frames per direction, more than " +
                 std::to_string(kMaxFrmFramesPerDirection));

        // The frame data: its stated size, or the rest of the file when the
        // file states 0 or more than it holds (per-direction files keep the
        // size of the whole picture they were cut from).
        const std::size_t rest = size_ - kFrmHeaderSize;
        const std::uint32_t stated = ReadBigEndian32(data_ + 0x3A);
        dataSize_ = stated == 0 || stated > rest ? rest : stated;

        std::array<std::uint32_t, kFrmDirections> offsets{};
        for (int d = 0; d < kFrmDirections; ++d) {
            picture.directions[d].xShift = S16(data_ + 0x0A + 2 * d);
            picture.directions[d].yShift = S16(data_ + 0x16 + 2 * d);
            offsets[d] = ReadBigEndian32(data_ + 0x22 + 4 * d);
        }
        const bool oneDirection = std::all_of(offsets.begin(), offsets.end(), [](std::uint32_t o) { return o == 0; });
        picture.storedDirections = oneDirection ? 1 : kFrmDirections;
        for (int d = 0; d < kFrmDirections; ++d) {
            if (oneDirection && d > 0) {
                picture.directions[d] = picture.directions[0];
                continue;
            }
            // Directions with equal offsets share one frame set.
            int same = 0;
            while (same < d && offsets[same] != offsets[d])
                ++same;
            if (same < d) {
                picture.directions[d].frames = picture.directions[same].frames;
                continue;
            }
            picture.directions[d].frames = picture.frameSets.size();
            picture.frameSets.push_back(ReadFrames(offsets[d], picture.framesPerDirection, d));
        }
        return picture;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const { throw ArchiveError(label_ + ": " + what); }

    std::vector<FrmFrame> ReadFrames(std::uint32_t offset, int count, int direction) const
    {
        const std::string where = "direction " + std::to_string(direction);
        if (offset >= dataSize_)
            Fail(where + " starts at " + std::to_string(offset) + ", past the end of the frame data (" +
                 std::to_string(dataSize_) + " bytes)");
        std::vector<FrmFrame> frames(static_cast<std::size_t>(count));
        std::size_t at = offset; // within the frame data; at <= dataSize_ throughout
        for (int i = 0; i < count; ++i) {
            const std::string frameName = where + ", frame " + std::to_string(i);
            if (dataSize_ - at < kFrameHeaderSize)
                Fail(frameName + " runs past the end of the frame data");
            const std::uint8_t* p = data_ + kFrmHeaderSize + at;
            FrmFrame& frame = frames[static_cast<std::size_t>(i)];
            frame.width = ReadBigEndian16(p);
            frame.height = ReadBigEndian16(p + 2);
            const std::uint32_t pixelCount = ReadBigEndian32(p + 4);
            frame.xOffset = S16(p + 8);
            frame.yOffset = S16(p + 10);
            if (frame.width > kMaxFrmSide || frame.height > kMaxFrmSide)
                Fail(frameName + " is " + std::to_string(frame.width) + " x " + std::to_string(frame.height) +
                     ", larger than " + std::to_string(kMaxFrmSide) + " x " + std::to_string(kMaxFrmSide));
            const std::uint64_t area = std::uint64_t(frame.width) * std::uint64_t(frame.height);
            if (pixelCount != area)
                Fail(frameName + " states " + std::to_string(pixelCount) + " pixels for " +
                     std::to_string(frame.width) + " x " + std::to_string(frame.height));
            at += kFrameHeaderSize;
            if (dataSize_ - at < area)
                Fail(frameName + " runs past the end of the frame data");
            frame.pixels.assign(data_ + kFrmHeaderSize + at, data_ + kFrmHeaderSize + at + area);
            at += area;
        }
        return frames;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    const std::string& label_;
    std::size_t dataSize_ = 0;
};

} // namespace

const std::vector<FrmFrame>& FrmPicture::Frames(int direction) const
{
    return frameSets.at(directions.at(static_cast<std::size_t>(direction)).frames);
}

FrmPicture DecodeFrm(const std::uint8_t* data, std::size_t size, const std::string& label)
{
    return FrmReader(data, size, label).Read();
}

FrmPicture CombineDirectionFiles(std::array<FrmPicture, kFrmDirections> files)
{
    FrmPicture picture;
    picture.version = files[0].version;
    picture.storedFramesPerSecond = files[0].storedFramesPerSecond;
    picture.actionFrame = files[0].actionFrame;
    picture.storedDirections = kFrmDirections;
    for (int d = 0; d < kFrmDirections; ++d) {
        FrmPicture& file = files[static_cast<std::size_t>(d)];
        picture.directions[d].xShift = file.directions[0].xShift;
        picture.directions[d].yShift = file.directions[0].yShift;
        picture.directions[d].frames = picture.frameSets.size();
        picture.frameSets.push_back(std::move(file.frameSets.at(file.directions[0].frames)));
        picture.framesPerDirection = std::max(picture.framesPerDirection, file.framesPerDirection);
    }
    return picture;
}

} // namespace quarnel
