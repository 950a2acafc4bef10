#pragma once
// UTF-8 helpers shared by the name table and the ZIP reader.
#include <filesystem>
#include <string>
#include <string_view>

namespace quarnel {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// A path as UTF-8 text (on Windows from its UTF-16 form, whatever the code page).
std::string Utf8FromPath(const std::filesystem::path& path);

// A path from UTF-8 text, such as a name that ListFolderFiles returned.
std::filesystem::path PathFromUtf8(const std::string& text);

} // namespace quarnel
