#include "platform/IntegerText.h"

#include "platform/Errors.h"

namespace quarnel {
namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<IntegerTextParts> SplitIntegerText(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    IntegerTextParts parts;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        parts.negative = text[i] == '-';
        ++i;
    }
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        parts.hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        parts.hex = true;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;

    for (; i < text.size(); ++i) {
        const int digit = parts.hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0)
            return std::nullopt;
        parts.magnitude = parts.magnitude * (parts.hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (parts.magnitude > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return parts;
}

std::optional<std::int32_t> ParseIntegerText(std::string_view text)
{
    const auto parts = SplitIntegerText(text);
    if (!parts)
        return std::nullopt;
    const std::uint64_t limit = parts->hex ? 0xFFFFFFFFull : (parts->negative ? 2147483648ull : 2147483647ull);
    if (parts->magnitude > limit)
        return std::nullopt;
    std::uint32_t bits = static_cast<std::uint32_t>(parts->magnitude);
    if (parts->negative)
        bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

std::optional<std::int64_t> ParseWideIntegerText(std::string_view text)
{
    const auto parts = SplitIntegerText(text);
    if (!parts)
        return std::nullopt;
    const auto magnitude = static_cast<std::int64_t>(parts->magnitude);
    return parts->negative ? -magnitude : magnitude;
}

bool IsIntegerText(std::string_view text) { return ParseIntegerText(text).has_value(); }

std::int32_t StrToInt(std::string_view text)
{
    if (auto value = ParseIntegerText(text))
        return *value;
    throw ConvertError(std::string(text));
}

std::int32_t Wrap32(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

} // namespace quarnel
