#include "proto/FieldEdits.h"

#include "platform/IntegerText.h"
#include "proto/RecordError.h"
#include "proto/RecordFields.h"

namespace quarnel {

FieldEdit ParseFieldEdit(const std::string& text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0)
        throw RecordError("'" + text + "' is not an edit (key=value, key+=n or key-=n)");
    EditKind kind = EditKind::Assign;
    std::size_t keyEnd = equals;
    if (text[equals - 1] == '+' || text[equals - 1] == '-') {
        kind = text[equals - 1] == '+' ? EditKind::Add : EditKind::Subtract;
        --keyEnd;
    }
    const RecordField& field = FieldByKey(text.substr(0, keyEnd));
    const std::string valueText = text.substr(equals + 1);
    const auto value = ParseWideIntegerText(valueText);
    if (!value)
        throw RecordError(field.key + ": '" + valueText + "' is not a 32-bit integer");
    if (kind != EditKind::Assign)
        return {&field, kind, *value};
    return {&field, kind, CheckedFieldValue(field, *value)};
}

std::int32_t EditedValue(const FieldEdit& edit, std::int32_t current)
{
    switch (edit.kind) {
    case EditKind::Add: return CheckedFieldValue(*edit.field, std::int64_t{current} + edit.operand);
    case EditKind::Subtract: return CheckedFieldValue(*edit.field, std::int64_t{current} - edit.operand);
    case EditKind::Assign: break;
    }
    return static_cast<std::int32_t>(edit.operand);
}

} // namespace quarnel
