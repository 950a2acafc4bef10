#pragma once
// Numbers in the byte orders of the file formats: the games' prototypes and
// pictures and the first game's archive are big-endian, the second game's
// archive and ZIP little-endian. The caller has checked that the bytes are there.
#include <cstdint>

namespace quarnel {

inline std::uint16_t ReadBigEndian16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(std::uint32_t{p[0]} << 8 | std::uint32_t{p[1]});
}

inline std::uint32_t ReadBigEndian32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | std::uint32_t{p[3]};
}

inline std::uint16_t ReadLittleEndian16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8);
}

inline std::uint32_t ReadLittleEndian32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

inline std::uint64_t ReadLittleEndian64(const std::uint8_t* p)
{
    return std::uint64_t{ReadLittleEndian32(p)} | std::uint64_t{ReadLittleEndian32(p + 4)} << 32;
}

// The first width bytes (1 to 4) as one big-endian number.
inline std::uint32_t ReadBigEndian(const std::uint8_t* p, int width)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value << 8 | p[i];
    return value;
}

// The low width bytes (1 to 4) of value, big-endian.
inline void WriteBigEndian(std::uint8_t* p, int width, std::uint32_t value)
{
    for (int i = width - 1; i >= 0; --i) {
        p[i] = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

} // namespace quarnel
