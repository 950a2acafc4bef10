#include "preview/ZipNames.h"

#include "platform/ByteOrder.h"
#include "platform/Utf8.h"

#include <zlib.h>

#include <algorithm>
#include <optional>

namespace quarnel {
namespace {

// Code page 437, characters 0x80 to 0xFF.
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

bool HasHighBytes(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::optional<std::string> Utf16LeToUtf8(const std::uint8_t* data, std::size_t size)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        char32_t c = ReadLittleEndian16(data + i);
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 3 >= size)
                return std::nullopt;
            const char32_t low = ReadLittleEndian16(data + i + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return std::nullopt;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::optional<std::string> NameFromExtraFields(const std::string& rawName, const std::vector<std::uint8_t>& extra)
{
    std::optional<std::string> unicodePath;
    std::optional<std::string> nucx;
    std::size_t i = 0;
    while (i + 4 <= extra.size()) {
        const unsigned tag = ReadLittleEndian16(extra.data() + i);
        const std::size_t size = ReadLittleEndian16(extra.data() + i + 2);
        if (size > extra.size() - i - 4)
            break;
        const std::uint8_t* data = extra.data() + i + 4;
        if (tag == 0x7075 && size >= 5 && data[0] == 1 && !unicodePath) {
            const std::uint32_t recorded = ReadLittleEndian32(data + 1);
            const auto actual = static_cast<std::uint32_t>(
                crc32(0, reinterpret_cast<const Bytef*>(rawName.data()), static_cast<uInt>(rawName.size())));
            std::string name(reinterpret_cast<const char*>(data + 5), size - 5);
            if (recorded == actual && IsValidUtf8(name))
                unicodePath = name;
        } else if (tag == 0x554E && size >= 4 && std::equal(data, data + 4, "NUCX") && !nucx) {
            nucx = Utf16LeToUtf8(data + 4, size - 4);
        }
        i += 4 + size;
    }
    return unicodePath ? unicodePath : nucx;
}

} // namespace

std::string ZipNameToUtf8(const std::string& rawName, std::uint16_t flags, const std::vector<std::uint8_t>& extraField)
{
    const bool high = HasHighBytes(rawName);
    std::string name;
    if (((flags & 0x0800) != 0 || high) && IsValidUtf8(rawName)) {
        name = rawName;
    } else if (auto fromExtra = NameFromExtraFields(rawName, extraField)) {
        name = *fromExtra;
    } else if (!high) {
        name = rawName;
    } else {
        for (char c : rawName) {
            const unsigned char b = static_cast<unsigned char>(c);
            if (b < 0x80)
                name += c;
            else
                AppendUtf8(name, kCp437High[b - 0x80]);
        }
    }
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

} // namespace quarnel
