#pragma once
// The program's own reader of one value of an ini file (the critter name
// table pro_crit.ini). It keeps the reader's long-standing quirks, because
// every name the list and the editor show comes through it:
// - a file name without '.' gets ".ini" appended;
// - section and key compare after upper-casing a to z only; nothing is trimmed;
// - the section header line must be exactly "[SECTION]" and must not be the last line;
// - the key search ends at the first matching line, at the next line that
//   begins with '[' or at the last line; the last line is found as well, a key
//   of a later section is not;
// - a line without '=' keeps the key part of the line before it;
// - the value is everything after the first '=' (spaces and further '=' kept).
#include <filesystem>
#include <string>
#include <string_view>

namespace quarnel {

// The value text, or an empty text when the section or the key is not found.
// Raw bytes, no re-encoding. IoError when the file cannot be read (2 when missing).
std::string ReadIniValue(const std::filesystem::path& file, const std::string& section, const std::string& key);

// The file actually read: ".ini" appended when the file name has no '.'.
std::filesystem::path IniFilePath(const std::filesystem::path& file);

// Upper-cases the letters a to z and nothing else.
std::string IniUpperCase(std::string_view text);

// The header line of a section after upper-casing: "[" + SECTION + "]".
std::string IniSectionHeader(std::string_view section);

// The value a matching line yields: the text after its first '=', or the
// whole line when it has none (the position of a missing '=' counts as 0).
std::string IniValueOfLine(std::string_view line);

} // namespace quarnel
