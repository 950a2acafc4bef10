#pragma once
// Which file of a game folder holds the critter names, and reading it: the
// program's own pro_crit.ini when the folder has one, else the game's own
// pro_crit.msg, so that a folder copied from a game install shows its names.
#include "library/MessageFile.h"
#include "library/NameTable.h"
#include "library/TextEncoding.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// pro_crit.ini when the folder has it; else pro_crit.msg in any case of the
// name; else the pro_crit.ini path, whose reading then reports the missing file.
std::filesystem::path CritterNameFile(const std::filesystem::path& gameFolder);

// Whether the file is a message file (extension .msg in any case).
bool IsMessageFile(const std::filesystem::path& file);

struct CritterNames {
    NameTable table;                              // raw bytes, decoded by encoding
    NameEncoding encoding = NameEncoding::Cp1252; // of the whole file (ChooseNameEncoding), never Automatic
    std::optional<MessageFault> fault;            // a message file's fault; its earlier names are kept
    std::string error;                            // the fault as "file, line n: ...", else empty
};

// The whole table: section Description of an ini, or every entry of a message
// file, and the encoding of the file: the chosen one, or for Automatic the one
// the file's bytes and the games' language name call for (empty: unknown).
// IoError when the file cannot be read (2 when missing).
CritterNames LoadCritterNames(const std::filesystem::path& nameFile, NameEncoding chosen = NameEncoding::Automatic,
                              std::string_view language = {});

// The same for the bytes of a message file read elsewhere (from a game's
// archive); label names it in the error.
CritterNames MessageFileNames(std::string_view bytes, const std::string& label,
                              NameEncoding chosen = NameEncoding::Automatic, std::string_view language = {});

// One name by its key (the text ID as decimal text): for an ini exactly what
// ReadIniValue gives, for a message file the entry's text. Raw bytes.
std::string LookupCritterName(const std::filesystem::path& nameFile, const std::string& key);

} // namespace quarnel
