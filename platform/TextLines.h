#pragma once
// Whole-file reading and line splitting for the name table and the scratch
// files: lines end at LF or CRLF, and the bytes are kept as they are.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// The file's bytes. IoError when it cannot be opened or read (2 when missing);
// FileRefusedError when it is not a regular file or holds more than maxBytes.
std::string ReadFileBytes(const std::filesystem::path& file, std::size_t maxBytes = std::size_t{16} << 20);

// Lines of a text: a line ends at LF, and a CR right before that LF (or right
// before the end of the text) belongs to the line end. A final line end does
// not start another line, so "a\r\nb\r\n" and "a\nb" both give {"a", "b"}, and
// an empty text gives no line at all. Any other CR stays in its line.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace quarnel
