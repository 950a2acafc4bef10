#pragma once
// Integer text: the one test every rule applies to a field text, and the
// conversion that reads it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// Leading blanks, at most one sign, then decimal digits or a hexadecimal
// prefix ($, x, X, 0x, 0X) with digits; nothing after. Decimal must fit in 32
// signed bits; hexadecimal may use all 32 bits (FFFFFFFF is -1).
std::optional<std::int32_t> ParseIntegerText(std::string_view text);
bool IsIntegerText(std::string_view text);

// The same text taken apart: sign, base and a magnitude of at most 32 bits.
struct IntegerTextParts {
    bool negative = false;
    bool hex = false;
    std::uint64_t magnitude = 0;
};
std::optional<IntegerTextParts> SplitIntegerText(std::string_view text);

// The same syntax with any magnitude up to 0xFFFFFFFF in either base, signed:
// for callers that check a wider range themselves (-2147483648 to 4294967295
// for a 4-byte field of the command line).
std::optional<std::int64_t> ParseWideIntegerText(std::string_view text);

// Throws ConvertError "'text' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// 32-bit two's complement arithmetic without signed overflow.
std::int32_t Wrap32(std::int64_t value);

// Decimal text of a value, as every rule writes it back.
std::string IntToStr(std::int64_t value);

} // namespace quarnel
