#pragma once
// Member names of ZIP archives turned into UTF-8 text.
#include <cstdint>
#include <string>
#include <vector>

namespace quarnel {

// The name of a member as UTF-8 with "/" between folders:
// 1. the raw name, when flag bit 11 is set or it is valid UTF-8 with bytes above 127;
// 2. else the Unicode Path extra field (0x7075, version 1) when its CRC-32 matches the raw name;
// 3. else the UTF-16 name of a 0x554E field whose data begins with "NUCX";
// 4. else the raw name, which is plain ASCII or taken as code page 437.
// Backslashes count as folder separators.
std::string ZipNameToUtf8(const std::string& rawName, std::uint16_t flags, const std::vector<std::uint8_t>& extraField);

} // namespace quarnel
