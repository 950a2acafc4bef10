#include "TinyGif.h"

#include <stdexcept>

namespace quarnel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kMinCodeSize = 8;               // pixel values are full bytes
constexpr int kClearCode = 1 << kMinCodeSize; // 256
constexpr int kEndCode = kClearCode + 1;      // 257
// After a clear the decoder adds one table entry per code after the first;
// the code size would grow to 10 bits once the table reaches 512 entries.
// Sending a clear after this many pixels keeps every code at 9 bits.
constexpr int kPixelsPerClear = (1 << kMinCodeSize) - 3;

void Put16(Bytes& out, int v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

class BitWriter {
public:
    void Code(int code)
    {
        acc_ |= static_cast<std::uint32_t>(code) << bits_;
        bits_ += kMinCodeSize + 1;
        while (bits_ >= 8) {
            bytes_.push_back(static_cast<std::uint8_t>(acc_ & 0xFF));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    Bytes Finish()
    {
        if (bits_ > 0)
            bytes_.push_back(static_cast<std::uint8_t>(acc_ & 0xFF));
        return bytes_;
    }

private:
    Bytes bytes_;
    std::uint32_t acc_ = 0;
    int bits_ = 0;
};

void PutImageData(Bytes& out, const std::vector<std::uint8_t>& pixels)
{
    BitWriter bits;
    bits.Code(kClearCode);
    int sinceClear = 0;
    for (std::uint8_t p : pixels) {
        if (sinceClear == kPixelsPerClear) {
            bits.Code(kClearCode);
            sinceClear = 0;
        }
        bits.Code(p);
        ++sinceClear;
    }
    bits.Code(kEndCode);
    const Bytes data = bits.Finish();
    out.push_back(kMinCodeSize);
    for (std::size_t i = 0; i < data.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                   data.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
}

} // namespace

Bytes EncodeGif(int width, int height, const std::vector<Rgb>& palette, const std::vector<Bytes>& frames, int delayCs)
{
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF || palette.empty() || palette.size() > 256 ||
        frames.empty())
        throw std::invalid_argument("EncodeGif: bad dimensions, palette or frames");
    int tableBits = 1; // the table holds 2^tableBits colours
    while ((std::size_t(1) << tableBits) < palette.size())
        ++tableBits;

    Bytes out{'G', 'I', 'F', '8', '9', 'a'};
    Put16(out, width);
    Put16(out, height);
    out.push_back(static_cast<std::uint8_t>(0x80 | 0x70 | (tableBits - 1)));
    out.push_back(0); // background colour
    out.push_back(0); // aspect ratio
    for (int i = 0; i < (1 << tableBits); ++i) {
        const Rgb c = i < int(palette.size()) ? palette[std::size_t(i)] : Rgb{0, 0, 0};
        out.insert(out.end(), c.begin(), c.end());
    }
    const bool animated = frames.size() > 1;
    if (animated) {
        const char* app = "NETSCAPE2.0";
        out.insert(out.end(), {0x21, 0xFF, 11});
        out.insert(out.end(), app, app + 11);
        out.insert(out.end(), {3, 1, 0, 0, 0}); // loop for ever
    }
    for (const Bytes& frame : frames) {
        if (frame.size() != std::size_t(width) * std::size_t(height))
            throw std::invalid_argument("EncodeGif: frame size");
        for (std::uint8_t p : frame)
            if (p >= palette.size())
                throw std::invalid_argument("EncodeGif: pixel outside the palette");
        if (animated) {
            out.insert(out.end(), {0x21, 0xF9, 4, 0x04}); // graphic control: keep the frame
            Put16(out, delayCs);
            out.insert(out.end(), {0, 0});
        }
        out.push_back(0x2C);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, width);
        Put16(out, height);
        out.push_back(0); // no local palette, not interlaced
        PutImageData(out, frame);
    }
    out.push_back(0x3B);
    return out;
}

Bytes TinyStillGif()
{
    return EncodeGif(4, 3, {{255, 255, 255}, {200, 40, 40}}, {{0, 1, 1, 0, 1, 0, 0, 1, 0, 1, 1, 0}});
}

Bytes TinyAnimatedGif()
{
    return EncodeGif(4, 3, {{255, 255, 255}, {40, 40, 200}},
                     {{1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0}, {0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1}}, 25);
}

} // namespace quarnel::test
