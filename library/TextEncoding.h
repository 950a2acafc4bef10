#pragma once
// Critter names come from tables written in the legacy code page of their
// language (Windows-1250, -1251 or -1252) or, in newer tables, in UTF-8. The
// window and quarnel-cli show and write UTF-8. The encoding is decided once
// for a whole file, never per name: a short Windows-1250 name can happen to
// be valid UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

enum class NameEncoding { Automatic, Cp1250, Cp1251, Cp1252, Utf8 };

// The encoding of a whole name file. A chosen encoding other than Automatic
// is used as it is. Automatic: UTF-8 when the whole file is valid UTF-8, else
// the code page of the language (CodePageOfLanguage), also when the language
// is not known (empty).
NameEncoding ChooseNameEncoding(std::string_view fileBytes, std::string_view language, NameEncoding chosen);

// The code page the games read a language's texts in, by the games' language
// folder name (any case): Windows-1250 for czech, polish and hungarian,
// Windows-1251 for russian and ukrainian, Windows-1252 for every other.
NameEncoding CodePageOfLanguage(std::string_view language);

// One name as UTF-8. A code page's unassigned bytes become the C1 controls of
// the same number, as Windows decodes them; with Utf8, each byte that does not
// start a valid sequence becomes U+FFFD, so that the result is always valid.
// Automatic decodes a lone name with no file around it: NameToUtf8.
std::string DecodeName(std::string_view raw, NameEncoding encoding);

// The per-name rule for texts that belong to no name file (picture captions):
// valid UTF-8 is returned unchanged, any other text is decoded as Windows-1252.
std::string NameToUtf8(const std::string& raw);

// The offset of the first byte that is not text in the encoding (a byte the
// code page leaves unassigned, a byte outside a valid UTF-8 sequence), if any.
std::optional<std::size_t> FirstUndecodableByte(std::string_view raw, NameEncoding encoding);

// The bytes of a UTF-8 text in the encoding (Utf8: the text itself). When
// the text is not valid UTF-8 or holds a character the code page lacks, none,
// with the offset of that character in the text in *failedAt.
std::optional<std::string> EncodeName(std::string_view utf8, NameEncoding encoding, std::size_t* failedAt = nullptr);

// The spellings of the command line and the settings, "automatic", "cp1250",
// "cp1251", "cp1252", "utf-8" (any case; none for anything else), and back.
std::optional<NameEncoding> NameEncodingFromOption(std::string_view text);
const char* NameEncodingOption(NameEncoding encoding);
// The name users read: "Automatic", "Windows-1250", ..., "UTF-8".
const char* NameEncodingCaption(NameEncoding encoding);

} // namespace quarnel
