#pragma once
// Reader of the games' own message files (pro_crit.msg holds the critter
// names). An entry is three brace groups, {number}{sound}{text}; anything
// outside braces is a comment. The number may have blanks around it; the
// text may run over several lines, each line break counting as one blank.
// When a number repeats, the later entry replaces the earlier one, as the
// games' own loader does. Texts are kept as raw bytes, decoded later as the
// ini names are (NameToUtf8).
#include "library/NameTable.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

struct MessageEntry {
    std::string key; // the number as decimal text, the key a text ID is looked up by
    std::string text;
    int line;        // the line the entry starts on, from 1
};

struct MessageFileResult {
    std::vector<MessageEntry> entries; // in file order, repeats included
    NameTable table;                   // key -> text of the last entry with that key
    // Empty for a well-formed file, else "<file>, line <n>: <fault>". The
    // entries before the fault are kept; reading stops there.
    std::string error;
};

// Parses the bytes of a message file; fileLabel names the file in the error.
MessageFileResult ParseMessageText(std::string_view bytes, const std::string& fileLabel);

// Reads and parses a file. IoError when it cannot be read (2 when missing).
MessageFileResult ReadMessageFile(const std::filesystem::path& file);

} // namespace quarnel
