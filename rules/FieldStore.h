#pragma once
// The rules read and write the window's field texts through this interface.
// The window implements it over its line edits; unit tests over a map.
#include <string>

namespace quarnel {

class FieldStore {
public:
    virtual ~FieldStore() = default;
    virtual std::string Text(const std::string& field) const = 0;
    // Writes a field's text. When the text differs from the current one, the
    // field's change rule runs synchronously before this returns; writing the
    // same text again does nothing.
    virtual void SetText(const std::string& field, const std::string& text) = 0;
};

} // namespace quarnel
