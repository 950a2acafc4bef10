#pragma once
// Reader of the games' own message files (pro_crit.msg holds the critter
// names), reading them as the games do. An entry is three fields,
// {number}{sound}{text}. Outside the fields anything but '}' is skipped; a '}'
// there is a fault. Inside a field every byte but the line feed is kept, so
// a text over several lines joins them with no blank, and the CR of a CR LF
// goes too (the games read their files with CR LF as LF); a '{' inside a field
// is an ordinary character. A field of 1024 bytes or more is a fault. The
// number is an optional sign and decimal digits, nothing else, within
// -2147483648 to 2147483647. When a number repeats, the later entry wins.
// Reading stops at the first fault; the entries before it are kept. Texts are
// raw bytes, decoded by the file's encoding (TextEncoding.h).
#include "library/NameTable.h"
#include "library/TextEncoding.h"
#include "platform/RegularFile.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

struct MessageEntry {
    std::string key; // the number as decimal text, the key a text ID is looked up by
    std::string text;
    int line; // the line the entry starts on, from 1 (lines end at LF)
};

// Where the games stop reading a file, and why.
struct MessageFault {
    int line = 0;
    std::string what;
};

struct MessageFileResult {
    std::vector<MessageEntry> entries; // in file order, repeats included
    NameTable table;                   // key -> text of the last entry with that key
    std::optional<MessageFault> fault; // none for a well-formed file
};

// The longest field the games take, in bytes.
inline constexpr std::size_t kMessageFieldLimit = 1023;

// The largest message file read, whether loose or from a game's tree.
inline constexpr std::size_t kMaxMessageFileBytes = kMaxTextFileBytes;

class GameTree;

// A loose message file's bytes. IoError when it cannot be read (2 when
// missing); FileRefusedError when it is no regular file or larger than
// kMaxMessageFileBytes.
std::string ReadMessageFileBytes(const std::filesystem::path& file);

// The bytes of a message file of a game's tree (its winning copy).
// FileRefusedError when it is larger than kMaxMessageFileBytes; ArchiveError
// when no layer holds it or its entry cannot be read.
std::string ReadTreeMessageFileBytes(const GameTree& tree, std::string_view path);

// The encoding of a message file of a game's tree: the chosen one; else, in
// an install, the code page of the file's own language folder (english for
// the english file taken in place of a missing one), since the games read no
// other, even where the bytes happen to be valid UTF-8; else, in a mod's
// tree, Automatic (decided from the bytes, as for a loose file).
NameEncoding TreeMessageEncoding(const GameTree& tree, std::string_view path, NameEncoding chosen);

MessageFileResult ParseMessageText(std::string_view bytes);

// Reads and parses a file. IoError when it cannot be read (2 when missing).
MessageFileResult ReadMessageFile(const std::filesystem::path& file);

// "<file>, line <n>: <what>", the one form in which every caller shows a
// fault (the file named once); the place alone is "<file>, line <n>".
std::string MessageFaultText(const std::string& fileLabel, const MessageFault& fault);
std::string MessageFaultPlace(const std::string& fileLabel, const MessageFault& fault);

} // namespace quarnel
