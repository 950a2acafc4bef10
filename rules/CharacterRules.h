#pragma once
// The change rules of the value fields: totals kept as base + extra, and the
// recomputation of skill and derived base values when a primary total
// changes. The rules read and write field texts through a FieldStore; a write
// of a new text runs that field's rule before it returns, so rules nest.
#include "rules/FieldStore.h"

#include <string>

namespace quarnel {

struct StatFields;

class CharacterRules {
public:
    // The flags are read at every change, so they follow the window's state.
    CharacterRules(FieldStore& fields, const bool& isLoading, const bool& isSecondGame);

    // True for the fields whose text change runs a rule.
    bool HasRule(const std::string& field) const;

    // Runs the rule bound to the field whose text just changed; does nothing
    // for fields without one, while loading, or when the field's text is not
    // integer text. A field operand that is not integer text throws
    // ConvertError and stops the cascade there; earlier writes stay.
    void FieldChanged(const std::string& field);

private:
    void WriteTotal(const StatFields& row);
    void Recompute(int stat);
    void WriteGenderTotal();

    FieldStore& fields_;
    const bool& isLoading_;
    const bool& isSecondGame_;
};

} // namespace quarnel
