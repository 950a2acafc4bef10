#pragma once
// Field texts in a map, with the same write semantics as the window: a write
// of a new text runs the field's rule before it returns. Every effective
// write is logged as "Field=text" in order.
#include "rules/CharacterRules.h"
#include "rules/FieldStore.h"

#include <map>
#include <string>
#include <vector>

namespace quarnel::test {

class MapFieldStore : public FieldStore {
public:
    std::string Text(const std::string& field) const override
    {
        auto it = texts.find(field);
        return it == texts.end() ? std::string() : it->second;
    }

    void SetText(const std::string& field, const std::string& text) override
    {
        if (Text(field) == text)
            return;
        texts[field] = text;
        writes.push_back(field + "=" + text);
        if (rules)
            rules->FieldChanged(field);
    }

    // Sets a text without running any rule or logging it (test set-up).
    void Preset(const std::string& field, const std::string& text) { texts[field] = text; }

    std::map<std::string, std::string> texts;
    std::vector<std::string> writes;
    CharacterRules* rules = nullptr;
};

} // namespace quarnel::test
