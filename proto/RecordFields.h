#pragma once
// A prototype record as key/value pairs: every field of the layout table with
// its stored integer (unsigned for the two 2-byte halves of the PID, signed
// for the rest), the fields a record of a kind and size holds, a field looked
// up by key, and the checked conversion of a value given for a field.
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "proto/PrototypeLayout.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quarnel {

// The fields a critter record of this size holds, in file order (damage_type only in 416 bytes).
std::vector<const RecordField*> FieldsOf(std::size_t recordSize);

// A prototype of any type: its record and the kind its bytes make.
struct Prototype {
    ProRecord record;
    RecordKind kind;
};

// The fields a record of the kind and size holds, in file order.
std::vector<const RecordField*> FieldsOf(RecordKind kind, std::size_t recordSize);

// The kind the record's bytes make; RecordError "<sizeText>: <why not>" when
// they make none (the size is given, as a file past the read limit has more
// bytes than were read).
RecordKind KindOf(const ProRecord& record, const std::string& sizeText);

// The field of the kind with that key; RecordError naming the key and the
// kind when it has none (a 412-byte critter: no damage_type).
const RecordField& KindFieldByKey(RecordKind kind, std::size_t recordSize, const std::string& key);

std::int32_t FieldValue(const ProRecord& record, const RecordField& field);

// The field with that key, the critter's where it has one, else another
// type's; RecordError naming the key when no type has it.
const RecordField& FieldByKey(const std::string& key);

// The values a field takes: 0 to 65535 for 2 bytes; -2147483648 to
// 4294967295 for 4 bytes, a value above 2147483647 stored as its bit pattern.
std::int64_t FieldMinimum(const RecordField& field);
std::int64_t FieldMaximum(const RecordField& field);
// RecordError naming the key when value lies outside the field's range.
std::int32_t CheckedFieldValue(const RecordField& field, std::int64_t value);

// Whether a critter record of this size has the second game's layout (416 bytes).
bool IsSecondGameSize(std::size_t recordSize);

// "416 bytes": the size of a file of which bytesRead bytes were read.
std::string SizeText(const std::filesystem::path& file, std::size_t bytesRead);

// Reads a critter file without write access; RecordError when it has neither 412 nor 416 bytes.
ProRecord ReadCritter(const std::filesystem::path& file);
// Reads a prototype of any type without write access; RecordError when its bytes make none.
Prototype ReadPrototype(const std::filesystem::path& file);

// A file's name as UTF-8 text for messages and output.
std::string FileLabel(const std::filesystem::path& file);

} // namespace quarnel
