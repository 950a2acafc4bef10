#pragma once
// Changing a message file so that the games read the change and nothing
// else: the text of an entry is replaced, or a new entry {number}{}{text}
// added at the end, and every other byte of the file (other entries,
// comments, blank lines, order, line endings) stays as it was. Texts come
// as UTF-8 and are written in the file's encoding; a text the games would
// read otherwise is refused, naming why. The result is read back through
// the reader before the caller gets it.
#include "library/TextEncoding.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

struct MessageTextEdit {
    std::int32_t number; // the entry's number (a text ID)
    std::string text;    // UTF-8
};

// The encoding new texts are written in: the chosen one; else UTF-8 when the
// file already holds UTF-8 beyond ASCII (the reader takes it as UTF-8);
// else the code page the games read the language in (cp1252 when unknown).
NameEncoding MessageWriteEncoding(std::string_view fileBytes, std::string_view language, NameEncoding chosen);

// The bytes of a text in the encoding. Refusal (Invalid) when the games
// would read something else: a character the encoding lacks, a '}' (it
// ends the field), a line break (dropped by the reader), 1024 bytes or more
// (the reader's limit is 1023), or text that is not UTF-8.
std::string MessageTextBytes(std::string_view utf8, NameEncoding encoding);

// The file's bytes with each edit applied: the text of the entry of that
// number that the games use (the last one) replaced, or a new entry added
// at the end with the file's own line ending (CR LF when it has none). A
// later edit of the same number wins. Refusal (Damaged) naming label when
// the file has a fault (where the reader stops, nothing after it is known)
// or the result would not read back as written; Refusal (Invalid) for a
// text as MessageTextBytes.
std::string EditMessageBytes(std::string_view fileBytes, const std::vector<MessageTextEdit>& edits,
                             NameEncoding encoding, const std::string& label);

// The line ending a text file uses: that of its first line, CR LF when it has none.
std::string_view FileLineEnding(std::string_view fileBytes);

} // namespace quarnel
