#include "proto/RecordShowText.h"

namespace quarnel {

void AppendShowLine(std::string& out, const RecordField& field, std::int32_t value, bool secondGame)
{
    out += field.key;
    out += " = ";
    out += FieldValueText(field, value);
    if (field.display == FieldDisplay::Enum) {
        const char* name = EnumItemName(field.list, secondGame, value);
        out += "  # ";
        out += name ? name : "not in the list";
    } else if (field.key == "critter_flags") {
        const char* separator = "  # ";
        for (const FlagBit& bit : CritterFlagBits())
            if (static_cast<std::uint32_t>(value) & bit.mask) {
                out += separator;
                out += bit.name;
                separator = ", ";
            }
    }
    out += '\n';
}

void AppendShowText(std::string& out, const ProRecord& record)
{
    const bool secondGame = IsSecondGameSize(record.size());
    for (const RecordField* field : FieldsOf(record.size()))
        AppendShowLine(out, *field, FieldValue(record, *field), secondGame);
}

void AppendShowText(std::string& out, const Prototype& prototype)
{
    if (prototype.kind.type == ProtoType::Critter)
        return AppendShowText(out, prototype.record);
    for (const RecordField* field : FieldsOf(prototype.kind, prototype.record.size()))
        AppendShowLine(out, *field, FieldValue(prototype.record, *field), true);
}

} // namespace quarnel
