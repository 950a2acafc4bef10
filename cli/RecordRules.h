#pragma once
// A critter's values as the window holds them, in a map of field texts keyed
// by the window's control names, with the window's own rules (CharacterRules)
// bound to it. Filled from a record as the window's load fills its fields;
// an edit given to a statistic runs the same cascade as the same value typed
// into the window, so the derived base values it rewrites are those a save
// from the window would store.
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "rules/CharacterRules.h"
#include "rules/FieldStore.h"

#include <string>
#include <unordered_map>

namespace quarnel::cli {

class RecordRules {
public:
    RecordRules(const ProRecord& record, bool secondGame);
    RecordRules(const RecordRules&) = delete;
    RecordRules& operator=(const RecordRules&) = delete;

    // Whether the field is one of the window's statistic or skill fields.
    bool Holds(const RecordField& field) const;
    std::int32_t Value(const RecordField& field) const;
    // The value entered as the window takes it: an extra or derived base
    // value as typed, a primary base value as a step button sets it (the
    // base, then its total), each running the rules bound to it.
    void Enter(const RecordField& field, std::int32_t value);
    // Writes every held value back into the record.
    void StoreInto(ProRecord& record) const;

private:
    class Texts : public FieldStore {
    public:
        std::string Text(const std::string& field) const override;
        void SetText(const std::string& field, const std::string& text) override;

        std::unordered_map<std::string, std::string> texts;
        CharacterRules* rules = nullptr; // null while filling: no rule runs
    };

    Texts texts_;
    bool loading_ = false;
    bool secondGame_;
    CharacterRules rules_;
};

} // namespace quarnel::cli
