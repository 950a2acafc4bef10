// set: edits over many files. Every file is read and every edit worked out
// first; only when all of them succeed is anything written, each file in
// one opening.
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/CritterFiles.h"
#include "cli/CritterSource.h"
#include "cli/FieldEdits.h"
#include "cli/RecordRules.h"
#include "cli/RecordText.h"

#include <optional>

namespace quarnel::cli {
namespace {

struct PlannedEdit {
    CritterFile file;
    ProRecord before;
    ProRecord after;
};

// The record after the edits, in the order given. With the rules, the
// window's statistic and skill fields take each edit as the window does and
// the values its rules rewrite are kept.
ProRecord EditedRecord(const ProRecord& before, const std::vector<FieldEdit>& edits, bool withRules, bool secondGame)
{
    ProRecord after = before;
    std::optional<RecordRules> rules;
    if (withRules)
        rules.emplace(before, secondGame);
    for (const FieldEdit& edit : edits) {
        const RecordField& field = *edit.field;
        if (!RecordHasField(field, before.size()))
            throw CliError(field.key + ": a " + std::to_string(before.size()) + "-byte file has no such field");
        if (rules && rules->Holds(field))
            rules->Enter(field, EditedValue(edit, rules->Value(field)));
        else
            after.SetField(field.offset, field.width, EditedValue(edit, FieldValue(after, field)));
    }
    if (rules)
        rules->StoreInto(after);
    return after;
}

void PrintChanges(std::ostream& out, const PlannedEdit& plan)
{
    std::string text;
    const bool secondGame = IsSecondGameSize(plan.before.size());
    for (const RecordField* field : FieldsOf(plan.before.size())) {
        const std::int32_t value = FieldValue(plan.after, *field);
        if (value != FieldValue(plan.before, *field))
            AppendShowLine(text, *field, value, secondGame);
    }
    if (!text.empty())
        out << "# " << plan.file.label << '\n' << text;
}

bool Changes(const PlannedEdit& plan) { return plan.before.bytes() != plan.after.bytes(); }

// Every file to be changed must open for writing before the first is
// written, so that a file of another user or one that may not change stops
// the batch while nothing is written yet.
bool AllWritable(const CritterSource& source, const std::vector<PlannedEdit>& plans, bool force, std::ostream& err)
{
    bool writable = true;
    for (const PlannedEdit& plan : plans) {
        if (!Changes(plan))
            continue;
        if (const std::string refusal = source.WriteRefusal(plan.file, force); !refusal.empty()) {
            ReportError(err, plan.file.label, refusal);
            writable = false;
        }
    }
    if (!writable)
        ReportError(err, "set", "nothing written");
    return writable;
}

// Writes every changed file. A write that still fails is reported with the
// files written and those not written.
int WritePlans(const CritterSource& source, const std::vector<PlannedEdit>& plans, bool force, std::ostream& err)
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
            source.Write(plan.file, plan.before, plan.after, force);
            ++written;
        } catch (const std::exception& error) {
            ReportError(err, plan.file.label, error);
            notWritten.push_back(plan.file.label);
        }
    }
    if (notWritten.empty())
        return kExitSuccess;
    std::string names;
    for (const std::string& name : notWritten)
        names += (names.empty() ? "" : ", ") + name;
    ReportError(err, "set", std::to_string(written) + " of " + std::to_string(toWrite) + " files written, " +
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
    const CritterSource source(options.data, err);
    std::vector<PlannedEdit> plans;
    for (const auto& file : source.Files(options.files)) {
        try {
            ProRecord before = source.Read(file);
            const bool secondGame = source.IsSecondGame(file, before.size(), chosen);
            ProRecord after = EditedRecord(before, edits, options.rules, secondGame);
            plans.push_back({file, std::move(before), std::move(after)});
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
    return WritePlans(source, plans, options.force, err);
}

} // namespace quarnel::cli
