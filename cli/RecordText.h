#pragma once
// The critter record as key/value pairs: every field of the layout table with
// its stored integer (unsigned for the two 2-byte halves of the PID, signed
// for the rest), the text forms that show, diff and the dry run print, and
// the checked conversion of a value given for a field.
#include "proto/ProFile.h"
#include "proto/ProLayout.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quarnel::cli {

// The fields a record of this size holds, in file order (damage_type only in 416 bytes).
std::vector<const RecordField*> FieldsOf(std::size_t recordSize);

std::int32_t FieldValue(const ProRecord& record, const RecordField& field);

// The field with that key; CliError naming the key when there is none.
const RecordField& FieldByKey(const std::string& key);

// The values a field takes: 0 to 65535 for 2 bytes; -2147483648 to
// 4294967295 for 4 bytes, a value above 2147483647 stored as its bit pattern.
std::int64_t FieldMinimum(const RecordField& field);
std::int64_t FieldMaximum(const RecordField& field);
// CliError naming the key when value lies outside the field's range.
std::int32_t CheckedFieldValue(const RecordField& field, std::int64_t value);

// One show line: "key = value", with the item name of an enum field or the
// named bits of the critter flags in a comment. The kill type names follow the game.
void AppendShowLine(std::string& out, const RecordField& field, std::int32_t value, bool secondGame);

// Every field of the record as show lines. The kill type names follow the
// record's size (416 bytes: the second game), so the text of a file depends
// on its bytes only.
void AppendShowText(std::string& out, const ProRecord& record);
bool IsSecondGameSize(std::size_t recordSize);

// "416 bytes": the size of a file of which bytesRead bytes were read.
std::string SizeText(const std::filesystem::path& file, std::size_t bytesRead);

// Reads a critter file without write access; CliError when it has neither 412 nor 416 bytes.
ProRecord ReadCritter(const std::filesystem::path& file);

// A file's name as UTF-8 text for messages and output.
std::string FileLabel(const std::filesystem::path& file);

} // namespace quarnel::cli
