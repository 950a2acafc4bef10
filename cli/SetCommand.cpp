// set: edits over many files. Every file is read and every edit worked out
// first; only when all of them succeed is anything written, each file in
// one opening.
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/CommandSource.h"
#include "cli/FieldEdits.h"
#include "cli/RecordRules.h"
#include "cli/RecordText.h"
#include "cli/WriteFailure.h"
#include "source/GameChoice.h"

#include <optional>

namespace quarnel::cli {
namespace {

struct PlannedEdit {
    LoadedPrototype loaded;
    RecordKind kind;
    ProRecord before;
    ProRecord after;
};

// The record after the edits, in the order given. With the rules, the
// window's statistic and skill fields take each edit as the window does and
// the values its rules rewrite are kept.
// Each key is looked up in the file's own kind: an offset differs between
// types (a tile's object_flags), and a key the kind lacks is refused. The
// rules are the critters' only.
ProRecord EditedRecord(const Prototype& prototype, const std::vector<FieldEdit>& edits, bool withRules, bool secondGame)
{
    const ProRecord& before = prototype.record;
    ProRecord after = before;
    std::optional<RecordRules> rules;
    if (withRules && prototype.kind.type == ProtoType::Critter)
        rules.emplace(before, secondGame);
    for (const FieldEdit& edit : edits) {
        const RecordField& field = KindFieldByKey(prototype.kind, before.size(), edit.field->key);
        const FieldEdit own{&field, edit.kind, edit.operand};
        if (rules && rules->Holds(field)) {
            rules->Enter(field, EditedValue(own, rules->Value(field)));
            continue;
        }
        const std::int32_t value = EditedValue(own, FieldValue(after, field));
        // Another subtype has another record size: the file would no longer be read as what it is.
        if (field.key == "subtype" && value != FieldValue(after, field))
            throw CliError("subtype: " + std::to_string(value) + " refused; " + KindText(prototype.kind) +
                           " keeps its subtype, another one has another record size");
        after.SetField(field.offset, field.width, value);
    }
    if (rules)
        rules->StoreInto(after);
    return after;
}

void PrintChanges(std::ostream& out, const PlannedEdit& plan)
{
    std::string text;
    const bool secondGame = plan.kind.type != ProtoType::Critter || IsSecondGameSize(plan.before.size());
    for (const RecordField* field : FieldsOf(plan.kind, plan.before.size())) {
        const std::int32_t value = FieldValue(plan.after, *field);
        if (value != FieldValue(plan.before, *field))
            AppendShowLine(text, *field, value, secondGame);
    }
    if (!text.empty())
        out << "# " << plan.loaded.file.label << '\n' << text;
}

bool Changes(const PlannedEdit& plan) { return plan.before.bytes() != plan.after.bytes(); }

// Every file to be changed must be writable before the first is written (a
// loose file opens for writing; a tree's copy passes CheckOverrideWrite), so
// that a file of another user, a folder that may not change or a link in
// the override folder stops the batch while nothing is written yet.
bool AllWritable(const PrototypeSource& source, const std::vector<PlannedEdit>& plans, bool force, std::ostream& err)
{
    bool writable = true;
    for (const PlannedEdit& plan : plans) {
        if (!Changes(plan))
            continue;
        try {
            source.CheckWritable(plan.loaded.file, force);
        } catch (const std::exception& error) {
            ReportWriteFailure(err, plan.loaded.file.label, error);
            writable = false;
        }
    }
    if (!writable)
        ReportError(err, "set", "nothing written");
    return writable;
}

// Writes every changed file. A write that still fails is reported with the
// files written and those not written.
int WritePlans(const PrototypeSource& source, const std::vector<PlannedEdit>& plans, bool force, std::ostream& err)
{
    if (!AllWritable(source, plans, force, err))
        return kExitError;
    std::size_t written = 0;
    std::size_t toWrite = 0;
    std::vector<std::string> notWritten;
    for (const PlannedEdit& plan : plans) {
        if (!Changes(plan))
            continue;
        ++toWrite;
        try {
            source.Write(plan.loaded, plan.after.bytes(), force);
            ++written;
        } catch (const std::exception& error) {
            ReportWriteFailure(err, plan.loaded.file.label, error);
            notWritten.push_back(plan.loaded.file.label);
        }
    }
    if (notWritten.empty())
        return kExitSuccess;
    std::string names;
    for (const std::string& name : notWritten)
        names += (names.empty() ? "" : ", ") + name;
    ReportError(err, "set",
                std::to_string(written) + " of " + std::to_string(toWrite) + " files written, " +
                    std::to_string(notWritten.size()) + " not written: " + names);
    return kExitError;
}

} // namespace

int RunSet(const SetOptions& options, std::ostream& out, std::ostream& err)
{
    std::vector<FieldEdit> edits;
    bool failed = false;
    for (const std::string& text : options.edits) {
        try {
            edits.push_back(ParseFieldEdit(text));
        } catch (const std::exception& error) {
            ReportError(err, "set", error);
            failed = true;
        }
    }
    if (failed)
        return kExitError;

    const std::optional<bool> chosen = ChosenSecondGame(options.game);
    const std::unique_ptr<PrototypeSource> source = OpenCommandSource(options.data, err);
    std::vector<PlannedEdit> plans;
    for (const auto& file : source->Resolve(options.files)) {
        try {
            LoadedPrototype loaded = source->Read(file);
            Prototype before = PrototypeOf(loaded);
            const bool secondGame = source->IsSecondGame(file, before.record.size(), chosen);
            ProRecord after = EditedRecord(before, edits, options.rules, secondGame);
            plans.push_back({std::move(loaded), before.kind, std::move(before.record), std::move(after)});
        } catch (const std::exception& error) {
            ReportError(err, file.label, error);
            failed = true;
        }
    }
    if (failed) {
        ReportError(err, "set", "nothing written");
        return kExitError;
    }

    if (options.dryRun) {
        for (const PlannedEdit& plan : plans)
            PrintChanges(out, plan);
        return kExitSuccess;
    }
    return WritePlans(*source, plans, options.force, err);
}

} // namespace quarnel::cli
