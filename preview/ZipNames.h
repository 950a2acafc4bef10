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
std::string ZipNameToUtf8(const std::string& rawName, std::uint16_t flags,
                          const std::vector<std::uint8_t>& extraField);

} // namespace quarnel

namespace quarnel {

// Whether a plain file name (no folder part) may be written into the temp
// folder on every system the program runs on: not empty, not beginning with a
// dot (a hidden file there, which the clean-up at exit leaves alone), not
// ending in a dot or blank (which Windows strips), and not a Windows device
// name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension).
bool IsPortableFileName(const std::string& name);

// Whether a member path ("/" between folders) written under a target folder
// stays inside it: not empty, no NUL, not absolute, no drive letter, no ".."
// part, and a last part that is neither empty nor "." and holds no ':'.
bool IsSafeRelativePath(const std::string& path);

} // namespace quarnel
