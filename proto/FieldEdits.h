#pragma once
// The edits of set: "key=value", "key+=n" and "key-=n", values as integer
// text (decimal, or hexadecimal with $, x or 0x, as the window reads them).
#include "proto/ProLayout.h"

#include <cstdint>
#include <string>

namespace quarnel {

enum class EditKind { Assign, Add, Subtract };

struct FieldEdit {
    const RecordField* field;
    EditKind kind;
    std::int64_t operand; // the value to assign (as stored), or n
};

// RecordError naming the edit when its key is unknown or its value not an
// integer of the field's range.
FieldEdit ParseFieldEdit(const std::string& text);

// The value after the edit; RecordError naming the key when it leaves the field's range.
std::int32_t EditedValue(const FieldEdit& edit, std::int32_t current);

} // namespace quarnel
