#include "proto/RecordFields.h"

#include "platform/Utf8.h"
#include "proto/RecordError.h"

#include <system_error>

namespace quarnel {

std::vector<const RecordField*> FieldsOf(std::size_t recordSize)
{
    std::vector<const RecordField*> fields;
    for (const RecordField& field : RecordLayout())
        if (RecordHasField(field, recordSize))
            fields.push_back(&field);
    return fields;
}

std::vector<const RecordField*> FieldsOf(RecordKind kind, std::size_t recordSize)
{
    std::vector<const RecordField*> fields;
    for (const RecordField& field : KindLayout(kind))
        if (RecordHasField(field, recordSize))
            fields.push_back(&field);
    return fields;
}

RecordKind KindOf(const ProRecord& record, const std::string& sizeText)
{
    const KindReading reading = ReadRecordKind(record.bytes().data(), record.size(), record.size());
    if (!reading.kind)
        throw RecordError(sizeText + ": " + reading.fault,
                          reading.notCritter ? RefusalKind::NotCritter : RefusalKind::Damaged);
    return *reading.kind;
}

const RecordField& KindFieldByKey(RecordKind kind, std::size_t recordSize, const std::string& key)
{
    const RecordField* field = FindKindField(kind, key);
    if (!field)
        throw RecordError(key + ": " + KindText(kind) + " has no such key");
    if (!RecordHasField(*field, recordSize))
        throw RecordError(key + ": a " + std::to_string(recordSize) + "-byte file has no such field");
    return *field;
}

std::int32_t FieldValue(const ProRecord& record, const RecordField& field)
{
    return record.Field(field.offset, field.width);
}

const RecordField& FieldByKey(const std::string& key)
{
    if (const RecordField* field = FindRecordField(key))
        return *field;
    if (const RecordField* field = FindAnyKindField(key))
        return *field;
    throw RecordError("unknown key '" + key + "' (the keys are listed by quarnel-cli show)");
}

std::int64_t FieldMinimum(const RecordField& field) { return field.isSigned ? INT32_MIN : 0; }

std::int64_t FieldMaximum(const RecordField& field) { return (std::int64_t{1} << (8 * field.width)) - 1; }

std::int32_t CheckedFieldValue(const RecordField& field, std::int64_t value)
{
    if (value < FieldMinimum(field) || value > FieldMaximum(field))
        throw RecordError(field.key + ": " + std::to_string(value) + " is out of range (" +
                          std::to_string(FieldMinimum(field)) + " to " + std::to_string(FieldMaximum(field)) + ")");
    // A 4-byte value above 2147483647 is stored as its 32-bit pattern.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

bool IsSecondGameSize(std::size_t recordSize) { return recordSize == kSecondGameRecordSize; }

std::string SizeText(const std::filesystem::path& file, std::size_t bytesRead)
{
    // A read stops one byte past the largest record; the size of a longer file comes from the system.
    std::error_code ec;
    const auto size = bytesRead >= kCritterReadLimit ? std::filesystem::file_size(file, ec) : bytesRead;
    return ec ? "more than " + std::to_string(bytesRead - 1) + " bytes" : std::to_string(size) + " bytes";
}

ProRecord ReadCritter(const std::filesystem::path& file)
{
    ProRecord record = ProRecord::View(file);
    if (!IsCritterRecordSize(static_cast<long long>(record.size())))
        throw RecordError(SizeText(file, record.size()) + ": not a critter prototype (412 or 416 bytes)",
                          RefusalKind::NotCritter);
    return record;
}

Prototype ReadPrototype(const std::filesystem::path& file)
{
    ProRecord record = ProRecord::View(file);
    const RecordKind kind = KindOf(record, SizeText(file, record.size()));
    return {std::move(record), kind};
}

std::string FileLabel(const std::filesystem::path& file) { return Utf8FromPath(file); }

} // namespace quarnel
