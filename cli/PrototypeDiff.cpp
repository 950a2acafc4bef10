#include "cli/PrototypeDiff.h"

namespace quarnel::cli {

std::optional<std::string> KindChangeText(const Prototype& before, const Prototype& after)
{
    if (before.kind == after.kind)
        return std::nullopt;
    return (before.kind.type == after.kind.type ? "different subtypes: " : "different types: ") +
           KindText(before.kind) + " -> " + KindText(after.kind);
}

std::vector<FieldChange> FieldChanges(const Prototype& before, const Prototype& after)
{
    // A field only one of the two layouts has (damage_type) shows as absent in the other.
    auto text = [](const Prototype& prototype, const RecordField& field) {
        return RecordHasField(field, prototype.record.size())
                   ? FieldValueText(field, FieldValue(prototype.record, field))
                   : std::string("absent");
    };
    std::vector<FieldChange> changes;
    for (const RecordField& field : KindLayout(before.kind)) {
        std::string a = text(before, field);
        std::string b = text(after, field);
        if (a != b)
            changes.push_back({field.key, std::move(a), std::move(b)});
    }
    return changes;
}

} // namespace quarnel::cli
