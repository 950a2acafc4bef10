#pragma once
// A critter's values as the window holds them: field texts keyed by the
// window's control names. The window fills its line edits from a record and
// converts their texts back for a save through the functions below; the
// CritterSheet does the same over a map of texts with the window's own rules
// (CharacterRules) bound to it, so that an edit given to a statistic runs
// the same cascade as the same value typed into the window, and the derived
// base values it rewrites are those a save from the window would store.
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "rules/CharacterRules.h"
#include "rules/FieldStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace quarnel {

// The window field of the stored base gender, shown by the gender box.
const WindowField& GenderField();

// Writes every field text a load shows: the record's stored values in their
// shown forms, the totals (resistances with " %"), the gender total and the
// skill base values of the primary totals. The caller keeps the rules off
// while it fills, so the texts are exactly what the record holds.
void FillCritterFields(FieldStore& fields, const ProRecord& record, bool secondGame);

// The stored value of a field converted from its shown text (PID number and
// ID number back to their stored forms). ConvertError when the text is not
// integer text.
std::int32_t StoredFieldValue(const WindowField& field, const std::string& text);

struct SavedValue {
    const WindowField* field;
    std::optional<std::int32_t> value; // nothing: the stored value is kept
};

// The value a save stores for every saved field, converted before anything is
// written. gender: the selected entry of the gender box, nothing when none is
// selected (the stored gender is then kept). ConvertError at the first text
// that is not integer text.
std::vector<SavedValue> SavedFieldValues(const FieldStore& fields, std::optional<std::int32_t> gender);
void StoreSavedValues(ProRecord& record, const std::vector<SavedValue>& values);

class CritterSheet {
public:
    CritterSheet(const ProRecord& record, bool secondGame);
    CritterSheet(const CritterSheet&) = delete;
    CritterSheet& operator=(const CritterSheet&) = delete;

    // Whether the field is one of the window's statistic or skill fields.
    bool Holds(const RecordField& field) const;
    std::int32_t Value(const RecordField& field) const;
    // The value entered as the window takes it: an extra or derived base
    // value as typed, a primary base value as a step button sets it (the
    // base, then its total), each running the rules bound to it.
    void Enter(const RecordField& field, std::int32_t value);
    // Writes every held value back into the record.
    void StoreInto(ProRecord& record) const;
    // The text of a field as the window would show it.
    std::string Text(const std::string& control) const { return texts_.Text(control); }

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

} // namespace quarnel
