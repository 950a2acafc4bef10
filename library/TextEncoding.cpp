#include "library/TextEncoding.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace quarnel {
namespace {

// The code points of bytes 0x80 to 0xFF; bytes below 0x80 are ASCII in every
// code page here. Bytes a code page leaves unassigned hold the C1 control of
// the same number.
using CodePageHigh = std::array<char16_t, 128>;

constexpr CodePageHigh kCp1250High = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};
constexpr CodePageHigh kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // F8
};
constexpr CodePageHigh kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, // B8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, // C0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, // C8
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, // D0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, // D8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, // E0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, // E8
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7, // F0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF, // F8
};

struct LanguageCodePage {
    const char* language;
    NameEncoding encoding;
};

constexpr LanguageCodePage kLanguageCodePages[] = {
    {"czech", NameEncoding::Cp1250},   {"polish", NameEncoding::Cp1250},    {"hungarian", NameEncoding::Cp1250},
    {"russian", NameEncoding::Cp1251}, {"ukrainian", NameEncoding::Cp1251},
};

struct EncodingName {
    NameEncoding encoding;
    const char* option;
    const char* caption;
};

constexpr EncodingName kEncodingNames[] = {
    {NameEncoding::Automatic, "automatic", "Automatic"},
    {NameEncoding::Cp1250, "cp1250", "Windows-1250"},
    {NameEncoding::Cp1251, "cp1251", "Windows-1251"},
    {NameEncoding::Cp1252, "cp1252", "Windows-1252"},
    {NameEncoding::Utf8, "utf-8", "UTF-8"},
};

const EncodingName& NamesOf(NameEncoding encoding)
{
    for (const EncodingName& row : kEncodingNames)
        if (row.encoding == encoding)
            return row;
    return kEncodingNames[0];
}

const CodePageHigh* HighHalf(NameEncoding encoding)
{
    switch (encoding) {
    case NameEncoding::Cp1250: return &kCp1250High;
    case NameEncoding::Cp1251: return &kCp1251High;
    case NameEncoding::Cp1252: return &kCp1252High;
    default: return nullptr;
    }
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string DecodeCodePage(std::string_view raw, const CodePageHigh& high)
{
    std::string out;
    out.reserve(raw.size() * 2);
    for (char c : raw) {
        const auto b = static_cast<unsigned char>(c);
        AppendUtf8(out, b < 0x80 ? char32_t{b} : char32_t{high[b - 0x80]});
    }
    return out;
}

// The length of the UTF-8 sequence its first byte announces (0: not a first byte).
std::size_t SequenceLength(unsigned char lead)
{
    return lead < 0x80                    ? 1
           : lead >= 0xC2 && lead <= 0xDF ? 2
           : lead >= 0xE0 && lead <= 0xEF ? 3
           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                          : 0;
}

// The length of the valid UTF-8 sequence at the offset, 0 when none starts there.
std::size_t ValidSequenceAt(std::string_view raw, std::size_t i)
{
    const std::size_t length = SequenceLength(static_cast<unsigned char>(raw[i]));
    return length > 0 && i + length <= raw.size() && IsValidUtf8(raw.substr(i, length)) ? length : 0;
}

// The code point of a valid UTF-8 sequence of two to four bytes.
char32_t FirstCodePoint(std::string_view sequence)
{
    const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(sequence[i])); };
    if (sequence.size() == 2)
        return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
    if (sequence.size() == 3)
        return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
}

std::string DecodeUtf8(std::string_view raw)
{
    if (IsValidUtf8(raw))
        return std::string(raw);
    std::string out;
    for (std::size_t i = 0; i < raw.size();) {
        if (const std::size_t length = ValidSequenceAt(raw, i)) {
            out.append(raw.substr(i, length));
            i += length;
        } else {
            AppendUtf8(out, 0xFFFD);
            ++i;
        }
    }
    return out;
}

} // namespace

NameEncoding ChooseNameEncoding(std::string_view fileBytes, std::string_view language, NameEncoding chosen)
{
    if (chosen != NameEncoding::Automatic)
        return chosen;
    return IsValidUtf8(fileBytes) ? NameEncoding::Utf8 : CodePageOfLanguage(language);
}

NameEncoding CodePageOfLanguage(std::string_view language)
{
    for (const LanguageCodePage& row : kLanguageCodePages)
        if (EqualIgnoringCase(language, row.language))
            return row.encoding;
    return NameEncoding::Cp1252;
}

std::string DecodeName(std::string_view raw, NameEncoding encoding)
{
    if (const CodePageHigh* high = HighHalf(encoding))
        return DecodeCodePage(raw, *high);
    if (encoding == NameEncoding::Utf8)
        return DecodeUtf8(raw);
    return NameToUtf8(std::string(raw));
}

std::optional<std::size_t> FirstUndecodableByte(std::string_view raw, NameEncoding encoding)
{
    const CodePageHigh* high = HighHalf(encoding);
    for (std::size_t i = 0; i < raw.size();) {
        const auto b = static_cast<unsigned char>(raw[i]);
        if (high) {
            // An unassigned byte decodes to the C1 control of its own number.
            if (b >= 0x80 && b < 0xA0 && (*high)[b - 0x80] == b)
                return i;
            ++i;
        } else if (const std::size_t length = ValidSequenceAt(raw, i)) {
            i += length;
        } else {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> EncodeName(std::string_view utf8, NameEncoding encoding, std::size_t* failedAt)
{
    const CodePageHigh* high = HighHalf(encoding);
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length = ValidSequenceAt(utf8, i);
        if (length == 0) {
            if (failedAt)
                *failedAt = i;
            return std::nullopt;
        }
        const std::string_view sequence = utf8.substr(i, length);
        if (!high || length == 1) {
            out.append(sequence);
        } else {
            const char32_t point = FirstCodePoint(sequence);
            const auto* found = std::find(high->begin(), high->end(), point);
            // A C1 control stands for an unassigned byte: no character maps to it.
            if (found == high->end() || (point >= 0x80 && point < 0xA0)) {
                if (failedAt)
                    *failedAt = i;
                return std::nullopt;
            }
            out += static_cast<char>(0x80 + (found - high->begin()));
        }
        i += length;
    }
    return out;
}

std::string NameToUtf8(const std::string& raw) { return IsValidUtf8(raw) ? raw : DecodeCodePage(raw, kCp1252High); }

std::optional<NameEncoding> NameEncodingFromOption(std::string_view text)
{
    for (const EncodingName& row : kEncodingNames)
        if (EqualIgnoringCase(text, row.option))
            return row.encoding;
    return std::nullopt;
}

const char* NameEncodingOption(NameEncoding encoding) { return NamesOf(encoding).option; }

const char* NameEncodingCaption(NameEncoding encoding) { return NamesOf(encoding).caption; }

} // namespace quarnel
