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

// Throws ConvertError "'text' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// 32-bit two's complement arithmetic without signed overflow.
std::int32_t Wrap32(std::int64_t value);

// Decimal text of a value, as every rule writes it back.
std::string IntToStr(std::int64_t value);

} // namespace quarnel
