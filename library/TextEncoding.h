#pragma once
// Critter names come from tables written on Windows in the ANSI code page
// (Windows-1252) or, in newer tables, in UTF-8. The window shows UTF-8.
#include <string>
#include <string_view>

namespace quarnel {

// Valid UTF-8 is returned unchanged; any other text is decoded as
// Windows-1252 (its five unassigned bytes become the C1 controls of the same
// number, as Windows decodes them).
std::string NameToUtf8(const std::string& raw);

} // namespace quarnel
