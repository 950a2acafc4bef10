// set: edits over many files. Every file is read and every edit worked out
// first; only when all of them succeed is anything written, each file in
// one opening.
#include "cli/CliError.h"
#include "cli/Commands.h"
#include "cli/CritterFiles.h"
#include "cli/FieldEdits.h"
#include "cli/RecordRules.h"
#include "cli/RecordText.h"
#include "cli/RecordWriter.h"

#include <optional>

namespace quarnel::cli {
namespace {

struct PlannedEdit {
    std::filesystem::path file;
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
        out << "# " << FileLabel(plan.file) << '\n' << text;
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
    std::vector<PlannedEdit> plans;
    for (const auto& file : CritterFiles(options.files)) {
        try {
            ProRecord before = ReadCritter(file);
            const bool secondGame = IsSecondGameFile(file, before.size(), chosen);
            ProRecord after = EditedRecord(before, edits, options.rules, secondGame);
            plans.push_back({file, std::move(before), std::move(after)});
        } catch (const std::exception& error) {
            ReportError(err, FileLabel(file), error);
            failed = true;
        }
    }
    if (failed) {
        ReportError(err, "set", "nothing written");
        return kExitError;
    }

    int status = kExitSuccess;
    for (const PlannedEdit& plan : plans) {
        if (options.dryRun) {
            PrintChanges(out, plan);
            continue;
        }
        try {
            WriteRecordChanges(plan.file, plan.before, plan.after);
        } catch (const std::exception& error) {
            ReportError(err, FileLabel(plan.file), error);
            status = kExitError;
        }
    }
    return status;
}

} // namespace quarnel::cli
